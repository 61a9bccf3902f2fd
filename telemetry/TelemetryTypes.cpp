#include "telemetry/TelemetryTypes.h"

#include <cstring>

#include "telemetry/ByteReader.h"

namespace {

void PutLe(std::uint8_t* p, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutLeDouble(std::uint8_t* p, double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  PutLe(p, bits, 8);
}

}  // namespace

GpsFix GpsFix::Read(ByteReader& r) {
  GpsFix f;
  f.latitude = r.DoubleLe();
  f.longitude = r.DoubleLe();
  f.altitude = r.I32Le();
  f.speed = r.U16Le();
  f.year = r.U8();
  f.month = r.U8();
  f.day = r.U8();
  f.hour = r.U8();
  f.minute = r.U8();
  f.second = r.U8();
  f.heading = r.U8();
  f.status = r.U8();
  r.Skip(2);
  return f;
}

GpsFix GpsFix::Decode(const std::uint8_t* p) {
  ByteReader r(p, kFileSize);
  return Read(r);
}

void GpsFix::Encode(std::uint8_t* p) const {
  PutLeDouble(p, latitude);
  PutLeDouble(p + 8, longitude);
  PutLe(p + 16, static_cast<std::uint32_t>(altitude), 4);
  PutLe(p + 20, speed, 2);
  const std::uint8_t tail[] = {year, month, day, hour, minute, second, heading, status, 0, 0};
  std::memcpy(p + 22, tail, sizeof tail);
}

GSensorSample GSensorSample::Read(ByteReader& r) {
  GSensorSample s;
  s.x = static_cast<std::int8_t>(r.U8());
  s.y = static_cast<std::int8_t>(r.U8());
  s.z = static_cast<std::int8_t>(r.U8());
  return s;
}

GSensorSample GSensorSample::Decode(const std::uint8_t* p) {
  ByteReader r(p, kFileSize);
  return Read(r);
}

GSensorWideSample GSensorWideSample::Read(ByteReader& r) {
  GSensorWideSample s;
  s.x = r.I32Le();
  s.y = r.I32Le();
  s.z = r.I32Le();
  return s;
}

GSensorWideSample GSensorWideSample::Decode(const std::uint8_t* p) {
  ByteReader r(p, kFileSize);
  return Read(r);
}
