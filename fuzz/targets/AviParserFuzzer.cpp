// Hostile bytes through the avi parser and then through the catalogue, as a
// recording on a card would go.
#include <cstddef>
#include <cstdint>

#include "fuzz/targets/FuzzSupport.h"
#include "telemetry/ZelAviParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzScratch scratch;
  static const std::string kName = "AVI_0001F.AVI";
  const std::string path = scratch.Write(kName, data, size);
  CZelAviParser parser;
  ParseWithContract(parser, path, size, true);
  RunCatalogue(scratch, kName);
  return 0;
}
