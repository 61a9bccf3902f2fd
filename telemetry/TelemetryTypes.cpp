#include "telemetry/TelemetryTypes.h"

#include <cstring>

namespace {

std::uint64_t Le(const std::uint8_t* p, int n) {
  std::uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void PutLe(std::uint8_t* p, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

double LeDouble(const std::uint8_t* p) {
  const std::uint64_t bits = Le(p, 8);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

void PutLeDouble(std::uint8_t* p, double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  PutLe(p, bits, 8);
}

}  // namespace

GpsFix GpsFix::Decode(const std::uint8_t* p) {
  GpsFix f;
  f.latitude = LeDouble(p);
  f.longitude = LeDouble(p + 8);
  f.altitude = static_cast<std::int32_t>(static_cast<std::uint32_t>(Le(p + 16, 4)));
  f.speed = static_cast<std::uint16_t>(Le(p + 20, 2));
  f.year = p[22];
  f.month = p[23];
  f.day = p[24];
  f.hour = p[25];
  f.minute = p[26];
  f.second = p[27];
  f.heading = p[28];
  f.status = p[29];
  return f;
}

void GpsFix::Encode(std::uint8_t* p) const {
  PutLeDouble(p, latitude);
  PutLeDouble(p + 8, longitude);
  PutLe(p + 16, static_cast<std::uint32_t>(altitude), 4);
  PutLe(p + 20, speed, 2);
  const std::uint8_t tail[] = {year, month, day, hour, minute, second, heading, status, 0, 0};
  std::memcpy(p + 22, tail, sizeof tail);
}

GSensorSample GSensorSample::Decode(const std::uint8_t* p) {
  return {static_cast<std::int8_t>(p[0]), static_cast<std::int8_t>(p[1]),
          static_cast<std::int8_t>(p[2])};
}

GSensorWideSample GSensorWideSample::Decode(const std::uint8_t* p) {
  auto i32 = [](const std::uint8_t* q) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(Le(q, 4)));
  };
  return {i32(p), i32(p + 4), i32(p + 8)};
}
