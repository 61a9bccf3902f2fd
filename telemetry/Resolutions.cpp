#include "telemetry/Resolutions.h"

#include <cstdio>

// Constant-initialised, so complete before any static constructor of
// another file can look at it.
constexpr std::array<ResolutionEntry, kResolutionCount> g_resolutions = {{
    {0, 2048, 1600, "QXGA"},
    {1, 2048, 1536, "QXGA"},
    {2, 1920, 1080, "FHD"},
    {3, 1600, 1200, "UXGA"},
    {4, 1280, 1024, "SXGA"},
    {5, 1280, 720, "HD"},
    {6, 1152, 870, "MAC"},
    {7, 1024, 768, "XGA"},
    {8, 800, 600, "SVGA"},
    {9, 720, 480, "480P"},
    {10, 640, 480, "VGA"},
    {11, 320, 240, "CIF"},
    {13, -1, -1, ""},
}};

std::string FindResolutionName(int width, int height, int maxLength) {
  std::string name;
  bool found = false;
  for (const ResolutionEntry& row : g_resolutions) {
    if (row.width == width && row.height == height) {
      name = row.name;
      found = true;
      break;
    }
  }
  if (!found && width != 0 && height != 0) {
    char text[32];
    std::snprintf(text, sizeof text, "%dx%d", width, height);
    name = text;
  }
  if (maxLength > 0 && name.size() > static_cast<std::size_t>(maxLength)) name.resize(maxLength);
  return name;
}
