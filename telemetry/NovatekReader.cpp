#include "telemetry/NovatekReader.h"

#include <cmath>
#include <cstring>

#include "telemetry/ByteReader.h"
#include "telemetry/MovieBoxes.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

constexpr double kKnotsToKmh = 1.852;
constexpr std::uint32_t kMaxBlock = 1u << 20;
constexpr std::size_t kMaxBlocks = 1u << 20;
constexpr std::uint8_t kMarker[] = {'f', 'r', 'e', 'e', 'G', 'P', 'S', ' '};
// Bytes a block needs for the classic layout: the record ends at 0x5C.
constexpr std::size_t kMinBlock = 0x5C;

float FloatLe(ByteReader& r) {
  const std::uint32_t bits = r.U32Le();
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

bool IsStatusAt(std::span<const std::uint8_t> b, std::size_t at) {
  return at + 3 <= b.size() && b[at] == 'A' && (b[at + 1] == 'N' || b[at + 1] == 'S') &&
         (b[at + 2] == 'E' || b[at + 2] == 'W');
}

bool IsVoidAt(std::span<const std::uint8_t> b, std::size_t at) {
  return at + 1 <= b.size() && b[at] == 'V';
}

// ddmm.mmmm -> decimal degrees.
double Degrees(double ddmm) {
  const double whole = std::trunc(ddmm / 100.0);
  return whole + (ddmm - whole * 100.0) / 60.0;
}

ParseStatus DecodeRecord(std::span<const std::uint8_t> block, std::size_t base, bool withAcceleration,
                         NovatekFix& out) {
  ByteReader r(block);
  r.Seek(base);
  int f[6];
  for (int& v : f) v = static_cast<int>(r.I32Le());
  const char status = static_cast<char>(r.U8());
  const char ns = static_cast<char>(r.U8());
  const char ew = static_cast<char>(r.U8());
  r.Skip(1);
  const double lat = FloatLe(r), lon = FloatLe(r), knots = FloatLe(r), course = FloatLe(r);
  std::int32_t acc[3] = {};
  if (withAcceleration)
    for (std::int32_t& a : acc) a = r.I32Le();
  if (!r.Ok()) return ParseStatus::kDamaged;

  const int year = f[3] < 2000 ? f[3] + 2000 : f[3];
  SourcePoint& p = out.point;
  p.utc = UtcFromFields(year, f[4], f[5], f[0], f[1], f[2]);
  p.valid = status == 'A';
  if (p.valid) {
    if (!std::isfinite(lat) || !std::isfinite(lon) || lat < 0 || lat > 9000 || lon < 0 || lon > 18000)
      return ParseStatus::kDamaged;
    p.latitude = Degrees(lat) * (ns == 'S' ? -1 : 1);
    p.longitude = Degrees(lon) * (ew == 'W' ? -1 : 1);
    p.speedKmh = std::isfinite(knots) && knots > 0 ? knots * kKnotsToKmh : 0;
    p.headingDeg = std::isfinite(course) && course >= 0 && course < 360 ? course : -1;
  }
  if (withAcceleration) {
    // All zeros or a counting pattern stand for "no reading".
    const bool none = (acc[0] == 0 && acc[1] == 0 && acc[2] == 0) ||
                      (acc[0] == 0x00020001 && acc[1] == 0x00040003 && acc[2] == 0x00060005);
    if (!none) {
      out.hasAcceleration = true;
      out.acceleration = {GToCount(acc[0] / 256.0), GToCount(acc[1] / 256.0), GToCount(acc[2] / 256.0)};
    }
  }
  return ParseStatus::kOk;
}

bool HasTimedPoint(const NovatekData& d) {
  for (const SourcePoint& p : d.points)
    if (p.utc >= 0) return true;
  return false;
}

}  // namespace

ParseStatus FindNovatekBlocks(ByteReader& file, std::vector<NovatekBlock>& blocks) {
  std::vector<std::uint8_t> moov;
  const ParseStatus status = ReadMovieBox(file, moov);
  if (status != ParseStatus::kOk) return status;
  const std::span<const std::uint8_t> bytes(moov);
  BoxSpan list;
  if (!FindChild(bytes, {0, 0, bytes.size()}, MakeFourCC("gps "), list)) return ParseStatus::kNotThisFormat;
  ByteReader r(bytes.subspan(list.payload, list.size));
  r.Skip(4);  // version and flags
  const std::uint32_t count = r.U32Be();
  if (!r.Ok() || count > kMaxBlocks || r.Remaining() / 8 < count) return ParseStatus::kDamaged;
  blocks.clear();
  for (std::uint32_t i = 0; i < count; ++i) {
    NovatekBlock b;
    b.offset = r.U32Be();
    b.size = r.U32Be();
    // Unused slots of a preallocated list are zero.
    if (b.offset != 0 || b.size != 0) blocks.push_back(b);
  }
  return ParseStatus::kOk;
}

