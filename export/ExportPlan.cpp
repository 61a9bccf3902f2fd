#include "export/ExportPlan.h"

#include <filesystem>

#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetryUtil.h"

namespace {

bool LoadSource(const std::string& source, MediaCatalog& catalog) {
  std::error_code ec;
  if (std::filesystem::is_directory(source, ec)) return catalog.Load(source, "") != 0;
  const std::filesystem::path p(source);
  std::string folder = p.parent_path().string();
  if (!folder.empty()) folder += '/';
  return catalog.Load(folder, p.filename().string()) != 0;
}

std::int64_t StartMs(const MediaEntry& e) { return e.info.startTime * 1000; }
std::int64_t EndMs(const MediaEntry& e) { return StartMs(e) + e.info.durationMs; }

// The drive's recording that holds `ms`, or the first one after it when
// `ms` falls in a gap between two of them; -1 outside the drive.
int PieceHolding(const MediaCatalog& catalog, const std::vector<int>& drive, std::int64_t ms) {
  const auto& entries = catalog.Entries();
  if (drive.empty() || ms < StartMs(entries[drive.front()]) || ms >= EndMs(entries[drive.back()]))
    return -1;
  for (std::size_t i = 0; i < drive.size(); ++i) {
    if (ms < EndMs(entries[drive[i]])) return static_cast<int>(i);
  }
  return -1;
}

std::string DriveList(const MediaCatalog& catalog) {
  std::string s;
  for (const MediaGroup& g : catalog.Groups()) {
    const std::vector<int> d = catalog.DriveRecordings(g.number);
    if (d.empty() || catalog.Entries()[d.front()].info.startTime == 0) continue;
    const auto& last = catalog.Entries()[d.back()];
    s += "\n  " + FormatLocalDateTime(catalog.Entries()[d.front()].info.startTime) + " to " +
         FormatLocalDateTime((EndMs(last) + 999) / 1000);
  }
  return s;
}

ExportPiece MakePiece(const MediaCatalog& catalog, int entry) {
  const MediaEntry& e = catalog.Entries()[entry];
  ExportPiece p;
  p.frontInfo = e.info;
  p.startTime = e.info.startTime;
  if (e.camera == Camera::kRear) {
    p.rearPath = e.FullPath();
    p.rearInfo = e.info;
    return p;
  }
  p.frontPath = e.FullPath();
  const int rear = catalog.CompanionOf(entry);
  if (rear >= 0) {
    p.rearPath = catalog.Entries()[rear].FullPath();
    p.rearInfo = catalog.Entries()[rear].info;
  }
  return p;
}

}  // namespace

bool MakeExportPlan(const ExportRequest& request, ExportPlan& plan, std::string& error) {
  plan = {};
  if (request.end <= request.start) {
    error = "the start must be before the end";
    return false;
  }
  MediaCatalog catalog;
  if (!LoadSource(request.source, catalog) || catalog.Empty()) {
    error = "no recordings in " + request.source;
    return false;
  }
  const std::int64_t fromMs = request.start * 1000;
  const std::int64_t toMs = request.end * 1000;
  std::vector<int> drive;
  int first = -1;
  for (const MediaGroup& g : catalog.Groups()) {
    drive = catalog.DriveRecordings(g.number);
    first = PieceHolding(catalog, drive, fromMs);
    if (first >= 0) break;
  }
  if (first < 0) {
    error = "no drive holds " + FormatLocalDateTime(request.start) + "; the drives are:" +
            DriveList(catalog);
    return false;
  }
  const MediaEntry& last = catalog.Entries()[drive.back()];
  if (toMs > EndMs(last)) {
    error = "the span ends after its drive, which ends at " +
            FormatLocalDateTime(EndMs(last) / 1000);
    return false;
  }
  plan.allRear = true;
  for (std::size_t i = static_cast<std::size_t>(first); i < drive.size(); ++i) {
    const MediaEntry& e = catalog.Entries()[drive[i]];
    if (StartMs(e) >= toMs) break;
    ExportPiece p = MakePiece(catalog, drive[i]);
    p.inMs = std::max<std::int64_t>(0, fromMs - StartMs(e));
    p.outMs = std::min<std::int64_t>(e.info.durationMs, toMs - StartMs(e));
    if (p.outMs <= p.inMs) continue;
    p.atMs = plan.lengthMs;
    plan.lengthMs += p.outMs - p.inMs;
    plan.anyRear = plan.anyRear || !p.rearPath.empty();
    plan.allRear = plan.allRear && !p.rearPath.empty();
    plan.pieces.push_back(std::move(p));
  }
  if (plan.pieces.empty()) {
    error = "the span holds no recorded time";
    return false;
  }
  return true;
}
