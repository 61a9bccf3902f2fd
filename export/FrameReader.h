#pragma once

#include <functional>
#include <string>

#include "export/AvHandles.h"

// Decoded pictures of one recording's video in presentation order, from a
// key frame at or before a start offset. Packets of the audio stream go to
// `onAudio` as they are read. Pictures that cannot be decoded are left out
// and counted.
class FrameReader {
 public:
  using AudioSink = std::function<bool(AVPacket* packet)>;

  bool Open(const std::string& path, std::int64_t fromMs, std::string& error);
  MediaInput& Input() { return m_input; }
  // The next picture into `frame` and its offset into the recording in
  // microseconds; false at the end (or when onAudio returned false:
  // `stopped` is then set).
  bool Next(AVFrame* frame, std::int64_t& offsetUs);
  int Skipped() const { return m_skipped; }
  bool Stopped() const { return m_stopped; }
  AudioSink onAudio;

 private:
  bool Feed();

  MediaInput m_input;
  AvCodecPtr m_decoder;
  AvPacketPtr m_packet = MakePacket();
  bool m_draining = false;
  bool m_stopped = false;
  int m_skipped = 0;
};

// The rear picture to show beside the main one: the latest at or before a
// given offset.
class RearPictures {
 public:
  bool Open(const std::string& path, std::int64_t fromMs, std::string& error);
  // Null until the first rear picture is due.
  const AVFrame* At(std::int64_t offsetUs);
  int Skipped() const { return m_reader.Skipped(); }

 private:
  FrameReader m_reader;
  AvFramePtr m_current = MakeFrame();
  AvFramePtr m_next = MakeFrame();
  std::int64_t m_nextUs = 0;
  bool m_haveCurrent = false;
  bool m_haveNext = false;
  bool m_ended = false;
};