ParseStatus DecodeNovatekBlock(std::span<const std::uint8_t> block, NovatekFix& out) {
  out = NovatekFix{};
  if (block.size() < kMinBlock || std::memcmp(block.data() + 4, kMarker, sizeof kMarker) != 0)
    return ParseStatus::kNotThisFormat;
  // The newer layout has three zero bytes before its status at 0x28.
  const bool newer = block[0x25] == 0 && block[0x26] == 0 && block[0x27] == 0 &&
                     (IsStatusAt(block, 0x28) || IsVoidAt(block, 0x28));
  if (newer) return DecodeRecord(block, 0x10, true, out);
  if (IsStatusAt(block, 0x48) || IsVoidAt(block, 0x48)) return DecodeRecord(block, 0x30, false, out);
  return ParseStatus::kNotThisFormat;
}

ParseStatus ReadNovatekBlocks(ByteReader& file, const std::vector<NovatekBlock>& blocks,
                              std::size_t maxBlocks, bool untilTimed, NovatekData& out) {
  std::size_t decoded = 0;
  for (std::size_t i = 0; i < blocks.size() && i < maxBlocks; ++i) {
    const NovatekBlock& b = blocks[i];
    if (b.size > kMaxBlock || b.offset > file.Size() || b.size > file.Size() - b.offset) {
      ++out.damaged;
      continue;
    }
    file.Seek(b.offset);
    const std::vector<std::uint8_t> bytes = file.ReadBytes(b.size);
    if (file.IoError()) return ParseStatus::kIoError;
    NovatekFix fix;
    if (DecodeNovatekBlock(bytes, fix) != ParseStatus::kOk) {
      ++out.damaged;
      continue;
    }
    ++decoded;
    out.points.push_back(fix.point);
    if (fix.hasAcceleration) out.samples.push_back(fix.acceleration);
    if (untilTimed && HasTimedPoint(out)) break;
  }
  return decoded > 0 ? ParseStatus::kOk : ParseStatus::kDamaged;
}

bool ProbeNovatek(ByteReader& file, const std::filesystem::path&, const MediaInfo&) {
  std::vector<NovatekBlock> blocks;
  if (FindNovatekBlocks(file, blocks) != ParseStatus::kOk || blocks.empty()) return false;
  // The first block must carry the marker: a `gps ` box of another kind
  // (a text log) cannot claim the file.
  const NovatekBlock& b = blocks.front();
  if (b.offset > file.Size() || file.Size() - b.offset < 12 || !file.Seek(b.offset + 4)) return false;
  std::uint8_t marker[sizeof kMarker];
  return file.Read(marker, sizeof marker) && std::memcmp(marker, kMarker, sizeof kMarker) == 0;
}

bool ReadNovatek(ByteReader& file, const std::filesystem::path&, const MediaInfo& info,
                 TelemetrySeries& out) {
  std::vector<NovatekBlock> blocks;
  if (FindNovatekBlocks(file, blocks) != ParseStatus::kOk) return false;
  NovatekData data;
  if (ReadNovatekBlocks(file, blocks, blocks.size(), false, data) != ParseStatus::kOk) return false;
  FillHeadings(data.points);
  StoreFixes(data.points, out);
  out.samples = std::move(data.samples);
  // One acceleration per block, blocks once a second.
  if (!out.samples.empty())
    out.sampleRate = info.durationMs ? static_cast<double>(out.samples.size()) / info.durationMs
                                     : out.fixRate / 1000.0;
  return !out.Empty();
}

bool NovatekStartTime(ByteReader& file, const std::filesystem::path&, const MediaInfo&,
                      CalendarTime& out) {
  std::vector<NovatekBlock> blocks;
  if (FindNovatekBlocks(file, blocks) != ParseStatus::kOk) return false;
  NovatekData data;
  if (ReadNovatekBlocks(file, blocks, 120, true, data) != ParseStatus::kOk) return false;
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    if (data.points[i].utc < 0) continue;
    out = data.points[i].utc - static_cast<CalendarTime>(i);  // one block a second
    return true;
  }
  return false;
}
