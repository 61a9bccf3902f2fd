#pragma once

#include <cstdint>
#include <vector>

#include "catalog/DriveLayout.h"

class MediaCatalog;

// The driving events of a whole drive for the player: found in each of its
// recordings by DetectDrivingEvents and placed on the drive's time line.
// Recordings without readable telemetry contribute none.
std::vector<std::int64_t> DriveEventPositions(const MediaCatalog& catalog, const DriveLayout& layout);

// The events of `positions` that fall inside piece `piece` of the layout,
// as ms into that recording (what the G-sensor chart marks).
std::vector<double> PieceEventOffsets(const DriveLayout& layout,
                                      const std::vector<std::int64_t>& positions, int piece);
