#include "catalog/DrivingEvents.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "catalog/MapScripts.h"

namespace {

using Vec = std::array<double, 3>;

double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double Length(const Vec& a) { return std::sqrt(Dot(a, a)); }

// Every sample in G, whichever form the recording stores.
std::vector<Vec> SamplesInG(const TelemetrySeries& series, double gPerCount) {
  std::vector<Vec> g;
  if (!series.wideSamples.empty()) {
    const double k = gPerCount / 64.0;
    g.reserve(series.wideSamples.size());
    for (const auto& s : series.wideSamples) g.push_back({s.x * k, s.y * k, s.z * k});
    return g;
  }
  g.reserve(series.samples.size());
  for (const auto& s : series.samples) g.push_back({s.x * gPerCount, s.y * gPerCount, s.z * gPerCount});
  return g;
}

// Each axis's median: the reading at rest, gravity included, whatever the
// mounting angle; events are short against a recording, so they do not
// move it.
Vec Baseline(const std::vector<Vec>& g) {
  Vec b{};
  std::vector<double> axis(g.size());
  for (int a = 0; a < 3; ++a) {
    for (std::size_t k = 0; k < g.size(); ++k) axis[k] = g[k][a];
    const auto mid = axis.begin() + static_cast<std::ptrdiff_t>(axis.size() / 2);
    std::nth_element(axis.begin(), mid, axis.end());
    b[a] = *mid;
  }
  return b;
}

// The unit vector of "up": along the baseline when it holds gravity; a
// sensor that reports none says nothing of the mounting, so its Z axis.
Vec Vertical(const Vec& baseline, double gravityMinG) {
  const double len = Length(baseline);
  if (len >= gravityMinG) return {baseline[0] / len, baseline[1] / len, baseline[2] / len};
  return {0, 0, 1};
}

Vec Horizontal(const Vec& d, const Vec& up) {
  const double v = Dot(d, up);
  return {d[0] - v * up[0], d[1] - v * up[1], d[2] - v * up[2]};
}

// A maximal stretch of samples [first, last] above a threshold and its peak:
// the middle of the samples that reach the largest value (counts are
// coarse, so a peak is often a flat top of several samples).
struct Run {
  std::size_t first = 0, last = 0, peakFirst = 0, peakLast = 0;
  double peakValue = 0;
  std::size_t Peak() const { return (peakFirst + peakLast) / 2; }
};

// Runs of `value` at or above `threshold`.
std::vector<Run> RunsAbove(const std::vector<double>& value, double threshold) {
  std::vector<Run> runs;
  bool open = false;
  for (std::size_t k = 0; k < value.size(); ++k) {
    if (value[k] < threshold) {
      open = false;
      continue;
    }
    if (!open) runs.push_back({k, k, k, k, value[k]});
    open = true;
    Run& r = runs.back();
    r.last = k;
    if (value[k] > r.peakValue) {
      r.peakFirst = k;
      r.peakValue = value[k];
    }
    if (value[k] == r.peakValue) r.peakLast = k;
  }
  return runs;
}

// Length of the centred running median of the horizontal vectors (each
// component on its own). Sensor noise and spikes shorter than half the
// window vanish, and unlike an average the median does not stretch a short
// jolt into a long one.
std::vector<double> FilteredLength(const std::vector<Vec>& h, std::size_t half) {
  std::vector<double> out(h.size());
  std::vector<double> window;
  for (std::size_t k = 0; k < h.size(); ++k) {
    const std::size_t from = k > half ? k - half : 0;
    const std::size_t to = std::min(h.size(), k + half + 1);
    Vec m;
    for (int a = 0; a < 3; ++a) {
      window.clear();
      for (std::size_t i = from; i < to; ++i) window.push_back(h[i][a]);
      const auto mid = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
      std::nth_element(window.begin(), mid, window.end());
      m[a] = *mid;
    }
    out[k] = Length(m);
  }
  return out;
}

// Speed of the valid fix nearest to `ms`, if one lies within a second. A
// time past either end of the recording's fixes reads its first or last
// one: an event at the edge of a recording still gets a speed.
std::optional<int> SpeedAt(const std::vector<GpsFix>& fixes, double fixRate, double ms) {
  if (fixes.empty() || !(fixRate > 0) || !std::isfinite(ms)) return std::nullopt;
  const double perFix = 1000.0 / fixRate;
  ms = std::clamp(ms, 0.0, static_cast<double>(fixes.size() - 1) * perFix);
  const double from = std::max(0.0, std::ceil((ms - 1000.0) / perFix));
  const double to = std::min(static_cast<double>(fixes.size() - 1), std::floor((ms + 1000.0) / perFix));
  std::optional<int> best;
  double bestGap = 0;
  for (double i = from; i <= to; ++i) {
    const GpsFix& f = fixes[static_cast<std::size_t>(i)];
    const double gap = std::fabs(i * perFix - ms);
    if (!f.IsValid() || (best && gap >= bestGap)) continue;
    best = f.speed;
    bestGap = gap;
  }
  return best;
}

struct Timing {
  double samplesPerMs;
  double MsOf(std::size_t k) const { return static_cast<double>(k) / samplesPerMs; }
  double Length(const Run& r) const { return static_cast<double>(r.last - r.first + 1) / samplesPerMs; }
};

DrivingEvent MakeEvent(DrivingEventKind kind, const Run& r, const Timing& t,
                       const TelemetrySeries& series, const DrivingEventRules& rules) {
  DrivingEvent e;
  e.kind = kind;
  e.timeMs = std::llround(t.MsOf(r.Peak()));
  e.peakG = r.peakValue;
  e.speedBeforeKmh = SpeedAt(series.fixes, series.fixRate, t.MsOf(r.first) - rules.speedMarginMs);
  e.speedAfterKmh = SpeedAt(series.fixes, series.fixRate, t.MsOf(r.last + 1) + rules.speedMarginMs);
  return e;
}

DrivingEventKind HarshKind(const DrivingEvent& e, const DrivingEventRules& rules) {
  if (!e.speedBeforeKmh || !e.speedAfterKmh) return DrivingEventKind::kHarsh;
  const int change = *e.speedAfterKmh - *e.speedBeforeKmh;
  if (change <= -rules.speedChangeKmh) return DrivingEventKind::kBraking;
  if (change >= rules.speedChangeKmh) return DrivingEventKind::kAcceleration;
  return DrivingEventKind::kCornering;
}

// Events of one kind closer than mergeMs to the previous one of that kind
// become one: the strongest of the chain.
std::vector<DrivingEvent> Merge(std::vector<DrivingEvent> events, double mergeMs) {
  std::stable_sort(events.begin(), events.end(), [](const DrivingEvent& a, const DrivingEvent& b) {
    return a.kind != b.kind ? a.kind < b.kind : a.timeMs < b.timeMs;
  });
  std::vector<DrivingEvent> out;
  std::int64_t previousMs = 0;
  for (const DrivingEvent& e : events) {
    const bool joins = !out.empty() && out.back().kind == e.kind &&
                       static_cast<double>(e.timeMs - previousMs) < mergeMs;
    previousMs = e.timeMs;
    if (!joins) {
      out.push_back(e);
    } else if (e.peakG > out.back().peakG) {
      out.back() = e;
    }
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const DrivingEvent& a, const DrivingEvent& b) { return a.timeMs < b.timeMs; });
  return out;
}

}  // namespace

