// Hostile text through the NMEA and GPX sidecar parsers, and the fixes
// they make through the shared conversions.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/targets/FuzzSupport.h"
#include "telemetry/GpxSidecar.h"
#include "telemetry/NmeaSidecar.h"

namespace {

void CheckPoints(const std::vector<SourcePoint>& points) {
  for (const SourcePoint& p : points) {
    FuzzCheck(std::fabs(p.latitude) <= 90 && std::fabs(p.longitude) <= 180, "position out of range");
    MakeSourceFix(p);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  NmeaData nmea;
  ParseNmea(text, nmea);
  CheckPoints(nmea.points);
  LooksLikeNmea(text);
  GpxData gpx;
  ParseGpx(text, gpx);
  CheckPoints(gpx.points);
  LooksLikeGpx(text);
  return 0;
}
