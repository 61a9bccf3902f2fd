#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryTypes.h"

// Driving events found in a recording's G-sensor samples and GPS speed:
// harsh braking, acceleration and cornering, and short impacts. The player's
// markers, its next/previous-event keys and `vantrel-cli events` all take
// them from DetectDrivingEvents.

enum class DrivingEventKind { kBraking, kAcceleration, kCornering, kHarsh, kImpact };

// "braking", "acceleration", "cornering", "harsh", "impact".
const char* DrivingEventKindName(DrivingEventKind kind);

struct DrivingEvent {
  DrivingEventKind kind = DrivingEventKind::kHarsh;
  std::int64_t timeMs = 0;  // the event's peak, from the recording's first sample
  double peakG = 0;         // largest deviation (harsh: horizontal; impact: total)
  // GPS speed 1 s before the event starts and 1 s after it ends; empty when
  // no valid fix lies within a second of that time.
  std::optional<int> speedBeforeKmh;
  std::optional<int> speedAfterKmh;
};

// The thresholds, one table. Deviations are taken from each axis's median
// over the recording, so a camera mounted at any angle reads 0 at rest; the
// median vector is gravity, and "horizontal" is the part of a deviation
// across it.
struct DrivingEventRules {
  double harshG = 0.35;         // horizontal deviation of a harsh event ...
  double harshHoldMs = 400;     // ... held at least this long
  double filterMs = 200;        // running median before the harsh test (noise, spikes)
  double speedMarginMs = 1000;  // speed read this long before / after the event
  double speedChangeKmh = 5;    // falling: braking; rising: acceleration; else cornering
  double impactG = 1.0;         // total deviation of an impact ...
  double impactMaxMs = 300;     // ... lasting at most this long
  double mergeMs = 3000;        // events of one kind closer than this are one, at the peak
  double gravityMinG = 0.5;     // a median shorter than this says nothing of the mounting
};

// G per count of the three-byte samples: the sensor range (gsensorAttr[1],
// 0 meaning 8 G) over 128. Wide data-track samples are the whole signed
// 32-bit value at 1/64 of that.
double GPerCount(const MediaInfo& info);

// Events of one recording, in time order. Samples are placed at
// k / series.sampleRate ms and fixes at i / series.fixRate s; a series
// without sample timing (sampleRate 0) or without samples gives none.
// Without a valid fix near an event, harsh events are kHarsh and carry no
// speeds.
std::vector<DrivingEvent> DetectDrivingEvents(const TelemetrySeries& series, const MediaInfo& info,
                                              const DrivingEventRules& rules = {});

// The events of the recording at `path` whose parse gave `info`, read with
// ReadTelemetry; empty when its telemetry cannot be read.
std::optional<std::vector<DrivingEvent>> ReadDrivingEvents(const std::string& path,
                                                           const MediaInfo& info,
                                                           const DrivingEventRules& rules = {});

// "peak 0.52 G, 48 → 21 km/h" (the speeds only when both are known): how
// exported routes describe an event.
std::string DrivingEventSummary(const DrivingEvent& event);
