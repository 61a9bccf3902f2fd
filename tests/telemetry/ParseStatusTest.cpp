// Each parser says whether a file was understood, of another kind, damaged,
// or unreadable; and bytes in memory parse exactly as the same file does.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "ParserTestSupport.h"
#include "telemetry/ParserChoice.h"

using namespace testing_support;

namespace {

recgen::Bytes ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return recgen::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

recgen::RecordingRecipe Recipe(recgen::Container container) {
  recgen::RecordingRecipe s;
  s.container = container;
  s.route = TestRoute(5);
  s.gsensor = recgen::MakeGSensorSeries(5, 10, 8);
  s.width = 320;
  s.height = 240;
  s.durationMs = 5000;
  return s;
}

}  // namespace

TEST(ParseStatus, EachOutcomeFromFileAndFromMemory) {
  using recgen::Container;
  TempDir dir("status");
  const recgen::Bytes junk(5000, 0x5A);
  recgen::Bytes ftypThenJunk = recgen::Box("ftyp", {'i', 's', 'o', 'm', 0, 0, 2, 0});
  ftypThenJunk.insert(ftypThenJunk.end(), junk.begin(), junk.begin() + 100);

  struct Case {
    const char* name;
    std::function<std::filesystem::path()> make;
    ParseStatus want;
  };
  const Case cases[] = {
      {"MOV", [&] { return WriteRec(dir / "A.MOV", Recipe(Container::kMov)); }, ParseStatus::kOk},
      {"AVI", [&] { return WriteRec(dir / "A.AVI", Recipe(Container::kAvi)); }, ParseStatus::kOk},
      {"data track",
       [&] { return WriteRec(dir / "A.mp4", Recipe(Container::kMp4DataTrack)); }, ParseStatus::kOk},
      {"junk MOV", [&] { return WriteFile(dir / "J.MOV", junk); }, ParseStatus::kNotThisFormat},
      {"junk AVI", [&] { return WriteFile(dir / "J.AVI", junk); }, ParseStatus::kNotThisFormat},
      {"junk mp4", [&] { return WriteFile(dir / "J.mp4", junk); }, ParseStatus::kNotThisFormat},
      {"empty MOV", [&] { return WriteFile(dir / "E.MOV", {}); }, ParseStatus::kNotThisFormat},
      {"AVI with movi cut off",
       [&] {
         auto s = Recipe(Container::kAvi);
         s.aviTruncatedMovi = true;
         return WriteRec(dir / "T.AVI", s);
       },
       ParseStatus::kDamaged},
      {"MOV cut off in its movie header",
       [&] {
         const auto path = WriteRec(dir / "C.MOV", Recipe(Container::kMov));
         std::filesystem::resize_file(path, 40);
         return path;
       },
       ParseStatus::kDamaged},
      {"mp4 without movie header", [&] { return WriteFile(dir / "F.mp4", ftypThenJunk); },
       ParseStatus::kDamaged},
      {"missing", [&] { return dir / "GONE.MOV"; }, ParseStatus::kIoError},
      {"folder", [&] {
         std::filesystem::create_directory(dir / "D.AVI");
         return dir / "D.AVI";
       },
       ParseStatus::kIoError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = c.make();
    auto parser = CreateParser(ChooseParser(path));
    const ParseResult fromFile = parser->ParseFile(path);
    EXPECT_EQ(ParseStatusName(fromFile.status), std::string(ParseStatusName(c.want)));
    EXPECT_EQ(fromFile.error.empty(), fromFile.Ok()) << fromFile.error;
    if (!fromFile.Ok()) EXPECT_EQ(fromFile.info.fileSize, 0u);
    if (c.want == ParseStatus::kIoError) continue;

    const recgen::Bytes bytes = ReadAll(path);
    const ParseResult fromMemory = parser->ParseMemory(bytes);
    EXPECT_EQ(fromMemory.status, fromFile.status);
    EXPECT_EQ(fromMemory.info.fileSize, fromFile.info.fileSize);
    EXPECT_EQ(fromMemory.info.durationMs, fromFile.info.durationMs);
    EXPECT_EQ(fromMemory.info.gpsSize + fromMemory.info.gpsFixes.size(),
              fromFile.info.gpsSize + fromFile.info.gpsFixes.size());
  }
}
