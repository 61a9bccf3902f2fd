#include "catalog/DriveTrack.h"

#include <algorithm>
#include <cmath>

#include "catalog/DriveTelemetry.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// A pause longer than this between two recordings breaks the line.
constexpr std::int64_t kMaxJoinSeconds = 5;

}  // namespace

int DriveTrack::PointAt(std::int64_t driveMs) const {
  const auto after = std::upper_bound(
      points.begin(), points.end(), driveMs,
      [](std::int64_t ms, const DriveTrackPoint& p) { return ms < p.driveMs; });
  return static_cast<int>(after - points.begin()) - 1;
}

void DriveTrack::AppendRecording(const DriveLayout& layout, int piece,
                                 const std::vector<GpsFix>& fixes, double fixRate) {
  if (piece < 0 || piece >= static_cast<int>(layout.pieces.size())) return;
  const DrivePiece& p = layout.pieces[static_cast<std::size_t>(piece)];
  const double rate = fixRate > 0 && std::isfinite(fixRate) ? fixRate : 1.0;
  // The first fix of a recording joins the previous recording's last one
  // only when that was its final fix and the recordings follow on in time.
  bool joinsPrevious = false;
  if (piece > 0 && !points.empty() && points.back().piece == piece - 1) {
    const DrivePiece& before = layout.pieces[static_cast<std::size_t>(piece - 1)];
    const std::int64_t lastShownMs = before.startMs + before.durationMs - std::int64_t(1000 / rate);
    const bool followsInTime = p.startTime == 0 || before.startTime == 0 ||
                               p.startTime - (before.startTime + before.durationMs / 1000) <=
                                   kMaxJoinSeconds;
    joinsPrevious = points.back().driveMs >= lastShownMs - 1 && followsInTime;
  }
  std::size_t previous = static_cast<std::size_t>(-1);  // index of the last valid fix
  for (std::size_t k = 0; k < fixes.size(); ++k) {
    const GpsFix& fix = fixes[k];
    double latitude = fix.latitude, longitude = fix.longitude;
    if (!fix.IsValid() || !ConvertFixPair(latitude, longitude) || !std::isfinite(latitude) ||
        !std::isfinite(longitude))
      continue;
    const std::int64_t offsetMs = static_cast<std::int64_t>(std::ceil(double(k) * 1000.0 / rate));
    if (offsetMs >= p.durationMs && p.durationMs > 0) break;  // the recording has ended by then
    DriveTrackPoint point;
    point.latitude = latitude;
    point.longitude = longitude;
    point.driveMs = p.startMs + offsetMs;
    point.piece = piece;
    point.clock = layout.ClockAt(point.driveMs);
    point.fix = fix;
    if (previous == static_cast<std::size_t>(-1))
      point.gapBefore = points.empty() || !(joinsPrevious && k == 0);
    else
      point.gapBefore = k != previous + 1;
    previous = k;
    points.push_back(point);
  }
}

void DriveTrack::AddEvents(const DriveLayout& layout, int piece,
                           const std::vector<DrivingEvent>& found) {
  if (piece < 0 || piece >= static_cast<int>(layout.pieces.size())) return;
  const DrivePiece& p = layout.pieces[static_cast<std::size_t>(piece)];
  // The recording's points lie together, in time order.
  const auto first = std::find_if(points.begin(), points.end(),
                                  [piece](const DriveTrackPoint& t) { return t.piece == piece; });
  const auto last = std::find_if(first, points.end(),
                                 [piece](const DriveTrackPoint& t) { return t.piece != piece; });
  if (first == last) return;
  for (const DrivingEvent& e : found) {
    DriveTrackEvent placed;
    placed.event = e;
    const std::int64_t offsetMs = std::clamp<std::int64_t>(e.timeMs, 0, p.durationMs);
    placed.driveMs = p.startMs + offsetMs;
    // To the nearest second: a peak at 10.9 s is at second 11.
    placed.clock = p.startTime == 0 ? 0 : p.startTime + (offsetMs + 500) / 1000;
    // The nearest point: the first at or after the event, or the one before.
    auto at = std::lower_bound(first, last, placed.driveMs,
                               [](const DriveTrackPoint& t, std::int64_t ms) { return t.driveMs < ms; });
    if (at == last || (at != first && placed.driveMs - (at - 1)->driveMs <= at->driveMs - placed.driveMs))
      --at;
    placed.point = static_cast<int>(at - points.begin());
    events.push_back(placed);
  }
}

DriveTrack MakeDriveTrack(const MediaCatalog& catalog, const DriveLayout& layout) {
  DriveTelemetry telemetry(catalog);
  return MakeDriveTrack(layout, telemetry);
}

DriveTrack MakeDriveTrack(const DriveLayout& layout, DriveTelemetry& telemetry) {
  const MediaCatalog& catalog = telemetry.Catalog();
  DriveTrack track;
  for (std::size_t i = 0; i < layout.pieces.size(); ++i) {
    const int entry = layout.pieces[i].entry;
    if (entry < 0 || entry >= catalog.EntryCount()) continue;
    const TelemetrySeries& series = telemetry.Of(entry);
    track.AppendRecording(layout, static_cast<int>(i), series.fixes, series.fixRate);
    track.AddEvents(layout, static_cast<int>(i), telemetry.EventsOf(entry));
  }
  return track;
}
