#include "telemetry/MovieBoxes.h"

#include <initializer_list>

#include "telemetry/ByteReader.h"

namespace {

constexpr std::uint64_t kMaxMovieBox = 64ull << 20;

struct Header {
  std::uint32_t type = 0;
  std::uint64_t headerSize = 0;
  std::uint64_t total = 0;  // header included
};

// The header at `at` inside [at, end); false when it does not fit.
bool ReadHeader(ByteReader& r, std::uint64_t at, std::uint64_t end, Header& h) {
  if (at >= end || end - at < 8 || !r.Seek(at)) return false;
  const std::uint32_t size = r.U32Be();
  h.type = r.FourCC();
  h.headerSize = 8;
  h.total = size;
  if (size == 1) {
    if (end - at < 16) return false;
    h.total = r.U64Be();
    h.headerSize = 16;
  } else if (size == 0) {
    h.total = end - at;  // runs to the end of its container
  }
  return r.Ok() && h.total >= h.headerSize;
}

}  // namespace

ParseStatus ReadMovieBox(ByteReader& file, std::vector<std::uint8_t>& moov) {
  moov.clear();
  const std::uint64_t end = file.Size();
  Header h;
  if (!ReadHeader(file, 0, end, h) || h.type != MakeFourCC("ftyp"))
    return file.IoError() ? ParseStatus::kIoError : ParseStatus::kNotThisFormat;
  std::uint64_t at = 0;
  while (ReadHeader(file, at, end, h)) {
    if (h.type == MakeFourCC("moov")) {
      const std::uint64_t payload = h.total - h.headerSize;
      if (payload > end - at - h.headerSize || payload > kMaxMovieBox) return ParseStatus::kDamaged;
      file.Seek(at + h.headerSize);
      moov = file.ReadBytes(static_cast<std::size_t>(payload));
      if (!file.Ok()) return file.IoError() ? ParseStatus::kIoError : ParseStatus::kDamaged;
      return ParseStatus::kOk;
    }
    if (h.total > end - at) break;
    at += h.total;
  }
  return file.IoError() ? ParseStatus::kIoError : ParseStatus::kNotThisFormat;
}

std::vector<BoxSpan> ChildBoxes(std::span<const std::uint8_t> bytes, std::uint64_t begin,
                                std::uint64_t end) {
  std::vector<BoxSpan> out;
  if (end > bytes.size()) end = bytes.size();
  ByteReader r(bytes);
  std::uint64_t at = begin;
  Header h;
  while (ReadHeader(r, at, end, h)) {
    BoxSpan b;
    b.type = h.type;
    b.payload = at + h.headerSize;
    const std::uint64_t room = end - b.payload;
    b.size = h.total - h.headerSize < room ? h.total - h.headerSize : room;
    out.push_back(b);
    if (h.total >= end - at) break;
    at += h.total;
  }
  return out;
}

bool FindChild(std::span<const std::uint8_t> bytes, const BoxSpan& parent, std::uint32_t type,
               BoxSpan& out) {
  for (const BoxSpan& b : ChildBoxes(bytes, parent.payload, parent.payload + parent.size)) {
    if (b.type != type) continue;
    out = b;
    return true;
  }
  return false;
}

bool FindPath(std::span<const std::uint8_t> bytes, BoxSpan parent,
              std::initializer_list<std::uint32_t> path, BoxSpan& out) {
  for (const std::uint32_t type : path) {
    if (!FindChild(bytes, parent, type, parent)) return false;
  }
  out = parent;
  return true;
}
