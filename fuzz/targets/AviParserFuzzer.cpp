// Hostile bytes through the avi parser and then through the catalogue, as a
// recording on a card would go.
#include <cstddef>
#include <cstdint>

#include "fuzz/targets/FuzzSupport.h"
#include "telemetry/ZelAviParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzScratch scratch;
  static const std::string kName = "AVI_0001F.AVI";
  CZelAviParser parser;
  ParseWithContract(parser, data, size, true);
  // The catalogue opens recordings by name, so it gets the bytes as a file.
  scratch.Write(kName, data, size);
  RunCatalogue(scratch, kName);
  return 0;
}
