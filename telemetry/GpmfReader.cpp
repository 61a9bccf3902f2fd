#include "telemetry/GpmfReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "telemetry/ByteReader.h"
#include "telemetry/MovieBoxes.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

constexpr std::uint32_t kMaxPayload = 16u << 20;  // far beyond any real payload
constexpr std::size_t kMaxSamples = 1u << 20;     // a day of 1 s payloads, ten times over
constexpr int kMaxDepth = 4;                       // DEVC > STRM > nested items
constexpr double kStandardGravity = 9.80665;

// ---------------------------------------------------------------------------
// Sample table of the metadata track.

bool IsGpmfTrack(std::span<const std::uint8_t> moov, const BoxSpan& trak) {
  BoxSpan hdlr, stsd;
  if (!FindPath(moov, trak, {MakeFourCC("mdia"), MakeFourCC("hdlr")}, hdlr) || hdlr.size < 12)
    return false;
  ByteReader h(moov.subspan(hdlr.payload, hdlr.size));
  h.Skip(8);  // version, flags, component type
  if (h.FourCC() != MakeFourCC("meta")) return false;
  if (!FindPath(moov, trak,
                {MakeFourCC("mdia"), MakeFourCC("minf"), MakeFourCC("stbl"), MakeFourCC("stsd")},
                stsd) ||
      stsd.size < 16)
    return false;
  ByteReader s(moov.subspan(stsd.payload, stsd.size));
  s.Skip(4);
  const std::uint32_t entries = s.U32Be();
  s.Skip(4);  // first entry's size
  return s.Ok() && entries >= 1 && s.FourCC() == MakeFourCC("gpmd");
}

std::uint32_t TrackDurationMs(std::span<const std::uint8_t> moov, const BoxSpan& trak) {
  BoxSpan mdhd;
  if (!FindPath(moov, trak, {MakeFourCC("mdia"), MakeFourCC("mdhd")}, mdhd)) return 0;
  ByteReader r(moov.subspan(mdhd.payload, mdhd.size));
  const std::uint8_t version = r.U8();
  std::uint32_t scale = 0;
  std::uint64_t duration = 0;
  if (version == 1) {
    r.Skip(3 + 16);
    scale = r.U32Be();
    duration = r.U64Be();
  } else {
    r.Skip(3 + 8);
    scale = r.U32Be();
    duration = r.U32Be();
  }
  if (!r.Ok() || scale == 0) return 0;
  const double ms = static_cast<double>(duration) * 1000.0 / scale;
  return ms < 4e9 ? static_cast<std::uint32_t>(ms) : 0;
}

// Sizes from stsz, chunk offsets from stco/co64, samples per chunk from
// stsc: the offset and size of every payload.
ParseStatus BuildSamples(std::span<const std::uint8_t> moov, const BoxSpan& stbl,
                         std::vector<GpmfSample>& out) {
  BoxSpan stsz, stsc, stco;
  bool wide = false;
  if (!FindChild(moov, stbl, MakeFourCC("stsz"), stsz) || !FindChild(moov, stbl, MakeFourCC("stsc"), stsc))
    return ParseStatus::kDamaged;
  if (!FindChild(moov, stbl, MakeFourCC("stco"), stco)) {
    if (!FindChild(moov, stbl, MakeFourCC("co64"), stco)) return ParseStatus::kDamaged;
    wide = true;
  }
  ByteReader sz(moov.subspan(stsz.payload, stsz.size));
  sz.Skip(4);
  const std::uint32_t fixedSize = sz.U32Be();
  const std::uint32_t sampleCount = sz.U32Be();
  if (!sz.Ok() || sampleCount > kMaxSamples ||
      (fixedSize == 0 && sz.Remaining() / 4 < sampleCount))
    return ParseStatus::kDamaged;

  ByteReader co(moov.subspan(stco.payload, stco.size));
  co.Skip(4);
  const std::uint32_t chunks = co.U32Be();
  if (!co.Ok() || co.Remaining() / (wide ? 8 : 4) < chunks) return ParseStatus::kDamaged;

  ByteReader sc(moov.subspan(stsc.payload, stsc.size));
  sc.Skip(4);
  const std::uint32_t runs = sc.U32Be();
  if (!sc.Ok() || sc.Remaining() / 12 < runs || runs == 0) return ParseStatus::kDamaged;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> table;  // first chunk (from 1), samples
  for (std::uint32_t i = 0; i < runs; ++i) {
    const std::uint32_t first = sc.U32Be();
    const std::uint32_t perChunk = sc.U32Be();
    sc.Skip(4);
    table.emplace_back(first, perChunk);
  }

  out.clear();
  std::size_t run = 0;
  for (std::uint32_t chunk = 1; chunk <= chunks && out.size() < sampleCount; ++chunk) {
    while (run + 1 < table.size() && table[run + 1].first <= chunk) ++run;
    std::uint64_t offset = wide ? co.U64Be() : co.U32Be();
    for (std::uint32_t k = 0; k < table[run].second && out.size() < sampleCount; ++k) {
      const std::uint32_t size = fixedSize != 0 ? fixedSize : sz.U32Be();
      out.push_back({offset, size});
      offset += size;
    }
  }
  if (out.size() != sampleCount) return ParseStatus::kDamaged;
  return ParseStatus::kOk;
}

