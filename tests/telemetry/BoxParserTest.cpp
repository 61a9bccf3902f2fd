// The box walk over MOV, MP4 and 3GP recordings.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <random>

#include "ParserTestSupport.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/Zel3gpParser.h"

using namespace testing_support;
using recgen::Box;
using recgen::Bytes;
using recgen::Concat;

namespace {

Bytes Ftyp() { return Box("ftyp", Bytes{'q', 't', ' ', ' ', 0, 0, 0, 0}); }

recgen::RecordingRecipe BaseRecipe(recgen::Container c = recgen::Container::kMov) {
  recgen::RecordingRecipe s;
  s.container = c;
  s.route = TestRoute(60);
  s.gsensor = recgen::MakeGSensorSeries(60, 10, 8);
  return s;
}

Bytes GpsPayload(std::vector<GpsFix> route) { return recgen::EncodeGpsPayload(route); }

// ftyp, moov (60 s, 1920 x 1080), then the given top-level boxes.
Bytes FileWith(std::initializer_list<Bytes> tail) {
  Bytes out = Concat({Ftyp(), recgen::MinimalMoov(BaseRecipe())});
  for (const auto& b : tail) out.insert(out.end(), b.begin(), b.end());
  return out;
}

// moov whose first trak holds the given mdhd and stsd boxes.
Bytes MoovWith(const Bytes& mdhd, const Bytes& stsdPayload) {
  const Bytes stsd = Box("stsd", stsdPayload);
  const Bytes minf = Box("minf", Box("stbl", stsd));
  return Box("moov", Box("trak", Box("mdia", Concat({mdhd, minf}))));
}

Bytes StsdPayload(const Bytes& entry) { return Concat({Bytes{0, 0, 0, 0, 0, 0, 0, 1}, entry}); }

class BoxParserFiles : public ::testing::TestWithParam<std::tuple<recgen::Container, recgen::Placement>> {};

}  // namespace

TEST_P(BoxParserFiles, FindsFactsAndTelemetryOfGeneratedRecordings) {
  TempDir dir("box");
  auto recipe = BaseRecipe(std::get<0>(GetParam()));
  recipe.placement = std::get<1>(GetParam());
  recipe.gpsRate = 1;
  recipe.gsensorRate = 10;
  recipe.sensorRange = 4;
  recgen::RecordingLayout layout;
  const auto path = WriteRec(dir / "FILE0001.MOV", recipe, &layout);

  const ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.durationMs, 60000u);
  EXPECT_EQ(p.info.width, 1920);
  EXPECT_EQ(p.info.height, 1080);
  EXPECT_EQ(p.info.length, 0);
  EXPECT_EQ(p.info.fileSize, layout.fileSize);
  EXPECT_EQ(p.info.gpsOffset, layout.gpsOffset);
  EXPECT_EQ(p.info.gpsSize, 60u * 32);
  EXPECT_EQ(p.info.gsensorOffset, layout.gsensorOffset);
  EXPECT_EQ(p.info.gsensorSize, layout.gsensorSize);
  EXPECT_EQ(p.info.gpsAttr[0], 1);
  EXPECT_EQ(p.info.gsensorAttr[0], 10);
  EXPECT_EQ(p.info.gsensorAttr[1], 4);
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));
  EXPECT_TRUE(p.info.gpsFixes.empty());

  const auto fixes = ReadTelemetry(path, p.info).fixes;
  ASSERT_EQ(fixes.size(), recipe.route.size());
  for (std::size_t i = 0; i < fixes.size(); ++i) EXPECT_TRUE(SameFix(fixes[i], recipe.route[i])) << i;
  const auto samples = ReadTelemetry(path, p.info).samples;
  ASSERT_EQ(samples.size(), recipe.gsensor.size());
  EXPECT_EQ(samples[17].z, recipe.gsensor[17].z);
}

INSTANTIATE_TEST_SUITE_P(
    ContainersAndPlacements, BoxParserFiles,
    ::testing::Combine(::testing::Values(recgen::Container::kMov, recgen::Container::kMp4Boxes,
                                         recgen::Container::kThreeGp),
                       ::testing::Values(recgen::Placement::kTopLevel, recgen::Placement::kInsideMoov)));

