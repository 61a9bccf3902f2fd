#include "export/SpanTelemetry.h"

#include <cmath>
#include <cstdio>

#include "catalog/DrivingEvents.h"
#include "catalog/GpxWriter.h"
#include "telemetry/TelemetryUtil.h"

namespace {

const char* CompassPoint(int degrees) {
  static const char* const kPoints[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
  return kPoints[((degrees % 360 + 360) % 360 * 2 + 45) / 90 % 8];
}

double RateOf(const TelemetrySeries& s) { return s.fixRate > 0 ? s.fixRate : 1.0; }

// The fix recorded at `offsetMs` into its recording, or null.
const GpsFix* FixAt(const TelemetrySeries& s, std::int64_t offsetMs) {
  if (offsetMs < 0) return nullptr;
  const auto i = static_cast<std::size_t>(offsetMs * RateOf(s) / 1000.0);
  return i < s.fixes.size() ? &s.fixes[i] : nullptr;
}

// The three G values at `offsetMs`; false without timed samples there.
bool GAt(const TelemetrySeries& s, double rangeG, std::int64_t offsetMs, double g[3]) {
  if (s.sampleRate <= 0 || offsetMs < 0) return false;
  const auto i = static_cast<std::size_t>(offsetMs * s.sampleRate);
  if (i >= s.SampleCount()) return false;
  const double range = rangeG > 0 ? rangeG : 8.0;
  const double scale = range / 128.0;
  if (!s.wideSamples.empty()) {
    const GSensorWideSample& w = s.wideSamples[i];
    const double wide = scale / GSensorWideSample::kStepsPerCount;
    g[0] = w.x * wide;
    g[1] = w.y * wide;
    g[2] = w.z * wide;
    return true;
  }
  const GSensorSample& v = s.samples[i];
  g[0] = v.x * scale;
  g[1] = v.y * scale;
  g[2] = v.z * scale;
  return true;
}

// The driving events of piece `p` inside the span, each as a waypoint at
// the valid fix nearest its time; the fix's own time moved by the event's
// distance from it, else the recording's clock.
void AddEventWaypoints(const ExportPiece& p, const TelemetrySeries& s, std::vector<GpxWaypoint>& out) {
  if (!s.Ok()) return;
  for (const DrivingEvent& e : DetectDrivingEvents(s, p.frontInfo)) {
    if (e.timeMs < p.inMs || e.timeMs >= p.outMs) continue;
    GpxPoint nearest;
    double nearestMs = -1, bestDistance = 0;
    for (std::size_t k = 0; k < s.fixes.size(); ++k) {
      GpxPoint point;
      const double ms = k * 1000.0 / RateOf(s);
      if (!GpxPointOfFix(s.fixes[k], point)) continue;
      if (nearestMs >= 0 && std::fabs(ms - e.timeMs) >= bestDistance) continue;
      nearest = point;
      nearestMs = ms;
      bestDistance = std::fabs(ms - e.timeMs);
    }
    if (nearestMs < 0) continue;
    GpxWaypoint w;
    w.latitude = nearest.latitude;
    w.longitude = nearest.longitude;
    w.elevation = nearest.elevation;
    w.hasTime = true;
    w.time = nearest.hasTime ? nearest.time + std::llround((e.timeMs - nearestMs) / 1000.0)
                             : p.startTime + e.timeMs / 1000;
    w.name = DrivingEventKindName(e.kind);
    w.description = DrivingEventSummary(e);
    w.type = "event";
    out.push_back(w);
  }
}

}  // namespace

std::string FormatOverlayLine(CalendarTime clock, const GpsFix* fix, const double* g, bool mph) {
  std::string line = FormatLocalDateTime(clock);
  char part[96];
  if (fix && fix->IsValid()) {
    const double speed = mph ? fix->speed / 1.609344 : fix->speed;
    std::snprintf(part, sizeof part, "  %d %s  %s %03d", static_cast<int>(std::lround(speed)),
                  mph ? "MPH" : "KM/H", CompassPoint(fix->HeadingDegrees()),
                  fix->HeadingDegrees() % 360);
    line += part;
  }
  if (g) {
    std::snprintf(part, sizeof part, "  G X%+.2f Y%+.2f Z%+.2f", g[0], g[1], g[2]);
    line += part;
  }
  return line;
}

SpanTelemetry::SpanTelemetry(const ExportPlan& plan) : m_plan(plan) {
  for (const ExportPiece& p : plan.pieces) {
    const std::string& path = p.frontPath.empty() ? p.rearPath : p.frontPath;
    m_series.push_back(ReadTelemetry(path, p.frontInfo));
  }
}

std::string SpanTelemetry::OverlayLine(std::size_t piece, std::int64_t offsetMs, bool mph) const {
  const ExportPiece& p = m_plan.pieces[piece];
  const TelemetrySeries& s = m_series[piece];
  double g[3];
  const bool haveG = GAt(s, p.frontInfo.gsensorAttr[1], offsetMs, g);
  return FormatOverlayLine(p.startTime + offsetMs / 1000, FixAt(s, offsetMs), haveG ? g : nullptr,
                           mph);
}

int SpanTelemetry::WriteGpx(const std::string& path, const std::string& name) const {
  std::vector<GpxPoint> points;
  std::vector<GpxWaypoint> events;
  for (std::size_t i = 0; i < m_plan.pieces.size(); ++i) {
    const ExportPiece& p = m_plan.pieces[i];
    const TelemetrySeries& s = m_series[i];
    AddEventWaypoints(p, s, events);
    for (std::size_t k = 0; k < s.fixes.size(); ++k) {
      const auto offsetMs = static_cast<std::int64_t>(std::llround(k * 1000.0 / RateOf(s)));
      if (offsetMs < p.inMs || offsetMs >= p.outMs) continue;
      GpxPoint point;
      if (!GpxPointOfFix(s.fixes[k], point)) continue;
      if (!point.hasTime) {
        point.hasTime = true;
        point.time = p.startTime + offsetMs / 1000;
      }
      points.push_back(point);
    }
  }
  if (points.empty()) return 0;
  GpxWriter writer;
  if (!writer.Open(path)) return -1;
  const ExportPiece& first = m_plan.pieces.front();
  writer.WriteHeader(name, FormatLocalDateTime(first.startTime + first.inMs / 1000) + " +" +
                               std::to_string(m_plan.lengthMs / 1000) + " s");
  for (const GpxWaypoint& event : events) writer.WriteWaypoint(event);
  for (const GpxPoint& point : points) writer.WritePoint(point);
  return writer.WriteFooter() ? static_cast<int>(points.size()) : -1;
}
