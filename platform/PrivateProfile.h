#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// Private-profile (INI) access: "[section]" lines, "key=value" lines,
// comment lines starting with ';' or '#'. Section and key names compare
// ASCII case-insensitively; surrounding blanks of names and values are
// ignored; a value enclosed in matching quotes loses them on reading.
// Nothing is cached: every read opens and reads the file afresh, every
// write rewrites the file at once.

// Integer value of section/key. A missing file, section or key, or an empty
// value, yields `defaultValue`. Otherwise leading blanks, an optional sign
// and the leading decimal digits are taken ("12abc" reads 12, "abc" reads 0);
// values beyond the int range saturate.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& file);

// String value of section/key, or `defaultValue` when the file, section or
// key is missing. Like a caller's buffer of `bufferSize` characters, at most
// bufferSize - 1 characters (UTF-8 code points, never a cut sequence) are
// returned; bufferSize 0 returns an empty string.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::filesystem::path& file);

// Sets section/key to value and writes the file through. Creates the file on
// the first write, appends a missing section at the end and a missing key at
// the end of its section, and keeps every other line (sections, keys,
// comments, blank lines) as it was and in its order. Fails, changing
// nothing, when the file is read-only (owner write bit clear), cannot be
// written, or a name or the value contains a line break.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& file);