TEST(BoxParser, TelemetryInsideUdtaIsNotFound) {
  TempDir dir("box");
  auto recipe = BaseRecipe();
  recipe.placement = recgen::Placement::kInsideUdta;
  const ParseOutcome p = ParseFile(WriteRec(dir / "FILE0001.MOV", recipe));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.gpsOffset, 0u);
  EXPECT_EQ(p.info.gpsSize, 0u);
  EXPECT_EQ(p.info.startTime, 0);
  EXPECT_EQ(p.info.durationMs, 60000u);
}

TEST(BoxParser, MediaHeaderVersionsAndTimeScales) {
  TempDir dir("box");
  const Bytes stsd = StsdPayload(recgen::Avc1Entry(1280, 720));
  struct Case {
    int version;
    std::uint32_t scale;
    std::uint64_t duration;
    std::uint32_t ms;
  } cases[] = {
      {0, 90000, 5400000, 60000},
      {0, 1000, 60000, 60000},
      // Version 1 carries 64-bit times at its own offsets.
      {1, 90000, 5400000, 60000},
      {1, 1000000, 0x100000000ull, 4294967},
  };
  for (const Case& c : cases) {
    const auto path = WriteFile(dir / "A.MOV", Concat({Ftyp(), MoovWith(recgen::MdhdBox(c.version, c.scale, c.duration), stsd)}));
    const ParseOutcome p = ParseFile(path);
    ASSERT_EQ(p.result, 0) << c.version << " " << c.scale;
    EXPECT_EQ(p.info.durationMs, c.ms) << c.version << " " << c.scale;
    EXPECT_EQ(p.info.width, 1280);
    EXPECT_EQ(p.info.height, 720);
  }
}

TEST(BoxParser, BadMediaHeadersAndSampleEntriesFailTheParse) {
  TempDir dir("box");
  const Bytes goodStsd = StsdPayload(recgen::Avc1Entry(1280, 720));
  const Bytes goodMdhd = recgen::MdhdBox(0, 1000, 60000);
  const Bytes shortAvc1 = StsdPayload(Box("avc1", Bytes(26, 0)));
  Bytes v1Short = recgen::MdhdBox(1, 1000, 60000);
  v1Short.resize(8 + 24);  // version 1 payload cut before its duration
  v1Short[3] = 8 + 24;
  const Bytes files[] = {
      Concat({Ftyp(), MoovWith(recgen::MdhdBox(0, 0, 60000), goodStsd)}),  // time scale 0
      Concat({Ftyp(), MoovWith(Box("mdhd", Bytes(16, 0)), goodStsd)}),     // too short
      Concat({Ftyp(), MoovWith(v1Short, goodStsd)}),
      Concat({Ftyp(), MoovWith(goodMdhd, shortAvc1)}),
  };
  MediaInfo before;
  before.width = 7;
  for (std::size_t i = 0; i < std::size(files); ++i) {
    const auto path = WriteFile(dir / "A.MOV", files[i]);
    MediaInfo info = before;
    CZel3gpParser parser;
    parser.SetInfoTarget(&info);
    EXPECT_EQ(parser.Parse(path), -1) << i;
    EXPECT_EQ(info.width, 7) << i;  // left as it was
  }
  // Without an avc1 entry there is no picture size: not understood.
  const auto path = WriteFile(dir / "B.MOV", Concat({Ftyp(), MoovWith(goodMdhd, StsdPayload(Box("hvc1", Bytes(80, 0))))}));
  EXPECT_EQ(ParseFile(path).result, -1);
}

