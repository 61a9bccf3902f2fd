// Synthetic AVI files: RIFF AVI with hdrl (avih, strl(strh, strf)), movi,
// idx1, and the camera's telemetry chunks before or after movi (or hidden
// in a LIST INFO).
#include "tools/recgen/ByteBlocks.h"

namespace recgen {

namespace {

constexpr std::uint32_t kDefaultMicrosPerFrame = 40000;  // 25 fps: whole ms per frame

void FrameTiming(const RecordingRecipe& recipe, std::uint32_t& micros, std::uint32_t& frames) {
  micros = recipe.aviMicrosPerFrame ? recipe.aviMicrosPerFrame : kDefaultMicrosPerFrame;
  frames = recipe.aviTotalFrames
               ? recipe.aviTotalFrames
               : static_cast<std::uint32_t>(static_cast<std::uint64_t>(recipe.durationMs) * 1000 /
                                            micros);
}

Bytes Avih(const RecordingRecipe& recipe) {
  std::uint32_t micros, frames;
  FrameTiming(recipe, micros, frames);
  Bytes b;
  PutLe(b, micros, 4);
  PutLe(b, 1000000, 4);  // max bytes per second
  PutLe(b, 0, 4);        // padding granularity
  PutLe(b, 0x10, 4);     // has index
  PutLe(b, frames, 4);
  PutLe(b, 0, 4);  // initial frames
  PutLe(b, 1, 4);  // streams
  PutLe(b, 0x100000, 4);
  PutLe(b, recipe.width, 4);
  PutLe(b, recipe.height, 4);
  PutZeros(b, 16);
  return Chunk("avih", b);
}

Bytes Strl(const RecordingRecipe& recipe) {
  std::uint32_t micros, frames;
  FrameTiming(recipe, micros, frames);
  Bytes strh;
  PutCode(strh, "vids");
  PutCode(strh, "H264");
  PutLe(strh, 0, 4);  // flags
  PutLe(strh, 0, 2);  // priority
  PutLe(strh, 0, 2);  // language
  PutLe(strh, 0, 4);  // initial frames
  PutLe(strh, micros, 4);   // scale
  PutLe(strh, 1000000, 4);  // rate
  PutLe(strh, 0, 4);        // start
  PutLe(strh, frames, 4);   // length
  PutLe(strh, 0x100000, 4);
  PutLe(strh, 0xFFFFFFFF, 4);  // quality
  PutLe(strh, 0, 4);           // sample size
  PutLe(strh, 0, 2);
  PutLe(strh, 0, 2);
  PutLe(strh, recipe.width, 2);
  PutLe(strh, recipe.height, 2);

  Bytes strf;
  const std::int32_t h = recipe.aviTopDown ? -static_cast<std::int32_t>(recipe.height) : recipe.height;
  PutLe(strf, 40, 4);
  PutLe(strf, recipe.width, 4);
  PutLe(strf, static_cast<std::uint32_t>(h), 4);
  PutLe(strf, 1, 2);   // planes
  PutLe(strf, 24, 2);  // bits per pixel
  PutCode(strf, "H264");
  PutLe(strf, static_cast<std::uint32_t>(recipe.width) * recipe.height * 3, 4);
  PutZeros(strf, 16);
  return List("strl", Concat({Chunk("strh", strh), Chunk("strf", strf)}));
}

}  // namespace

FileImage BuildAviImage(const RecordingRecipe& recipe, RecordingLayout* layout) {
  FileImage img;
  if (layout) *layout = {};
  Bytes riff;
  PutCode(riff, "RIFF");
  PutLe(riff, 0, 4);  // patched below
  PutCode(riff, "AVI ");
  img.Push(std::move(riff));
  img.Push(List("hdrl", Concat({Avih(recipe), Strl(recipe)})));

  const TelemetryBlock tel = MakeTelemetry(recipe, Framing::kChunk);
  if (recipe.placement == Placement::kBeforeMovi) PlaceTelemetry(tel, img.Push(tel.bytes), layout);
  if (recipe.placement == Placement::kInsideInfo) {
    const Bytes info = List("INFO", tel.bytes);
    PlaceTelemetry(tel, img.Push(info) + 12, layout);
  }

  // movi: the padding is left as a hole; a cut-short recording claims more.
  const std::uint64_t claim = recipe.mdatPadding + 4 + (recipe.aviTruncatedMovi ? 65536 : 0);
  Bytes movi;
  PutCode(movi, "LIST");
  PutLe(movi, static_cast<std::uint32_t>(claim), 4);
  PutCode(movi, "movi");
  const std::uint64_t moviAt = img.Push(std::move(movi));
  img.size = moviAt + 12 + recipe.mdatPadding;

  if (!recipe.aviTruncatedMovi) {
    const bool after = recipe.placement == Placement::kTopLevel ||
                       recipe.placement == Placement::kAfterMovi ||
                       recipe.placement == Placement::kInsideMoov ||
                       recipe.placement == Placement::kInsideUdta;
    if (after) PlaceTelemetry(tel, img.Push(tel.bytes), layout);
    img.Push(Chunk("idx1", {}));
  }
  Bytes riffSize;
  PutLe(riffSize, static_cast<std::uint32_t>(img.size - 8), 4);
  img.Add(4, riffSize);
  if (layout) layout->fileSize = img.size;
  return img;
}

}  // namespace recgen
