#pragma once

#include "telemetry/ZelVideoParser.h"

// Reads ".mp4" recordings whose telemetry is a data track of 32-byte GPS
// packets and 12-byte G-sensor packets, through libavformat. Only the
// data streams are read: audio and video are discarded and seeked over.
class CZelMP4Parser : public CZelVideoParser {
 public:
  void SetInfoTarget(MediaInfo* info) override { m_info = info; }
  int Parse(const std::filesystem::path& path) override;
  // The MP4 parser does not fill the file status.
  void SetStatusTarget(FileStatus* status) override { m_status = status; }
};
