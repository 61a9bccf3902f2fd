#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// One language of the user interface. The row index in g_languages is the
// language index used by the settings store and the configuration dialog.
struct LanguageEntry {
  const char* code;        // three capital letters, stored in the settings file
  const char* nativeName;  // UTF-8, shown in the configuration dialog
  std::uint16_t primary;   // primary language
  std::uint16_t sub;       // sub-language

  // The 16-bit language identifier: sub-language x 1024 + primary language.
  constexpr std::uint16_t LanguageId() const {
    return static_cast<std::uint16_t>(sub * 1024 + primary);
  }
};

inline constexpr int kLanguageCount = 16;
inline constexpr int kEnglishIndex = 0;
inline constexpr std::uint16_t kEnglishLanguageId = 0x0409;

extern const std::array<LanguageEntry, kLanguageCount> g_languages;

// Row of the language with exactly this code (case-sensitive), or -1.
int FindLanguage(std::string_view code);

// Primary language and neutral identifier helpers.
constexpr std::uint16_t PrimaryLanguageOf(std::uint16_t languageId) { return languageId & 0x3FF; }
constexpr std::uint16_t SubLanguageOf(std::uint16_t languageId) { return languageId >> 10; }
