// Clip export end to end: real recordings from the generator, the real
// FFmpeg libraries, the result read back with ffprobe.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "export/ClipExport.h"
#include "telemetry/TelemetryUtil.h"
extern "C" {
#include <libavutil/log.h>
}
#include "export/SpanTelemetry.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

struct Probe {
  std::string codec;
  int width = 0, height = 0;
  double duration = 0;
};

Probe ProbeVideo(const std::string& file) {
  const std::string command =
      "ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height"
      ":format=duration -of default=noprint_wrappers=1 '" + file + "'";
  Probe p;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return p;
  char line[256];
  while (std::fgets(line, sizeof line, pipe)) {
    const std::string s(line);
    const std::string value = s.substr(s.find('=') + 1);
    if (s.rfind("codec_name=", 0) == 0) p.codec = value.substr(0, value.find('\n'));
    if (s.rfind("width=", 0) == 0) p.width = std::stoi(value);
    if (s.rfind("height=", 0) == 0) p.height = std::stoi(value);
    if (s.rfind("duration=", 0) == 0) p.duration = std::stod(value);
  }
  pclose(pipe);
  return p;
}

int CountText(const std::string& file, const std::string& needle) {
  std::ifstream in(file);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();
  int n = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
    ++n;
  return n;
}

int FileCount(const fs::path& dir) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

class ClipExportTest : public ::testing::Test {
 protected:
  // Three recordings of 4 s from 08:30:00, each with a rear companion; a
  // second card has the fronts only.
  static void SetUpTestSuite() {
    av_log_set_level(AV_LOG_ERROR);
    s_root = fs::temp_directory_path() / ("vantrel-export-" + std::to_string(getpid()));
    fs::remove_all(s_root);
    recgen::CardRecipe card;
    card.count = 3;
    card.secondsPerFile = 4;
    card.realVideo = true;
    card.width = 320;
    card.height = 180;
    card.containers = {recgen::Container::kMov, recgen::Container::kMp4Boxes,
                       recgen::Container::kMov};
    card.rear = true;
    std::string error;
    ASSERT_TRUE(recgen::WriteCard(card, s_root / "two", nullptr, &error)) << error;
    card.rear = false;
    card.count = 1;
    ASSERT_TRUE(recgen::WriteCard(card, s_root / "front", nullptr, &error)) << error;
  }
  static void TearDownTestSuite() { fs::remove_all(s_root); }

