// Hostile file names through the scan's name rules and into the text of a
// KML document. The rules accept only names with four name characters, four
// digits and a recording extension; the escaped text must be well-formed
// UTF-8 without markup.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/targets/FuzzSupport.h"
#include "catalog/KmlWriter.h"
#include "catalog/MediaCatalog.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) { ++i; continue; }
    if ((c & 0xE0) == 0xC0) { n = 1; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { n = 2; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { n = 3; cp = c & 0x07; }
    else return false;
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzScratch scratch;
  const std::string name(reinterpret_cast<const char*>(data), size);
  bool gMark = false;
  bool readOnly = true;
  const bool accepted = MediaCatalog::CheckScanName(scratch.Folder(), name, gMark, readOnly);
  if (accepted) {
    FuzzCheck(name.size() >= 8, "a name shorter than the pattern was accepted");
    for (std::size_t i = 4; i < 8; ++i) FuzzCheck(IsDigit(name[i]), "a name without its digits was accepted");
    // Nothing by that name exists in the empty scratch folder (a name with
    // a '/' might reach some other file).
    if (name.find_first_of(std::string("/\0", 2)) == std::string::npos)
      FuzzCheck(!readOnly, "a missing file was taken as read-only");
  }

  const std::string text = XmlEscapeText(name);
  FuzzCheck(IsValidUtf8(text), "escaped text is not valid UTF-8");
  FuzzCheck(text.find_first_of("<>") == std::string::npos, "escaped text holds markup");
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    FuzzCheck(u >= 0x20 || u == '\t' || u == '\n' || u == '\r', "escaped text holds a control byte");
  }
  for (std::size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 1)) {
    const auto end = text.find(';', at);
    FuzzCheck(end != std::string::npos && end - at <= 6, "a bare ampersand in escaped text");
  }
  return 0;
}
