// The generator's files as the camera parsers and libavformat see them.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "GeneratedFileChecks.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;
using namespace recgen;

namespace {

class GeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("recgen-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             "-" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  static RecordingRecipe Recipe(Container c, int fixes = 60) {
    RecordingRecipe s;
    s.container = c;
    RouteProfile p;
    p.start = {2024, 5, 17, 8, 30, 0};
    p.count = fixes;
    s.route = MakeRoute(p);
    s.gsensor = MakeGSensorSeries(60, 10, 8, {{GSensorEvent::kBrake, 5, 2, 0.5}});
    return s;
  }

  fs::path m_dir;
};

void ExpectPayloadsAt(const FileBytes& b, const RecordingRecipe& s, const RecordingLayout& l) {
  ASSERT_EQ(l.gpsSize, s.route.size() * 32);
  ASSERT_LE(l.gpsOffset + l.gpsSize, b.size());
  for (std::size_t i = 0; i < s.route.size(); ++i) {
    const GpsFix f = GpsFix::Decode(b.data() + l.gpsOffset + 32 * i);
    EXPECT_EQ(f.latitude, s.route[i].latitude) << i;
    EXPECT_EQ(f.second, s.route[i].second) << i;
  }
  ASSERT_GE(l.gsensorSize, s.gsensor.size() * 3);
  for (std::size_t i = 0; i < s.gsensor.size(); ++i)
    EXPECT_EQ(static_cast<std::int8_t>(b[l.gsensorOffset + 3 * i + 2]), s.gsensor[i].z) << i;
}

}  // namespace

TEST_F(GeneratorTest, BoxFilesCarryWhatTheBoxWalkReads) {
  struct Case {
    Container container;
    const char* brand;
  } cases[] = {{Container::kMov, "qt  "}, {Container::kMp4Boxes, "isom"}, {Container::kThreeGp, "3gp4"}};
  for (const Case& c : cases) {
    for (Placement where : {Placement::kTopLevel, Placement::kInsideMoov, Placement::kInsideUdta}) {
      SCOPED_TRACE(std::string(c.brand) + " placement " + std::to_string(static_cast<int>(where)));
      RecordingRecipe s = Recipe(c.container);
      s.placement = where;
      s.width = 1280;
      s.height = 720;
      s.durationMs = 60000;
      const fs::path file = m_dir / "rec.bin";
      RecordingLayout layout;
      ASSERT_EQ(WriteRecording(s, file, &layout), 1);
      const FileBytes b = ReadFileBytes(file);
      EXPECT_EQ(layout.fileSize, b.size());
      EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), c.brand);
      const WalkResult w = WalkBoxes(b);
      EXPECT_TRUE(w.ok);
      EXPECT_EQ(w.durationMs, 60000u);
      EXPECT_EQ(w.width, 1280);
      EXPECT_EQ(w.height, 720);
      ExpectPayloadsAt(b, s, layout);
      if (where == Placement::kInsideUdta) {
        EXPECT_TRUE(w.found.empty());
      } else {
        EXPECT_EQ(w.found.size(), 4u);  // no IDIT text given
        EXPECT_EQ(w.found.at("gps0").first, layout.gpsOffset);
        EXPECT_EQ(w.found.at("gsen").first, layout.gsensorOffset);
        EXPECT_EQ(b[w.found.at("gpsa").first], 1);
        EXPECT_EQ(b[w.found.at("gsea").first + 1], 8);
      }
      const Probe p = ProbeWithLibav(file);
      EXPECT_TRUE(p.opened);
      EXPECT_EQ(p.width, 1280);
      EXPECT_EQ(p.durationMs, 60000);
    }
  }
}

TEST_F(GeneratorTest, MdhdVersionsTimeScalesAndOmittedPayloads) {
  RecordingRecipe s = Recipe(Container::kMov);
  s.mdhdVersion = 1;
  s.timeScale = 90000;
  s.durationMs = 59999;
  s.idit = "2023-12-31 23:59:59";
  s.payloads = kPayloadAll & ~kPayloadGSensor & ~kPayloadGSensorAttr;
  const fs::path file = m_dir / "v1.MOV";
  RecordingLayout layout;
  ASSERT_EQ(WriteRecording(s, file, &layout), 1);
  const FileBytes b = ReadFileBytes(file);
  const WalkResult w = WalkBoxes(b);
  EXPECT_EQ(w.durationMs, 59999u);
  EXPECT_EQ(w.found.count("gsen"), 0u);
  EXPECT_EQ(w.found.count("gsea"), 0u);
  EXPECT_EQ(layout.gsensorSize, 0u);
  ASSERT_EQ(w.found.count("IDIT"), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + w.found.at("IDIT").first)),
            "2023-12-31 23:59:59");
  EXPECT_EQ(ProbeWithLibav(file).durationMs, 59999);
}

