// Hostile bytes through the MP4 data-track parser (libavformat underneath)
// and then through the catalogue.
#include <cstddef>
#include <cstdint>

extern "C" {
#include <libavutil/log.h>
}

#include "fuzz/targets/FuzzSupport.h"
#include "telemetry/ZelMP4Parser.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // libavformat's complaints about broken files would drown the fuzzer's output.
  av_log_set_level(AV_LOG_QUIET);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzScratch scratch;
  static const std::string kName = "VID_0001F.mp4";
  CZelMP4Parser parser;
  ParseWithContract(parser, data, size, false);
  // The catalogue opens recordings by name, so it gets the bytes as a file.
  scratch.Write(kName, data, size);
  RunCatalogue(scratch, kName);
  return 0;
}
