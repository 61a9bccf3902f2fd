// Routes, G-sensor series, cards and the demo waypoint list.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cmath>

#include <gtest/gtest.h>

#include "GeneratedFileChecks.h"
#include "tools/recgen/DemoCard.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;
using namespace recgen;

namespace {

// The camera's naming rule: four name characters, then four digits.
bool FitsNamingPattern(const std::string& n) {
  if (n.size() < 8) return false;
  for (int i = 0; i < 4; ++i)
    if (!std::isalnum(static_cast<unsigned char>(n[i])) && n[i] != '_' && n[i] != '-') return false;
  for (int i = 4; i < 8; ++i)
    if (!std::isdigit(static_cast<unsigned char>(n[i]))) return false;
  return true;
}

// The player's rear lookup: "R" before the dot, then the folder's last letter.
std::string Companion(std::string s) {
  s[s.rfind('.') - 1] = 'R';
  if (fs::exists(s)) return s;
  std::size_t at = s.rfind('/');
  for (int k = 0; k < 4 && at > 0; ++k, --at)
    if (s[at] != '/') {
      s[at] = 'R';
      break;
    }
  return fs::exists(s) ? s : "";
}

double Metres(const GpsFix& a, const GpsFix& b) {
  const double la = DdmmToDegreesValue(a.latitude), lb = DdmmToDegreesValue(b.latitude);
  const double north = (lb - la) * 111320.0;
  const double east = (DdmmToDegreesValue(b.longitude) - DdmmToDegreesValue(a.longitude)) *
                      111320.0 * std::cos(la * 3.14159265 / 180);
  return std::hypot(north, east);
}

}  // namespace

TEST(RouteMaker, DatesCarryAcrossMonthsAndYears) {
  const DateTime t{2023, 12, 31, 23, 59, 59};
  EXPECT_EQ(t.Plus(1).ToText(), "2024-01-01 00:00:00");
  EXPECT_EQ((DateTime{2024, 2, 28, 23, 0, 0}.Plus(3600).ToText()), "2024-02-29 00:00:00");
  EXPECT_EQ((DateTime{2024, 3, 1, 0, 0, 0}.Plus(-1).ToText()), "2024-02-29 23:59:59");
  EXPECT_EQ((DateTime{1970, 1, 2, 0, 0, 0}.ToUtcSeconds()), 86400);
}

TEST(RouteMaker, CoordinatesAreStoredAsDegreesAndMinutes) {
  EXPECT_NEAR(DegreesToDdmm(22.535), 2232.1, 1e-9);
  EXPECT_NEAR(DegreesToDdmm(-113.5), -11330.0, 1e-9);
  EXPECT_NEAR(DdmmToDegreesValue(DegreesToDdmm(48.873781)), 48.873781, 1e-9);
}

TEST(RouteMaker, StraightRouteAtRate) {
  RouteProfile p;
  p.latitude = 48.0;
  p.longitude = 2.0;
  p.start = {2024, 5, 17, 8, 29, 58};
  p.count = 20;
  p.rate = 4;
  p.speedKmh = 36;  // 10 m/s: 2.5 m per fix
  p.headingDeg = 90;
  const std::vector<GpsFix> r = MakeRoute(p);
  ASSERT_EQ(r.size(), 20u);
  EXPECT_EQ(r[0].heading, 45);  // units of 2 degrees
  EXPECT_EQ(r[0].speed, 36);
  EXPECT_TRUE(r[19].IsValid());
  EXPECT_NEAR(Metres(r[0], r[4]), 10.0, 0.05);
  // Fixes within one second share its time; the minute carries.
  EXPECT_EQ(r[3].second, 58);
  EXPECT_EQ(r[8].minute, 30);
  EXPECT_EQ(r[8].second, 0);
  EXPECT_EQ(r[0].year, 24);
}

TEST(RouteMaker, RouteAlongWaypointsFollowsTheLegs) {
  // East 200 m, then north 200 m, at 36 km/h.
  const double dLon = 200 / (111320.0 * std::cos(48.0 * 3.14159265 / 180));
  const double dLat = 200 / 111320.0;
  std::vector<Waypoint> w = {{48.0, 2.0, 36}, {48.0, 2.0 + dLon, 36}, {48.0 + dLat, 2.0 + dLon, 36}};
  std::vector<std::size_t> legs;
  std::vector<GpsFix> r = MakeRouteAlong(w, {2024, 1, 1, 0, 0, 0}, 1, 20, &legs);
  ASSERT_EQ(legs.size(), r.size());
  EXPECT_NEAR(static_cast<double>(r.size()), 41, 1);
  EXPECT_EQ(r[5].heading, 45);  // 90 degrees
  EXPECT_EQ(r[30].heading, 0);  // north
  EXPECT_EQ(legs[5], 0u);
  EXPECT_EQ(legs[30], 1u);
  EXPECT_EQ(r.back().speed, 0);
  EXPECT_NEAR(DdmmToDegreesValue(r.back().latitude), 48.0 + dLat, 1e-9);
  for (std::size_t i = 1; i + 1 < r.size(); ++i) EXPECT_NEAR(Metres(r[i - 1], r[i]), 10, 0.5) << i;
  MarkInvalid(r, 10, 3);
  EXPECT_FALSE(r[12].IsValid());
  EXPECT_TRUE(r[13].IsValid());
}

