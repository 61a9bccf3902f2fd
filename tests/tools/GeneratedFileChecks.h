#pragma once

// Independent readers for the generated files: a box walk and a RIFF walk
// that follow the camera parsers' rules, and a libavformat probe.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using FileBytes = std::vector<std::uint8_t>;

FileBytes ReadFileBytes(const std::filesystem::path& p);

struct WalkResult {
  bool ok = false;  // the file starts the way the parser requires
  std::string firstType;
  std::uint32_t durationMs = 0;
  std::uint16_t width = 0, height = 0;
  // Telemetry payloads the parser's walk reaches: code -> (offset, size).
  std::map<std::string, std::pair<std::uint64_t, std::uint32_t>> found;
  bool moviPastEnd = false;
};

// Top level and moov children; mdhd read at the offsets of its version.
WalkResult WalkBoxes(const FileBytes& b);
// RIFF: hdrl/strl entered, other lists stepped over, movi stepped over.
WalkResult WalkRiff(const FileBytes& b, std::uint64_t fileSize);

struct Probe {
  bool opened = false;
  int width = 0, height = 0;
  std::int64_t durationMs = 0;
  int dataStreams = 0;
  std::vector<FileBytes> packets32;  // 32-byte packets of data streams, in order
  std::vector<FileBytes> packets12;  // 12-byte packets of data streams, in order
  std::size_t other32 = 0;           // 32-byte packets of other streams
  std::string startTimeTag;
};
Probe ProbeWithLibav(const std::filesystem::path& p);

bool HaveFfmpeg();
