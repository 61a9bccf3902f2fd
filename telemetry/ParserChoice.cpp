#include "telemetry/ParserChoice.h"

#include <string>

#include "telemetry/Zel3gpParser.h"
#include "telemetry/ZelAviParser.h"
#include "telemetry/ZelMP4Parser.h"

ParserKind ChooseParser(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (name.size() >= 4) {
    const std::string ext = name.substr(name.size() - 4);
    if (ext == ".AVI") return ParserKind::kAvi;
    if (ext == ".mp4") return ParserKind::kMp4;
  }
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
