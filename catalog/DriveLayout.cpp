#include "catalog/DriveLayout.h"

#include <algorithm>

#include "catalog/DriveTelemetry.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetrySeries.h"

void DriveLayout::Append(int entry, std::int64_t durationMs, bool locked, std::int64_t startTime) {
  DrivePiece piece;
  piece.startTime = startTime;
  piece.entry = entry;
  piece.startMs = LengthMs();
  piece.durationMs = std::max<std::int64_t>(durationMs, 0);
  piece.locked = locked;
  pieces.push_back(piece);
}

std::int64_t DriveLayout::LengthMs() const {
  if (pieces.empty()) return 0;
  return pieces.back().startMs + pieces.back().durationMs;
}

int DriveLayout::PieceAt(std::int64_t driveMs) const {
  if (pieces.empty()) return -1;
  // The last piece whose start is at or before the position.
  const auto after = std::upper_bound(pieces.begin(), pieces.end(), driveMs,
                                      [](std::int64_t ms, const DrivePiece& p) { return ms < p.startMs; });
  if (after == pieces.begin()) return 0;
  return static_cast<int>(after - pieces.begin()) - 1;
}

int DriveLayout::PieceOf(int entry) const {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (pieces[i].entry == entry) return static_cast<int>(i);
  }
  return -1;
}

std::int64_t DriveLayout::DriveMsOf(int entry, std::int64_t offsetMs) const {
  const int i = PieceOf(entry);
  if (i < 0) return -1;
  const DrivePiece& p = pieces[i];
  return p.startMs + std::clamp<std::int64_t>(offsetMs, 0, p.durationMs);
}

std::int64_t DriveLayout::ClockAt(std::int64_t driveMs) const {
  const int i = PieceAt(driveMs);
  if (i < 0 || pieces[i].startTime == 0) return 0;
  const DrivePiece& p = pieces[i];
  return p.startTime + std::clamp<std::int64_t>(driveMs - p.startMs, 0, p.durationMs) / 1000;
}

void DriveLayout::AddNoFixSpan(int piece, std::int64_t fromMs, std::int64_t toMs) {
  if (piece < 0 || piece >= static_cast<int>(pieces.size())) return;
  const DrivePiece& p = pieces[piece];
  const std::int64_t from = p.startMs + std::clamp<std::int64_t>(fromMs, 0, p.durationMs);
  const std::int64_t to = p.startMs + std::clamp<std::int64_t>(toMs, 0, p.durationMs);
  if (to <= from) return;
  if (!noFixSpans.empty() && noFixSpans.back().second >= from) {
    noFixSpans.back().second = std::max(noFixSpans.back().second, to);
    return;
  }
  noFixSpans.emplace_back(from, to);
}

namespace {

// Marks the stretches of one recording without a valid fix: runs of
// invalid fixes, and the time after the last fix when the series ends
// early (a recording without any fix is one whole span).
void MarkNoFixSpans(DriveLayout& layout, int piece, const std::vector<GpsFix>& fixes, double fixRate) {
  const std::int64_t duration = layout.pieces[piece].durationMs;
  const double msPerFix = 1000.0 / (fixRate > 0 ? fixRate : 1.0);
  std::int64_t gapFrom = -1;
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    const auto at = static_cast<std::int64_t>(static_cast<double>(i) * msPerFix);
    if (at >= duration) break;
    if (!fixes[i].IsValid()) {
      if (gapFrom < 0) gapFrom = at;
      continue;
    }
    if (gapFrom >= 0) layout.AddNoFixSpan(piece, gapFrom, at);
    gapFrom = -1;
  }
  const auto end = static_cast<std::int64_t>(static_cast<double>(fixes.size()) * msPerFix);
  if (gapFrom < 0 && end < duration) gapFrom = end;
  if (gapFrom >= 0) layout.AddNoFixSpan(piece, gapFrom, duration);
}

DriveLayout LayoutOf(const MediaCatalog& catalog, int drive, DriveTelemetry* telemetry) {
  DriveLayout layout;
  for (int entry : catalog.DriveRecordings(drive)) {
    const MediaEntry& e = catalog.Entries()[static_cast<std::size_t>(entry)];
    const bool locked = e.flags != 0;
    layout.Append(entry, e.info.durationMs, locked, e.info.startTime);
    if (!telemetry) continue;
    const TelemetrySeries& series = telemetry->Of(entry);
    MarkNoFixSpans(layout, static_cast<int>(layout.pieces.size()) - 1, series.fixes, series.fixRate);
  }
  return layout;
}

}  // namespace

DriveLayout MakeDriveLayout(const MediaCatalog& catalog, int drive, bool readFixes) {
  if (!readFixes) return LayoutOf(catalog, drive, nullptr);
  DriveTelemetry telemetry(catalog);
  return LayoutOf(catalog, drive, &telemetry);
}

DriveLayout MakeDriveLayout(int drive, DriveTelemetry& telemetry) {
  return LayoutOf(telemetry.Catalog(), drive, &telemetry);
}
