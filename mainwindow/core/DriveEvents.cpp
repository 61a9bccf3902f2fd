#include "mainwindow/core/DriveEvents.h"

#include "catalog/DriveTelemetry.h"
#include "catalog/DrivingEvents.h"
#include "catalog/MediaCatalog.h"

std::vector<std::int64_t> DriveEventPositions(const MediaCatalog& catalog, const DriveLayout& layout) {
  std::vector<std::int64_t> positions;
  for (const DrivePiece& piece : layout.pieces) {
    if (piece.entry < 0 || piece.entry >= catalog.EntryCount()) continue;
    const MediaEntry& e = catalog.Entries()[static_cast<std::size_t>(piece.entry)];
    const auto events = ReadDrivingEvents(e.FullPath(), e.info);
    if (!events) continue;
    for (const DrivingEvent& event : *events)
      positions.push_back(layout.DriveMsOf(piece.entry, event.timeMs));
  }
  return positions;
}

std::vector<std::int64_t> DriveEventPositions(const DriveLayout& layout, DriveTelemetry& telemetry) {
  const MediaCatalog& catalog = telemetry.Catalog();
  std::vector<std::int64_t> positions;
  for (const DrivePiece& piece : layout.pieces) {
    if (piece.entry < 0 || piece.entry >= catalog.EntryCount()) continue;
    for (const DrivingEvent& event : telemetry.EventsOf(piece.entry))
      positions.push_back(layout.DriveMsOf(piece.entry, event.timeMs));
  }
  return positions;
}

std::vector<double> PieceEventOffsets(const DriveLayout& layout,
                                      const std::vector<std::int64_t>& positions, int piece) {
  std::vector<double> offsets;
  if (piece < 0 || piece >= static_cast<int>(layout.pieces.size())) return offsets;
  const DrivePiece& p = layout.pieces[static_cast<std::size_t>(piece)];
  for (std::int64_t ms : positions) {
    // A position on a boundary belongs to the later recording, as PieceAt has it.
    if (ms >= p.startMs && (ms < p.startMs + p.durationMs || piece + 1 == static_cast<int>(layout.pieces.size())))
      offsets.push_back(static_cast<double>(ms - p.startMs));
  }
  return offsets;
}