const char* DrivingEventKindName(DrivingEventKind kind) {
  switch (kind) {
    case DrivingEventKind::kBraking: return "braking";
    case DrivingEventKind::kAcceleration: return "acceleration";
    case DrivingEventKind::kCornering: return "cornering";
    case DrivingEventKind::kHarsh: return "harsh";
    case DrivingEventKind::kImpact: return "impact";
  }
  return "harsh";
}

double GPerCount(const MediaInfo& info) {
  const int range = info.gsensorAttr[1] ? info.gsensorAttr[1] : 8;
  return range / 128.0;
}

std::vector<DrivingEvent> DetectDrivingEvents(const TelemetrySeries& series, const MediaInfo& info,
                                              const DrivingEventRules& rules) {
  const Timing timing{series.sampleRate};
  if (!(timing.samplesPerMs > 0) || !std::isfinite(timing.samplesPerMs)) return {};
  const std::vector<Vec> g = SamplesInG(series, GPerCount(info));
  if (g.empty()) return {};

  const Vec baseline = Baseline(g);
  const Vec up = Vertical(baseline, rules.gravityMinG);
  std::vector<Vec> horizontal(g.size());
  std::vector<double> total(g.size());
  for (std::size_t k = 0; k < g.size(); ++k) {
    const Vec d{g[k][0] - baseline[0], g[k][1] - baseline[1], g[k][2] - baseline[2]};
    horizontal[k] = Horizontal(d, up);
    total[k] = Length(d);
  }
  // The window's half width in samples, capped: beyond a few dozen samples
  // a wider median removes no more noise, and a file that states an absurd
  // rate must not make the filter quadratic.
  constexpr double kMaxHalfWindow = 50;
  const double halfWindow = std::round(rules.filterMs / 2 * timing.samplesPerMs);
  const auto half = static_cast<std::size_t>(std::clamp(halfWindow, 0.0, kMaxHalfWindow));

  // A small tolerance so that a run of exactly the rule's length (4 samples
  // at 10 per second for 0.4 s) is not lost to rounding.
  constexpr double kSlackMs = 1e-6;
  std::vector<DrivingEvent> events;
  for (const Run& r : RunsAbove(FilteredLength(horizontal, half), rules.harshG)) {
    if (timing.Length(r) + kSlackMs < rules.harshHoldMs) continue;
    DrivingEvent e = MakeEvent(DrivingEventKind::kHarsh, r, timing, series, rules);
    e.kind = HarshKind(e, rules);
    events.push_back(e);
  }
  for (const Run& r : RunsAbove(total, rules.impactG)) {
    if (timing.Length(r) > rules.impactMaxMs + kSlackMs) continue;
    events.push_back(MakeEvent(DrivingEventKind::kImpact, r, timing, series, rules));
  }
  return Merge(std::move(events), rules.mergeMs);
}

std::optional<std::vector<DrivingEvent>> ReadDrivingEvents(const std::string& path,
                                                           const MediaInfo& info,
                                                           const DrivingEventRules& rules) {
  const TelemetrySeries series = ReadTelemetry(path, info);
  if (!series.Ok()) return std::nullopt;
  return DetectDrivingEvents(series, info, rules);
}

std::string DrivingEventSummary(const DrivingEvent& event) {
  std::string s = "peak " + FormatFixedC(std::isfinite(event.peakG) ? event.peakG : 0.0, 2) + " G";
  if (event.speedBeforeKmh && event.speedAfterKmh)
    s += ", " + std::to_string(*event.speedBeforeKmh) + " \u2192 " + std::to_string(*event.speedAfterKmh) +
         " km/h";
  return s;
}
