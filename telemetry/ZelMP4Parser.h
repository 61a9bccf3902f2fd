#pragma once

#include "telemetry/ZelVideoParser.h"

// Reads ".mp4" recordings whose telemetry is a data track of 32-byte GPS
// packets and 12-byte G-sensor packets, through libavformat. libavformat
// reads through the parser's ByteReader, so a file and bytes in memory are
// parsed alike.
//
// A scan (kHeaders) reads the header boxes, counts the data packets in the
// sample table (MediaInfo::trackFixCount / trackSampleCount) and reads GPS
// packets only up to the first timed fix, for the start time: a handful of
// reads however long the recording. The lists stay empty. kSeries reads
// every data packet into MediaInfo::gpsFixes / gsensorSamples as well;
// ReadTelemetry uses it when a recording is loaded. Both give the same
// facts. A fragmented file is read through in both, since only its
// fragments tell its length and samples.
class CZelMP4Parser : public CZelVideoParser {
 public:
  enum class Depth { kHeaders, kSeries };
  explicit CZelMP4Parser(Depth depth = Depth::kHeaders) : m_depth(depth) {}

 protected:
  ParseResult Walk() override;
  // The MP4 parser does not fill the file status.
  bool FillsFileStatus() const override { return false; }

 private:
  Depth m_depth;
};
