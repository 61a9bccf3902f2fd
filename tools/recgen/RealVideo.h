#pragma once

#include "tools/recgen/ByteBlocks.h"

namespace recgen {

// Box and AVI recordings with real H.264 video: ffmpeg makes the movie, then
// the telemetry boxes or chunks are added without moving any media data.
int WriteRealVideoRecording(const RecordingRecipe& recipe, const std::filesystem::path& out,
                            RecordingLayout* layout, std::string* error);

// MP4 recordings whose telemetry is a data track (with real or plain video).
int WriteDataTrackRecording(const RecordingRecipe& recipe, const std::filesystem::path& out,
                            std::string* error);

// Packets of a data-track file as the data-track parser counts them.
struct PacketCensus {
  std::size_t fixes = 0;          // 32-byte packets of data streams
  std::size_t wideSamples = 0;    // 12-byte packets of data streams
  std::size_t strayFixSized = 0;  // 32-byte packets of other streams
  int dataStreams = 0;
  int width = 0, height = 0;      // first video stream
  std::int64_t durationMs = -1;
};
int CountPackets(const std::filesystem::path& file, PacketCensus& census, std::string* error);

}  // namespace recgen
