#include "tools/recgen/PlantedEvents.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>

namespace recgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStandardGravity = 9.80665;

using Vec = std::array<double, 3>;

// 0 at both ends of [0, 1], 1 in the middle.
double Pulse(double u) {
  if (u <= 0 || u >= 1) return 0;
  const double s = std::sin(kPi * u);
  return s * s;
}

// The share of Pulse's integral reached at u.
double PulseShare(double u) {
  if (u <= 0) return 0;
  if (u >= 1) return 1;
  return u - std::sin(2 * kPi * u) / (2 * kPi);
}

class Noise {
 public:
  explicit Noise(unsigned seed) : m_state(seed * 2654435761u + 1) {}
  double Next(double amplitude) {  // uniform in [-amplitude, amplitude)
    m_state = m_state * 1664525u + 1013904223u;
    return (static_cast<double>(m_state >> 8) / 16777216.0 - 0.5) * 2 * amplitude;
  }

 private:
  std::uint32_t m_state;
};

void AddEvent(Vec& g, const PlantedEvent& e, double t) {
  const double u = e.durationSeconds > 0 ? (t - e.atSeconds) / e.durationSeconds : -1;
  if (e.kind == PlantedEvent::kImpact) {
    if (u >= 0 && u < 1) g[0] -= e.strengthG;
    return;
  }
  const double p = e.strengthG * Pulse(u);
  switch (e.kind) {
    case PlantedEvent::kBrake: g[0] -= p; break;
    case PlantedEvent::kAccelerate: g[0] += p; break;
    case PlantedEvent::kTurnLeft: g[1] += p; break;
    case PlantedEvent::kTurnRight: g[1] -= p; break;
    case PlantedEvent::kImpact: break;
  }
}

Vec Turn(const Vec& g, double pitchDeg, double rollDeg) {
  const double p = pitchDeg * kPi / 180, r = rollDeg * kPi / 180;
  // About Y (pitch), then about X (roll).
  const Vec a{g[0] * std::cos(p) + g[2] * std::sin(p), g[1], -g[0] * std::sin(p) + g[2] * std::cos(p)};
  return {a[0], a[1] * std::cos(r) - a[2] * std::sin(r), a[1] * std::sin(r) + a[2] * std::cos(r)};
}

long Steps(double g, double stepsPerG, double limit) {
  return std::lround(std::clamp(g * stepsPerG, -limit, limit));
}

}  // namespace

std::vector<Vec> MakePlantedSeries(const PlantedSensor& s) {
  std::vector<Vec> out;
  if (s.seconds <= 0 || s.rate <= 0) return out;
  const auto n = static_cast<std::size_t>(std::lround(s.seconds * s.rate));
  out.reserve(n);
  Noise road(s.seed), extra(s.seed + 7919);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / s.rate;
    Vec g{road.Next(0.03), road.Next(0.03), 1.0 + road.Next(0.03)};
    for (const PlantedEvent& e : s.events) AddEvent(g, e, t);
    for (double& v : g) v += extra.Next(s.noiseG);
    out.push_back(Turn(g, s.pitchDeg, s.rollDeg));
  }
  return out;
}

std::vector<GSensorSample> ToCounts(const std::vector<Vec>& g, int rangeG) {
  const double perG = 128.0 / (rangeG > 0 ? rangeG : 8);
  std::vector<GSensorSample> out;
  out.reserve(g.size());
  auto c = [perG](double v) { return static_cast<std::int8_t>(Steps(v, perG, 127)); };
  for (const Vec& v : g) out.push_back({c(v[0]), c(v[1]), c(v[2])});
  return out;
}

std::vector<GSensorWideSample> ToWideCounts(const std::vector<Vec>& g, int rangeG) {
  const double perG = 128.0 * 64.0 / (rangeG > 0 ? rangeG : 8);
  std::vector<GSensorWideSample> out;
  out.reserve(g.size());
  auto c = [perG](double v) { return static_cast<std::int32_t>(Steps(v, perG, 2.0e9)); };
  for (const Vec& v : g) out.push_back({c(v[0]), c(v[1]), c(v[2])});
  return out;
}

void ApplyEventSpeeds(std::vector<GpsFix>& route, int rate, const std::vector<PlantedEvent>& events) {
  if (rate <= 0) return;
  std::vector<double> speed(route.size());
  for (std::size_t i = 0; i < route.size(); ++i) speed[i] = route[i].speed;
  for (const PlantedEvent& e : events) {
    if (e.kind != PlantedEvent::kBrake && e.kind != PlantedEvent::kAccelerate) continue;
    const double change = e.strengthG * kStandardGravity * e.durationSeconds / 2 * 3.6;
    const double sign = e.kind == PlantedEvent::kBrake ? -1 : 1;
    for (std::size_t i = 0; i < route.size(); ++i) {
      const double u = (static_cast<double>(i) / rate - e.atSeconds) / e.durationSeconds;
      speed[i] += sign * change * PulseShare(u);
    }
  }
  for (std::size_t i = 0; i < route.size(); ++i)
    route[i].speed = static_cast<std::uint16_t>(std::lround(std::max(0.0, speed[i])));
}

bool ParsePlantedEvents(const std::string& text, std::vector<PlantedEvent>& out, std::string* error) {
  static const std::map<std::string, PlantedEvent::Kind> kinds = {
      {"brake", PlantedEvent::kBrake},     {"accel", PlantedEvent::kAccelerate},
      {"left", PlantedEvent::kTurnLeft},   {"right", PlantedEvent::kTurnRight},
      {"impact", PlantedEvent::kImpact}};
  out.clear();
  if (text == "none") return true;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t comma = text.find(',', from);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(from, comma - from);
    from = comma + 1;
    const std::size_t at = item.find('@');
    const auto kind = kinds.find(item.substr(0, at));
    PlantedEvent e;
    if (at != std::string::npos && kind != kinds.end()) {
      e.kind = kind->second;
      if (e.kind == PlantedEvent::kImpact) {
        e.strengthG = 2.5;
        e.durationSeconds = 0.2;
      }
      const int fields = std::sscanf(item.c_str() + at + 1, "%lf:%lf:%lf", &e.atSeconds,
                                     &e.strengthG, &e.durationSeconds);
      if (fields >= 1 && e.durationSeconds > 0) {
        out.push_back(e);
        continue;
      }
    }
    if (error) *error = "bad event '" + item + "' (KIND@SECONDS[:G[:DURATION]])";
    return false;
  }
  return true;
}

}  // namespace recgen
