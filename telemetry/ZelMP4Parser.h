#pragma once

#include "telemetry/ZelVideoParser.h"

// Reads ".mp4" recordings whose telemetry is a data track of 32-byte GPS
// packets and 12-byte G-sensor packets, through libavformat. Only the
// data streams are read: audio and video are discarded and seeked over.
// libavformat reads through the parser's ByteReader, so a file and bytes
// in memory are parsed alike.
class CZelMP4Parser : public CZelVideoParser {
 protected:
  ParseResult Walk() override;
  // The MP4 parser does not fill the file status.
  bool FillsFileStatus() const override { return false; }
};
