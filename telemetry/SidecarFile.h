#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>

// A log written beside a recording under the recording's base name
// ("FILE0001.MP4" -> "FILE0001.nmea"), tried with each extension in turn.

// The first existing regular file; empty when there is none.
std::filesystem::path FindSidecar(const std::filesystem::path& recording,
                                  std::initializer_list<const char*> extensions);

// Reads the whole sidecar (at most 64 MiB: a log of a day at 10 Hz is a
// fraction of that). False when it cannot be read or is larger.
bool ReadSidecar(const std::filesystem::path& path, std::string& text);

// The first `count` bytes (fewer when the file is shorter).
bool ReadSidecarHead(const std::filesystem::path& path, std::size_t count, std::string& text);