  void SetUp() override {
    m_out = s_root / ("out-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(m_out);
  }

  ExportRequest Request(const std::string& card, const char* start, const char* end) {
    ExportRequest r;
    r.source = (s_root / card).string();
    EXPECT_TRUE(ParseLocalClock(start, r.start));
    EXPECT_TRUE(ParseLocalClock(end, r.end));
    r.outPath = (m_out / "clip.mp4").string();
    r.preset = "ultrafast";
    return r;
  }

  static fs::path s_root;
  fs::path m_out;
};

fs::path ClipExportTest::s_root;

// A span from 08:30:02 to 08:30:10 crosses both recording boundaries.
TEST_F(ClipExportTest, SpanAcrossBoundariesInEveryMode) {
  struct Case {
    const char* name;
    ExportLayout layout;
    bool copy, overlay;
    int width, height;
  } cases[] = {
      {"side by side with overlay", ExportLayout::kSideBySide, false, true, 640, 180},
      {"picture in picture", ExportLayout::kPictureInPicture, false, false, 320, 180},
      {"front copied", ExportLayout::kFront, true, false, 320, 180},
      {"rear copied", ExportLayout::kRear, true, false, 320, 180},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExportRequest r = Request("two", "2024-05-17 08:30:02", "2024-05-17 08:30:10");
    r.layout = c.layout;
    r.copy = c.copy;
    r.overlay = c.overlay;
    double lastFraction = 0;
    const ExportResult result = ExportClip(r, [&](double f) {
      EXPECT_GE(f, lastFraction);
      lastFraction = f;
      return true;
    });
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_GT(lastFraction, 0.9);
    const Probe p = ProbeVideo(r.outPath);
    EXPECT_EQ(p.codec, "h264");
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
    // Copies start at the key frame at or before the start (at most 2 s
    // before it here); composed clips start at the start.
    if (c.copy) {
      EXPECT_GE(p.duration, 7.9);
      EXPECT_LE(p.duration, 10.1);
    } else {
      EXPECT_NEAR(p.duration, 8.0, 0.15);
    }
    EXPECT_EQ(CountText(m_out / "clip.gpx", "<trkpt"), 8);  // one fix a second
    EXPECT_EQ(FileCount(m_out), 2);                         // no temporary file left
  }
}

TEST_F(ClipExportTest, TwoCameraLayoutWithoutRearFallsBackToFront) {
  ExportRequest r = Request("front", "2024-05-17 08:30:01", "2024-05-17 08:30:03");
  r.layout = ExportLayout::kSideBySide;
  const ExportResult result = ExportClip(r);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_FALSE(result.notices.empty());
  EXPECT_EQ(ProbeVideo(r.outPath).width, 320);
}

TEST_F(ClipExportTest, BadRequestsFailWithAMessageAndWriteNothing) {
  struct Case {
    const char* name;
    const char* start;
    const char* end;
    ExportLayout layout;
    bool copy;
  } cases[] = {
      {"end before start", "2024-05-17 08:30:05", "2024-05-17 08:30:02", ExportLayout::kFront, false},
      {"empty span", "2024-05-17 08:30:05", "2024-05-17 08:30:05", ExportLayout::kFront, false},
      {"start before the drive", "2024-05-17 08:29:00", "2024-05-17 08:30:02", ExportLayout::kFront, false},
      {"end after the drive", "2024-05-17 08:30:02", "2024-05-17 08:31:00", ExportLayout::kFront, false},
      {"two cameras copied", "2024-05-17 08:30:02", "2024-05-17 08:30:04", ExportLayout::kPictureInPicture, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExportRequest r = Request("two", c.start, c.end);
    r.layout = c.layout;
    r.copy = c.copy;
    const ExportResult result = ExportClip(r);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(FileCount(m_out), 0);
  }
}

TEST_F(ClipExportTest, CancelLeavesNothingBehind) {
  for (const bool copy : {false, true}) {
    ExportRequest r = Request("two", "2024-05-17 08:30:01", "2024-05-17 08:30:11");
    r.copy = copy;
    const ExportResult result = ExportClip(r, [](double f) { return f < 0.5; });
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(FileCount(m_out), 0);
  }
}

// One recording named on the command line: its rear, in the sibling camera
// folder or beside it, is found, and the clip runs on into the next
// recording of its drive. A recording without a rear still says so and
// exports the front.
TEST_F(ClipExportTest, OneRecordingOnTheCommandLineFindsItsRear) {
  const fs::path flat = s_root / "flat";
  fs::create_directories(flat);
  for (const char* file : {"F/MP4_0002F.MP4", "R/MP4_0002R.MP4"})
    fs::copy_file(s_root / "two/DCIM/Movie" / file, flat / fs::path(file).filename(),
                  fs::copy_options::overwrite_existing);
  struct Case {
    const char* name;
    fs::path file;
    const char* start;
    const char* end;
    int width;
    double seconds;
    bool notice;
  } cases[] = {
      {"front with a rear", s_root / "two/DCIM/Movie/F/MP4_0002F.MP4", "2024-05-17 08:30:05",
       "2024-05-17 08:30:10", 640, 5.0, false},
      {"both cameras in one folder", flat / "MP4_0002F.MP4", "2024-05-17 08:30:05",
       "2024-05-17 08:30:07", 640, 2.0, false},
      {"front alone", s_root / "front/DCIM/Movie/F/MOV_0001F.MOV", "2024-05-17 08:30:01",
       "2024-05-17 08:30:03", 320, 2.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = (m_out / "clip.mp4").string();
    const std::string command = std::string("'" VANTREL_BINARY_DIR "/cli/vantrel-cli' export '") +
                                c.file.string() + "' --start '" + c.start + "' --end '" + c.end +
                                "' --layout side-by-side --preset ultrafast --out '" + out +
                                "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string output;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) output += line;
    ASSERT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output.find("no rear camera") != std::string::npos, c.notice) << output;
    const Probe p = ProbeVideo(out);
    EXPECT_EQ(p.width, c.width);
    EXPECT_NEAR(p.duration, c.seconds, 0.15);
  }
}

// The command line under a file size limit, as on a full disk: a non-zero
// exit, a message, and neither the clip nor its temporary file left.
TEST_F(ClipExportTest, FullDiskFailsCleanly) {
  const std::string cli = VANTREL_BINARY_DIR "/cli/vantrel-cli";
  const std::string card = (s_root / "two").string();
  const std::string out = (m_out / "clip.mp4").string();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    execl(cli.c_str(), cli.c_str(), "export", card.c_str(), "--start", "2024-05-17 08:30:00",
          "--end", "2024-05-17 08:30:11", "--layout", "side-by-side", "--preset", "ultrafast",
          "--out", out.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(FileCount(m_out), 0);
}

TEST(OverlayLine, ShowsWhatIsKnown) {
  GpsFix fix;
  fix.status = 1;
  fix.speed = 100;
  fix.heading = 45;  // 90 degrees
  const double g[3] = {0.25, -0.5, 1.0};
  CalendarTime t = 0;  // the overlay shows local time, in any zone
  ASSERT_TRUE(LocalDateTimeToCalendar(2024, 5, 17, 8, 30, 5, t));
  EXPECT_EQ(FormatOverlayLine(t, &fix, g, false),
            "2024-05-17 08:30:05  100 KM/H  E 090  G X+0.25 Y-0.50 Z+1.00");
  EXPECT_EQ(FormatOverlayLine(t, &fix, nullptr, true), "2024-05-17 08:30:05  62 MPH  E 090");
  fix.status = 0;  // no fix: no speed or heading
  EXPECT_EQ(FormatOverlayLine(t, &fix, nullptr, false), "2024-05-17 08:30:05");
}

}  // namespace