TEST_F(GeneratorTest, AviFilesCarryWhatTheRiffWalkReads) {
  for (Placement where : {Placement::kBeforeMovi, Placement::kAfterMovi, Placement::kInsideInfo}) {
    SCOPED_TRACE(static_cast<int>(where));
    RecordingRecipe s = Recipe(Container::kAvi);
    s.placement = where;
    s.width = 1920;
    s.height = 1080;
    // An odd sample count would leave the following code on an odd offset.
    s.gsensor.pop_back();
    const fs::path file = m_dir / "rec.AVI";
    RecordingLayout layout;
    ASSERT_EQ(WriteRecording(s, file, &layout), 1);
    const FileBytes b = ReadFileBytes(file);
    const WalkResult w = WalkRiff(b, b.size());
    EXPECT_TRUE(w.ok);
    EXPECT_FALSE(w.moviPastEnd);
    EXPECT_EQ(w.durationMs, 60000u);
    EXPECT_EQ(w.width, 1920);
    EXPECT_EQ(w.height, 1080);
    EXPECT_EQ(layout.gsensorSize % 2, 0u);
    ExpectPayloadsAt(b, s, layout);
    if (where == Placement::kInsideInfo) {
      EXPECT_TRUE(w.found.empty());
    } else {
      EXPECT_EQ(w.found.size(), 4u);
      EXPECT_EQ(w.found.at("gps0").first, layout.gpsOffset);
      EXPECT_EQ(w.found.at("gsen").first, layout.gsensorOffset);
      EXPECT_EQ(b[w.found.at("gpsa").first], 1);
    }
    EXPECT_EQ(ProbeWithLibav(file).width, 1920);
  }
}

TEST_F(GeneratorTest, AviHeaderOddities) {
  RecordingRecipe s = Recipe(Container::kAvi);
  s.aviMicrosPerFrame = 40000;
  s.aviTotalFrames = 200000;
  s.aviTopDown = true;
  s.height = 720;
  s.aviTruncatedMovi = true;
  const fs::path file = m_dir / "odd.AVI";
  ASSERT_EQ(WriteRecording(s, file), 1);
  const FileBytes b = ReadFileBytes(file);
  const WalkResult w = WalkRiff(b, b.size());
  EXPECT_EQ(w.durationMs, 3705032u);  // 32-bit product, as the camera header is read
  EXPECT_EQ(w.height, 64816);         // -720 in 16 bits
  EXPECT_TRUE(w.moviPastEnd);
}

TEST_F(GeneratorTest, PaddingIsAHoleOfTheRequestedSize) {
  for (Container c : {Container::kMov, Container::kAvi}) {
    RecordingRecipe s = Recipe(c);
    s.mdatPadding = 100u << 20;
    const fs::path file = m_dir / "big.bin";
    RecordingLayout layout;
    ASSERT_EQ(WriteRecording(s, file, &layout), 1);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(st.st_size), layout.fileSize);
    EXPECT_GT(layout.gpsOffset, s.mdatPadding);
    EXPECT_LT(st.st_blocks * 512, 1 << 20);  // the padding takes no disk
  }
}

