#include <cmath>
#include <cstring>
#include <ctime>

#include "tools/recgen/ByteBlocks.h"
#include "tools/recgen/OtherCameras.h"

namespace recgen {

namespace {

constexpr std::size_t kBlockSize = 256;

double Ddmm(double degrees) {
  const double a = std::fabs(degrees);
  const double whole = std::floor(a);
  return whole * 100.0 + (a - whole) * 60.0;
}

void PokeFloat(Bytes& b, std::size_t at, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PokeLe32(b, at, bits);
}

}  // namespace

Bytes MakeNovatekBlock(const PlainFix& f, NovatekLayout layout, const std::array<double, 3>* accelG) {
  Bytes b(kBlockSize, 0);
  PokeBe32(b, 0, kBlockSize);
  std::memcpy(b.data() + 4, "freeGPS ", 8);
  PokeLe32(b, 12, 0x4C);
  const std::size_t base = layout == NovatekLayout::kNewer ? 0x10 : 0x30;
  const std::time_t t = static_cast<std::time_t>(f.utc);
  std::tm tm{};
  gmtime_r(&t, &tm);
  const int fields[6] = {tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_year + 1900 - 2000, tm.tm_mon + 1, tm.tm_mday};
  for (int i = 0; i < 6; ++i) PokeLe32(b, base + 4 * i, static_cast<std::uint32_t>(fields[i]));
  b[base + 0x18] = f.valid ? 'A' : 'V';
  b[base + 0x19] = f.latitude < 0 ? 'S' : 'N';
  b[base + 0x1A] = f.longitude < 0 ? 'W' : 'E';
  PokeFloat(b, base + 0x1C, static_cast<float>(Ddmm(f.latitude)));
  PokeFloat(b, base + 0x20, static_cast<float>(Ddmm(f.longitude)));
  PokeFloat(b, base + 0x24, static_cast<float>(f.speedKmh / 1.852));
  PokeFloat(b, base + 0x28, static_cast<float>(f.headingDeg));
  if (layout == NovatekLayout::kNewer && accelG)
    for (int i = 0; i < 3; ++i)
      PokeLe32(b, base + 0x2C + 4 * i, static_cast<std::uint32_t>(std::lround((*accelG)[i] * 256)));
  return b;
}

Bytes MakeNovatekMovie(const std::vector<PlainFix>& fixes, NovatekLayout layout,
                       const std::vector<std::array<double, 3>>& accelG) {
  Bytes ftypPayload;
  PutCode(ftypPayload, "qt  ");
  PutBe(ftypPayload, 0, 4);
  PutCode(ftypPayload, "qt  ");
  const Bytes ftyp = Box("ftyp", ftypPayload);
  Bytes mdatPayload;
  Bytes list;
  PutBe(list, 0, 4);
  PutBe(list, fixes.size(), 4);
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    PutBe(list, ftyp.size() + 8 + mdatPayload.size(), 4);
    PutBe(list, kBlockSize, 4);
    Append(mdatPayload, MakeNovatekBlock(fixes[i], layout, i < accelG.size() ? &accelG[i] : nullptr));
  }
  const std::uint32_t durationMs = static_cast<std::uint32_t>(fixes.size() * 1000);
  const Bytes moov = Box("moov", Concat({PictureTrak(durationMs), Box("gps ", list)}));
  return Concat({ftyp, Box("mdat", mdatPayload), moov});
}

}  // namespace recgen
