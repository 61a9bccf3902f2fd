// The data-track reader for ".mp4" recordings.
#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include "ParserTestSupport.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/ZelMP4Parser.h"

using namespace testing_support;

namespace {

// What reading every packet of the file with libavformat's own I/O gives.
struct Reference {
  std::vector<GpsFix> fixes;
  std::vector<GSensorWideSample> samples;
  int width = 0, height = 0;
  std::int64_t durationMs = 0;
};

Reference ReadEveryPacket(const std::filesystem::path& path) {
  Reference ref;
  AVFormatContext* ctx = nullptr;
  if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0) return ref;
  avformat_find_stream_info(ctx, nullptr);
  for (unsigned i = 0; i < ctx->nb_streams && ref.width == 0; ++i)
    if (ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
      ref.width = ctx->streams[i]->codecpar->width;
      ref.height = ctx->streams[i]->codecpar->height;
    }
  ref.durationMs = ctx->duration / 1000;
  AVPacket* pkt = av_packet_alloc();
  while (av_read_frame(ctx, pkt) >= 0) {
    const AVMediaType t = ctx->streams[pkt->stream_index]->codecpar->codec_type;
    if (pkt->size == 32 && t != AVMEDIA_TYPE_AUDIO && t != AVMEDIA_TYPE_VIDEO)
      ref.fixes.push_back(GpsFix::Decode(pkt->data));
    else if (pkt->size == 12 && t == AVMEDIA_TYPE_DATA)
      ref.samples.push_back(GSensorWideSample::Decode(pkt->data));
    av_packet_unref(pkt);
  }
  av_packet_free(&pkt);
  avformat_close_input(&ctx);
  return ref;
}

recgen::RecordingRecipe DataTrackRecipe(int seconds = 60) {
  recgen::RecordingRecipe s;
  s.container = recgen::Container::kMp4DataTrack;
  s.route = TestRoute(seconds);
  s.gsensor = recgen::MakeGSensorSeries(seconds, 10, 8);
  s.width = 320;
  s.height = 240;
  s.durationMs = static_cast<std::uint32_t>(seconds * 1000);
  return s;
}

bool SameSample(const GSensorWideSample& a, const GSensorWideSample& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

}  // namespace

TEST(Mp4Parser, ReadsTheDataTrackAndTheFileFacts) {
  TempDir dir("mp4");
  const auto recipe = DataTrackRecipe();
  const auto path = WriteRec(dir / "VID_0001F.mp4", recipe);
  const ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  const TelemetrySeries track = ReadTelemetry(path, p.info);
  ASSERT_EQ(track.fixes.size(), recipe.route.size());
  for (std::size_t i = 0; i < recipe.route.size(); ++i)
    EXPECT_TRUE(SameFix(track.fixes[i], recipe.route[i])) << i;
  const auto wide = recgen::WidenGSensor(recipe.gsensor);
  ASSERT_EQ(track.wideSamples.size(), wide.size());
  EXPECT_TRUE(SameSample(track.wideSamples.back(), wide.back()));
  EXPECT_EQ(p.info.width, 320);
  EXPECT_EQ(p.info.height, 240);
  EXPECT_NEAR(p.info.durationMs, 60000.0, 1000.0);
  EXPECT_EQ(p.info.fileSize, std::filesystem::file_size(path));
  EXPECT_EQ(p.info.gpsOffset, 0u);
  EXPECT_EQ(p.info.gpsAttr, (std::array<std::uint8_t, 4>{}));
  EXPECT_EQ(p.info.gsensorAttr, (std::array<std::uint8_t, 4>{}));
  EXPECT_EQ(p.info.length, 0);
  // No start-time entry: the first timed fix gives it.
  EXPECT_EQ(p.info.startTime, Local(2024, 5, 17, 8, 30, 0));
  EXPECT_EQ(ReadTelemetry(path, p.info).fixes.size(), recipe.route.size());
}

