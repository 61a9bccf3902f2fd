#include "app/Languages.h"


// The table is constant-initialised, so it is complete before any static
// constructor of another file can look at it.
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

int FindLanguage(std::string_view code) {
  for (int i = 0; i < kLanguageCount; ++i) {
    if (code == g_languages[i].code) return i;
  }
  return -1;
}
