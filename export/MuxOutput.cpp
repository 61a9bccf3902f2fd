#include "export/MuxOutput.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

extern "C" {
#include <libavutil/mathematics.h>
}

namespace {

// A new empty file beside `target` (same folder, so the rename is atomic).
bool MakeTempBeside(const std::string& target, std::string& temp) {
  const std::filesystem::path p(target);
  std::filesystem::path dir = p.parent_path();
  std::string pattern = (dir.empty() ? std::string() : dir.string() + "/") + "." +
                        p.filename().string() + ".part-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return false;
  close(fd);
  temp = pattern;
  return true;
}

}  // namespace

MuxOutput::~MuxOutput() { Discard(); }

bool MuxOutput::Create(const std::string& target, std::string& error) {
  m_target = target;
  if (!MakeTempBeside(target, m_temp)) {
    error = "cannot write into the folder of " + target;
    return false;
  }
  const int r = avformat_alloc_output_context2(&m_context, nullptr, "mp4", m_temp.c_str());
  if (r < 0 || !m_context) {
    error = "cannot make an MP4 file: " + AvErrorText(r);
    return false;
  }
  return true;
}

AVStream* MuxOutput::AddStream(const AVCodecParameters* codec, AVRational timeBase) {
  if (m_context->nb_streams >= 8) return nullptr;
  AVStream* s = avformat_new_stream(m_context, nullptr);
  if (!s) return nullptr;
  if (avcodec_parameters_copy(s->codecpar, codec) < 0) return nullptr;
  s->codecpar->codec_tag = 0;  // let the MP4 muxer choose
  s->time_base = timeBase;
  return s;
}

bool MuxOutput::Begin(std::string& error) {
  int r = avio_open(&m_context->pb, m_temp.c_str(), AVIO_FLAG_WRITE);
  if (r < 0) {
    error = "cannot write " + m_temp + ": " + AvErrorText(r);
    return false;
  }
  AVDictionary* options = nullptr;
  av_dict_set(&options, "movflags", "+faststart", 0);
  r = avformat_write_header(m_context, &options);
  av_dict_free(&options);
  if (r < 0) {
    error = "cannot write " + m_target + ": " + AvErrorText(r);
    return false;
  }
  return true;
}

bool MuxOutput::Write(AVPacket* packet, int stream, std::string& error) {
  AVStream* s = m_context->streams[stream];
  const AVRational us = kMicroseconds;
  packet->stream_index = stream;
  if (packet->pts != AV_NOPTS_VALUE) packet->pts = av_rescale_q(packet->pts, us, s->time_base);
  if (packet->dts != AV_NOPTS_VALUE) packet->dts = av_rescale_q(packet->dts, us, s->time_base);
  packet->duration = av_rescale_q(packet->duration, us, s->time_base);
  std::int64_t& last = m_lastDts[stream];
  if (packet->dts != AV_NOPTS_VALUE) {
    if (last != INT64_MIN && packet->dts <= last) packet->dts = last + 1;
    if (packet->pts != AV_NOPTS_VALUE && packet->pts < packet->dts) packet->pts = packet->dts;
    last = packet->dts;
  }
  const int r = av_interleaved_write_frame(m_context, packet);
  if (r < 0 || (m_context->pb && m_context->pb->error < 0)) {
    const int code = r < 0 ? r : m_context->pb->error;
    error = "cannot write " + m_target + ": " + AvErrorText(code);
    return false;
  }
  return true;
}

bool MuxOutput::Finish(std::string& error) {
  int r = av_write_trailer(m_context);
  if (r >= 0 && m_context->pb->error < 0) r = m_context->pb->error;
  const int closed = avio_closep(&m_context->pb);
  if (r >= 0) r = closed;
  if (r < 0) {
    error = "cannot write " + m_target + ": " + AvErrorText(r);
    return false;
  }
  m_finished = true;
  return true;
}

bool MuxOutput::Commit(std::string& error) {
  if (!m_finished || std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    error = "cannot put the video in place at " + m_target;
    return false;
  }
  m_temp.clear();
  return true;
}

void MuxOutput::Discard() {
  if (m_context) {
    if (m_context->pb) avio_closep(&m_context->pb);
    avformat_free_context(m_context);
    m_context = nullptr;
  }
  if (!m_temp.empty()) std::remove(m_temp.c_str());
  m_temp.clear();
}
