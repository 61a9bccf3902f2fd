#pragma once

// Low-level writers shared by the box, RIFF and card writers.

#include "tools/recgen/RecordingGenerator.h"

namespace recgen {

void PutBe(Bytes& b, std::uint64_t v, int n);
void PutLe(Bytes& b, std::uint64_t v, int n);
void PutCode(Bytes& b, const char code[5]);
void PutZeros(Bytes& b, std::size_t n);
void Append(Bytes& b, const Bytes& more);
void PokeBe32(Bytes& b, std::size_t at, std::uint32_t v);
void PokeLe32(Bytes& b, std::size_t at, std::uint32_t v);
std::uint32_t PeekBe32(const Bytes& b, std::size_t at);
std::uint32_t PeekLe32(const Bytes& b, std::size_t at);

// A file as a few written pieces over a zero background; the gaps become
// holes on disk, so padding costs no space.
struct FileImage {
  struct Piece {
    std::uint64_t offset = 0;
    Bytes bytes;
  };
  std::vector<Piece> pieces;
  std::uint64_t size = 0;

  void Add(std::uint64_t offset, Bytes bytes) {
    if (offset + bytes.size() > size) size = offset + bytes.size();
    pieces.push_back({offset, std::move(bytes)});
  }
  // Appends at the current end.
  std::uint64_t Push(Bytes bytes) {
    const std::uint64_t at = size;
    Add(at, std::move(bytes));
    return at;
  }
  Bytes Flatten() const;
};

// Grows a finished file to `size` bytes with trailing `free` boxes (or one
// JUNK chunk inside the RIFF for AVI), left as a hole. Smaller sizes: no-op.
int PadFileTo(const std::filesystem::path& file, std::uint64_t size, bool avi, std::string* error);

int WriteImage(const std::filesystem::path& out, const FileImage& image, std::string* error);

// Telemetry boxes or chunks in the order a camera writes them:
// gpsa, gsea, IDIT, gps0, gsen. Offsets are payload offsets inside `bytes`.
struct TelemetryBlock {
  Bytes bytes;
  std::int64_t gpsAt = -1;
  std::uint32_t gpsSize = 0;
  std::int64_t gsensorAt = -1;
  std::uint32_t gsensorSize = 0;
};
enum class Framing { kBox, kChunk };
TelemetryBlock MakeTelemetry(const RecordingRecipe& recipe, Framing framing);
// Fills the layout's payload offsets from a block placed at `base`.
void PlaceTelemetry(const TelemetryBlock& block, std::uint64_t base, RecordingLayout* layout);

// Synthetic images (no real video).
FileImage BuildBoxImage(const RecordingRecipe& recipe, RecordingLayout* layout);
FileImage BuildAviImage(const RecordingRecipe& recipe, RecordingLayout* layout);

void SetError(std::string* error, const std::string& text);

}  // namespace recgen