TEST(BoxParser, StartTimeFromTheFirstTimedRecordAndTheRate) {
  TempDir dir("box");
  auto route = TestRoute(40, 4);  // 4 fixes per second, time of the whole second
  for (int i = 0; i < 12; ++i) route[i].year = 0;
  // Record 12 is at 08:30:03; with 4 per second the series began 3 s before.
  const auto path = WriteFile(dir / "A.MOV", FileWith({Box("gpsa", recgen::EncodeAttr(4)), Box("gps0", GpsPayload(route))}));
  ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));
  EXPECT_EQ(p.info.gpsAttr[0], 4);

  // gps0 before any gpsa: rate 1, and gpsAttr byte 0 becomes 1 (a later
  // gpsa then overwrites it, but the start time stays).
  auto late = TestRoute(20);
  for (int i = 0; i < 5; ++i) late[i].year = 0;
  p = ParseFile(WriteFile(dir / "B.MOV", FileWith({Box("gps0", GpsPayload(late))})));
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));
  EXPECT_EQ(p.info.gpsAttr[0], 1);

  // A rate of 25 is not believed and becomes 1.
  p = ParseFile(WriteFile(dir / "C.MOV", FileWith({Box("gpsa", recgen::EncodeAttr(25)), Box("gps0", GpsPayload(late))})));
  EXPECT_EQ(p.info.gpsAttr[0], 1);
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));

  // 64 bytes: no time in record 0, 2024-05-17 08:30:15 in record 1.
  auto two = TestRoute(2);
  two[0].year = 0;
  two[1].second = 15;
  p = ParseFile(WriteFile(dir / "D.MOV", FileWith({Box("gpsa", recgen::EncodeAttr(1)), Box("gps0", GpsPayload(two))})));
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 14));

  // Records without a year never set the time, however valid the rest.
  auto none = TestRoute(10);
  for (auto& f : none) f.year = 0;
  p = ParseFile(WriteFile(dir / "E.MOV", FileWith({Box("gps0", GpsPayload(none))})));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.startTime, 0);
  EXPECT_EQ(p.info.gpsAttr[0], 0);
}

TEST(BoxParser, DateTextOverridesOrClearsTheStartTime) {
  TempDir dir("box");
  const Bytes gps = Box("gps0", GpsPayload(TestRoute(10)));
  ParseOutcome p = ParseFile(WriteFile(dir / "A.MOV", FileWith({gps, Box("IDIT", recgen::EncodeIdit("2023-12-31 23:59:59"))})));
  EXPECT_EQ(p.info.startTime, Local(2023, 12, 31, 23, 59, 59));

  p = ParseFile(WriteFile(dir / "B.MOV", FileWith({gps, Box("IDIT", recgen::EncodeIdit("not a date"))})));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.startTime, 0);

  // A later timed GPS payload sets it again.
  p = ParseFile(WriteFile(dir / "C.MOV", FileWith({Box("IDIT", recgen::EncodeIdit("garbage")), gps})));
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));

  // A date text longer than its buffer: the first 64 bytes are scanned.
  p = ParseFile(WriteFile(dir / "D.MOV", FileWith({Box("IDIT", recgen::EncodeIdit("2022-01-02 03:04:05" + std::string(500, 'x')))})));
  EXPECT_EQ(p.info.startTime, Local(2022, 1, 2, 3, 4, 5));

  // Valid text the calendar cannot hold ends the parse.
  p = ParseFile(WriteFile(dir / "E.MOV", FileWith({Box("IDIT", recgen::EncodeIdit("1950-01-01 00:00:00"))})));
  EXPECT_EQ(p.result, -1);
}

TEST(BoxParser, ExtendedAndOpenEndedBoxSizes) {
  TempDir dir("box");
  // mdat with a 64-bit size (size field 1), then moov and gps0.
  Bytes mdat = {0, 0, 0, 1, 'm', 'd', 'a', 't', 0, 0, 0, 0, 0, 0, 0, 16 + 100};
  mdat.resize(mdat.size() + 100, 0xAB);
  const Bytes gps = Box("gps0", GpsPayload(TestRoute(5)));
  Bytes file = Concat({Ftyp(), mdat, recgen::MinimalMoov(BaseRecipe()), gps});
  ParseOutcome p = ParseFile(WriteFile(dir / "A.MOV", file));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.gpsOffset, file.size() - gps.size() + 8);
  EXPECT_EQ(p.info.gpsSize, 5u * 32);

  // A last box of size 0 runs to the end of the file.
  Bytes open = gps;
  open[0] = open[1] = open[2] = open[3] = 0;
  file = Concat({Ftyp(), recgen::MinimalMoov(BaseRecipe()), open});
  p = ParseFile(WriteFile(dir / "B.MOV", file));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.gpsSize, 5u * 32);
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));

  // Sizes 2..7 are malformed: the walk ends there, what came before stays.
  Bytes bad = Box("free", Bytes(8, 0));
  bad[3] = 5;
  p = ParseFile(WriteFile(dir / "C.MOV", Concat({Ftyp(), recgen::MinimalMoov(BaseRecipe()), bad, gps})));
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.gpsSize, 0u);
}

