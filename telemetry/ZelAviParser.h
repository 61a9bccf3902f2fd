#pragma once

#include <cstdint>

#include "telemetry/ZelVideoParser.h"

// Walks the RIFF structure of ".AVI" recordings: duration from the main
// header, picture size from the video stream format, and where the
// camera's telemetry chunks (gps0, gsen, gpsa, gsea, IDIT) lie. The only
// parser that sets the recording's length.
class CZelAviParser : public CZelVideoParser {
 protected:
  ParseResult Walk() override;

 private:
  std::uint32_t ReadFourCC(std::uint64_t& position);
  std::uint32_t ReadChunkSize(std::uint64_t& position);
  // Where the chunk after a payload of `size` bytes at `payload` starts:
  // RIFF follows an odd-sized payload with a pad byte.
  std::uint64_t NextChunk(std::uint64_t payload, std::uint32_t size);
  bool KnownCodeAt(std::uint64_t position);

  // Each returns the position where it stopped; they clear m_structureOk
  // when a header is too short for the fields it must hold.
  std::uint64_t ReadMainHeader(std::uint64_t position);
  std::uint64_t ReadStreamHeader(std::uint64_t position);
  std::uint64_t ReadVideoFormat(std::uint64_t position);
  std::uint64_t SkipAudioFormat(std::uint64_t position);

  bool m_truncated = false;
  bool m_structureOk = true;
};
