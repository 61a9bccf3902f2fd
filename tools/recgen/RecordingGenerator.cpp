// One recording: synthetic headers written directly, or real video through ffmpeg.
#include "tools/recgen/RecordingGenerator.h"

#include "tools/recgen/ByteBlocks.h"
#include "tools/recgen/RealVideo.h"

namespace recgen {

namespace {

bool IsBoxContainer(Container c) {
  return c == Container::kMov || c == Container::kMp4Boxes || c == Container::kThreeGp;
}

int CheckRecipe(const RecordingRecipe& recipe, std::string* error) {
  if (recipe.width == 0 || recipe.height == 0 || recipe.durationMs == 0) {
    SetError(error, "width, height and duration must not be 0");
    return 0;
  }
  if (recipe.mdhdVersion != 0 && recipe.mdhdVersion != 1) {
    SetError(error, "mdhd version must be 0 or 1");
    return 0;
  }
  if (recipe.container == Container::kAvi && recipe.mdatPadding > 0xFFFFFF00ull) {
    SetError(error, "AVI padding must stay below 4 GiB");
    return 0;
  }
  if (recipe.realVideo && (recipe.width % 2 || recipe.height % 2)) {
    SetError(error, "H.264 video needs an even width and height");
    return 0;
  }
  return 1;
}

}  // namespace

Bytes BuildSyntheticRecording(const RecordingRecipe& recipe, RecordingLayout* layout) {
  if (recipe.container == Container::kAvi) return BuildAviImage(recipe, layout).Flatten();
  return BuildBoxImage(recipe, layout).Flatten();
}

int WriteRecording(const RecordingRecipe& recipe, const std::filesystem::path& out,
                   RecordingLayout* layout, std::string* error) {
  if (!CheckRecipe(recipe, error)) return 0;
  if (recipe.container == Container::kMp4DataTrack) {
    if (layout) *layout = {};
    if (!WriteDataTrackRecording(recipe, out, error)) return 0;
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(out, ec);
    if (recipe.mdatPadding && !PadFileTo(out, size + recipe.mdatPadding, false, error)) return 0;
    if (layout) layout->fileSize = std::filesystem::file_size(out, ec);
    return 1;
  }
  if (recipe.realVideo) return WriteRealVideoRecording(recipe, out, layout, error);
  const FileImage img = IsBoxContainer(recipe.container) ? BuildBoxImage(recipe, layout)
                                                       : BuildAviImage(recipe, layout);
  return WriteImage(out, img, error);
}

}  // namespace recgen
