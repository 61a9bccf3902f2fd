// Hostile bytes through the box parser (MOV, MP4, 3GP) and then through
// the catalogue, as a recording on a card would go.
#include <cstddef>
#include <cstdint>

#include "fuzz/targets/FuzzSupport.h"
#include "telemetry/Zel3gpParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzScratch scratch;
  static const std::string kName = "MOV_0001F.MOV";
  CZel3gpParser parser;
  ParseWithContract(parser, data, size, true);
  // The catalogue opens recordings by name, so it gets the bytes as a file.
  scratch.Write(kName, data, size);
  RunCatalogue(scratch, kName);
  return 0;
}
