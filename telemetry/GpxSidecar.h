#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

#include "telemetry/SourceFix.h"

class ByteReader;
struct TelemetrySeries;

// A GPX 1.0 or 1.1 track beside the recording (.gpx or .GPX), as phones
// record them. Track points are read in document order; a file without
// any takes its route points. Each point needs its lat and lon
// attributes; <ele>, <time> (ISO 8601, UTC or with an offset) and, in
// GPX 1.0, <speed> (m/s) and <course> (degrees) are read when present.
// Without <speed> the speed follows from the distance to the next timed
// point. A track without times gives untimed fixes in order.

struct GpxData {
  std::vector<SourcePoint> points;
  std::size_t skipped = 0;  // points without usable coordinates
};

void ParseGpx(std::string_view text, GpxData& out);

// True when the document's root element is <gpx> (after an optional
// byte-order mark, XML declaration, comments and white space).
bool LooksLikeGpx(std::string_view text);

bool ProbeGpx(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info);
bool ReadGpx(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
             TelemetrySeries& out);
bool GpxStartTime(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
                  CalendarTime& out);