// ---------------------------------------------------------------------------
// Items of a payload.

struct Item {
  std::uint32_t key = 0;
  char type = 0;
  std::uint8_t structSize = 0;
  std::uint16_t repeat = 0;
  std::span<const std::uint8_t> data;
};

int TypeSize(char type) {
  switch (type) {
    case 'b': case 'B': case 'c': return 1;
    case 's': case 'S': return 2;
    case 'l': case 'L': case 'f': case 'q': case 'F': return 4;
    case 'd': case 'j': case 'J': case 'Q': return 8;
    default: return 0;
  }
}

double ReadNumber(ByteReader& r, char type) {
  switch (type) {
    case 'b': return static_cast<std::int8_t>(r.U8());
    case 'B': return r.U8();
    case 's': return static_cast<std::int16_t>(r.U16Be());
    case 'S': return r.U16Be();
    case 'l': return static_cast<std::int32_t>(r.U32Be());
    case 'L': return r.U32Be();
    case 'q': return static_cast<std::int32_t>(r.U32Be()) / 65536.0;
    case 'j': return static_cast<double>(static_cast<std::int64_t>(r.U64Be()));
    case 'J': return static_cast<double>(r.U64Be());
    case 'Q': return static_cast<double>(static_cast<std::int64_t>(r.U64Be())) / 4294967296.0;
    case 'f': {
      const std::uint32_t bits = r.U32Be();
      float v;
      std::memcpy(&v, &bits, sizeof v);
      return v;
    }
    case 'd': {
      const std::uint64_t bits = r.U64Be();
      double v;
      std::memcpy(&v, &bits, sizeof v);
      return v;
    }
    default: r.Skip(static_cast<std::uint64_t>(-1)); return 0;  // fails the reader
  }
}

// The numbers of a simple item, sample after sample; empty when the item
// is not made of numbers of one type that fill its samples.
std::vector<double> Numbers(const Item& item) {
  const int size = TypeSize(item.type);
  if (size == 0 || item.type == 'c' || item.type == 'F' || item.structSize % size != 0) return {};
  ByteReader r(item.data);
  const std::size_t count = item.data.size() / size;
  std::vector<double> v;
  v.reserve(count);
  for (std::size_t i = 0; i < count; ++i) v.push_back(ReadNumber(r, item.type));
  return r.Ok() ? v : std::vector<double>{};
}

