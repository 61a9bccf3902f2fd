#pragma once

#include <array>
#include <cstdint>
#include <string>

// A video resolution with its display name. The last row (width and height
// -1, empty name) ends the table.
struct ResolutionEntry {
  std::int32_t id;
  std::int32_t width;
  std::int32_t height;
  const char* name;
};

inline constexpr int kResolutionCount = 13;

extern const std::array<ResolutionEntry, kResolutionCount> g_resolutions;

// Display name of a picture size: the name of the first row with this width
// and height, otherwise "WIDTHxHEIGHT" when both are non-zero, otherwise
// empty. A non-zero `maxLength` keeps only that many leading characters.
std::string FindResolutionName(int width, int height, int maxLength = 0);
