// An independent reader (ExifTool) sees the same fixes in our recordings
// as the parsers and the GPS series do.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "ParserTestSupport.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

using namespace testing_support;

namespace {

struct ToolFix {
  std::string dateTime;  // "YYYY:MM:DD hh:mm:ss"
  double latitude = 0, longitude = 0, altitude = 0, speed = 0, track = 0;
};

std::vector<ToolFix> ReadWithExifTool(const std::filesystem::path& path) {
  const std::string out = RunCommand(
      "exiftool -ee -n -q -q -if '$GPSDateTime' "
      "-p '$GPSDateTime,$GPSLatitude,$GPSLongitude,$GPSAltitude,$GPSSpeed,$GPSTrack' '" +
      path.string() + "' 2>/dev/null");
  std::vector<ToolFix> fixes;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    ToolFix f;
    char date[32] = {};
    if (std::sscanf(line.c_str(), "%31[^,],%lf,%lf,%lf,%lf,%lf", date, &f.latitude, &f.longitude,
                    &f.altitude, &f.speed, &f.track) != 6)
      continue;
    f.dateTime = date;
    if (!f.dateTime.empty() && f.dateTime.back() == 'Z') f.dateTime.pop_back();
    fixes.push_back(f);
  }
  return fixes;
}

std::string FixDateTime(const GpsFix& f) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d:%02d:%02d %02d:%02d:%02d", 2000 + f.year, f.month, f.day,
                f.hour, f.minute, f.second);
  return buf;
}

bool HaveExifTool() {
  int status = -1;
  RunCommand("exiftool -ver >/dev/null 2>&1", &status);
  return status == 0;
}

}  // namespace

class ExifToolCrossCheck : public ::testing::TestWithParam<recgen::Container> {};

TEST_P(ExifToolCrossCheck, FixesMatchOurs) {
  if (!HaveExifTool()) GTEST_SKIP() << "exiftool is not installed";
  TempDir dir("exif");
  recgen::RecordingRecipe recipe;
  recipe.container = GetParam();
  recipe.placement = GetParam() == recgen::Container::kAvi ? recgen::Placement::kAfterMovi
                                                         : recgen::Placement::kTopLevel;
  // Southern and eastern hemispheres, a turning route, a climb below sea level.
  const std::vector<recgen::Waypoint> legs = {
      {-33.8612, 151.2099, 45}, {-33.8650, 151.2150, 80}, {-33.8601, 151.2205, 30}};
  recipe.route = recgen::MakeRouteAlong(legs, {2024, 12, 31, 23, 59, 30}, 1, -12);
  recipe.route.resize(std::min<std::size_t>(recipe.route.size(), 90));
  recipe.gsensor = recgen::MakeGSensorSeries(10, 10, 8);
  const auto path = WriteRec(dir / (GetParam() == recgen::Container::kAvi ? "X0000001.AVI" : "X0000001.MOV"), recipe);

  MediaInfo info;
  const ParseOutcome p = ParseFile(path);
  ASSERT_EQ(p.result, 0);
  const std::vector<GpsFix> ours = ReadTelemetry(path, p.info).fixes;
  ASSERT_EQ(ours.size(), recipe.route.size());

  const std::vector<ToolFix> theirs = ReadWithExifTool(path);
  ASSERT_EQ(theirs.size(), ours.size());
  for (std::size_t i = 0; i < ours.size(); ++i) {
    double lat = ours[i].latitude, lon = ours[i].longitude;
    ASSERT_TRUE(ConvertFixPair(lat, lon));
    EXPECT_NEAR(theirs[i].latitude, lat, 1e-9) << i;
    EXPECT_NEAR(theirs[i].longitude, lon, 1e-9) << i;
    EXPECT_EQ(theirs[i].altitude, ours[i].altitude) << i;
    EXPECT_EQ(theirs[i].speed, ours[i].speed) << i;
    EXPECT_EQ(theirs[i].track, ours[i].HeadingDegrees()) << i;
    EXPECT_EQ(theirs[i].dateTime, FixDateTime(ours[i])) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(MovAndAvi, ExifToolCrossCheck,
                         ::testing::Values(recgen::Container::kMov, recgen::Container::kAvi));
