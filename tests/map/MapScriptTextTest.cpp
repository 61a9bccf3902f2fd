#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "catalog/DriveTrack.h"
#include "catalog/MapScripts.h"
#include "telemetry/TelemetryUtil.h"

namespace {

TEST(MapScriptText, CallTextsAndSpacing) {
  // init_map and movpos carry a blank after the comma, the two plot calls none.
  EXPECT_EQ(InitMapScript(0, 0), "init_map(0.000000, 0.000000)");
  EXPECT_EQ(MovPosScript(22.5205, 113.5), "movpos(22.520500, 113.500000)");
  EXPECT_EQ(PathPlotScript(-33.875, 151.2), "path_plot(-33.875000,151.200000)");
  EXPECT_EQ(PathDrivedPlotScript(1.0000004, -0.0000006),
            "pathdrived_plot(1.000000,-0.000001)");
  EXPECT_STREQ(kPathDeleteScript, "path_delete()");
  EXPECT_STREQ(kPathDrivedDeleteScript, "pathdrived_delete()");
}

TEST(MapScriptText, StoredFixToMovPos) {
  // A fix stored as 130 / 245 (1 deg 30', 2 deg 45') arrives divided by 100.
  const double lat = DdmmToDegrees(130 / 100.0);
  const double lng = DdmmToDegrees(245 / 100.0);
  EXPECT_EQ(MovPosScript(lat, lng), "movpos(1.500000, 2.750000)");
  EXPECT_EQ(FormatFixedC(DdmmToDegrees(-130 / 100.0)), "-1.500000");
  EXPECT_NEAR(DdmmToDegrees(22.3123), 22.52050, 1e-9);
  EXPECT_NEAR(DdmmToDegrees(-113.3), -113.5, 1e-9);
}

TEST(MapScriptText, MatchesPrintfForAwkwardValues) {
  const double values[] = {0.0, -0.0, 0.5, 2.5e-7, 1e-7, 0.0000005, 179.9999995, -179.9999995,
                           123456789.123456789, 1e300, -1e-300};
  for (double v : values) {
    char expected[512];
    std::snprintf(expected, sizeof expected, "%f", v);
    EXPECT_EQ(FormatFixedC(v), expected) << v;
  }
}

TEST(MapScriptText, DriveCallTexts) {
  DriveTrack track;
  DriveTrackPoint a;
  a.latitude = 39.5;
  a.longitude = -0.25;
  a.driveMs = 0;
  a.fix.speed = 57;
  a.fix.heading = 45;  // 90 degrees
  DriveTrackPoint b = a;
  b.driveMs = 1500;
  b.piece = 1;
  b.gapBefore = true;
  track.points = {a, a, b};
  track.points[1].driveMs = 1000;
  EXPECT_EQ(DriveRouteScript(track),
            "drive_route({\"t\":[0,1000,1500],\"lat\":[39.500000,39.500000,39.500000],"
            "\"lng\":[-0.250000,-0.250000,-0.250000],\"v\":[57,57,57],\"h\":[90,90,90],"
            "\"p\":[0,0,1],\"g\":[2]})");
  EXPECT_EQ(DriveRouteScript(DriveTrack{}), "drive_route(null)");
  // Events: the kind, the point, its position, the local clock and the
  // peak; one without a point is left out, a peak that is no number
  // is 0.
  DriveTrackEvent braking{{DrivingEventKind::kBraking, 900, 0.526}, 2, 1500, 1700000000};
  DriveTrackEvent impact{{DrivingEventKind::kImpact, 0, std::nan("")}, 0, 0, 0};
  DriveTrackEvent lost{{DrivingEventKind::kHarsh, 0, 1}, 3, 0, 0};
  track.events = {impact, lost, braking};
  const std::string clock = FormatLocalTime(1700000000, "%H:%M:%S");
  EXPECT_EQ(DriveEventsScript(track),
            "drive_events([{\"k\":\"impact\",\"i\":0,\"lat\":39.500000,\"lng\":-0.250000,\"t\":\"\","
            "\"g\":0.00},{\"k\":\"braking\",\"i\":2,\"lat\":39.500000,\"lng\":-0.250000,"
            "\"t\":\"" + clock + "\",\"g\":0.53}])");
  EXPECT_EQ(DriveEventsScript(DriveTrack{}), "drive_events([])");
  EXPECT_EQ(DrivePosScript(-1), "drive_pos(-1)");
  EXPECT_EQ(DrivePosScript(12), "drive_pos(12)");
  EXPECT_EQ(DriveUnitsScript(true), "drive_units('mph')");
  EXPECT_EQ(DriveUnitsScript(false), "drive_units('kmh')");
}

// Makes a comma-decimal locale current for LC_NUMERIC: an installed one, or
// one compiled into a temporary folder with localedef. Returns false when
// none can be had on this machine.
bool UseCommaLocale(const std::filesystem::path& dir) {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) return true;
  std::filesystem::create_directories(dir);
  const std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() +
                          "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(dir / "de_DE.UTF-8"))
    return false;
  setenv("LOCPATH", dir.c_str(), 1);
  return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST(MapScriptText, CommaLocaleDoesNotChangeTheTexts) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("vantrel-map-locale-" + std::to_string(getpid()));
  struct Cleanup {
    std::filesystem::path dir;
    ~Cleanup() {
      std::setlocale(LC_NUMERIC, "C");
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    }
  } cleanup{dir};
  if (!UseCommaLocale(dir)) GTEST_SKIP() << "no comma-decimal locale available";
  char probe[32];
  std::snprintf(probe, sizeof probe, "%f", 1.5);
  ASSERT_STREQ(probe, "1,500000") << "the locale in use does not write a comma";

  EXPECT_EQ(MovPosScript(1.5, 2.75), "movpos(1.500000, 2.750000)");
  EXPECT_EQ(PathPlotScript(-1.5, 1234.5), "path_plot(-1.500000,1234.500000)");
  EXPECT_EQ(InitMapScript(0, 0), "init_map(0.000000, 0.000000)");
}

}  // namespace
