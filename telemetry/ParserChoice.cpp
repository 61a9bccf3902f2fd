#include "telemetry/ParserChoice.h"

#include <string>

#include "telemetry/Zel3gpParser.h"
#include "telemetry/ZelAviParser.h"
#include "telemetry/ZelMP4Parser.h"

ParserKind ChooseParser(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (name.size() < 4) return ParserKind::kBox;
  const std::string ext = name.substr(name.size() - 4);
  // Only the AVI parser reads RIFF, whatever case the name has; for ".mp4"
  // the case tells the data-track file from one with telemetry boxes.
  std::string lower = ext;
  for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  if (lower == ".avi") return ParserKind::kAvi;
  if (ext == ".mp4") return ParserKind::kMp4;
  return ParserKind::kBox;
}

const char* ParserKindName(ParserKind kind) {
  switch (kind) {
    case ParserKind::kMp4: return "mp4";
    case ParserKind::kAvi: return "avi";
    case ParserKind::kBox: break;
  }
  return "box";
}

std::unique_ptr<CZelVideoParser> CreateParser(ParserKind kind) {
  switch (kind) {
    case ParserKind::kMp4: return std::make_unique<CZelMP4Parser>();
    case ParserKind::kAvi: return std::make_unique<CZelAviParser>();
    case ParserKind::kBox: break;
  }
  return std::make_unique<CZel3gpParser>();
}
