// Hostile bytes through the Novatek "freeGPS " reader, held in memory: the
// `gps ` list and every block it points at, and the block decoder alone.
#include <cstddef>
#include <cstdint>

#include "fuzz/targets/FuzzSupport.h"
#include "telemetry/ByteReader.h"
#include "telemetry/NovatekReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader file(data, size);
  std::vector<NovatekBlock> blocks;
  if (FindNovatekBlocks(file, blocks) == ParseStatus::kOk) {
    NovatekData out;
    const ParseStatus status = ReadNovatekBlocks(file, blocks, 4096, false, out);
    FuzzCheck(status != ParseStatus::kIoError, "memory cannot fail to read");
    FuzzCheck(out.points.size() + out.damaged <= blocks.size(), "more blocks read than listed");
  }
  NovatekFix fix;
  if (DecodeNovatekBlock({data, size}, fix) == ParseStatus::kOk && fix.point.valid) {
    FuzzCheck(fix.point.latitude >= -90.01 && fix.point.latitude <= 90.01, "latitude out of range");
    FuzzCheck(fix.point.longitude >= -180.01 && fix.point.longitude <= 180.01, "longitude out of range");
  }
  return 0;
}
