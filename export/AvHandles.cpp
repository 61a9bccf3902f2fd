#include "export/AvHandles.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
}

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

bool MediaInput::Open(const std::string& path, std::string& error) {
  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) {
    error = "out of memory";
    return false;
  }
  raw->flags |= AVFMT_FLAG_GENPTS;
  int r = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (r < 0) {
    error = "cannot open " + path + ": " + AvErrorText(r);
    return false;
  }
  format.reset(raw);
  r = avformat_find_stream_info(raw, nullptr);
  if (r < 0) {
    error = "cannot read " + path + ": " + AvErrorText(r);
    return false;
  }
  video = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  audio = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (video < 0) {
    error = path + " has no video";
    return false;
  }
  if (audio < 0) audio = -1;
  if (raw->start_time != AV_NOPTS_VALUE) originUs = raw->start_time;
  return true;
}

bool MediaInput::SeekTo(std::int64_t ms) {
  if (ms <= 0) return true;  // a freshly opened input is at its start
  const std::int64_t ts =
      av_rescale_q(ms * 1000 + originUs, kMicroseconds, VideoStream()->time_base);
  return av_seek_frame(format.get(), video, ts, AVSEEK_FLAG_BACKWARD) >= 0;
}

std::int64_t MediaInput::OffsetUs(std::int64_t ts, int index) const {
  return av_rescale_q(ts, format->streams[index]->time_base, kMicroseconds) - originUs;
}
