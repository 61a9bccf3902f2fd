#pragma once

#include <filesystem>
#include <span>

#include "telemetry/TelemetryTypes.h"

class ByteReader;
struct TelemetrySeries;

// A further reader of a recording's telemetry, asked only after the
// parser the name chose has found none in the file: other cameras' and
// loggers' layouts that live beside or inside recordings. `probe` looks at
// the file (the reader starts at 0) and says whether this source reads it;
// `read` fills the fixes, samples and rates of `out` and returns false when
// the file turned out not to hold its data after all.
struct TelemetrySource {
  const char* name;
  bool (*probe)(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info);
  bool (*read)(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
               TelemetrySeries& out);
  // The recording's start from the first timed fix, reading no more than
  // it takes to find one (the scan of a card calls it for every file whose
  // container names no start); null when the source cannot tell.
  bool (*start)(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
                CalendarTime& out) = nullptr;
};

// The sources asked in order; the first whose probe accepts the file and
// whose read succeeds supplies the series.
std::span<const TelemetrySource> TelemetrySources();

// What the first source that claims a recording says about its start:
// its name (null when none claims it) and the start (0 when unknown).
struct SourceStart {
  const char* source = nullptr;
  CalendarTime startTime = 0;
};
SourceStart ProbeSourceStart(const std::filesystem::path& path, const MediaInfo& info,
                             std::span<const TelemetrySource> sources = TelemetrySources());
