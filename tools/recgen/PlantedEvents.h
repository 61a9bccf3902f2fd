#pragma once

// Driving events planted into a G-sensor series, with GPS speeds that agree
// with them, for the event detection tests and `vantrel-gen --events`.
// The sensor frame is X forward, Y left, Z up, +1 G on Z at rest; a tilted
// mounting turns the whole series, gravity included.

#include <array>
#include <string>
#include <vector>

#include "telemetry/TelemetryTypes.h"

namespace recgen {

struct PlantedEvent {
  enum Kind { kBrake, kAccelerate, kTurnLeft, kTurnRight, kImpact };
  Kind kind = kBrake;
  double atSeconds = 0;        // start of the event
  double durationSeconds = 2;  // pulses: sin^2 over this time; impact: a flat knock
  double strengthG = 0.5;      // peak (brake and impact push towards -X)
  double MiddleSeconds() const { return atSeconds + durationSeconds / 2; }
};

struct PlantedSensor {
  double seconds = 60;
  int rate = 10;  // samples per second
  std::vector<PlantedEvent> events;
  double noiseG = 0;     // extra uniform noise of this amplitude on every axis
  double pitchDeg = 0;   // mounting: nose-down turn about Y ...
  double rollDeg = 0;    // ... then about X
  unsigned seed = 1;
};

// seconds x rate readings in G: road noise of +-0.03 G, the events, the
// extra noise, then the mounting's turn.
std::vector<std::array<double, 3>> MakePlantedSeries(const PlantedSensor& sensor);
// The three-byte counts (+128 is +rangeG) and the data-track form (64 steps
// per count, the whole 32-bit value).
std::vector<GSensorSample> ToCounts(const std::vector<std::array<double, 3>>& g, int rangeG);
std::vector<GSensorWideSample> ToWideCounts(const std::vector<std::array<double, 3>>& g, int rangeG);

// Makes the fixes' speeds (rate per second, fix i at i / rate s) fall across
// each planted braking and rise across each acceleration by what the pulse
// integrates to: strength x g x duration / 2.
void ApplyEventSpeeds(std::vector<GpsFix>& route, int rate, const std::vector<PlantedEvent>& events);

// "KIND@SECONDS[:G[:DURATION]]" items separated by commas, KIND one of
// brake, accel, left, right, impact (impact: 2.5 G for 0.2 s by default;
// others 0.5 G for 2 s); "none" is the empty list. False with a reason on a
// bad item.
bool ParsePlantedEvents(const std::string& text, std::vector<PlantedEvent>& out, std::string* error);

}  // namespace recgen
