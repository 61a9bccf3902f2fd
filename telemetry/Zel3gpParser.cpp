#include "telemetry/Zel3gpParser.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint32_t kFtyp = MakeFourCC("ftyp");
constexpr std::uint32_t kMoov = MakeFourCC("moov");
constexpr std::uint32_t kTrak = MakeFourCC("trak");
constexpr std::uint32_t kMdia = MakeFourCC("mdia");
constexpr std::uint32_t kMdhd = MakeFourCC("mdhd");
constexpr std::uint32_t kMinf = MakeFourCC("minf");
constexpr std::uint32_t kStbl = MakeFourCC("stbl");
constexpr std::uint32_t kStsd = MakeFourCC("stsd");
constexpr std::uint32_t kAvc1 = MakeFourCC("avc1");
constexpr std::uint32_t kGps0 = MakeFourCC("gps0");
constexpr std::uint32_t kGsen = MakeFourCC("gsen");
constexpr std::uint32_t kGpsa = MakeFourCC("gpsa");
constexpr std::uint32_t kGsea = MakeFourCC("gsea");
constexpr std::uint32_t kIdit = MakeFourCC("IDIT");

// Payload sizes the fields read need.
constexpr std::uint64_t kMdhdV0Size = 20;  // time scale at 12, duration at 16
constexpr std::uint64_t kMdhdV1Size = 32;  // time scale at 20, 64-bit duration at 24
constexpr std::uint64_t kAvc1Size = 28;    // width at 24, height at 26

std::uint32_t Clamp32(std::uint64_t v) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, std::numeric_limits<std::uint32_t>::max()));
}

// position + step without passing `end` (or wrapping).
std::uint64_t Advance(std::uint64_t position, std::uint64_t step, std::uint64_t end) {
  if (position >= end || step >= end - position) return end;
  return position + step;
}

}  // namespace

CZel3gpParser::BoxHeader CZel3gpParser::ReadBoxHeader(std::uint64_t& position, std::uint64_t end) {
  BoxHeader h;
  if (position >= end || end - position < 8 || !m_reader->Seek(position)) return h;
  const std::uint32_t size = m_reader->U32Be();
  h.type = m_reader->FourCC();
  std::uint64_t header = 8;
  std::uint64_t total = size;
  if (size == 1) {
    // A 64-bit size follows the type.
    if (end - position < 16) return h;
    total = m_reader->U64Be();
    header = 16;
  } else if (size == 0) {
    // The box runs to the end of its container (the file at top level).
    total = end - position;
  }
  if (!m_reader->Ok() || total < header) return h;
  position += header;
  h.payloadSize = total - header;
  h.valid = true;
  return h;
}

std::uint64_t CZel3gpParser::FindChildBox(std::uint32_t type, std::uint64_t& position,
                                          std::uint64_t limit) {
  const std::uint64_t end = Advance(position, limit, m_fileSize);
  std::uint64_t at = position;
  while (at < end) {
    BoxHeader h = ReadBoxHeader(at, end);
    if (!h.valid) return 0;
    if (h.type == type) {
      position = at;
      // A child cannot reach past its container.
      return std::min(h.payloadSize, end - at);
    }
    at = Advance(at, h.payloadSize, end);
  }
  return 0;
}

std::uint64_t CZel3gpParser::FindBoxPath(std::initializer_list<std::uint32_t> path,
                                         std::uint64_t& position, std::uint64_t limit) {
  std::uint64_t size = limit;
  for (const std::uint32_t type : path) {
    size = FindChildBox(type, position, size);
    if (size == 0) return 0;
  }
  return size;
}

bool CZel3gpParser::ReadMediaHeader(std::uint64_t position, std::uint64_t size) {
  if (size < 4 || !m_reader->Seek(position)) return false;
  const std::uint8_t version = m_reader->U8();
  std::uint32_t timeScale = 0;
  std::uint64_t duration = 0;
  if (version == 1) {
    if (size < kMdhdV1Size) return false;
    m_reader->Skip(3 + 8 + 8);  // flags, creation and modification times
    timeScale = m_reader->U32Be();
    duration = m_reader->U64Be();
  } else {
    if (size < kMdhdV0Size) return false;
    m_reader->Skip(3 + 4 + 4);
    timeScale = m_reader->U32Be();
    duration = m_reader->U32Be();
  }
  if (!m_reader->Ok() || timeScale == 0) return false;
  const unsigned __int128 ms = static_cast<unsigned __int128>(duration) * 1000u / timeScale;
  m_durationMs = static_cast<std::uint32_t>(ms);
  return true;
}