TEST(BoxParser, RecordingOverFourGiBKeepsItsTelemetry) {
  TempDir dir("box");
  const std::uint64_t mdatPayload = (5ull << 30) + 12345;  // left as a hole on disk
  Bytes head = Ftyp();
  const std::uint64_t mdatSize = mdatPayload + 16;
  const Bytes mdatHeader = {0, 0, 0, 1, 'm', 'd', 'a', 't'};
  head.insert(head.end(), mdatHeader.begin(), mdatHeader.end());
  for (int i = 7; i >= 0; --i) head.push_back(static_cast<std::uint8_t>(mdatSize >> (8 * i)));
  const auto path = WriteFile(dir / "BIG.MOV", head);
  std::error_code ec;
  std::filesystem::resize_file(path, head.size() + mdatPayload, ec);
  if (ec) GTEST_SKIP() << "no sparse files here: " << ec.message();
  const Bytes tail = Concat({recgen::MinimalMoov(BaseRecipe()), Box("gpsa", recgen::EncodeAttr(1)),
                             Box("gps0", GpsPayload(TestRoute(60)))});
  std::ofstream(path, std::ios::binary | std::ios::app)
      .write(reinterpret_cast<const char*>(tail.data()), static_cast<std::streamsize>(tail.size()));

  const ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.info.fileSize, head.size() + mdatPayload + tail.size());
  EXPECT_EQ(p.info.gpsOffset, p.info.fileSize - 60 * 32);
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));
  EXPECT_EQ(ReadTelemetry(path, p.info).fixes.size(), 60u);
}

TEST(BoxParser, RefusesFilesThatDoNotBeginWithFtyp) {
  TempDir dir("box");
  EXPECT_EQ(ParseFile(dir / "MISSING.MOV").result, -1);
  EXPECT_EQ(ParseFile(WriteFile(dir / "A.MOV", Concat({Box("wide", {}), recgen::MinimalMoov(BaseRecipe())}))).result, -1);
  EXPECT_EQ(ParseFile(WriteFile(dir / "B.MOV", Bytes{})).result, -1);
  EXPECT_EQ(ParseFile(WriteFile(dir / "C.MOV", Bytes{0, 0, 0, 8, 'f', 't'})).result, -1);
}

TEST(BoxParser, FillsTheReadOnlyBitOfTheStatus) {
  TempDir dir("box");
  const auto path = WriteRec(dir / "FILEG001.MOV", BaseRecipe());
  EXPECT_FALSE(ParseFile(path).status.IsReadOnly());
  ::chmod(path.c_str(), 0444);
  EXPECT_TRUE(ParseFile(path).status.IsReadOnly());
}

TEST(BoxParser, SurvivesTruncatedAndCorruptedFiles) {
  TempDir dir("box");
  auto recipe = BaseRecipe();
  recipe.route = TestRoute(8);
  recipe.gsensor = recgen::MakeGSensorSeries(2, 10, 8);
  recipe.idit = "2024-05-17 08:30:00";
  const Bytes good = recgen::BuildSyntheticRecording(recipe);
  const auto path = dir / "A.MOV";
  for (std::size_t n = 0; n < good.size(); n += 7) {
    WriteFile(path, Bytes(good.begin(), good.begin() + static_cast<long>(n)));
    ParseFile(path);
  }
  std::mt19937 rng(7);
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
