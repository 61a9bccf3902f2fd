// The RIFF walk over AVI recordings.
#include <gtest/gtest.h>

#include <random>

#include "ParserTestSupport.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/ZelAviParser.h"

using namespace testing_support;
using recgen::Bytes;
using recgen::Chunk;
using recgen::Concat;
using recgen::List;

namespace {

recgen::RecordingRecipe AviRecipe(recgen::Placement placement = recgen::Placement::kAfterMovi) {
  recgen::RecordingRecipe s;
  s.container = recgen::Container::kAvi;
  s.placement = placement;
  s.route = TestRoute(60);
  s.gsensor = recgen::MakeGSensorSeries(60, 10, 8);
  s.width = 1280;
  s.height = 720;
  return s;
}

Bytes Le32(std::uint32_t v) {
  return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

Bytes Riff(const Bytes& contents) { return Concat({Bytes{'R', 'I', 'F', 'F'}, Le32(4 + contents.size()), Bytes{'A', 'V', 'I', ' '}, contents}); }

Bytes Avih(std::uint32_t micros, std::uint32_t frames, std::size_t size = 56) {
  Bytes b = Concat({Le32(micros), Le32(0), Le32(0), Le32(0), Le32(frames)});
  b.resize(size, 0);
  return Chunk("avih", b);
}

Bytes VideoStrl(std::int32_t width, std::int32_t height, std::size_t strfSize = 40) {
  Bytes strh = {'v', 'i', 'd', 's'};
  strh.resize(56, 0);
  Bytes strf = Concat({Le32(40), Le32(static_cast<std::uint32_t>(width)), Le32(static_cast<std::uint32_t>(height))});
  strf.resize(strfSize, 0);
  return List("strl", Concat({Chunk("strh", strh), Chunk("strf", strf)}));
}

Bytes Movi() { return List("movi", Bytes(64, 0)); }

}  // namespace

class AviParserFiles : public ::testing::TestWithParam<recgen::Placement> {};

TEST_P(AviParserFiles, FindsFactsAndTelemetryOfGeneratedRecordings) {
  TempDir dir("avi");
  auto recipe = AviRecipe(GetParam());
  recipe.gpsRate = 1;
  recipe.gsensorRate = 20;
  recipe.sensorRange = 2;
  recipe.mdatPadding = 3 << 20;
  recgen::RecordingLayout layout;
  const auto path = WriteRec(dir / "FILE0001.AVI", recipe, &layout);

  const ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.durationMs, 60000u);
  EXPECT_EQ(p.info.length, 60);
  EXPECT_EQ(p.info.width, 1280);
  EXPECT_EQ(p.info.height, 720);
  EXPECT_EQ(p.info.fileSize, layout.fileSize);
  EXPECT_EQ(p.info.gpsOffset, layout.gpsOffset);
  EXPECT_EQ(p.info.gpsSize, layout.gpsSize);
  EXPECT_EQ(p.info.gsensorOffset, layout.gsensorOffset);
  EXPECT_EQ(p.info.gsensorSize, layout.gsensorSize);
  EXPECT_EQ(p.info.gsensorAttr[0], 20);
  EXPECT_EQ(p.info.gsensorAttr[1], 2);
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));

  const auto fixes = ReadTelemetry(path, p.info).fixes;
  ASSERT_EQ(fixes.size(), 60u);
  for (std::size_t i = 0; i < fixes.size(); ++i) EXPECT_TRUE(SameFix(fixes[i], recipe.route[i])) << i;
  EXPECT_EQ(ReadTelemetry(path, p.info).samples.size(), layout.gsensorSize / 3);
}

INSTANTIATE_TEST_SUITE_P(Placements, AviParserFiles,
                         ::testing::Values(recgen::Placement::kBeforeMovi, recgen::Placement::kAfterMovi));

TEST(AviParser, ChunksInsideAnInfoListAreNotFound) {
  TempDir dir("avi");
  const ParseOutcome p = ParseFile(WriteRec(dir / "FILE0001.AVI", AviRecipe(recgen::Placement::kInsideInfo)));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.gpsOffset, 0u);
  EXPECT_EQ(p.info.gsensorSize, 0u);
  EXPECT_EQ(p.info.startTime, 0);
}

TEST(AviParser, DurationAndLengthFromTheMainHeader) {
  TempDir dir("avi");
  struct Case {
    std::uint32_t micros, frames, ms;
    TimeSpan length;
  } cases[] = {
      {33333, 1800, 59999, 59},
      // 8e9 microseconds: the product needs more than 32 bits.
      {40000, 200000, 8000000, 8000},
  };
  for (const Case& c : cases) {
    auto recipe = AviRecipe();
    recipe.aviMicrosPerFrame = c.micros;
    recipe.aviTotalFrames = c.frames;
    const ParseOutcome p = ParseFile(WriteRec(dir / "A.AVI", recipe));
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(p.info.durationMs, c.ms);
    EXPECT_EQ(p.info.length, c.length);
  }
}

TEST(AviParser, TopDownPictureHasItsPositiveHeight) {
  TempDir dir("avi");
  auto recipe = AviRecipe();
  recipe.aviTopDown = true;
  const ParseOutcome p = ParseFile(WriteRec(dir / "A.AVI", recipe));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.height, 720);
}

