#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "telemetry/ParseResult.h"
#include "telemetry/SourceFix.h"

class ByteReader;
struct TelemetrySeries;

// Telemetry of action cameras in GPMF: a metadata track of an MP4/MOV
// (handler `meta`, sample description `gpmd`) whose samples are payloads
// of big-endian key-length-value items, 32-bit aligned. A payload holds
// devices (DEVC), each holding streams (STRM) of sticky properties (SCAL
// divisors, TYPE of complex samples, GPSF fix, GPSU UTC time) followed by
// the data they describe: GPS5 (latitude, longitude, altitude, 2D and 3D
// speed in m/s), GPS9 (the same and its own day and time), ACCL (three
// axes in m/s²).

struct GpmfSample {
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
};

struct GpmfTrack {
  std::vector<GpmfSample> samples;
  std::uint32_t durationMs = 0;
};

// Finds the GPMF track in the file's movie box. kNotThisFormat when the
// file is no MP4/MOV or has no such track; kDamaged when the track's
// sample tables are cut off or inconsistent.
ParseStatus FindGpmfTrack(ByteReader& file, GpmfTrack& track);

// What the payloads held: positions, G-sensor counts and the items that
// were skipped because they were malformed.
struct GpmfData {
  std::vector<SourcePoint> points;
  std::vector<GSensorSample> samples;
  std::size_t damaged = 0;
};

// Decodes one payload. `seconds` is the time the payload covers: the
// positions of one payload spread over it after its GPSU time. Malformed
// items are skipped and counted, never read past their container; a
// payload that does not start with a device gives kNotThisFormat.
ParseStatus DecodeGpmfPayload(std::span<const std::uint8_t> payload, double seconds, GpmfData& out);

// Reads the track's payloads, at most `maxPayloads` of them, stopping
// early when `untilTimed` is set and a timed position has been found.
ParseStatus ReadGpmfPayloads(ByteReader& file, const GpmfTrack& track, std::size_t maxPayloads,
                             bool untilTimed, GpmfData& out);

// The telemetry-source functions (see TelemetrySource).
bool ProbeGpmf(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info);
bool ReadGpmf(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
              TelemetrySeries& out);
bool GpmfStartTime(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
                   CalendarTime& out);
