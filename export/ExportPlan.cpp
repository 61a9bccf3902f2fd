#include "export/ExportPlan.h"

#include <filesystem>
#include <system_error>

#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetryUtil.h"

namespace {

namespace fs = std::filesystem;

// The folder whose scan finds both cameras of a recording: a camera's own
// folder (its name ends in the camera letter, as .../Movie/F beside
// .../Movie/R) stands for the folder above it, as on a card; any other
// folder holds both cameras itself. Never the file system's root.
fs::path CardRootOf(const fs::path& file) {
  const fs::path folder = file.parent_path();
  const std::string name = folder.filename().string();
  const bool cameraFolder = !name.empty() && (name.back() == 'F' || name.back() == 'R');
  if (!cameraFolder || folder.parent_path() == folder.root_path()) return folder;
  return folder.parent_path();
}

std::string WithSlash(const fs::path& folder) {
  std::string s = folder.string();
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

// One recording: its card is scanned, as the rear of the same minute lies
// in another folder under another name, and only the drive that holds the
// recording counts (`drive`). A name the scan does not take is loaded on
// its own, as the only drive.
bool LoadRecording(const std::string& source, MediaCatalog& catalog, int& drive) {
  const fs::path file = fs::absolute(fs::path(source)).lexically_normal();
  if (catalog.Load(WithSlash(CardRootOf(file)), "") != 0) {
    drive = catalog.DriveOf(catalog.FindEntry(file.string()));
    if (drive >= 0) return true;
  }
  drive = -1;
  return catalog.Load(WithSlash(file.parent_path()), file.filename().string()) != 0;
}

// A folder is scanned whole and any of its drives may hold the span; for
// one recording `drive` names the drive it belongs to (-1: any).
bool LoadSource(const std::string& source, MediaCatalog& catalog, int& drive) {
  std::error_code ec;
  drive = -1;
  if (fs::is_directory(source, ec)) return catalog.Load(source, "") != 0;
  return LoadRecording(source, catalog, drive);
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

bool Considered(const MediaGroup& g, int onlyDrive) {
  return onlyDrive < 0 || g.number == onlyDrive;
}

std::string DriveList(const MediaCatalog& catalog, int onlyDrive) {
  std::string s;
  for (const MediaGroup& g : catalog.Groups()) {
    if (!Considered(g, onlyDrive)) continue;
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
  int onlyDrive = -1;
  if (!LoadSource(request.source, catalog, onlyDrive) || catalog.Empty()) {
    error = "no recordings in " + request.source;
    return false;
  }
  const std::int64_t fromMs = request.start * 1000;
  const std::int64_t toMs = request.end * 1000;
  std::vector<int> drive;
  int first = -1;
  for (const MediaGroup& g : catalog.Groups()) {
    if (!Considered(g, onlyDrive)) continue;
    drive = catalog.DriveRecordings(g.number);
    first = PieceHolding(catalog, drive, fromMs);
    if (first >= 0) break;
  }
  if (first < 0) {
    error = "no drive holds " + FormatLocalDateTime(request.start) + "; the drives are:" +
            DriveList(catalog, onlyDrive);
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
