// Hostile "Zel.ini" contents through the INI reader and writer and the
// settings store. Besides surviving, a write of a plain name and value must
// read back as written, leave another key as it was, and the settings store
// must hand out a window position that lies on the screen.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/AppSettings.h"
#include "fuzz/targets/FuzzSupport.h"
#include "platform/Environment.h"
#include "platform/PrivateProfile.h"

namespace {

constexpr std::size_t kBuffer = 4096;

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool HasOuterBlank(std::string_view s) {
  return !s.empty() && (s.front() == ' ' || s.front() == '\t' || s.back() == ' ' || s.back() == '\t');
}

// Names and values the writer takes and the reader gives back unchanged.
bool IsPlainName(std::string_view s) {
  return !s.empty() && !HasOuterBlank(s) && s.find_first_of("\r\n=[];#") == std::string_view::npos;
}

bool IsPlainValue(std::string_view s) {
  if (HasOuterBlank(s) || s.find_first_of("\r\n") != std::string_view::npos) return false;
  return !(s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front());
}

size_t CodePoints(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

void CheckSettingsStore(const FuzzScratch& scratch) {
  CAppSettings settings(scratch.Folder());
  const int provider = settings.GetMapProvider();
  FuzzCheck(provider >= 0 && provider <= 2, "map provider outside 0..2");
  FuzzCheck(settings.GetLanguageIndex() >= 0 &&
                settings.GetLanguageIndex() < CAppSettings::GetLanguageCount(),
            "language index outside the table");
  settings.IsMapEnabled();
  settings.IsGSensorEnabled();
  settings.GetMediaFolder();
  settings.GetMapUrl();
  const WindowRect r = settings.LoadWindowPos();
  const ScreenSize screen = GetScreenSize();
  FuzzCheck(r.left >= 0 && r.top >= 0 && r.right <= screen.width && r.bottom <= screen.height,
            "window position off the screen");
  FuzzCheck(r.Width() > 0 && r.Height() > 0, "window without area");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzScratch scratch;
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(24);
  const std::string key = input.ConsumeRandomLengthString(24);
  const std::string value = input.ConsumeRandomLengthString(80);
  const std::size_t bufferSize = input.ConsumeIntegralInRange<std::size_t>(0, 100);
  const std::string content = input.ConsumeRemainingBytesAsString();
  const std::string path =
      scratch.Write("Zel.ini", reinterpret_cast<const std::uint8_t*>(content.data()), content.size());

  const std::string got = GetPrivateProfileString(section, key, "\x01", bufferSize, path);
  FuzzCheck(bufferSize > 0 || got.empty(), "a zero-size buffer returned text");
  FuzzCheck(bufferSize == 0 || CodePoints(got) < bufferSize, "a value longer than the buffer");
  GetPrivateProfileInt(section, key, -7, path);
  CheckSettingsStore(scratch);

  // Another key than the one written, and what it reads before the write.
  const bool otherIsTarget = EqualsNoCase(section, "UI") && EqualsNoCase(key, "LANGID");
  const std::string other = GetPrivateProfileString("UI", "LANGID", "\x01", kBuffer, path);

  const bool written = WritePrivateProfileString(section, key, value, path);
  if (IsPlainName(section) && IsPlainName(key) && IsPlainValue(value)) {
    FuzzCheck(written, "a plain write was refused");
    FuzzCheck(GetPrivateProfileString(section, key, "\x01", kBuffer, path) == value,
              "a written value does not read back");
    if (!otherIsTarget)
      FuzzCheck(GetPrivateProfileString("UI", "LANGID", "\x01", kBuffer, path) == other,
                "a write changed another key");
  }
  CheckSettingsStore(scratch);
  return 0;
}
