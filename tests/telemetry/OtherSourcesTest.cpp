// Telemetry of other cameras and loggers: GPMF metadata tracks, Novatek
// "freeGPS " blocks, NMEA and GPX logs beside a recording. Files come from
// the generator; ExifTool is the independent reader of the embedded ones.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

#include "ParserTestSupport.h"
#include "telemetry/ByteReader.h"
#include "telemetry/GpmfReader.h"
#include "telemetry/NmeaSidecar.h"
#include "telemetry/NovatekReader.h"
#include "telemetry/SourceFix.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"
#include "tools/recgen/OtherCameras.h"

using namespace testing_support;

namespace {

// A drive through Buenos Aires: southern and western hemispheres.
std::vector<recgen::PlainFix> SouthWestDrive(int seconds, int perSecond = 1) {
  const std::vector<recgen::Waypoint> legs = {
      {-34.6037, -58.3816, 40}, {-34.6080, -58.3700, 70}, {-34.6010, -58.3650, 30}};
  auto route = recgen::PlainRoute(recgen::MakeRouteAlong(legs, {2024, 12, 31, 23, 59, 50}, perSecond, 25));
  route.resize(std::min<std::size_t>(route.size(), seconds * perSecond));
  return route;
}

// Decimal degrees of a stored fix.
std::pair<double, double> Degrees(const GpsFix& f) {
  double lat = f.latitude, lon = f.longitude;
  ConvertFixPair(lat, lon);
  return {lat, lon};
}

// The UTC seconds of a fix's local date and time.
std::int64_t FixUtc(const GpsFix& f) { return FixLocalTime(f); }

struct ToolFix {
  std::int64_t utc = -1;  // -1: this document carried no time
  double latitude = 0, longitude = 0, altitude = 0, speed = 0;
};

std::int64_t ToolTime(const std::string& text) {
  int y, mo, d, h, mi, s;
  if (std::sscanf(text.c_str(), "%d:%d:%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) return -1;
  return UtcFromFields(y, mo, d, h, mi, s);
}

// Every position ExifTool finds, in file order, with the time of its
// document. ExifTool lists each tag's values together, document by document.
std::vector<ToolFix> ReadWithExifTool(const std::filesystem::path& path) {
  const std::string out = RunCommand(
      "exiftool -ee -n -a -G3 -s -GPSDateTime -GPSLatitude -GPSLongitude -GPSAltitude -GPSSpeed '" +
      path.string() + "' 2>/dev/null");
  std::map<std::string, std::int64_t> docTime;
  std::map<std::string, std::vector<std::pair<std::string, double>>> values;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    char doc[32] = {}, tag[32] = {};
    int used = 0;
    if (std::sscanf(line.c_str(), "[%31[^]]] %31s : %n", doc, tag, &used) < 2 || used == 0) continue;
    const std::string value = line.substr(used);
    if (std::string(tag) == "GPSDateTime") docTime[doc] = ToolTime(value);
    else values[tag].emplace_back(doc, std::stod(value));
  }
  std::vector<ToolFix> fixes;
  const auto& lat = values["GPSLatitude"];
  for (std::size_t i = 0; i < lat.size(); ++i) {
    ToolFix f;
    f.utc = docTime.count(lat[i].first) ? docTime[lat[i].first] : -1;
    f.latitude = lat[i].second;
    auto at = [&](const char* tag) { return i < values[tag].size() ? values[tag][i].second : NAN; };
    f.longitude = at("GPSLongitude");
    f.altitude = at("GPSAltitude");
    f.speed = at("GPSSpeed");
    fixes.push_back(f);
  }
  return fixes;
}

bool HaveExifTool() {
  int status = -1;
  RunCommand("exiftool -ver >/dev/null 2>&1", &status);
  return status == 0;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TelemetrySeries ReadRecording(const std::filesystem::path& path) {
  const ParseOutcome p = ParseFile(path);
  EXPECT_EQ(p.result, 0) << path;
  return ReadTelemetry(path, p.info);
}

}  // namespace

// ---------------------------------------------------------------------------
// Embedded sources against ExifTool, fix for fix.

struct EmbeddedCase {
  const char* name;
  const char* source;
  recgen::Bytes (*make)(const std::vector<recgen::PlainFix>&);
  int perSecond;
  double toolSpeedToKmh;  // ExifTool gives GPMF speeds in m/s, freeGPS ones in km/h
  bool toolKeepsInvalid;
};

class EmbeddedSource : public ::testing::TestWithParam<EmbeddedCase> {};

TEST_P(EmbeddedSource, FixesMatchExifTool) {
  if (!HaveExifTool()) GTEST_SKIP() << "exiftool is not installed";
  const EmbeddedCase& c = GetParam();
  TempDir dir("other");
  auto drive = SouthWestDrive(40, c.perSecond);
  drive[2 * c.perSecond].valid = false;  // a second without a fix
  const auto path = WriteFile(dir / (std::string("GOPR0001.") + (c.perSecond > 1 ? "MP4" : "MOV")), c.make(drive));

  const TelemetrySeries ours = ReadRecording(path);
  ASSERT_STREQ(ours.source, c.source);
  ASSERT_EQ(ours.fixes.size(), drive.size());
  // ExifTool lists GPMF positions whatever the payload's fix, and leaves
  // out void freeGPS blocks.
  std::vector<GpsFix> valid;
  for (const GpsFix& f : ours.fixes)
    if (f.IsValid() || c.toolKeepsInvalid) valid.push_back(f);
  const std::vector<ToolFix> theirs = ReadWithExifTool(path);
  std::size_t matched = 0;
  for (const ToolFix& t : theirs) {
    if (matched >= valid.size()) break;
    const GpsFix& f = valid[matched++];
    const auto [lat, lon] = Degrees(f);
    EXPECT_NEAR(t.latitude, lat, 2e-7) << matched;
    EXPECT_NEAR(t.longitude, lon, 2e-7) << matched;
    if (!std::isnan(t.altitude)) {
      EXPECT_NEAR(t.altitude, f.altitude, 0.5) << matched;
    }
    EXPECT_NEAR(t.speed * c.toolSpeedToKmh, f.speed, 0.5) << matched;  // ours: whole km/h
    if (t.utc >= 0) {
      EXPECT_LE(std::llabs(t.utc - FixUtc(f)), 1) << matched;
    }
  }
  EXPECT_EQ(theirs.size(), valid.size());
  EXPECT_FALSE(ours.fixes[2 * c.perSecond].IsValid());
  EXPECT_TRUE(ours.fixes[2 * c.perSecond - 1].IsValid());

  // The start comes from the first timed fix, here the drive's first.
  MediaInfo none;
  EXPECT_EQ(ProbeSourceStart(path, none).startTime, drive.front().utc);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EmbeddedSource,
    ::testing::Values(
        EmbeddedCase{"gpmf", "gpmf",
                     [](const std::vector<recgen::PlainFix>& d) {
                       recgen::GpmfRecipe s;
                       s.fixes = d;
                       s.fixesPerPayload = 5;
                       return recgen::MakeGpmfMovie(s);
                     },
                     5, 3.6, true},
        EmbeddedCase{"classic", "freegps",
                     [](const std::vector<recgen::PlainFix>& d) {
                       return recgen::MakeNovatekMovie(d, recgen::NovatekLayout::kClassic);
                     },
                     1, 1.0, false},
        EmbeddedCase{"newer", "freegps",
                     [](const std::vector<recgen::PlainFix>& d) {
                       return recgen::MakeNovatekMovie(d, recgen::NovatekLayout::kNewer);
                     },
                     1, 1.0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GpmfSource, AccelerationOnTheChartScaleAndGps9) {
  TempDir dir("gpmf");
  recgen::GpmfRecipe recipe;
  recipe.fixes = SouthWestDrive(6, 5);
  recipe.gps9 = true;
  // At rest (1 G up), then braking at 0.5 G.
  for (int i = 0; i < 60; ++i) recipe.accel.push_back({i < 30 ? 0.0 : -4.903325, 0.0, 9.80665});
  const auto path = WriteFile(dir / "GOPR0002.MP4", recgen::MakeGpmfMovie(recipe));
  const TelemetrySeries s = ReadRecording(path);
  ASSERT_STREQ(s.source, "gpmf");
  ASSERT_EQ(s.samples.size(), 60u);
  EXPECT_EQ(s.samples[0].z, 16);  // 1 G on the default 8 G scale
  EXPECT_EQ(s.samples[59].x, -8);
  EXPECT_NEAR(s.sampleRate, 60 / 6000.0, 1e-9);
  ASSERT_EQ(s.fixes.size(), recipe.fixes.size());
  for (std::size_t i = 0; i < s.fixes.size(); ++i) {
    const auto [lat, lon] = Degrees(s.fixes[i]);
    EXPECT_NEAR(lat, recipe.fixes[i].latitude, 1e-6);
    EXPECT_NEAR(lon, recipe.fixes[i].longitude, 1e-6);
    EXPECT_EQ(FixUtc(s.fixes[i]), recipe.fixes[i].utc);  // GPS9 carries each fix's own time
  }
}

// ---------------------------------------------------------------------------
// Damaged input: what is broken is skipped and counted, the rest is read.

TEST(OtherSources, DamagedPartsAreSkippedAndCounted) {
  recgen::GpmfRecipe recipe;
  recipe.fixes = SouthWestDrive(4, 2);
  recipe.fixesPerPayload = 2;
  recgen::Bytes movie = recgen::MakeGpmfMovie(recipe);
  ByteReader reader(movie);
  GpmfTrack track;
  ASSERT_EQ(FindGpmfTrack(reader, track), ParseStatus::kOk);
  ASSERT_EQ(track.samples.size(), 4u);
  // Payload 1 claims a GPS5 larger than itself; payload 2 lies past the end.
  const std::uint64_t at = track.samples[1].offset;
  for (std::uint64_t i = at; i + 4 < at + track.samples[1].size; ++i)
    if (std::memcmp(&movie[i], "GPS5", 4) == 0) movie[i + 6] = 0x7F;
  track.samples[2].offset = movie.size() - 4;
  ByteReader damaged(movie);
  GpmfData data;
  ASSERT_EQ(ReadGpmfPayloads(damaged, track, 10, false, data), ParseStatus::kOk);
  EXPECT_EQ(data.points.size(), 4u);  // payloads 0 and 3
  EXPECT_EQ(data.damaged, 2u);

  const auto drive = SouthWestDrive(3);
  recgen::Bytes nova = recgen::MakeNovatekMovie(drive, recgen::NovatekLayout::kClassic);
  ByteReader novaReader(nova);
  std::vector<NovatekBlock> blocks;
  ASSERT_EQ(FindNovatekBlocks(novaReader, blocks), ParseStatus::kOk);
  nova[blocks[1].offset + 0x4C + 3] = 0x7F;  // latitude becomes NaN
  blocks.push_back({nova.size() - 10, 256});  // runs past the end
  ByteReader novaDamaged(nova);
  NovatekData nd;
  ASSERT_EQ(ReadNovatekBlocks(novaDamaged, blocks, 10, false, nd), ParseStatus::kOk);
  EXPECT_EQ(nd.points.size(), 2u);
  EXPECT_EQ(nd.damaged, 2u);
}

// ---------------------------------------------------------------------------
// Sidecars.

struct SidecarCase {
  const char* name;
  const char* extension;
  const char* source;
  std::string (*make)(const std::vector<recgen::PlainFix>&);
  bool timed;
  bool speedGiven;  // else from distances (GPX 1.1) or none
};

class Sidecar : public ::testing::TestWithParam<SidecarCase> {};

TEST_P(Sidecar, FixesInOurUnitsAndLocalTime) {
  const SidecarCase& c = GetParam();
  TempDir dir("sidecar");
  recgen::RecordingRecipe recipe;
  recipe.payloads = 0;
  const auto video = WriteRec(dir / "FILE0001.MOV", recipe);
  const auto drive = SouthWestDrive(20);
  WriteText(dir / (std::string("FILE0001") + c.extension), c.make(drive));

  const TelemetrySeries s = ReadRecording(video);
  ASSERT_STREQ(s.source, c.source);
  ASSERT_EQ(s.fixes.size(), drive.size());
  for (std::size_t i = 0; i < drive.size(); ++i) {
    const GpsFix& f = s.fixes[i];
    const auto [lat, lon] = Degrees(f);
    EXPECT_TRUE(f.IsValid());
    EXPECT_NEAR(lat, drive[i].latitude, 2e-6) << i;
    EXPECT_NEAR(lon, drive[i].longitude, 2e-6) << i;
    EXPECT_EQ(f.altitude, drive[i].altitude) << i;
    EXPECT_EQ(FixUtc(f), c.timed ? drive[i].utc : -1) << i;
    if (c.speedGiven) {
      EXPECT_NEAR(f.speed, drive[i].speedKmh, 1) << i;
    }
    // Headings from the file or from the route's bearing alike.
    const int turn = std::abs(f.HeadingDegrees() - static_cast<int>(drive[i].headingDeg)) % 360;
    if (i + 1 < drive.size()) {
      EXPECT_LE(std::min(turn, 360 - turn), 4) << i;
    }
  }
  if (c.timed && !c.speedGiven) {
    EXPECT_NEAR(s.fixes[5].speed, drive[5].speedKmh, 3);
  }
  EXPECT_EQ(s.startTime, c.timed ? drive.front().utc : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Sidecar,
    ::testing::Values(
        SidecarCase{"nmea", ".nmea", "nmea", recgen::MakeNmeaLog, true, true},
        SidecarCase{"NMEA", ".NMEA", "nmea", recgen::MakeNmeaLog, true, true},
        SidecarCase{"gps", ".gps", "nmea", recgen::MakeNmeaLog, true, true},
        SidecarCase{"gpx11", ".gpx", "gpx",
                    [](const std::vector<recgen::PlainFix>& d) { return recgen::MakeGpxTrack(d); }, true, false},
        SidecarCase{"gpx10", ".gpx", "gpx",
                    [](const std::vector<recgen::PlainFix>& d) { return recgen::MakeGpxTrack(d, true, true); },
                    true, true},
        SidecarCase{"untimed", ".gpx", "gpx",
                    [](const std::vector<recgen::PlainFix>& d) { return recgen::MakeGpxTrack(d, false); }, false,
                    false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NmeaLog, ChecksumsVoidSentencesAndMerging) {
  using recgen::NmeaSentence;
  const std::string good = NmeaSentence("GPRMC,235959.00,A,3436.2220,S,05822.8960,W,10.0,90.0,311224,,,A");
  std::string flipped = NmeaSentence("GPRMC,000000.00,A,3436.3000,S,05822.9000,W,10.0,90.0,010125,,,A");
  flipped[flipped.size() - 1] = flipped.back() == '0' ? '1' : '0';
  const std::string text =
      good + "\r\n" +
      NmeaSentence("GNGGA,235959.00,3436.2220,S,05822.8960,W,1,08,0.9,-12.5,M,0.0,M,,") + "\n" +
      flipped + "\n" +                                                         // bad checksum
      "$GPRMC,000001.00,A,3436.3000,S,05822.9000,W,10.0,90.0,010125,,,A\n" +   // no checksum
      NmeaSentence("GPRMC,000002.00,V,,,,,,,010125,,,N") + "\n" +             // void
      NmeaSentence("GPGGA,000003.00,3436.4000,S,05822.9500,W,0,00,,,M,,M,,") + "\n" +  // no fix
      NmeaSentence("GPGGA,000004.00,3436.5000,S,05823.0000,W,1,07,1.0,30.0,M,0.0,M,,") + "\n" +
      "garbage line\n" + NmeaSentence("GPGSV,3,1,12,01,40,083,46") + "\n";
  NmeaData data;
  ParseNmea(text, data);
  ASSERT_EQ(data.points.size(), 2u);
  EXPECT_EQ(data.skipped, 4u);
  // RMC and GGA of 23:59:59 make one fix with the GGA's altitude.
  EXPECT_NEAR(data.points[0].latitude, -(34 + 36.222 / 60), 1e-9);
  EXPECT_NEAR(data.points[0].longitude, -(58 + 22.896 / 60), 1e-9);
  EXPECT_EQ(data.points[0].altitude, -12.5);
  EXPECT_NEAR(data.points[0].speedKmh, 18.52, 1e-9);
  EXPECT_EQ(data.points[0].utc, UtcFromFields(2024, 12, 31, 23, 59, 59));
  // A GGA alone after midnight takes the next day.
  EXPECT_EQ(data.points[1].utc, UtcFromFields(2025, 1, 1, 0, 0, 4));
  EXPECT_FALSE(LooksLikeNmea("$GPRMC,no checksum here\n" + flipped));
}

// A lookalike never claims a file, and a recording's own telemetry is never
// replaced by a log beside it.
TEST(OtherSources, StrictMarkersAndOrder) {
  TempDir dir("markers");
  recgen::RecordingRecipe recipe;
  recipe.payloads = 0;
  const auto drive = SouthWestDrive(5);
  struct Case {
    const char* sidecarName;
    std::string sidecar;
    bool ownTelemetry;
    const char* want;  // null: no source
  } cases[] = {
      {"A0000001.nmea", "$GPRMC,120000,A,3436.2220,S,05822.8960,W,1,1,010125,,,A*00\r\n", false, nullptr},
      {"A0000002.gpx", "<html><body><gpx></gpx></body></html>", false, nullptr},
      {"A0000003.txt", recgen::MakeNmeaLog(drive), false, nullptr},
      {"A0000004.gpx", "<!-- log -->\n" + recgen::MakeGpxTrack(drive), false, "gpx"},
      {"A0000005.nmea", recgen::MakeNmeaLog(drive), true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sidecarName);
    std::filesystem::path video = dir / c.sidecarName;
    video.replace_extension(".MOV");
    recipe.payloads = c.ownTelemetry ? unsigned{recgen::kPayloadAll} : 0u;
    recipe.route = TestRoute(3);
    WriteRec(video, recipe);
    WriteText(dir / c.sidecarName, c.sidecar);
    const TelemetrySeries s = ReadRecording(video);
    if (c.want) {
      EXPECT_STREQ(s.source, c.want);
    } else {
      EXPECT_EQ(s.source, nullptr);
    }
    if (c.ownTelemetry) {
      EXPECT_EQ(s.fixes.size(), 3u);
    }
  }
  // A `gps ` box that lists no "freeGPS " block is someone else's.
  recgen::Bytes movie = recgen::MakeNovatekMovie(drive, recgen::NovatekLayout::kClassic);
  for (std::size_t i = 0; i + 8 <= movie.size(); ++i)
    if (std::memcmp(&movie[i], "freeGPS ", 8) == 0) movie[i] = 'x';
  const auto path = WriteFile(dir / "B0000001.MOV", movie);
  EXPECT_EQ(ReadRecording(path).source, nullptr);
}