// The numbers of a complex item whose samples TYPE describes; empty when
// the description does not match the sample size. Arrays ("f[8]") are
// not used by the streams read here and make the description unusable.
std::vector<double> ComplexNumbers(const Item& item, const std::string& layout) {
  int sampleSize = 0;
  for (char t : layout) {
    const int s = TypeSize(t);
    if (s == 0 || t == 'c' || t == 'F') return {};
    sampleSize += s;
  }
  if (sampleSize == 0 || sampleSize != item.structSize) return {};
  ByteReader r(item.data);
  std::vector<double> v;
  for (std::uint16_t i = 0; i < item.repeat; ++i)
    for (char t : layout) v.push_back(ReadNumber(r, t));
  return r.Ok() ? v : std::vector<double>{};
}

// "yymmddhhmmss.sss" (UTC); -1 when it is not such a time.
double ParseGpsTime(std::span<const std::uint8_t> text) {
  if (text.size() < 12) return -1;
  int f[6];
  for (int i = 0; i < 6; ++i) {
    const int hi = text[2 * i] - '0', lo = text[2 * i + 1] - '0';
    if (hi < 0 || hi > 9 || lo < 0 || lo > 9) return -1;
    f[i] = hi * 10 + lo;
  }
  const CalendarTime t = UtcFromFields(2000 + f[0], f[1], f[2], f[3], f[4], f[5]);
  if (t < 0) return -1;
  double fraction = 0, unit = 0.1;
  if (text.size() > 12 && text[12] == '.')
    for (std::size_t i = 13; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, unit /= 10)
      fraction += (text[i] - '0') * unit;
  return static_cast<double>(t) + fraction;
}

class PayloadDecoder {
 public:
  PayloadDecoder(double seconds, GpmfData& out) : m_seconds(seconds), m_out(out) {}

  // Walks the items of one nest level. `level` 0 is the payload itself.
  void Walk(std::span<const std::uint8_t> bytes, int level) {
    Stream stream;
    ByteReader r(bytes);
    while (r.Remaining() >= 8) {
      Item item;
      item.key = r.FourCC();
      item.type = static_cast<char>(r.U8());
      item.structSize = r.U8();
      item.repeat = r.U16Be();
      if (item.key == 0) return;  // zero padding ends the payload
      const std::uint64_t size = std::uint64_t(item.structSize) * item.repeat;
      const std::uint64_t padded = (size + 3) & ~std::uint64_t(3);
      if (size > r.Remaining()) {
        ++m_out.damaged;  // claims more than its container holds
        return;
      }
      item.data = bytes.subspan(static_cast<std::size_t>(r.Position()), static_cast<std::size_t>(size));
      r.Skip(padded <= r.Remaining() ? padded : r.Remaining());
      if (item.type == 0) {
        if (level + 1 < kMaxDepth) Walk(item.data, level + 1);
        else ++m_out.damaged;
        continue;
      }
      Take(item, stream);
    }
  }

 private:
  // The sticky properties of one stream, applying to what follows them.
  struct Stream {
    std::vector<double> scale;
    std::string layout;
    int fix = -1;      // GPSF; -1 when absent
    double utc = -1;   // GPSU
  };

  static double Scaled(const std::vector<double>& v, std::size_t i, const std::vector<double>& scale,
                       std::size_t width) {
    if (scale.empty()) return v[i];
    const double s = scale.size() == 1 ? scale[0] : scale[(i % width) % scale.size()];
    return s != 0 ? v[i] / s : v[i];
  }

  void Take(const Item& item, Stream& s) {
    switch (item.key) {
      case MakeFourCC("SCAL"): s.scale = Numbers(item); break;
      case MakeFourCC("TYPE"):
        s.layout.assign(item.data.begin(), item.data.end());
        s.layout.erase(s.layout.find_last_not_of('\0') + 1);
        break;
      case MakeFourCC("GPSF"): {
        const std::vector<double> v = Numbers(item);
        // Only 0, 2 and 3 mean anything; a damaged value must not overflow.
        s.fix = v.empty() || !std::isfinite(v[0]) ? -1
                                                  : static_cast<int>(std::clamp(v[0], -1.0, 9.0));
        break;
      }
      case MakeFourCC("GPSU"): s.utc = ParseGpsTime(item.data); break;
      case MakeFourCC("GPS5"): TakeGps5(item, s); break;
      case MakeFourCC("GPS9"): TakeGps9(item, s); break;
      case MakeFourCC("ACCL"): TakeAccl(item, s); break;
      default: break;
    }
  }

