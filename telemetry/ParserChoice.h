#pragma once

#include <filesystem>
#include <memory>

#include "telemetry/ZelVideoParser.h"

// Which parser reads a recording, chosen by the last four characters of
// its name: ".avi" in any case -> AVI; ".mp4" (lower case only) -> MP4 data
// track; anything else (.MOV, .MP4, .3GP ...) -> box walk.
enum class ParserKind { kMp4, kBox, kAvi };

ParserKind ChooseParser(const std::filesystem::path& path);
// "mp4", "box" or "avi".
const char* ParserKindName(ParserKind kind);
std::unique_ptr<CZelVideoParser> CreateParser(ParserKind kind);
