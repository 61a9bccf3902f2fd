#pragma once

#include <string>

#include "export/AvHandles.h"

// The MP4 file being written. It is written under a temporary name beside
// the target and appears under the target's name only through Commit; a
// MuxOutput destroyed uncommitted removes what it wrote. Any failed write
// (a full disk, a file size limit) is remembered and makes Finish fail.
class MuxOutput {
 public:
  MuxOutput() = default;
  ~MuxOutput();
  MuxOutput(const MuxOutput&) = delete;
  MuxOutput& operator=(const MuxOutput&) = delete;

  bool Create(const std::string& target, std::string& error);
  // A stream with the parameters of `codec`, in the time base given.
  AVStream* AddStream(const AVCodecParameters* codec, AVRational timeBase);
  bool Begin(std::string& error);
  // Writes a packet whose timestamps are in microseconds of the clip
  // (`pts`, `dts`, `duration`); they are rescaled into the stream's time
  // base. Decoding timestamps that would not increase are nudged forward.
  bool Write(AVPacket* packet, int stream, std::string& error);
  // Writes the index and closes the file; false on any write failure.
  bool Finish(std::string& error);
  // Renames the finished file onto the target.
  bool Commit(std::string& error);
  void Discard();

  AVFormatContext* Context() const { return m_context; }

 private:
  std::string m_target;
  std::string m_temp;
  AVFormatContext* m_context = nullptr;
  std::int64_t m_lastDts[8] = {INT64_MIN, INT64_MIN, INT64_MIN, INT64_MIN,
                               INT64_MIN, INT64_MIN, INT64_MIN, INT64_MIN};
  bool m_finished = false;
};
