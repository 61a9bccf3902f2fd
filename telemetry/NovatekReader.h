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

// GPS blocks of cameras built on Novatek chips: a `gps ` box inside moov
// lists (offset, size) pairs, big-endian, after its version and count;
// each points at a `free` box whose payload starts "GPS " (so the block
// reads "....freeGPS " from its start) and holds one fix, little-endian.
// Two layouts are read, told apart by where the status letter sits:
//
//   record at 0x10 (newer firmware)   record at 0x30 (classic)
//
// The record: hour, minute, second, year (from 2000, or absolute),
// month, day as 32-bit integers; status 'A' (valid) or 'V'; 'N'/'S';
// 'E'/'W'; a pad byte; then floats latitude and longitude (ddmm.mmmm),
// speed in knots and course in degrees. The newer layout follows with
// three 32-bit accelerations in 1/256 G. The time is UTC.

struct NovatekBlock {
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
};

// The blocks the `gps ` box lists. kNotThisFormat when the file has no
// movie box or no `gps ` box; kDamaged when the list is cut off.
ParseStatus FindNovatekBlocks(ByteReader& file, std::vector<NovatekBlock>& blocks);

struct NovatekFix {
  SourcePoint point;
  bool hasAcceleration = false;
  GSensorSample acceleration;
};

// Decodes one block. kNotThisFormat without the "freeGPS " marker or in a
// layout not read here; kDamaged when the fields are out of range.
ParseStatus DecodeNovatekBlock(std::span<const std::uint8_t> block, NovatekFix& out);

struct NovatekData {
  std::vector<SourcePoint> points;
  std::vector<GSensorSample> samples;
  std::size_t damaged = 0;
};

// Reads at most `maxBlocks` blocks, stopping early when `untilTimed` is
// set and a timed fix has been found.
ParseStatus ReadNovatekBlocks(ByteReader& file, const std::vector<NovatekBlock>& blocks,
                              std::size_t maxBlocks, bool untilTimed, NovatekData& out);

bool ProbeNovatek(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info);
bool ReadNovatek(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
                 TelemetrySeries& out);
bool NovatekStartTime(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
                      CalendarTime& out);
