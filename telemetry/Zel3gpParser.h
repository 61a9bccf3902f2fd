#pragma once

#include <cstdint>
#include <initializer_list>

#include "telemetry/ZelVideoParser.h"

// Walks the boxes of MOV, MP4 and 3GP recordings: duration and picture
// size from the first track, and where the camera's telemetry boxes
// (gps0, gsen, gpsa, gsea, IDIT) lie at top level or inside moov.
class CZel3gpParser : public CZelVideoParser {
 protected:
  ParseResult Walk() override;

 private:
  struct BoxHeader {
    std::uint32_t type = 0;
    std::uint64_t payloadSize = 0;  // bytes after the header
    bool valid = false;             // false: unreadable or malformed size
  };

  // Reads the header at `position` and moves it to the payload start.
  // `end` is where the enclosing container ends (a size of 0 runs there).
  BoxHeader ReadBoxHeader(std::uint64_t& position, std::uint64_t end);
  // Searches the boxes in [position, position + limit) for the first of
  // `type`; on success position is its payload start.
  std::uint64_t FindChildBox(std::uint32_t type, std::uint64_t& position, std::uint64_t limit);
  std::uint64_t FindBoxPath(std::initializer_list<std::uint32_t> path, std::uint64_t& position,
                            std::uint64_t limit);

  // Return false when the parse must fail.
  bool ReadMovie(std::uint64_t position, std::uint64_t size);
  bool ReadMediaHeader(std::uint64_t position, std::uint64_t size);
  bool ReadSampleDescription(std::uint64_t position, std::uint64_t size);
  void ReadAttribute(std::uint64_t position, std::uint64_t size, std::array<std::uint8_t, 4>& out);
};
