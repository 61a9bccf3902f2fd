#pragma once

// Recordings and logs of other cameras and loggers, written from the
// public descriptions of their layouts: an MP4 with a GPMF metadata track,
// a MOV with Novatek "freeGPS " blocks, and NMEA and GPX sidecars.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/recgen/RecordingGenerator.h"

namespace recgen {

// A fix as these formats describe it: decimal degrees (negative south and
// west), metres, km/h, degrees from north, UTC seconds since 1970.
struct PlainFix {
  double latitude = 0, longitude = 0, altitude = 0, speedKmh = 0, headingDeg = 0;
  std::int64_t utc = 0;
  bool valid = true;
};

// A video track with no samples: its picture size and duration, which
// the box parser needs before it accepts a movie.
Bytes PictureTrak(std::uint32_t durationMs, std::uint16_t width = 1920, std::uint16_t height = 1080);

// The fixes of a generated route, its times read as UTC.
std::vector<PlainFix> PlainRoute(const std::vector<GpsFix>& route);

struct GpmfRecipe {
  std::vector<PlainFix> fixes;
  int fixesPerPayload = 5;                     // positions in each 1 s payload
  std::vector<std::array<double, 3>> accel;    // m/s², spread evenly over the payloads
  bool gps9 = false;                           // GPS9 (own time) instead of GPS5 + GPSU
  int fix = 3;                                 // GPSF of every payload
};
// An MP4 whose only track is the metadata track (`meta`, `gpmd`).
Bytes MakeGpmfMovie(const GpmfRecipe& recipe);

enum class NovatekLayout { kClassic, kNewer };
// A MOV whose moov lists one "freeGPS " block a second; invalid fixes are
// written with status 'V'. The newer layout also carries accelerations
// (G, one per block; missing entries are written as "no reading").
Bytes MakeNovatekMovie(const std::vector<PlainFix>& fixes, NovatekLayout layout,
                       const std::vector<std::array<double, 3>>& accelG = {});
// One block alone (for decoder tests).
Bytes MakeNovatekBlock(const PlainFix& fix, NovatekLayout layout, const std::array<double, 3>* accelG);

// An NMEA 0183 log: an RMC and a GGA sentence per fix (RMC status V for
// invalid ones), CRLF line ends.
std::string MakeNmeaLog(const std::vector<PlainFix>& fixes);
// The sentence with its checksum: "$" + body + "*hh".
std::string NmeaSentence(const std::string& body);

// A GPX 1.1 track (1.0 with speed and course when `version10`).
std::string MakeGpxTrack(const std::vector<PlainFix>& fixes, bool withTimes = true, bool version10 = false);

}  // namespace recgen
