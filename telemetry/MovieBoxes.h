#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "telemetry/ParseResult.h"

class ByteReader;

// The box tree of an MP4/MOV file as the further telemetry sources need
// it: the movie box read into memory once, walked there with checked reads.

struct BoxSpan {
  std::uint32_t type = 0;
  std::uint64_t payload = 0;  // offset of the payload
  std::uint64_t size = 0;     // payload bytes, within the enclosing span
};

// Reads the top-level `moov` of a file that starts with an `ftyp` box.
// kNotThisFormat without ftyp or moov; kDamaged when moov runs past the
// end or is larger than any real index (64 MiB); kIoError on a read error.
ParseStatus ReadMovieBox(ByteReader& file, std::vector<std::uint8_t>& moov);

// The boxes directly inside bytes[begin, end); a header that does not fit
// ends the list, and a box claiming more than its container is cut to it.
std::vector<BoxSpan> ChildBoxes(std::span<const std::uint8_t> bytes, std::uint64_t begin,
                                std::uint64_t end);
// The first child of `type`; false when there is none.
bool FindChild(std::span<const std::uint8_t> bytes, const BoxSpan& parent, std::uint32_t type,
               BoxSpan& out);
// Follows a path of child types from `parent`.
bool FindPath(std::span<const std::uint8_t> bytes, BoxSpan parent,
              std::initializer_list<std::uint32_t> path, BoxSpan& out);
