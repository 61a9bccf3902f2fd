// vantrel-cli info and fixes over generated recordings.
#include <gtest/gtest.h>

#include <sstream>

#include "ParserTestSupport.h"

using namespace testing_support;

namespace {

const std::string kCli = std::string(VANTREL_BINARY_DIR) + "/cli/vantrel-cli";

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The number after "name": in one line of `info --json`; -1 when absent.
long long Field(const std::string& json, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  const auto at = json.find(key);
  return at == std::string::npos ? -1 : std::stoll(json.substr(at + key.size()));
}

}  // namespace

// Layouts other writers make: a data track in fragments (moof/mdat, as a
// re-muxer with frag_keyframe writes), an odd-sized RIFF chunk (and its pad
// byte) before the GPS chunk, and an AVI named in lower case.
TEST(CliInfo, FragmentedMp4OddChunkAviAndLowerCaseAvi) {
  TempDir dir("cli");
  recgen::RecordingRecipe data;
  data.container = recgen::Container::kMp4DataTrack;
  data.route = TestRoute(60);
  data.gsensor = recgen::MakeGSensorSeries(60, 10, 8);
  data.width = 320;
  data.height = 240;
  const auto plain = WriteRec(dir / "VID_0001F.mp4", data);
  const auto fragmented = dir / "VID_0002F.mp4";
  int status = -1;
  RunCommand("ffmpeg -nostdin -loglevel error -y -i '" + plain.string() +
                 "' -map 0 -c copy -movflags frag_keyframe+empty_moov '" + fragmented.string() + "'",
             &status);
  ASSERT_EQ(status, 0);

  recgen::RecordingRecipe avi;
  avi.container = recgen::Container::kAvi;
  avi.route = TestRoute(30);
  avi.gsensor = recgen::MakeGSensorSeries(30, 10, 8);
  avi.aviOddGSensorFirst = true;
  recgen::RecordingLayout layout;
  const auto odd = WriteRec(dir / "FILE0001.AVI", avi, &layout);
  ASSERT_EQ(layout.gsensorSize % 2, 1u);
  ASSERT_GT(layout.gpsOffset, layout.gsensorOffset);
  avi.aviOddGSensorFirst = false;
  const auto lower = WriteRec(dir / "FILE0002.avi", avi);

  const struct {
    std::filesystem::path file;
    const char* parser;
    long long fixes;
  } cases[] = {{fragmented, "mp4", 60}, {odd, "avi", 30}, {lower, "avi", 30}};
  for (const auto& c : cases) {
    const std::string json = RunCommand(kCli + " info --json '" + c.file.string() + "'", &status);
    SCOPED_TRACE(json);
    EXPECT_EQ(status, 0);
    EXPECT_NE(json.find(std::string("\"parser\":\"") + c.parser + "\",\"result\":0"), std::string::npos);
    EXPECT_NEAR(Field(json, "durationMs"), 60000, 1000);
    EXPECT_EQ(Field(json, "gpsFixCount"), c.fixes);
    EXPECT_NE(json.find("\"startTimeLocal\":\"2024-05-17T08:30:00\""), std::string::npos);
  }
}

TEST(CliInfo, ReportsEveryFileAndGoesOnPastFailures) {
  TempDir dir("cli");
  recgen::RecordingRecipe avi;
  avi.container = recgen::Container::kAvi;
  avi.route = TestRoute(30);
  avi.gsensor = recgen::MakeGSensorSeries(30, 10, 8);
  recgen::RecordingLayout layout;
  const auto a = WriteRec(dir / "FILE0001.AVI", avi, &layout);
  const auto missing = dir / "NOPE0001.MOV";

  int status = 0;
  const std::string json =
      RunCommand(kCli + " info --json '" + a.string() + "' '" + missing.string() + "' 2>/dev/null", &status);
  EXPECT_NE(status, 0);
  EXPECT_EQ(json.front(), '[');
  EXPECT_EQ(Count(json, "\"path\":"), 2u);
  EXPECT_NE(json.find("\"parser\":\"avi\",\"result\":0,\"gpsOffset\":" + std::to_string(layout.gpsOffset)), std::string::npos) << json;
  EXPECT_NE(json.find("\"parser\":\"box\",\"result\":-1"), std::string::npos);
  EXPECT_NE(json.find("\"startTimeLocal\":\"2024-05-17T08:30:00\""), std::string::npos);
  EXPECT_NE(json.find("\"gpsAttr\":[1,0,0,0]"), std::string::npos);
  EXPECT_NE(json.find("\"gpsFixCount\":30,"), std::string::npos);
  EXPECT_NE(json.find("\"length\":60,"), std::string::npos);

  const std::string err = RunCommand(kCli + " info '" + missing.string() + "' 2>&1 >/dev/null", &status);
  EXPECT_NE(err.find("NOPE0001.MOV"), std::string::npos);

  const std::string text = RunCommand(kCli + " info '" + a.string() + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(text.find("durationMs: 60000\n"), std::string::npos) << text;
}

TEST(CliFixes, WritesTheSeriesAsCsv) {
  TempDir dir("cli");
  recgen::RecordingRecipe mov;
  mov.route = TestRoute(12);
  recgen::MarkInvalid(mov.route, 3, 2);
  const auto path = WriteRec(dir / "FILE0001.MOV", mov);
  int status = -1;
  const std::string csv = RunCommand(kCli + " fixes '" + path.string() + "'", &status);
  ASSERT_EQ(status, 0);
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "index,valid,latitude,longitude,altitude,speed_kmh,heading_deg,datetime");
  std::getline(lines, line);
  EXPECT_EQ(line, "0,1,22.543000,114.057900,20,50,90,2024-05-17 08:30:00");
  for (int i = 1; i <= 3; ++i) std::getline(lines, line);
  EXPECT_EQ(line.substr(0, 4), "3,0,");
  EXPECT_EQ(Count(csv, "\n"), 13u);

  RunCommand(kCli + " fixes '" + (dir / "NOPE.MOV").string() + "' 2>/dev/null", &status);
  EXPECT_NE(status, 0);
}
