#include <cmath>
#include <cstdio>
#include <ctime>

#include "tools/recgen/ByteBlocks.h"
#include "tools/recgen/OtherCameras.h"

namespace recgen {

namespace {

// One KLV item, padded to 32 bits.
Bytes Klv(const char key[5], char type, std::uint8_t structSize, std::uint16_t repeat, const Bytes& data) {
  Bytes b;
  PutCode(b, key);
  b.push_back(static_cast<std::uint8_t>(type));
  b.push_back(structSize);
  PutBe(b, repeat, 2);
  Append(b, data);
  PutZeros(b, (4 - data.size() % 4) % 4);
  return b;
}

Bytes Nest(const char key[5], const Bytes& inside) {
  Bytes b;
  PutCode(b, key);
  b.push_back(0);
  b.push_back(4);
  PutBe(b, inside.size() / 4, 2);
  Append(b, inside);
  return b;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string GpsuText(std::int64_t utc) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d%02d%02d.000", tm.tm_year % 100, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::int32_t Scaled(double v, double scale) { return static_cast<std::int32_t>(std::lround(v * scale)); }

Bytes GpsStream(const GpmfRecipe& recipe, std::size_t first, std::size_t count) {
  Bytes s = Klv("STNM", 'c', 1, 7, Text("GPS RAW"));
  if (recipe.gps9) {
    Append(s, Klv("TYPE", 'c', 1, 9, Text("lllllllSS")));
    Bytes scal;
    for (std::int32_t v : {10000000, 10000000, 1000, 1000, 100, 1, 1000, 100, 1}) PutBe(scal, v, 4);
    Append(s, Klv("SCAL", 'l', 4, 9, scal));
    Bytes data;
    for (std::size_t i = first; i < first + count; ++i) {
      const PlainFix& f = recipe.fixes[i];
      for (std::int32_t v : {Scaled(f.latitude, 1e7), Scaled(f.longitude, 1e7), Scaled(f.altitude, 1000),
                             Scaled(f.speedKmh / 3.6, 1000), Scaled(f.speedKmh / 3.6, 100),
                             static_cast<std::int32_t>((f.utc - 946684800) / 86400),
                             static_cast<std::int32_t>((f.utc - 946684800) % 86400 * 1000)})
        PutBe(data, static_cast<std::uint32_t>(v), 4);
      PutBe(data, 150, 2);
      PutBe(data, f.valid ? 3 : 0, 2);
    }
    Append(s, Klv("GPS9", '?', 32, static_cast<std::uint16_t>(count), data));
    return s;
  }
  Bytes fix;
  PutBe(fix, static_cast<std::uint32_t>(recipe.fixes[first].valid ? recipe.fix : 0), 4);
  Append(s, Klv("GPSF", 'L', 4, 1, fix));
  Append(s, Klv("GPSU", 'U', 16, 1, Text(GpsuText(recipe.fixes[first].utc))));
  Bytes dop;
  PutBe(dop, 150, 2);
  Append(s, Klv("GPSP", 'S', 2, 1, dop));
  Bytes scal;
  for (std::int32_t v : {10000000, 10000000, 1000, 1000, 100}) PutBe(scal, v, 4);
  Append(s, Klv("SCAL", 'l', 4, 5, scal));
  Bytes data;
  for (std::size_t i = first; i < first + count; ++i) {
    const PlainFix& f = recipe.fixes[i];
    for (std::int32_t v : {Scaled(f.latitude, 1e7), Scaled(f.longitude, 1e7), Scaled(f.altitude, 1000),
                           Scaled(f.speedKmh / 3.6, 1000), Scaled(f.speedKmh / 3.6, 100)})
      PutBe(data, static_cast<std::uint32_t>(v), 4);
  }
  Append(s, Klv("GPS5", 'l', 20, static_cast<std::uint16_t>(count), data));
  return s;
}

Bytes AccelStream(const std::vector<std::array<double, 3>>& accel, std::size_t first, std::size_t count) {
  constexpr int kScale = 418;
  Bytes s = Klv("STNM", 'c', 1, 13, Text("Accelerometer"));
  Append(s, Klv("SIUN", 'c', 4, 1, Bytes{'m', '/', 's', 0xB2}));
  Bytes scal;
  PutBe(scal, kScale, 2);
  Append(s, Klv("SCAL", 's', 2, 1, scal));
  Bytes data;
  for (std::size_t i = first; i < first + count; ++i)
    for (double v : accel[i]) PutBe(data, static_cast<std::uint16_t>(std::lround(v * kScale)), 2);
  Append(s, Klv("ACCL", 's', 6, static_cast<std::uint16_t>(count), data));
  return s;
}

Bytes FullBox(const char type[5], std::uint32_t versionFlags, const Bytes& rest) {
  Bytes b;
  PutBe(b, versionFlags, 4);
  Append(b, rest);
  return Box(type, b);
}

}  // namespace

Bytes PictureTrak(std::uint32_t durationMs, std::uint16_t width, std::uint16_t height) {
  Bytes mdhd;
  PutZeros(mdhd, 8);
  PutBe(mdhd, 1000, 4);
  PutBe(mdhd, durationMs, 4);
  PutZeros(mdhd, 4);
  Bytes hdlr;
  PutCode(hdlr, "mhlr");
  PutCode(hdlr, "vide");
  PutZeros(hdlr, 13);
  Bytes avc1;
  PutZeros(avc1, 6);
  PutBe(avc1, 1, 2);
  PutZeros(avc1, 16);
  PutBe(avc1, width, 2);
  PutBe(avc1, height, 2);
  PutZeros(avc1, 50);
  Bytes stsd;
  PutBe(stsd, 1, 4);
  Append(stsd, Box("avc1", avc1));
  const Bytes stbl = Box("stbl", FullBox("stsd", 0, stsd));
  return Box("trak", Box("mdia", Concat({FullBox("mdhd", 0, mdhd), FullBox("hdlr", 0, hdlr),
                                         Box("minf", stbl)})));
}

std::vector<PlainFix> PlainRoute(const std::vector<GpsFix>& route) {
  std::vector<PlainFix> out;
  for (const GpsFix& g : route) {
    PlainFix f;
    f.latitude = DdmmToDegreesValue(g.latitude);
    f.longitude = DdmmToDegreesValue(g.longitude);
    f.altitude = g.altitude;
    f.speedKmh = g.speed;
    f.headingDeg = g.HeadingDegrees();
    const DateTime t{2000 + g.year, g.month, g.day, g.hour, g.minute, g.second};
    f.utc = t.ToUtcSeconds();
    f.valid = g.IsValid();
    out.push_back(f);
  }
  return out;
}

Bytes MakeGpmfMovie(const GpmfRecipe& recipe) {
  const std::size_t per = recipe.fixesPerPayload > 0 ? recipe.fixesPerPayload : 1;
  const std::size_t payloads = (recipe.fixes.size() + per - 1) / per;
  const std::size_t accelPer = payloads ? recipe.accel.size() / payloads : 0;
  std::vector<Bytes> samples;
  for (std::size_t p = 0; p < payloads; ++p) {
    const std::size_t first = p * per;
    const std::size_t count = std::min(per, recipe.fixes.size() - first);
    Bytes devc = Klv("DVID", 'L', 4, 1, Bytes{0, 0, 0, 1});
    Append(devc, Klv("DVNM", 'c', 1, 6, Text("Camera")));
    Append(devc, Nest("STRM", GpsStream(recipe, first, count)));
    if (accelPer) Append(devc, Nest("STRM", AccelStream(recipe.accel, p * accelPer, accelPer)));
    samples.push_back(Nest("DEVC", devc));
  }

  Bytes ftypPayload;
  PutCode(ftypPayload, "mp41");
  PutBe(ftypPayload, 0, 4);
  PutCode(ftypPayload, "mp41");
  const Bytes ftyp = Box("ftyp", ftypPayload);
  Bytes mdatPayload;
  std::vector<std::uint32_t> offsets;
  for (const Bytes& s : samples) {
    offsets.push_back(static_cast<std::uint32_t>(ftyp.size() + 8 + mdatPayload.size()));
    Append(mdatPayload, s);
  }
  const Bytes mdat = Box("mdat", mdatPayload);

  const std::uint32_t durationMs = static_cast<std::uint32_t>(payloads * 1000);
  Bytes mvhd;
  PutZeros(mvhd, 8);
  PutBe(mvhd, 1000, 4);
  PutBe(mvhd, durationMs, 4);
  PutBe(mvhd, 0x00010000, 4);
  PutBe(mvhd, 0x0100, 2);
  PutZeros(mvhd, 10 + 36 + 24);
  PutBe(mvhd, 2, 4);
  Bytes tkhd;
  PutZeros(tkhd, 8);
  PutBe(tkhd, 1, 4);
  PutZeros(tkhd, 4);
  PutBe(tkhd, durationMs, 4);
  PutZeros(tkhd, 8 + 8 + 36 + 8);
  Bytes mdhd;
  PutZeros(mdhd, 8);
  PutBe(mdhd, 1000, 4);
  PutBe(mdhd, durationMs, 4);
  PutZeros(mdhd, 4);
  Bytes hdlr;
  PutCode(hdlr, "mhlr");
  PutCode(hdlr, "meta");
  PutZeros(hdlr, 12);
  Append(hdlr, Text("\x09GoPro MET"));
  Bytes entry;
  PutZeros(entry, 6);
  PutBe(entry, 1, 2);
  PutZeros(entry, 4);
  Bytes stsd;
  PutBe(stsd, 1, 4);
  Append(stsd, Box("gpmd", entry));
  Bytes stts;
  PutBe(stts, 1, 4);
  PutBe(stts, static_cast<std::uint32_t>(payloads), 4);
  PutBe(stts, 1000, 4);
  Bytes stsc;
  PutBe(stsc, 1, 4);
  for (std::uint32_t v : {1u, 1u, 1u}) PutBe(stsc, v, 4);
  Bytes stsz;
  PutBe(stsz, 0, 4);
  PutBe(stsz, static_cast<std::uint32_t>(samples.size()), 4);
  for (const Bytes& s : samples) PutBe(stsz, s.size(), 4);
  Bytes stco;
  PutBe(stco, static_cast<std::uint32_t>(offsets.size()), 4);
  for (std::uint32_t o : offsets) PutBe(stco, o, 4);
  const Bytes stbl = Box("stbl", Concat({FullBox("stsd", 0, stsd), FullBox("stts", 0, stts),
                                         FullBox("stsc", 0, stsc), FullBox("stsz", 0, stsz),
                                         FullBox("stco", 0, stco)}));
  const Bytes minf = Box("minf", Concat({Box("gmhd", {}), stbl}));
  const Bytes mdia = Box("mdia", Concat({FullBox("mdhd", 0, mdhd), FullBox("hdlr", 0, hdlr), minf}));
  const Bytes trak = Box("trak", Concat({FullBox("tkhd", 7, tkhd), mdia}));
  const Bytes moov = Box("moov", Concat({FullBox("mvhd", 0, mvhd), PictureTrak(durationMs), trak}));
  return Concat({ftyp, mdat, moov});
}

}  // namespace recgen
