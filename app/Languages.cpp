#include "app/Languages.h"

#include <cstdio>

// Both tables are constant-initialised, so they are complete before any
// static constructor of another file can look at them.
constexpr std::array<LanguageEntry, kLanguageCount> g_languages = {{
    {"ENG", "English", 9, 1},
    {"CHS", "简体中文", 4, 2},
    {"CHT", "繁體中文", 4, 1},
    {"ESP", "español", 10, 1},
    {"RUS", "русский", 25, 1},
    {"POR", "português", 22, 2},
    {"JPN", "日本語", 17, 1},
    {"GER", "Deutsch", 7, 1},
    {"FRA", "français", 12, 1},
    {"KOR", "한국의", 18, 1},
    {"ITA", "italiano", 16, 1},
    {"LAT", "Latviski", 38, 1},
    {"POL", "Polski", 21, 1},
    {"ROM", "Română", 24, 1},
    {"SLV", "Slovenčina", 27, 1},
    {"UKR", "Українська", 34, 1},
}};

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

int FindLanguage(std::string_view code) {
  for (int i = 0; i < kLanguageCount; ++i) {
    if (code == g_languages[i].code) return i;
  }
  return -1;
}

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