bool CZel3gpParser::ReadSampleDescription(std::uint64_t position, std::uint64_t size) {
  // Version and flags, then the entry count; the entries follow as boxes.
  if (size < 8 || !m_reader->Seek(position + 4)) return true;
  const std::uint32_t entries = m_reader->U32Be();
  if (!m_reader->Ok()) return false;
  if (entries == 0) return true;
  std::uint64_t at = position + 8;
  const std::uint64_t entrySize = FindChildBox(kAvc1, at, size - 8);
  if (entrySize == 0) return true;
  if (entrySize < kAvc1Size || !m_reader->Seek(at + 24)) return false;
  const std::uint16_t width = m_reader->U16Be();
  const std::uint16_t height = m_reader->U16Be();
  if (!m_reader->Ok()) return false;
  m_width = width;
  m_height = height;
  return true;
}

bool CZel3gpParser::ReadMovie(std::uint64_t position, std::uint64_t size) {
  std::uint64_t at = position;
  const std::uint64_t mdhd = FindBoxPath({kTrak, kMdia, kMdhd}, at, size);
  if (mdhd && !ReadMediaHeader(at, mdhd)) return false;
  at = position;
  const std::uint64_t stsd = FindBoxPath({kTrak, kMdia, kMinf, kStbl, kStsd}, at, size);
  if (stsd && !ReadSampleDescription(at, stsd)) return false;
  return !m_reader->IoError();
}

void CZel3gpParser::ReadAttribute(std::uint64_t position, std::uint64_t size,
                                  std::array<std::uint8_t, 4>& out) {
  // A payload shorter than 4 bytes leaves the rest 0.
  out = {};
  std::uint64_t n = std::min<std::uint64_t>(size, out.size());
  if (!m_reader->Seek(position)) return;
  n = std::min(n, m_reader->Remaining());
  m_reader->Read(out.data(), static_cast<std::size_t>(n));
}

ParseResult CZel3gpParser::Walk() {
  std::uint64_t position = 0;
  const BoxHeader first = ReadBoxHeader(position, m_fileSize);
  if (m_reader->IoError()) return ReadFailure("");
  if (!first.valid || first.type != kFtyp)
    return ParseResult::Failure(ParseStatus::kNotThisFormat, "no ftyp box at the start");
  position = Advance(position, first.payloadSize, m_fileSize);

  bool ok = true;
  while (ok && position < m_fileSize) {
    const BoxHeader h = ReadBoxHeader(position, m_fileSize);
    if (!h.valid) break;  // trailing bytes too short or malformed: the walk ends
    const std::uint64_t payload = position;
    const std::uint64_t size = std::min(h.payloadSize, m_fileSize - payload);
    switch (h.type) {
      case kMoov:
        // The walk goes on with moov's children.
        ok = ReadMovie(payload, size);
        continue;
      case kGsen:
        m_gsensorOffset = payload;
        m_gsensorSize = Clamp32(h.payloadSize);
        position = Advance(payload, 3 * (h.payloadSize / 3), UINT64_MAX);
        continue;
      case kGsea:
        ReadAttribute(payload, size, m_gsensorAttr);
        break;
      case kGps0:
        m_gpsOffset = payload;
        m_gpsSize = Clamp32(h.payloadSize);
        ok = ScanGpsPayloadForStartTime(payload, h.payloadSize);
        position = Advance(payload, 32 * (h.payloadSize / 32), UINT64_MAX);
        continue;
      case kGpsa:
        ReadAttribute(payload, size, m_gpsAttr);
        break;
      case kIdit:
        ok = TakeDateText(payload, size);
        break;
      default:
        break;
    }
    position = Advance(payload, h.payloadSize, UINT64_MAX);
  }
  // Every read above is bounded first, so any failed read is a fault of
  // the file (or the disk) and the parse does not pass.
  if (m_reader->Failed()) ok = false;
  if (!ok) return ReadFailure("a box is cut off or holds a date that cannot be converted");
  return FinishWalk();
}
