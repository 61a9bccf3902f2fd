#include "catalog/DriveTrack.h"

#include <algorithm>
#include <cmath>

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

DriveTrack MakeDriveTrack(const MediaCatalog& catalog, const DriveLayout& layout) {
  DriveTrack track;
  for (std::size_t i = 0; i < layout.pieces.size(); ++i) {
    const int entry = layout.pieces[i].entry;
    if (entry < 0 || entry >= catalog.EntryCount()) continue;
    const MediaEntry& e = catalog.Entries()[static_cast<std::size_t>(entry)];
    const TelemetrySeries series = ReadTelemetry(e.FullPath(), e.info);
    track.AppendRecording(layout, static_cast<int>(i), series.fixes, series.fixRate);
  }
  return track;
}
