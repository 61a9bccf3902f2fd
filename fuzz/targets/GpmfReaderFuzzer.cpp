// Hostile bytes through the GPMF reader, held in memory: the movie box
// walk, the sample tables and every payload they point at.
#include <cstddef>
#include <cstdint>

#include "fuzz/targets/FuzzSupport.h"
#include "telemetry/ByteReader.h"
#include "telemetry/GpmfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader file(data, size);
  GpmfTrack track;
  if (FindGpmfTrack(file, track) == ParseStatus::kOk) {
    GpmfData out;
    const ParseStatus status = ReadGpmfPayloads(file, track, 4096, false, out);
    FuzzCheck(status != ParseStatus::kIoError, "memory cannot fail to read");
    FuzzCheck(status == ParseStatus::kOk || (out.points.empty() && out.samples.empty()),
              "a read with nothing decoded reports data");
  }
  // The payload decoder alone, on the whole input.
  GpmfData direct;
  DecodeGpmfPayload({data, size}, 1.0, direct);
  return 0;
}