TEST(AviParser, TruncatedMoviListGivesNoFacts) {
  TempDir dir("avi");
  auto recipe = AviRecipe(recgen::Placement::kBeforeMovi);
  recipe.aviTruncatedMovi = true;
  MediaInfo info;
  info.durationMs = 5;
  CZelAviParser parser;
  parser.SetInfoTarget(&info);
  EXPECT_EQ(parser.Parse(WriteRec(dir / "A.AVI", recipe)), -1);
  EXPECT_EQ(info.durationMs, 5u);
  EXPECT_EQ(info.gpsOffset, 0u);
}

TEST(AviParser, ShortHeadersFailTheParse) {
  TempDir dir("avi");
  const Bytes strl = VideoStrl(640, 480);
  const Bytes shortStrh = List("strl", Chunk("strh", Bytes{'v', 'i'}));
  const Bytes files[] = {
      Riff(Concat({List("hdrl", Concat({Avih(40000, 100, 16), strl})), Movi()})),
      Riff(Concat({List("hdrl", Concat({Avih(40000, 100), VideoStrl(640, 480, 10)})), Movi()})),
      Riff(Concat({List("hdrl", Concat({Avih(40000, 100), shortStrh})), Movi()})),
      Riff(Concat({List("hdrl", Avih(40000, 100)), Movi()})),  // no video format
  };
  for (std::size_t i = 0; i < std::size(files); ++i)
    EXPECT_EQ(ParseFile(WriteFile(dir / "A.AVI", files[i])).result, -1) << i;
  // The same file with full headers is understood.
  const ParseOutcome p = ParseFile(WriteFile(dir / "B.AVI", Riff(Concat({List("hdrl", Concat({Avih(40000, 100), strl})), Movi()}))));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.durationMs, 4000u);
  EXPECT_EQ(p.info.width, 640);
}

TEST(AviParser, UnknownChunksAreSearchedFourBytesAtATime) {
  TempDir dir("avi");
  // An unknown chunk whose size is a multiple of 4 hides nothing; the walk
  // resynchronises on the telemetry chunk that follows it.
  auto route = TestRoute(3);
  const Bytes tail = Concat({Chunk("zzzz", Bytes(12, 0x11)), Chunk("gps0", recgen::EncodeGpsPayload(route)),
                             Chunk("IDIT", recgen::EncodeIdit("2021-06-07 10:11:12"))});
  const Bytes file = Riff(Concat({List("hdrl", Concat({Avih(40000, 100), VideoStrl(640, 480)})), Movi(), tail}));
  const ParseOutcome p = ParseFile(WriteFile(dir / "A.AVI", file));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.gpsSize, 96u);
  EXPECT_EQ(p.info.startTime, Local(2021, 6, 7, 10, 11, 12));
}

// RIFF follows an odd-sized chunk with a pad byte; a writer that leaves
// it out is read too. Either way the GPS chunk after it is found.
TEST(AviParser, OddSizedChunkBeforeTheGpsChunk) {
  TempDir dir("avi");
  const Bytes gps = Chunk("gps0", recgen::EncodeGpsPayload(TestRoute(3)));
  const Bytes unpadded = {'g', 's', 'e', 'n', 5, 0, 0, 0, 1, 2, 3, 4, 5};
  const Bytes head = Concat({List("hdrl", Concat({Avih(40000, 100), VideoStrl(640, 480)})), Movi()});
  const struct {
    const char* what;
    Bytes oddChunk;
  } cases[] = {{"pad byte", Chunk("gsen", Bytes{1, 2, 3, 4, 5})}, {"no pad byte", unpadded}};
  for (const auto& c : cases) {
    const ParseOutcome p = ParseFile(WriteFile(dir / "A.AVI", Riff(Concat({head, c.oddChunk, gps}))));
    ASSERT_EQ(p.result, 0) << c.what;
    EXPECT_EQ(p.info.gsensorSize, 5u) << c.what;
    EXPECT_EQ(p.info.gpsSize, 96u) << c.what;
    EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0)) << c.what;
  }
}

TEST(AviParser, RefusesNonRiffAndSurvivesDamage) {
  TempDir dir("avi");
  EXPECT_EQ(ParseFile(dir / "MISSING.AVI").result, -1);
  EXPECT_EQ(ParseFile(WriteFile(dir / "A.AVI", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'A', 'V', 'I', ' '})).result, -1);

  auto recipe = AviRecipe(recgen::Placement::kBeforeMovi);
  recipe.route = TestRoute(6);
  recipe.gsensor = recgen::MakeGSensorSeries(2, 10, 8);
  recipe.idit = "2024-05-17 08:30:00";
  const Bytes good = recgen::BuildSyntheticRecording(recipe);
  const auto path = dir / "B.AVI";
  for (std::size_t n = 0; n < good.size(); n += 5) {
    WriteFile(path, Bytes(good.begin(), good.begin() + static_cast<long>(n)));
    ParseFile(path);
  }
  std::mt19937 rng(11);
  for (int round = 0; round < 400; ++round) {
    Bytes bad = good;
    for (int k = 0; k < 4; ++k) bad[rng() % bad.size()] = static_cast<std::uint8_t>(rng());
    WriteFile(path, bad);
    const ParseOutcome p = ParseFile(path);
    if (p.result == 0) {
      EXPECT_LE(ReadTelemetry(path, p.info).fixes.size(), good.size() / 32);
    }
  }
}