TEST(GSensorMaker, RestBrakeTurnAndBump) {
  const auto s = MakeGSensorSeries(10, 10, 8,
                                   {{GSensorEvent::kBrake, 2, 1, 0.5},
                                    {GSensorEvent::kTurnLeft, 5, 1, 0.4},
                                    {GSensorEvent::kBump, 8, 1, 1.5}});
  ASSERT_EQ(s.size(), 100u);
  EXPECT_NEAR(s[0].z, 16, 1);   // +1 G at 8 G full scale
  EXPECT_NEAR(s[25].x, -8, 1);  // 0.5 G braking at its peak
  EXPECT_NEAR(s[55].y, 6, 1);   // left is positive
  int zMin = 127, zMax = -128;
  for (int i = 80; i < 90; ++i) {
    zMin = std::min<int>(zMin, s[static_cast<std::size_t>(i)].z);
    zMax = std::max<int>(zMax, s[static_cast<std::size_t>(i)].z);
  }
  EXPECT_GT(zMax - zMin, 20);
  const auto wide = WidenGSensor({{-3, 4, -128}});
  EXPECT_EQ(wide[0].x, -3 * 64);  // 64 steps per count of the three-byte form
  EXPECT_EQ(wide[0].z, -128 * 64);
}

TEST(CardWriter, NamesFoldersLocksAndCompanions) {
  const fs::path dir = fs::temp_directory_path() / ("recgen-card-" + std::to_string(::getpid()));
  CardRecipe recipe;
  recipe.count = 12;
  recipe.nested = true;
  recipe.rear = true;
  recipe.lockEvery = 5;
  recipe.gapAfterEvery = 6;
  recipe.containers = {Container::kAvi, Container::kMov};
  recipe.sparseSize = 4u << 20;
  std::vector<fs::path> files;
  std::string error;
  ASSERT_EQ(WriteCard(recipe, dir, &files, &error), 1) << error;
  ASSERT_EQ(files.size(), 24u);
  int locked = 0;
  std::vector<std::int64_t> aviStarts;
  for (const fs::path& f : files) {
    const std::string name = f.filename().string();
    SCOPED_TRACE(f.string());
    EXPECT_TRUE(FitsNamingPattern(name));
    EXPECT_EQ(fs::file_size(f), recipe.sparseSize);
    const bool g = name[3] == 'G';
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ((st.st_mode & S_IWUSR) == 0, g);
    EXPECT_EQ(f.string().find("/Event/") != std::string::npos, g);
    locked += g;
    const char cam = name[name.rfind('.') - 1];
    if (cam == 'F') {
      EXPECT_EQ(Companion(f.string()), std::string(f.parent_path().parent_path() / "R" /
                                                   (name.substr(0, 8) + "R" + name.substr(9))));
    }
    // Telemetry still lies where the walk finds it after the padding.
    const FileBytes b = ReadFileBytes(f);
    const bool avi = name.ends_with(".AVI");
    const WalkResult w = avi ? WalkRiff(b, b.size()) : WalkBoxes(b);
    EXPECT_EQ(w.durationMs, 60000u);
    ASSERT_EQ(w.found.count("gps0"), 1u);
    if (avi && cam == 'F') {
      const GpsFix first = GpsFix::Decode(b.data() + w.found.at("gps0").first);
      aviStarts.push_back(DateTime{2000 + first.year, first.month, first.day, first.hour,
                                   first.minute, first.second}.ToUtcSeconds());
    }
  }
  EXPECT_EQ(locked, 4);  // files 5 and 10, front and rear
  // AVI files 1, 3, 5 continue in 2-minute steps; the gap after file 6 opens a new drive.
  ASSERT_EQ(aviStarts.size(), 6u);
  EXPECT_EQ(aviStarts[1] - aviStarts[0], 120);
  EXPECT_EQ(aviStarts[3] - aviStarts[2], 120 + 600);
  for (const fs::path& f : files) fs::permissions(f, fs::perms::owner_write, fs::perm_options::add);
  fs::remove_all(dir);
}

