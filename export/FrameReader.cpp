#include "export/FrameReader.h"

bool FrameReader::Open(const std::string& path, std::int64_t fromMs, std::string& error) {
  if (!m_input.Open(path, error)) return false;
  const AVCodecParameters* par = m_input.VideoStream()->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  m_decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
  if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), par) < 0) {
    error = "no decoder for the video of " + path;
    return false;
  }
  m_decoder->thread_count = 2;
  m_decoder->pkt_timebase = m_input.VideoStream()->time_base;
  if (avcodec_open2(m_decoder.get(), codec, nullptr) < 0) {
    error = "cannot decode the video of " + path;
    return false;
  }
  m_input.SeekTo(fromMs);
  return true;
}

// Reads packets until one video packet went to the decoder (or the end).
bool FrameReader::Feed() {
  while (true) {
    const int r = av_read_frame(m_input.format.get(), m_packet.get());
    if (r < 0) {
      avcodec_send_packet(m_decoder.get(), nullptr);
      m_draining = true;
      return false;
    }
    const int stream = m_packet->stream_index;
    if (stream == m_input.audio && onAudio && !onAudio(m_packet.get())) {
      av_packet_unref(m_packet.get());
      m_stopped = true;
      return false;
    }
    if (stream != m_input.video) {
      av_packet_unref(m_packet.get());
      continue;
    }
    const int sent = avcodec_send_packet(m_decoder.get(), m_packet.get());
    av_packet_unref(m_packet.get());
    if (sent < 0 && sent != AVERROR(EAGAIN)) ++m_skipped;
    return true;
  }
}

bool FrameReader::Next(AVFrame* frame, std::int64_t& offsetUs) {
  while (!m_stopped) {
    const int r = avcodec_receive_frame(m_decoder.get(), frame);
    if (r == 0) {
      std::int64_t ts = frame->best_effort_timestamp;
      if (ts == AV_NOPTS_VALUE) ts = frame->pts;
      if (ts == AV_NOPTS_VALUE) {
        ++m_skipped;
        av_frame_unref(frame);
        continue;
      }
      offsetUs = m_input.OffsetUs(ts, m_input.video);
      return true;
    }
    if (r == AVERROR_EOF) return false;
    if (r != AVERROR(EAGAIN)) {
      ++m_skipped;
      if (m_draining) return false;
    }
    if (m_draining) return false;
    if (!Feed() && !m_draining) return false;
  }
  return false;
}

bool RearPictures::Open(const std::string& path, std::int64_t fromMs, std::string& error) {
  return m_reader.Open(path, fromMs, error);
}

const AVFrame* RearPictures::At(std::int64_t offsetUs) {
  while (!m_ended) {
    if (!m_haveNext) {
      av_frame_unref(m_next.get());
      m_haveNext = m_reader.Next(m_next.get(), m_nextUs);
      if (!m_haveNext) {
        m_ended = true;
        break;
      }
    }
    if (m_nextUs > offsetUs) break;
    std::swap(m_current, m_next);
    m_haveCurrent = true;
    m_haveNext = false;
  }
  return m_haveCurrent ? m_current.get() : nullptr;
}
