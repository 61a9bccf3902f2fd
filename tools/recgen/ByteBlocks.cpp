// Boxes, RIFF chunks and telemetry payloads as byte strings.
#include "tools/recgen/ByteBlocks.h"

#include <cstdio>
#include <cstring>

namespace recgen {

void PutBe(Bytes& b, std::uint64_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutLe(Bytes& b, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutCode(Bytes& b, const char code[5]) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(code[i]));
}

void PutZeros(Bytes& b, std::size_t n) { b.insert(b.end(), n, 0); }

void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

void PokeBe32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
}

void PokeLe32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t PeekBe32(const Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | b[at + i];
  return v;
}

std::uint32_t PeekLe32(const Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

Bytes Box(const char type[5], const Bytes& payload) {
  Bytes b;
  b.reserve(payload.size() + 8);
  PutBe(b, payload.size() + 8, 4);
  PutCode(b, type);
  Append(b, payload);
  return b;
}

Bytes Chunk(const char code[5], const Bytes& payload) {
  Bytes b;
  b.reserve(payload.size() + 8);
  PutCode(b, code);
  PutLe(b, payload.size(), 4);
  Append(b, payload);
  if (payload.size() % 2) b.push_back(0);  // RIFF pad byte, not counted in the size
  return b;
}

Bytes List(const char type[5], const Bytes& contents) {
  Bytes b;
  PutCode(b, "LIST");
  PutLe(b, contents.size() + 4, 4);
  PutCode(b, type);
  Append(b, contents);
  return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) Append(b, p);
  return b;
}

Bytes EncodeGpsPayload(const std::vector<GpsFix>& route) {
  Bytes b(route.size() * GpsFix::kFileSize);
  for (std::size_t i = 0; i < route.size(); ++i) route[i].Encode(b.data() + i * GpsFix::kFileSize);
  return b;
}

Bytes EncodeGSensorPayload(const std::vector<GSensorSample>& s) {
  Bytes b;
  b.reserve(s.size() * 3);
  for (const GSensorSample& g : s) {
    b.push_back(static_cast<std::uint8_t>(g.x));
    b.push_back(static_cast<std::uint8_t>(g.y));
    b.push_back(static_cast<std::uint8_t>(g.z));
  }
  return b;
}

Bytes EncodeWideGSensor(const std::vector<GSensorWideSample>& s) {
  Bytes b;
  b.reserve(s.size() * GSensorWideSample::kFileSize);
  for (const GSensorWideSample& g : s) {
    PutLe(b, static_cast<std::uint32_t>(g.x), 4);
    PutLe(b, static_cast<std::uint32_t>(g.y), 4);
    PutLe(b, static_cast<std::uint32_t>(g.z), 4);
  }
  return b;
}

Bytes EncodeAttr(std::uint8_t b0, std::uint8_t b1) { return Bytes{b0, b1, 0, 0}; }

Bytes EncodeIdit(const std::string& text) {
  Bytes b(text.begin(), text.end());
  b.push_back(0);
  if (b.size() % 2) b.push_back(0);  // keeps RIFF chunks word-aligned
  return b;
}

}  // namespace recgen