TEST(DemoCard, WaypointListDescribesPlausibleDrives) {
  std::vector<DemoDrive> drives;
  std::string error;
  ASSERT_EQ(ReadDemoWaypoints(fs::path(VANTREL_SOURCE_DIR) / "tools/demo/waypoints.txt", drives,
                              &error),
            1)
      << error;
  ASSERT_GE(drives.size(), 2u);
  bool tunnel = false;
  for (const DemoDrive& d : drives) {
    std::vector<std::size_t> legs;
    const std::vector<GpsFix> r = MakeRouteAlong(d.waypoints, d.start, 1, 35, &legs);
    // Enough road for every recording, never a jump faster than the car.
    EXPECT_GE(r.size() + 30, d.files.size() * 60);
    for (std::size_t i = 1; i < r.size(); ++i) {
      EXPECT_LE(Metres(r[i - 1], r[i]), 80 / 3.6 + 1) << i;
      EXPECT_LE(r[i].speed, 80);
    }
    for (bool t : d.tunnelLeg) tunnel = tunnel || t;
  }
  EXPECT_TRUE(tunnel);
  std::string parseError;
  const fs::path bad = fs::temp_directory_path() / ("recgen-bad-" + std::to_string(::getpid()));
  {
    std::FILE* f = std::fopen(bad.c_str(), "w");
    std::fputs("drive 2024-01-01 10:00:00 first=1 containers=avi\nwp 1 2 x\n", f);
    std::fclose(f);
  }
  EXPECT_EQ(ReadDemoWaypoints(bad, drives, &parseError), 0);
  EXPECT_NE(parseError.find(":2:"), std::string::npos);
  fs::remove(bad);
}

TEST(DemoCard, WritesFrontAndRearWithLockedEventsAndATunnel) {
  if (std::system("ffmpeg -hide_banner -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
  const fs::path dir = fs::temp_directory_path() / ("recgen-demo-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path list = dir / "waypoints.txt";
  {
    std::FILE* f = std::fopen(list.c_str(), "w");
    std::fputs("drive 2024-05-17 08:30:00 first=4 containers=avi locked=4\n"
               "wp 48.8700 2.3000 40\n"
               "wp 48.8710 2.3000 40 tunnel\n"
               "wp 48.8720 2.3000 40\n"
               "wp 48.8740 2.3000 20\n"
               "event 4 brake 30 2 0.6\n",
               f);
    std::fclose(f);
  }
  std::vector<fs::path> files;
  std::string error;
  ASSERT_EQ(WriteDemoCard(list, dir / "card", &files, &error), 1) << error;
  ASSERT_EQ(files.size(), 2u);
  const fs::path front = dir / "card/DCIM/Event/F/AVIG0004F.AVI";
  EXPECT_EQ(files[0], front);
  EXPECT_EQ(Companion(front.string()), (dir / "card/DCIM/Event/R/AVIG0004R.AVI").string());
  struct stat st {};
  ASSERT_EQ(::stat(front.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & S_IWUSR, 0u);

  const FileBytes b = ReadFileBytes(front);
  const WalkResult w = WalkRiff(b, b.size());
  EXPECT_EQ(w.width, 640);
  EXPECT_EQ(w.height, 360);
  EXPECT_NEAR(w.durationMs, 60000, 100);
  ASSERT_EQ(w.found.count("gps0"), 1u);
  ASSERT_EQ(w.found.at("gps0").second, 60u * 32);
  // The tunnel leg has no fix and repeats the last position; after the end
  // of the route the car stands still with its fix.
  int invalid = 0;
  GpsFix before{};
  for (std::size_t i = 0; i < 60; ++i) {
    const GpsFix f = GpsFix::Decode(b.data() + w.found.at("gps0").first + 32 * i);
    if (!f.IsValid()) {
      ++invalid;
      EXPECT_EQ(f.latitude, before.latitude);
    } else {
      before = f;
    }
  }
  EXPECT_GT(invalid, 5);
  EXPECT_TRUE(before.IsValid());
  EXPECT_EQ(before.speed, 0);
  // Braking shows on X: the strongest negative reading comes from the event.
  ASSERT_EQ(w.found.count("gsen"), 1u);
  int minX = 0;
  for (std::size_t i = 0; i < 600; ++i)
    minX = std::min<int>(minX, static_cast<std::int8_t>(b[w.found.at("gsen").first + 3 * i]));
  EXPECT_LE(minX, -8);
  const Probe p = ProbeWithLibav(front);
  EXPECT_EQ(p.width, 640);

  for (const fs::path& f : files) fs::permissions(f, fs::perms::owner_write, fs::perm_options::add);
  fs::remove_all(dir);
}
