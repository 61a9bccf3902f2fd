// Synthetic MOV / MP4 / 3GP files: ftyp, mdat, moov with one video track, and
// the camera's telemetry boxes at top level, inside moov or inside udta.
#include <algorithm>

#include "tools/recgen/ByteBlocks.h"

namespace recgen {

namespace {

// Largest payload one 32-bit box can carry.
constexpr std::uint64_t kMaxBoxPayload = 0xFFFFFFFFull - 8;

Bytes FullBoxHeader(int version, std::uint32_t flags) {
  Bytes b;
  PutBe(b, (static_cast<std::uint32_t>(version) << 24) | (flags & 0xFFFFFF), 4);
  return b;
}

void PutMatrix(Bytes& b) {
  const std::uint32_t m[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
  for (std::uint32_t v : m) PutBe(b, v, 4);
}

Bytes Ftyp(Container c) {
  Bytes b;
  switch (c) {
    case Container::kMov:
      PutCode(b, "qt  ");
      PutBe(b, 0x200, 4);
      PutCode(b, "qt  ");
      break;
    case Container::kThreeGp:
      PutCode(b, "3gp4");
      PutBe(b, 0x200, 4);
      PutCode(b, "isom");
      PutCode(b, "3gp4");
      break;
    default:
      PutCode(b, "isom");
      PutBe(b, 0x200, 4);
      PutCode(b, "isom");
      PutCode(b, "iso2");
      PutCode(b, "avc1");
      PutCode(b, "mp41");
      break;
  }
  return Box("ftyp", b);
}

Bytes Mvhd(std::uint32_t durationMs) {
  Bytes b = FullBoxHeader(0, 0);
  PutBe(b, 0, 4);  // creation
  PutBe(b, 0, 4);  // modification
  PutBe(b, 1000, 4);
  PutBe(b, durationMs, 4);
  PutBe(b, 0x10000, 4);  // rate 1.0
  PutBe(b, 0x100, 2);    // volume 1.0
  PutZeros(b, 10);
  PutMatrix(b);
  PutZeros(b, 24);
  PutBe(b, 2, 4);  // next track id
  return Box("mvhd", b);
}

Bytes Tkhd(std::uint32_t durationMs, std::uint16_t w, std::uint16_t h) {
  Bytes b = FullBoxHeader(0, 3);  // enabled, in movie
  PutBe(b, 0, 4);
  PutBe(b, 0, 4);
  PutBe(b, 1, 4);  // track id
  PutBe(b, 0, 4);
  PutBe(b, durationMs, 4);
  PutZeros(b, 8);
  PutBe(b, 0, 2);  // layer
  PutBe(b, 0, 2);  // alternate group
  PutBe(b, 0, 2);  // volume
  PutBe(b, 0, 2);
  PutMatrix(b);
  PutBe(b, static_cast<std::uint32_t>(w) << 16, 4);
  PutBe(b, static_cast<std::uint32_t>(h) << 16, 4);
  return Box("tkhd", b);
}

Bytes Hdlr() {
  Bytes b = FullBoxHeader(0, 0);
  PutBe(b, 0, 4);
  PutCode(b, "vide");
  PutZeros(b, 12);
  const char name[] = "VideoHandler";
  b.insert(b.end(), name, name + sizeof name);
  return Box("hdlr", b);
}

Bytes EmptyTable(const char type[5], int counts) {
  Bytes b = FullBoxHeader(0, 0);
  PutZeros(b, 4 * counts);
  return Box(type, b);
}

Bytes Minf(const RecordingRecipe& recipe) {
  Bytes vmhd = FullBoxHeader(0, 1);
  PutZeros(vmhd, 8);
  Bytes url = FullBoxHeader(0, 1);  // media in this file
  Bytes dref = FullBoxHeader(0, 0);
  PutBe(dref, 1, 4);
  Append(dref, Box("url ", url));
  Bytes stsd = FullBoxHeader(0, 0);
  PutBe(stsd, 1, 4);
  Append(stsd, Avc1Entry(recipe.width, recipe.height));
  const Bytes stbl = Concat({Box("stsd", stsd), EmptyTable("stts", 1), EmptyTable("stsc", 1),
                             EmptyTable("stsz", 2), EmptyTable("stco", 1)});
  return Box("minf", Concat({Box("vmhd", vmhd), Box("dinf", Box("dref", dref)), Box("stbl", stbl)}));
}

}  // namespace

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

Bytes MdhdBox(int version, std::uint32_t timeScale, std::uint64_t duration) {
  Bytes b = FullBoxHeader(version == 1 ? 1 : 0, 0);
  const int w = version == 1 ? 8 : 4;
  PutBe(b, 0, w);  // creation
  PutBe(b, 0, w);  // modification
  PutBe(b, timeScale, 4);
  PutBe(b, duration, w);
  PutBe(b, 0x55C4, 2);  // language "und"
  PutBe(b, 0, 2);
  return Box("mdhd", b);
}

Bytes Avc1Entry(std::uint16_t width, std::uint16_t height) {
  Bytes b;
  PutZeros(b, 6);
  PutBe(b, 1, 2);  // data reference index
  PutZeros(b, 16);
  PutBe(b, width, 2);   // payload offset 24
  PutBe(b, height, 2);  // payload offset 26
  PutBe(b, 0x480000, 4);
  PutBe(b, 0x480000, 4);
  PutBe(b, 0, 4);
  PutBe(b, 1, 2);  // frames per sample
  PutZeros(b, 32);  // compressor name
  PutBe(b, 0x18, 2);
  PutBe(b, 0xFFFF, 2);
  return Box("avc1", b);
}

Bytes MinimalMoov(const RecordingRecipe& recipe, const Bytes& extraChildren) {
  const std::uint64_t duration =
      static_cast<std::uint64_t>(recipe.durationMs) * recipe.timeScale / 1000;
  const Bytes mdia = Box("mdia", Concat({MdhdBox(recipe.mdhdVersion, recipe.timeScale, duration),
                                         Hdlr(), Minf(recipe)}));
  const Bytes trak = Box("trak", Concat({Tkhd(recipe.durationMs, recipe.width, recipe.height), mdia}));
  return Box("moov", Concat({Mvhd(recipe.durationMs), trak, extraChildren}));
}

TelemetryBlock MakeTelemetry(const RecordingRecipe& recipe, Framing framing) {
  TelemetryBlock t;
  auto add = [&](const char code[5], const Bytes& payload) -> std::int64_t {
    const std::int64_t at = static_cast<std::int64_t>(t.bytes.size()) + 8;
    Append(t.bytes, framing == Framing::kBox ? Box(code, payload) : Chunk(code, payload));
    return at;
  };
  if (recipe.payloads & kPayloadGpsAttr) add("gpsa", EncodeAttr(recipe.gpsRate));
  if (recipe.payloads & kPayloadGSensorAttr) add("gsea", EncodeAttr(recipe.gsensorRate, recipe.sensorRange));
  if ((recipe.payloads & kPayloadIdit) && !recipe.idit.empty()) add("IDIT", EncodeIdit(recipe.idit));
  const bool oddFirst = framing == Framing::kChunk && recipe.aviOddGSensorFirst;
  auto addGSensor = [&] {
    if (!(recipe.payloads & kPayloadGSensor)) return;
    std::vector<GSensorSample> s = recipe.gsensor;
    // A camera keeps the record count even, so no pad byte is needed;
    // asked for, an odd count makes an odd-sized chunk.
    if (framing == Framing::kChunk && s.size() % 2 != (oddFirst ? 1u : 0u)) {
      if (oddFirst && s.size() > 1) s.pop_back();
      else if (!s.empty()) s.push_back(s.back());
    }
    const Bytes p = EncodeGSensorPayload(s);
    t.gsensorSize = static_cast<std::uint32_t>(p.size());
    t.gsensorAt = add("gsen", p);
  };
  if (oddFirst) addGSensor();
  if (recipe.payloads & kPayloadGps) {
    const Bytes p = EncodeGpsPayload(recipe.route);
    t.gpsSize = static_cast<std::uint32_t>(p.size());
    t.gpsAt = add("gps0", p);
  }
  if (!oddFirst) addGSensor();
  return t;
}

void PlaceTelemetry(const TelemetryBlock& block, std::uint64_t base, RecordingLayout* layout) {
  if (!layout) return;
  if (block.gpsAt >= 0) {
    layout->gpsOffset = base + static_cast<std::uint64_t>(block.gpsAt);
    layout->gpsSize = block.gpsSize;
  }
  if (block.gsensorAt >= 0) {
    layout->gsensorOffset = base + static_cast<std::uint64_t>(block.gsensorAt);
    layout->gsensorSize = block.gsensorSize;
  }
}

FileImage BuildBoxImage(const RecordingRecipe& recipe, RecordingLayout* layout) {
  FileImage img;
  img.Push(Ftyp(recipe.container));
  // mdat (and `free` boxes once one 32-bit box is full) hold the padding.
  std::uint64_t left = recipe.mdatPadding;
  const char* type = "mdat";
  do {
    const std::uint64_t part = std::min(left, kMaxBoxPayload);
    Bytes header;
    PutBe(header, part + 8, 4);
    PutCode(header, type);
    const std::uint64_t at = img.Push(std::move(header));
    img.size = at + 8 + part;
    left -= part;
    type = "free";
  } while (left > 0);

  const TelemetryBlock tel = MakeTelemetry(recipe, Framing::kBox);
  if (layout) *layout = {};
  switch (recipe.placement) {
    case Placement::kInsideMoov: {
      const Bytes moov = MinimalMoov(recipe, tel.bytes);
      const std::uint64_t at = img.Push(moov);
      PlaceTelemetry(tel, at + moov.size() - tel.bytes.size(), layout);
      break;
    }
    case Placement::kInsideUdta: {
      const Bytes udta = Box("udta", tel.bytes);
      const Bytes moov = MinimalMoov(recipe, udta);
      const std::uint64_t at = img.Push(moov);
      PlaceTelemetry(tel, at + moov.size() - udta.size() + 8, layout);
      break;
    }
    default: {
      img.Push(MinimalMoov(recipe));
      PlaceTelemetry(tel, img.Push(tel.bytes), layout);
      break;
    }
  }
  if (layout) layout->fileSize = img.size;
  return img;
}

}  // namespace recgen
