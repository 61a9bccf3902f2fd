#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

// Owning handles for FFmpeg objects and the small helpers the export
// shares.
struct AvInputCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct AvCodecCloser {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct AvFrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct AvPacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using AvInputPtr = std::unique_ptr<AVFormatContext, AvInputCloser>;
using AvCodecPtr = std::unique_ptr<AVCodecContext, AvCodecCloser>;
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameFree>;
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketFree>;

inline AvFramePtr MakeFrame() { return AvFramePtr(av_frame_alloc()); }
inline AvPacketPtr MakePacket() { return AvPacketPtr(av_packet_alloc()); }

// FFmpeg's text for an error code.
std::string AvErrorText(int code);

// One opened recording: its video stream and, when it has one, its audio
// stream. Timestamps are asked for in presentation order (genpts), so AVI
// packets carry presentation times too.
struct MediaInput {
  AvInputPtr format;
  int video = -1;
  int audio = -1;
  std::int64_t originUs = 0;  // the file's first timestamp

  bool Open(const std::string& path, std::string& error);
  AVStream* VideoStream() const { return format->streams[video]; }
  AVStream* AudioStream() const { return audio >= 0 ? format->streams[audio] : nullptr; }
  // Seeks to the video key frame at or before `ms` into the recording.
  bool SeekTo(std::int64_t ms);
  // Microseconds into the recording of a timestamp of stream `index`.
  std::int64_t OffsetUs(std::int64_t ts, int index) const;
};

inline constexpr AVRational kMicroseconds{1, 1000000};
