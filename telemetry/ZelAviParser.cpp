#include "telemetry/ZelAviParser.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr std::uint32_t kRiff = MakeFourCC("RIFF");
constexpr std::uint32_t kList = MakeFourCC("LIST");
constexpr std::uint32_t kMovi = MakeFourCC("movi");
constexpr std::uint32_t kHdrl = MakeFourCC("hdrl");
constexpr std::uint32_t kStrl = MakeFourCC("strl");
constexpr std::uint32_t kAvih = MakeFourCC("avih");
constexpr std::uint32_t kStrh = MakeFourCC("strh");
constexpr std::uint32_t kStrf = MakeFourCC("strf");
constexpr std::uint32_t kIndx = MakeFourCC("indx");
constexpr std::uint32_t kJunk = MakeFourCC("JUNK");
constexpr std::uint32_t kIdx1 = MakeFourCC("idx1");
constexpr std::uint32_t kGps0 = MakeFourCC("gps0");
constexpr std::uint32_t kGsen = MakeFourCC("gsen");
constexpr std::uint32_t kGpsa = MakeFourCC("gpsa");
constexpr std::uint32_t kGsea = MakeFourCC("gsea");
constexpr std::uint32_t kIdit = MakeFourCC("IDIT");
constexpr std::uint32_t kVids = MakeFourCC("vids");
constexpr std::uint32_t kAuds = MakeFourCC("auds");

// Header buffers and the bytes the fields read need.
constexpr std::uint32_t kMainHeaderBuffer = 56;
constexpr std::uint32_t kMainHeaderNeeded = 20;  // frames at 16
constexpr std::uint32_t kStreamHeaderBuffer = 64;
constexpr std::uint32_t kStreamHeaderNeeded = 4;  // stream type
constexpr std::uint32_t kVideoFormatBuffer = 40;
constexpr std::uint32_t kVideoFormatNeeded = 12;  // height at 8

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

std::uint32_t Be32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
         std::uint32_t(p[3]);
}

bool NeedsSize(std::uint32_t code) {
  switch (code) {
    case kAvih: case kStrh: case kIndx: case kJunk: case kIdx1:
    case kGps0: case kGsen: case kGpsa: case kGsea: case kIdit:
      return true;
    default:
      return false;
  }
}

bool IsKnownCode(std::uint32_t code) { return code == kList || NeedsSize(code); }

}  // namespace

std::uint32_t CZelAviParser::ReadFourCC(std::uint64_t& position) {
  if (!m_reader->Seek(position)) return 0;
  const std::uint32_t code = m_reader->FourCC();
  position += 4;
  return code;
}

std::uint32_t CZelAviParser::ReadChunkSize(std::uint64_t& position) {
  if (!m_reader->Seek(position)) return 0;
  const std::uint32_t size = m_reader->U32Le();
  position += 4;
  return size;
}

bool CZelAviParser::KnownCodeAt(std::uint64_t position) {
  if (position > m_fileSize || m_fileSize - position < 4) return false;
  return IsKnownCode(ReadFourCC(position));
}

std::uint64_t CZelAviParser::NextChunk(std::uint64_t payload, std::uint32_t size) {
  const std::uint64_t end = payload + size;
  if ((size & 1) == 0) return end;
  // A writer that leaves the pad byte out puts the next code right after
  // the payload; then only that position starts a code we know.
  if (!KnownCodeAt(end + 1) && KnownCodeAt(end)) return end;
  return end + 1;
}

std::uint64_t CZelAviParser::ReadMainHeader(std::uint64_t position) {
  const std::uint32_t n = ReadChunkSize(position);
  std::array<std::uint8_t, kMainHeaderBuffer> buf{};
  const auto k = static_cast<std::size_t>(
      std::min<std::uint64_t>({n, kMainHeaderBuffer, m_reader->Remaining()}));
  if (k < kMainHeaderNeeded) {
    m_structureOk = false;
    return position;
  }
  m_reader->Read(buf.data(), k);
  // 64-bit: microseconds per frame x frames passes 2^32 within hours.
  const std::uint64_t micros = std::uint64_t(Le32(buf.data())) * Le32(buf.data() + 16);
  const std::uint64_t ms = micros / 1000;
  m_durationMs = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(ms, std::numeric_limits<std::uint32_t>::max()));
  m_length = static_cast<TimeSpan>(ms / 1000);
  return position + k;
}

std::uint64_t CZelAviParser::ReadStreamHeader(std::uint64_t position) {
  const std::uint32_t n = ReadChunkSize(position);
  std::array<std::uint8_t, kStreamHeaderBuffer> buf{};
  const auto k = static_cast<std::size_t>(
      std::min<std::uint64_t>({n, kStreamHeaderBuffer, m_reader->Remaining()}));
  if (k < kStreamHeaderNeeded) {
    m_structureOk = false;
    return position;
  }
  m_reader->Read(buf.data(), k);
  position += k;
  const std::uint32_t type = Be32(buf.data());
  if ((type != kVids && type != kAuds) || m_fileSize - position < 8) return position;
  std::uint64_t next = position;
  if (ReadFourCC(next) != kStrf) return position;  // leave that code to the walk
  return type == kVids ? ReadVideoFormat(next) : SkipAudioFormat(next);
}

