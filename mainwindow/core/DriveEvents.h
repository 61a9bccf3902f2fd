#pragma once

#include <cstdint>
#include <vector>

#include "catalog/DriveLayout.h"

class MediaCatalog;
class DriveTelemetry;

// The driving events of a whole drive for the player: found in each of its
// recordings by DetectDrivingEvents and placed on the drive's time line.
// Recordings without readable telemetry contribute none.
std::vector<std::int64_t> DriveEventPositions(const MediaCatalog& catalog, const DriveLayout& layout);
// The same with the series taken from `telemetry` (of the layout's
// catalogue), which the drive's layout and route share.
std::vector<std::int64_t> DriveEventPositions(const DriveLayout& layout, DriveTelemetry& telemetry);

// The events of `positions` that fall inside piece `piece` of the layout,
// as ms into that recording (what the G-sensor chart marks).
std::vector<double> PieceEventOffsets(const DriveLayout& layout,
                                      const std::vector<std::int64_t>& positions, int piece);