  void TakeGps5(const Item& item, const Stream& s) {
    const std::vector<double> v = Numbers(item);
    const std::size_t width = TypeSize(item.type) ? item.structSize / TypeSize(item.type) : 0;
    if (v.empty() || width < 5) {
      ++m_out.damaged;
      return;
    }
    const std::size_t n = v.size() / width;
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t b = i * width;
      SourcePoint p;
      p.latitude = Scaled(v, b, s.scale, width);
      p.longitude = Scaled(v, b + 1, s.scale, width);
      p.altitude = Scaled(v, b + 2, s.scale, width);
      p.speedKmh = Scaled(v, b + 3, s.scale, width) * 3.6;
      if (s.utc >= 0) p.utc = static_cast<CalendarTime>(std::floor(s.utc + m_seconds * i / n));
      p.valid = s.fix < 0 || s.fix >= 2;
      m_out.points.push_back(p);
    }
  }

  // Latitude, longitude, altitude, 2D and 3D speed, days since 2000-01-01,
  // seconds since midnight, precision, fix.
  void TakeGps9(const Item& item, const Stream& s) {
    const std::vector<double> v = ComplexNumbers(item, s.layout);
    const std::size_t width = s.layout.size();
    if (v.empty() || width < 9) {
      ++m_out.damaged;
      return;
    }
    for (std::size_t b = 0; b + width <= v.size(); b += width) {
      SourcePoint p;
      p.latitude = Scaled(v, b, s.scale, width);
      p.longitude = Scaled(v, b + 1, s.scale, width);
      p.altitude = Scaled(v, b + 2, s.scale, width);
      p.speedKmh = Scaled(v, b + 3, s.scale, width) * 3.6;
      const double days = Scaled(v, b + 5, s.scale, width);
      const double secs = Scaled(v, b + 6, s.scale, width);
      if (days >= 0 && days < 400000 && secs >= 0 && secs < 86401)
        p.utc = UtcFromFields(2000, 1, 1, 0, 0, 0) + static_cast<CalendarTime>(days) * 86400 +
                static_cast<CalendarTime>(secs);
      p.valid = Scaled(v, b + 8, s.scale, width) >= 2;
      m_out.points.push_back(p);
    }
  }

  void TakeAccl(const Item& item, const Stream& s) {
    const std::vector<double> v = Numbers(item);
    const std::size_t width = TypeSize(item.type) ? item.structSize / TypeSize(item.type) : 0;
    if (v.empty() || width < 3) {
      ++m_out.damaged;
      return;
    }
    for (std::size_t b = 0; b + width <= v.size(); b += width) {
      m_out.samples.push_back({GToCount(Scaled(v, b, s.scale, width) / kStandardGravity),
                               GToCount(Scaled(v, b + 1, s.scale, width) / kStandardGravity),
                               GToCount(Scaled(v, b + 2, s.scale, width) / kStandardGravity)});
    }
  }

  double m_seconds;
  GpmfData& m_out;
};

bool HasTimedPoint(const GpmfData& d) {
  for (const SourcePoint& p : d.points)
    if (p.utc >= 0) return true;
  return false;
}

}  // namespace

ParseStatus FindGpmfTrack(ByteReader& file, GpmfTrack& track) {
  std::vector<std::uint8_t> moov;
  const ParseStatus status = ReadMovieBox(file, moov);
  if (status != ParseStatus::kOk) return status;
  const std::span<const std::uint8_t> bytes(moov);
  for (const BoxSpan& trak : ChildBoxes(bytes, 0, bytes.size())) {
    if (trak.type != MakeFourCC("trak") || !IsGpmfTrack(bytes, trak)) continue;
    BoxSpan stbl;
    if (!FindPath(bytes, trak, {MakeFourCC("mdia"), MakeFourCC("minf"), MakeFourCC("stbl")}, stbl))
      return ParseStatus::kDamaged;
    track.durationMs = TrackDurationMs(bytes, trak);
    return BuildSamples(bytes, stbl, track.samples);
  }
  return ParseStatus::kNotThisFormat;
}