std::uint64_t CZelAviParser::ReadVideoFormat(std::uint64_t position) {
  const std::uint32_t n = ReadChunkSize(position);
  std::array<std::uint8_t, kVideoFormatBuffer> buf{};
  const auto k = static_cast<std::size_t>(
      std::min<std::uint64_t>({n, kVideoFormatBuffer, m_reader->Remaining()}));
  if (k < kVideoFormatNeeded) {
    m_structureOk = false;
    return position;
  }
  m_reader->Read(buf.data(), k);
  const auto width = static_cast<std::int32_t>(Le32(buf.data() + 4));
  // A negative height marks a top-down picture; its size is the magnitude.
  const std::int64_t height = static_cast<std::int32_t>(Le32(buf.data() + 8));
  m_width = static_cast<std::uint16_t>(width);
  m_height = static_cast<std::uint16_t>(height < 0 ? -height : height);
  return position + k;
}

std::uint64_t CZelAviParser::SkipAudioFormat(std::uint64_t position) {
  const std::uint32_t n = ReadChunkSize(position);
  return position + n;
}

ParseResult CZelAviParser::Walk() {
  m_truncated = false;
  m_structureOk = true;
  if (m_fileSize < 12)
    return ParseResult::Failure(ParseStatus::kNotThisFormat, "shorter than a RIFF header");
  std::uint64_t position = 0;
  const std::uint32_t signature = ReadFourCC(position);
  if (m_reader->IoError()) return ReadFailure("");
  if (signature != kRiff)
    return ParseResult::Failure(ParseStatus::kNotThisFormat, "no RIFF signature at the start");
  position = 8;  // the form type is walked over like an unknown code

  bool ok = true;
  while (ok && m_structureOk && position < m_fileSize) {
    if (m_fileSize - position < 4) break;
    const std::uint32_t code = ReadFourCC(position);
    // A code whose size field is cut off by the end of the file ends the walk.
    if ((code == kList && m_fileSize - position < 8) || (NeedsSize(code) && m_fileSize - position < 4))
      break;
    switch (code) {
      case kList: {
        const std::uint32_t n = ReadChunkSize(position);
        const std::uint64_t end = position + n;
        const std::uint32_t type = ReadFourCC(position);
        if (type == kMovi) {
          // The audio and video data are stepped over in one move.
          if (end > m_fileSize) m_truncated = true;
          position = end;
        } else if (type != kHdrl && type != kStrl) {
          position = end;
        }
        break;
      }
      case kAvih:
        position = ReadMainHeader(position);
        break;
      case kStrh:
        position = ReadStreamHeader(position);
        break;
      case kIndx:
      case kJunk:
      case kIdx1: {
        const std::uint32_t n = ReadChunkSize(position);
        position = NextChunk(position, n);
        break;
      }
      case kGpsa:
      case kGsea: {
        const std::uint32_t n = ReadChunkSize(position);
        auto& attr = code == kGpsa ? m_gpsAttr : m_gsensorAttr;
        attr = {};  // a payload shorter than 4 bytes leaves the rest 0
        const auto k = static_cast<std::size_t>(
            std::min<std::uint64_t>({n, attr.size(), m_reader->Remaining()}));
        m_reader->Read(attr.data(), k);
        position = NextChunk(position, n);
        break;
      }
      case kGps0: {
        const std::uint32_t n = ReadChunkSize(position);
        m_gpsOffset = position;
        m_gpsSize = n;
        ok = ScanGpsPayloadForStartTime(position, n);
        position = NextChunk(position, n);
        break;
      }
      case kGsen: {
        const std::uint32_t n = ReadChunkSize(position);
        m_gsensorOffset = position;
        m_gsensorSize = n;
        position = NextChunk(position, n);
        break;
      }
      case kIdit: {
        const std::uint32_t n = ReadChunkSize(position);
        const std::uint64_t available = m_fileSize - position;
        ok = TakeDateText(position, std::min<std::uint64_t>(n, available));
        position = NextChunk(position, n);
        break;
      }
      default:
        // Not a code we know: try again 4 bytes further on.
        break;
    }
  }
  // Every read above is bounded first, so a failed read is a fault of the
  // file (or the disk) and the parse does not pass.
  if (m_reader->Failed()) ok = false;
  if (!ok) return ReadFailure("a chunk is cut off or holds a date that cannot be converted");
  if (m_truncated)
    return ParseResult::Failure(ParseStatus::kDamaged, "the movi list runs past the end of the file");
  if (!m_structureOk)
    return ParseResult::Failure(ParseStatus::kDamaged, "a header is too short for its fields");
  return FinishWalk();
}
