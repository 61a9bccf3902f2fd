#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The numbered texts of the user interface, one table per language, UTF-8.

// The ids every table carries, in ascending order (101-145, 179-201, 1065).
const std::vector<int>& StringTableIds();

// Text of `id` in the table for `languageId`: the table stored under exactly
// that identifier, or when there is none the table of the same primary
// language with the neutral sub-language. Empty when there is no such table
// or id.
std::string FindStringResource(std::uint16_t languageId, int id);

// Text of `id` in the given language, falling back to English text by text
// when the language has no table, no such id or an empty text; empty when
// English lacks the id too.
std::string LoadLocalizedString(int id, std::uint16_t languageId);

// The same in the language chosen in the settings store (GetSettings()).
// Texts 101-103 (system-menu About item, player error, start-up failure)
// follow the system's user-interface language instead, as LoadSystemString.
std::string LoadLocalizedString(int id);

// Text of `id` in the system's user-interface language, with the English
// fallback.
std::string LoadSystemString(int id);

// Language identifier of the system's user interface, taken from the first
// of LC_ALL, LC_MESSAGES and LANG that is set and not empty ("ko_KR.UTF-8"
// gives Korean). "C", "POSIX", unset and unknown languages give English.
std::uint16_t SystemLanguageId();