ParseStatus DecodeGpmfPayload(std::span<const std::uint8_t> payload, double seconds, GpmfData& out) {
  ByteReader head(payload);
  if (head.FourCC() != MakeFourCC("DEVC") || head.U8() != 0) return ParseStatus::kNotThisFormat;
  PayloadDecoder(seconds, out).Walk(payload, 0);
  return ParseStatus::kOk;
}

ParseStatus ReadGpmfPayloads(ByteReader& file, const GpmfTrack& track, std::size_t maxPayloads,
                             bool untilTimed, GpmfData& out) {
  const double seconds =
      track.samples.empty() || track.durationMs == 0 ? 1.0 : track.durationMs / 1000.0 / track.samples.size();
  std::size_t decoded = 0;
  for (std::size_t i = 0; i < track.samples.size() && i < maxPayloads; ++i) {
    const GpmfSample& s = track.samples[i];
    if (s.size > kMaxPayload || s.offset > file.Size() || s.size > file.Size() - s.offset) {
      ++out.damaged;  // outside the file: the rest of the track is still read
      continue;
    }
    file.Seek(s.offset);
    const std::vector<std::uint8_t> bytes = file.ReadBytes(s.size);
    if (file.IoError()) return ParseStatus::kIoError;
    if (DecodeGpmfPayload(bytes, seconds, out) == ParseStatus::kOk) ++decoded;
    else ++out.damaged;
    if (untilTimed && HasTimedPoint(out)) break;
  }
  return decoded > 0 ? ParseStatus::kOk : ParseStatus::kDamaged;
}

bool ProbeGpmf(ByteReader& file, const std::filesystem::path&, const MediaInfo&) {
  GpmfTrack track;
  return FindGpmfTrack(file, track) == ParseStatus::kOk && !track.samples.empty();
}

bool ReadGpmf(ByteReader& file, const std::filesystem::path&, const MediaInfo& info,
              TelemetrySeries& out) {
  GpmfTrack track;
  if (FindGpmfTrack(file, track) != ParseStatus::kOk) return false;
  GpmfData data;
  if (ReadGpmfPayloads(file, track, track.samples.size(), false, data) != ParseStatus::kOk)
    return false;
  FillHeadings(data.points);
  StoreFixes(data.points, out);
  out.samples = std::move(data.samples);
  const std::uint32_t durationMs = track.durationMs ? track.durationMs : info.durationMs;
  if (durationMs != 0) {
    out.fixRate = out.fixes.empty() ? 1.0 : out.fixes.size() * 1000.0 / durationMs;
    out.sampleRate = static_cast<double>(out.samples.size()) / durationMs;
  }
  return !out.Empty();
}

bool GpmfStartTime(ByteReader& file, const std::filesystem::path&, const MediaInfo&,
                   CalendarTime& out) {
  GpmfTrack track;
  if (FindGpmfTrack(file, track) != ParseStatus::kOk || track.samples.empty()) return false;
  const double seconds = track.durationMs ? track.durationMs / 1000.0 / track.samples.size() : 1.0;
  // A camera still searching for satellites writes untimed payloads first.
  for (std::size_t i = 0; i < track.samples.size() && i < 120; ++i) {
    GpmfTrack one;
    one.samples = {track.samples[i]};
    one.durationMs = static_cast<std::uint32_t>(seconds * 1000);
    GpmfData data;
    if (ReadGpmfPayloads(file, one, 1, true, data) == ParseStatus::kIoError) return false;
    for (const SourcePoint& p : data.points) {
      if (p.utc < 0) continue;
      out = p.utc - static_cast<CalendarTime>(i * seconds);
      return true;
    }
  }
  return false;
}
