#include "mainwindow/core/ClipSpan.h"

#include <filesystem>
#include <string>

#include "catalog/MediaCatalog.h"

namespace {

namespace fs = std::filesystem;

// The longest leading run of path elements that `a` and `b` share.
fs::path CommonFolder(const fs::path& a, const fs::path& b) {
  fs::path common;
  auto ia = a.begin(), ib = b.begin();
  for (; ia != a.end() && ib != b.end() && *ia == *ib; ++ia, ++ib) common /= *ia;
  return common;
}

std::string DriveFolder(const MediaCatalog& catalog, const DriveLayout& layout) {
  fs::path folder;
  bool first = true;
  const auto add = [&](int entry) {
    if (entry < 0 || entry >= catalog.EntryCount()) return;
    const fs::path parent = fs::path(catalog.PathOf(entry)).parent_path();
    folder = first ? parent : CommonFolder(folder, parent);
    first = false;
  };
  for (const DrivePiece& piece : layout.pieces) {
    add(piece.entry);
    add(catalog.CompanionOf(piece.entry));
  }
  return folder.string();
}

}  // namespace

bool FillExportSpan(const MediaCatalog& catalog, const DriveLayout& layout, std::int64_t inMs,
                    std::int64_t outMs, ExportRequest& request) {
  if (layout.Empty() || inMs < 0 || outMs <= inMs) return false;
  const CalendarTime start = layout.ClockAt(inMs);
  const CalendarTime end = layout.ClockAt(outMs);
  if (start == 0 || end <= start) return false;
  const std::string folder = DriveFolder(catalog, layout);
  if (folder.empty()) return false;
  request.source = folder;
  request.start = start;
  request.end = end;
  return true;
}
