#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

#include "telemetry/SourceFix.h"

class ByteReader;
struct TelemetrySeries;

// An NMEA 0183 log beside the recording (.NMEA, .nmea or .gps). RMC and
// GGA sentences of any talker are read; a sentence without a checksum or
// with a wrong one, a void RMC (status V) and a GGA without a fix
// (quality 0) are skipped. Sentences with the same time stamp make one
// fix: RMC gives the date, speed, course and validity, GGA the altitude.
// A GGA whose time no RMC shares takes the date of the nearest RMC. The
// times are UTC; the fixes carry local time.

struct NmeaData {
  std::vector<SourcePoint> points;
  std::size_t skipped = 0;  // sentences with bad checksums or fields, and void ones
};

void ParseNmea(std::string_view text, NmeaData& out);

// True when the text holds an RMC or GGA sentence with a correct checksum
// (the strict marker: a text file that merely mentions "$GPRMC" does not).
bool LooksLikeNmea(std::string_view text);

bool ProbeNmea(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info);
bool ReadNmea(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
              TelemetrySeries& out);
bool NmeaStartTime(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
                   CalendarTime& out);
