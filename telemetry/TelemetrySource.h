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
};

// The sources asked in order; the first whose probe accepts the file and
// whose read succeeds supplies the series.
std::span<const TelemetrySource> TelemetrySources();
