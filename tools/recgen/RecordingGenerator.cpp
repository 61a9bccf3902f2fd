// One recording: synthetic headers written directly, or real video through ffmpeg.
#include "tools/recgen/RecordingGenerator.h"

#include "tools/recgen/ByteBlocks.h"
#include "tools/recgen/RealVideo.h"

namespace recgen {

namespace {

bool IsBoxContainer(Container c) {
  return c == Container::kMov || c == Container::kMp4Boxes || c == Container::kThreeGp;
}

int CheckSpec(const RecordingSpec& spec, std::string* error) {
  if (spec.width == 0 || spec.height == 0 || spec.durationMs == 0) {
    SetError(error, "width, height and duration must not be 0");
    return 0;
  }
  if (spec.mdhdVersion != 0 && spec.mdhdVersion != 1) {
    SetError(error, "mdhd version must be 0 or 1");
    return 0;
  }
  if (spec.container == Container::kAvi && spec.mdatPadding > 0xFFFFFF00ull) {
    SetError(error, "AVI padding must stay below 4 GiB");
    return 0;
  }
  if (spec.realVideo && (spec.width % 2 || spec.height % 2)) {
    SetError(error, "H.264 video needs an even width and height");
    return 0;
  }
  return 1;
}

}  // namespace

Bytes BuildSyntheticRecording(const RecordingSpec& spec, RecordingLayout* layout) {
  if (spec.container == Container::kAvi) return BuildAviImage(spec, layout).Flatten();
  return BuildBoxImage(spec, layout).Flatten();
}

int WriteRecording(const RecordingSpec& spec, const std::filesystem::path& out,
                   RecordingLayout* layout, std::string* error) {
  if (!CheckSpec(spec, error)) return 0;
  if (spec.container == Container::kMp4DataTrack) {
    if (layout) *layout = {};
    if (!WriteDataTrackRecording(spec, out, error)) return 0;
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(out, ec);
    if (spec.mdatPadding && !PadFileTo(out, size + spec.mdatPadding, false, error)) return 0;
    if (layout) layout->fileSize = std::filesystem::file_size(out, ec);
    return 1;
  }
  if (spec.realVideo) return WriteRealVideoRecording(spec, out, layout, error);
  const FileImage img = IsBoxContainer(spec.container) ? BuildBoxImage(spec, layout)
                                                       : BuildAviImage(spec, layout);
  return WriteImage(out, img, error);
}

}  // namespace recgen
