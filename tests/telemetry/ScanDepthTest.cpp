// A scan reads a recording's headers only; loading reads its telemetry.
// Both must tell the same facts, on every kind of recording we make.
#include <gtest/gtest.h>

#include <fstream>

#include "ParserTestSupport.h"
#include "telemetry/ParserChoice.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/ZelMP4Parser.h"

using namespace testing_support;

namespace {

struct IoCount {
  unsigned long long calls = 0, bytes = 0;
};

IoCount ProcessIo() {
  std::ifstream io("/proc/self/io");
  std::string key;
  unsigned long long value = 0;
  IoCount c;
  while (io >> key >> value) {
    if (key == "syscr:") c.calls = value;
    if (key == "rchar:") c.bytes = value;
  }
  return c;
}

recgen::RecordingRecipe Recipe(recgen::Container container, int seconds = 60) {
  recgen::RecordingRecipe s;
  s.container = container;
  s.route = TestRoute(seconds);
  s.gsensor = recgen::MakeGSensorSeries(seconds, 10, 8);
  s.width = 320;
  s.height = 240;
  s.durationMs = static_cast<std::uint32_t>(seconds * 1000);
  return s;
}

void ExpectSameFacts(const MediaInfo& a, const MediaInfo& b, const std::string& what) {
  EXPECT_EQ(a.gpsOffset, b.gpsOffset) << what;
  EXPECT_EQ(a.gpsSize, b.gpsSize) << what;
  EXPECT_EQ(a.gsensorOffset, b.gsensorOffset) << what;
  EXPECT_EQ(a.gsensorSize, b.gsensorSize) << what;
  EXPECT_EQ(a.width, b.width) << what;
  EXPECT_EQ(a.height, b.height) << what;
  EXPECT_EQ(a.startTime, b.startTime) << what;
  EXPECT_EQ(a.length, b.length) << what;
  EXPECT_EQ(a.durationMs, b.durationMs) << what;
  EXPECT_EQ(a.fileSize, b.fileSize) << what;
  EXPECT_EQ(a.gpsAttr, b.gpsAttr) << what;
  EXPECT_EQ(a.gsensorAttr, b.gsensorAttr) << what;
}

void ExpectSameSeries(const TelemetrySeries& a, const TelemetrySeries& b, const std::string& what) {
  ASSERT_EQ(a.fixes.size(), b.fixes.size()) << what;
  for (std::size_t i = 0; i < a.fixes.size(); ++i) EXPECT_TRUE(SameFix(a.fixes[i], b.fixes[i])) << what << i;
  EXPECT_EQ(a.samples.size(), b.samples.size()) << what;
  ASSERT_EQ(a.wideSamples.size(), b.wideSamples.size()) << what;
  for (std::size_t i = 0; i < a.wideSamples.size(); ++i) {
    EXPECT_EQ(a.wideSamples[i].x, b.wideSamples[i].x) << what << i;
    EXPECT_EQ(a.wideSamples[i].z, b.wideSamples[i].z) << what << i;
  }
}

// The series as the scan's facts lead to it, and as a parse that read
// every packet gives it.
TelemetrySeries FromLists(const MediaInfo& full) {
  TelemetrySeries s;
  s.fixes = full.gpsFixes;
  s.wideSamples = full.gsensorSamples;
  return s;
}

}  // namespace

TEST(ScanDepth, ScanAndLoadAgreeOnEveryKind) {
  TempDir dir("depth");
  using recgen::Container;
  auto lateFix = Recipe(Container::kMp4DataTrack, 20);
  for (int i = 0; i < 3; ++i) lateFix.route[i].year = 0;
  auto untimed = Recipe(Container::kMp4DataTrack, 10);
  for (auto& f : untimed.route) f.year = 0;
  untimed.mp4StartTimeMeta = "2024-06-01 12:00:05";
  auto fixesOnly = Recipe(Container::kMp4DataTrack, 10);
  fixesOnly.payloads = recgen::kPayloadGps;
  auto real = Recipe(Container::kMp4DataTrack, 6);
  real.realVideo = true;
  real.audio = true;
  const auto plain = WriteRec(dir / "P.mp4", Recipe(Container::kMp4DataTrack));
  const auto fragmented = dir / "FRAG.mp4";
  int status = -1;
  RunCommand("ffmpeg -nostdin -loglevel error -y -i '" + plain.string() +
                 "' -map 0 -c copy -movflags frag_keyframe+empty_moov '" + fragmented.string() + "'",
             &status);
  ASSERT_EQ(status, 0);
  const std::filesystem::path files[] = {
      plain,
      WriteRec(dir / "LATE.mp4", lateFix),
      WriteRec(dir / "UNTIMED.mp4", untimed),
      WriteRec(dir / "FIXES.mp4", fixesOnly),
      WriteRec(dir / "REAL.mp4", real),
      fragmented,
      WriteRec(dir / "BOX.MOV", Recipe(Container::kMov)),
      WriteRec(dir / "BOX.MP4", Recipe(Container::kMp4Boxes)),
      WriteRec(dir / "BOX.3GP", Recipe(Container::kThreeGp)),
      WriteRec(dir / "RIFF.AVI", Recipe(Container::kAvi)),
  };
  for (const auto& path : files) {
    const std::string what = path.filename().string();
    const bool dataTrack = ChooseParser(path) == ParserKind::kMp4;
    const IoCount before = ProcessIo();
    const ParseResult scan = CreateParser(ChooseParser(path))->ParseFile(path);
    const IoCount after = ProcessIo();
    ASSERT_TRUE(scan.Ok()) << what;
    const ParseResult full = dataTrack ? CZelMP4Parser(CZelMP4Parser::Depth::kSeries).ParseFile(path)
                                       : CreateParser(ChooseParser(path))->ParseFile(path);
    ASSERT_TRUE(full.Ok()) << what;
    ExpectSameFacts(scan.info, full.info, what);
    EXPECT_EQ(scan.info.trackFixCount, full.info.gpsFixes.size()) << what;
    EXPECT_EQ(scan.info.trackSampleCount, full.info.gsensorSamples.size()) << what;
    const TelemetrySeries loaded = ReadTelemetry(path, scan.info);
    ASSERT_TRUE(loaded.Ok()) << what;
    EXPECT_FALSE(loaded.Empty()) << what;
    if (dataTrack) ExpectSameSeries(loaded, FromLists(full.info), what);
    else ExpectSameSeries(loaded, ReadTelemetry(path, full.info), what);
    // Headers and the first timed fix; a fragmented file is read through.
    if (!dataTrack || path == fragmented) continue;
    EXPECT_TRUE(scan.info.gpsFixes.empty() && scan.info.gsensorSamples.empty()) << what;
    // Without any timed fix every GPS packet is looked at, one read each.
    const unsigned long long fixReads = path.filename() == "UNTIMED.mp4" ? scan.info.trackFixCount : 0;
    EXPECT_LE(after.calls - before.calls, 8u + fixReads) << what;
    EXPECT_LE(after.bytes - before.bytes, 64u * 1024) << what;
  }
}