// The recording's own clock (the first timed fix, local time) comes before
// the container's entries: the local start entry, then the creation time,
// which is UTC.
TEST(Mp4Parser, StartTimeFromTheFirstTimedFixThenTheContainer) {
  TempDir dir("mp4");
  auto withCreationTime = [&](const std::filesystem::path& from, const char* name) {
    const auto to = dir / name;
    int status = -1;
    RunCommand("ffmpeg -nostdin -loglevel error -y -i '" + from.string() +
                   "' -map 0 -c copy -metadata creation_time=2024-05-17T06:30:14Z '" +
                   to.string() + "'",
               &status);
    EXPECT_EQ(status, 0);
    return to;
  };
  auto timed = DataTrackRecipe(10);
  timed.mp4StartTimeMeta = "2024-06-01 12:00:05";
  auto lateFix = DataTrackRecipe(10);
  for (int i = 0; i < 3; ++i) lateFix.route[i].year = 0;
  auto untimed = DataTrackRecipe(10);
  for (auto& f : untimed.route) f.year = 0;
  auto untimedWithEntry = untimed;
  untimedWithEntry.mp4StartTimeMeta = "2024-06-01 12:00:05";

  const auto untimedFile = WriteRec(dir / "U.mp4", untimed);
  const struct {
    const char* what;
    std::filesystem::path file;
    CalendarTime start;
  } cases[] = {
      {"fix before start entry", WriteRec(dir / "A.mp4", timed), Local(2024, 5, 17, 8, 30, 0)},
      {"fix before creation time", withCreationTime(WriteRec(dir / "T.mp4", DataTrackRecipe(10)), "TC.mp4"),
       Local(2024, 5, 17, 8, 30, 0)},
      {"fourth fix, 3 s in", WriteRec(dir / "B.mp4", lateFix), Local(2024, 5, 17, 8, 30, 0)},
      {"start entry", WriteRec(dir / "E.mp4", untimedWithEntry), Local(2024, 6, 1, 12, 0, 5)},
      {"creation time is UTC", withCreationTime(untimedFile, "UC.mp4"), 1715927414},
      {"nothing", untimedFile, 0},
  };
  for (const auto& c : cases) {
    const ParseOutcome p = ParseFile(c.file);
    ASSERT_EQ(p.result, 0) << c.what;
    EXPECT_EQ(p.info.startTime, c.start) << c.what;
    EXPECT_EQ(ReadTelemetry(c.file, p.info).fixes.size(), 10u) << c.what;
  }
}

TEST(Mp4Parser, SkipsAudioAndVideoYetMatchesReadingEveryPacket) {
  TempDir dir("mp4");
  auto recipe = DataTrackRecipe(20);
  recipe.realVideo = true;
  recipe.audio = true;
  recipe.width = 640;
  recipe.height = 360;
  recipe.fps = 15;
  recipe.videoKbps = 2000;
  const auto path = WriteRec(dir / "A.mp4", recipe);
  const std::uint64_t size = std::filesystem::file_size(path);
  ASSERT_GT(size, 500000u);

  const unsigned long long before = ProcessReadBytes();
  const ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  const TelemetrySeries track = ReadTelemetry(path, p.info);
  const unsigned long long read = ProcessReadBytes() - before;
  // Headers, the data samples and what stream probing needs; not the video.
  EXPECT_LT(read, size / 4) << "read " << read << " of " << size;
  RecordProperty("bytes_read", std::to_string(read));

  const Reference ref = ReadEveryPacket(path);
  ASSERT_EQ(track.fixes.size(), ref.fixes.size());
  ASSERT_EQ(track.wideSamples.size(), ref.samples.size());
  EXPECT_EQ(ref.fixes.size(), recipe.route.size());
  for (std::size_t i = 0; i < ref.fixes.size(); ++i) EXPECT_TRUE(SameFix(track.fixes[i], ref.fixes[i]));
  for (std::size_t i = 0; i < ref.samples.size(); ++i)
    EXPECT_TRUE(SameSample(track.wideSamples[i], ref.samples[i]));
  EXPECT_EQ(p.info.width, ref.width);
  EXPECT_EQ(p.info.height, ref.height);
  EXPECT_EQ(p.info.durationMs, ref.durationMs);
}

TEST(Mp4Parser, VideoPacketsOfFixSizeAreNotFixes) {
  TempDir dir("mp4");
  // 8 x 4 grey raw video: every video packet is 32 bytes.
  const auto path = dir / "RAW.mp4";
  int status = -1;
  RunCommand("ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=gray:s=8x4:r=5 -t 2 "
             "-c:v rawvideo -pix_fmt gray -f mov '" + path.string() + "'", &status);
  ASSERT_EQ(status, 0);
  const ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  EXPECT_TRUE(ReadTelemetry(path, p.info).fixes.empty());
  EXPECT_EQ(p.info.width, 8);
}

TEST(Mp4Parser, FixesWithoutSamples) {
  TempDir dir("mp4");
  auto recipe = DataTrackRecipe(10);
  recipe.payloads = recgen::kPayloadGps;
  const auto path = WriteRec(dir / "A.mp4", recipe);
  const ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  const TelemetrySeries track = ReadTelemetry(path, p.info);
  EXPECT_EQ(track.fixes.size(), 10u);
  EXPECT_TRUE(track.wideSamples.empty());
}

TEST(Mp4Parser, RefusesWhatLibavformatCannotOpen) {
  TempDir dir("mp4");
  MediaInfo info;
  info.width = 9;
  CZelMP4Parser parser;
  parser.SetInfoTarget(&info);
  EXPECT_EQ(parser.Parse(dir / "missing.mp4"), -1);
  EXPECT_EQ(parser.Parse(WriteFile(dir / "junk.mp4", recgen::Bytes(5000, 0x5A))), -1);
  EXPECT_EQ(parser.Parse(WriteFile(dir / "empty.mp4", recgen::Bytes{})), -1);
  EXPECT_EQ(info.width, 9);
  EXPECT_TRUE(info.gpsFixes.empty());
}