TEST_F(GeneratorTest, DataTrackPacketsReadBackInOrder) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg CLI";
  RecordingRecipe s = Recipe(Container::kMp4DataTrack, 8);
  s.durationMs = 8000;
  s.width = 320;
  s.height = 240;
  s.gsensor = MakeGSensorSeries(8, 10, 8, {{GSensorEvent::kBump, 2, 1, 1.0}});
  s.gsensor[3].x = -5;  // sign extension into the 32-bit component
  s.mp4StartTimeMeta = "2024-05-17 08:30:00";
  const fs::path file = m_dir / "rec.mp4";
  std::string error;
  ASSERT_EQ(WriteRecording(s, file, nullptr, &error), 1) << error;
  const Probe p = ProbeWithLibav(file);
  ASSERT_TRUE(p.opened);
  EXPECT_EQ(p.width, 320);
  EXPECT_EQ(p.height, 240);
  EXPECT_EQ(p.dataStreams, 2);
  EXPECT_EQ(p.other32, 0u);
  EXPECT_EQ(p.startTimeTag, "2024-05-17 08:30:00");
  EXPECT_NEAR(static_cast<double>(p.durationMs), 8000, 200);
  // Every fix and reading, the last ones included, in the order written.
  ASSERT_EQ(p.packets32.size(), s.route.size());
  for (std::size_t i = 0; i < s.route.size(); ++i)
    EXPECT_EQ(GpsFix::Decode(p.packets32[i].data()).second, s.route[i].second) << i;
  ASSERT_EQ(p.packets12.size(), s.gsensor.size());
  const GSensorWideSample w = GSensorWideSample::Decode(p.packets12[3].data());
  EXPECT_EQ(w.x, -5 * 64);  // 64 steps per count of the three-byte form
  EXPECT_EQ(w.z, s.gsensor[3].z * 64);

  s.payloads &= ~kPayloadGSensor;
  s.mdatPadding = 64u << 20;
  RecordingLayout layout;
  ASSERT_EQ(WriteRecording(s, file, &layout, &error), 1) << error;
  EXPECT_EQ(fs::file_size(file), layout.fileSize);
  EXPECT_GT(layout.fileSize, s.mdatPadding);
  const Probe q = ProbeWithLibav(file);
  EXPECT_EQ(q.dataStreams, 1);
  EXPECT_EQ(q.packets32.size(), s.route.size());
  EXPECT_TRUE(q.packets12.empty());
}

TEST_F(GeneratorTest, RealVideoKeepsPlayingAndCarriesTelemetry) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg CLI";
  struct Case {
    Container container;
    Placement where;
  } cases[] = {{Container::kMov, Placement::kTopLevel},
               {Container::kMp4Boxes, Placement::kInsideMoov},
               {Container::kAvi, Placement::kBeforeMovi},
               {Container::kAvi, Placement::kAfterMovi}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.container) * 10 + static_cast<int>(c.where));
    RecordingRecipe s = Recipe(c.container, 4);
    s.gsensor = MakeGSensorSeries(4, 10, 8);
    s.realVideo = true;
    s.audio = true;
    s.width = 320;
    s.height = 180;
    s.durationMs = 4000;
    s.fps = 10;
    s.placement = c.where;
    s.mdatPadding = 1 << 20;
    const fs::path file = m_dir / "real.bin";
    RecordingLayout layout;
    std::string error;
    ASSERT_EQ(WriteRecording(s, file, &layout, &error), 1) << error;
    const FileBytes b = ReadFileBytes(file);
    EXPECT_EQ(b.size(), layout.fileSize);
    const bool avi = c.container == Container::kAvi;
    const WalkResult w = avi ? WalkRiff(b, b.size()) : WalkBoxes(b);
    EXPECT_TRUE(w.ok);
    EXPECT_EQ(w.width, 320);
    EXPECT_EQ(w.height, 180);
    EXPECT_NEAR(w.durationMs, 4000, 100);
    ASSERT_EQ(w.found.count("gps0"), 1u);
    EXPECT_EQ(w.found.at("gps0").first, layout.gpsOffset);
    ExpectPayloadsAt(b, s, layout);
    const Probe p = ProbeWithLibav(file);
    EXPECT_TRUE(p.opened);
    EXPECT_EQ(p.width, 320);
    EXPECT_NEAR(static_cast<double>(p.durationMs), 4000, 300);
  }
}

TEST_F(GeneratorTest, RefusesWhatCannotBeWritten) {
  RecordingRecipe s = Recipe(Container::kMov);
  s.width = 0;
  std::string error;
  EXPECT_EQ(WriteRecording(s, m_dir / "x.MOV", nullptr, &error), 0);
  EXPECT_FALSE(error.empty());
  s = Recipe(Container::kMov);
  EXPECT_EQ(WriteRecording(s, m_dir / "missing" / "x.MOV", nullptr, &error), 0);
}
