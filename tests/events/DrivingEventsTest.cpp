// Driving events found in generated recordings with planted events, read
// through the parsers and the one telemetry read path, and listed by
// vantrel-cli events.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/DrivingEvents.h"
#include "catalog/MediaCatalog.h"
#include "export/SpanTelemetry.h"
#include "telemetry/ParserChoice.h"
#include "telemetry/ParserTestSupport.h"
#include "telemetry/TelemetrySeries.h"
#include "tools/recgen/PlantedEvents.h"

using namespace testing_support;
using recgen::PlantedEvent;

namespace {

const std::string kCli = std::string(VANTREL_BINARY_DIR) + "/cli/vantrel-cli";

struct Expected {
  DrivingEventKind kind;
  double seconds;
};

struct Case {
  const char* name;
  recgen::Container container;
  recgen::PlantedSensor sensor;
  bool gps;
  std::vector<Expected> expected;
};

// A one-minute recording at 50 km/h whose speeds follow the planted events.
recgen::RecordingRecipe Recording(const Case& c) {
  recgen::RecordingRecipe recipe;
  recipe.container = c.container;
  recipe.route = TestRoute(60);
  recgen::ApplyEventSpeeds(recipe.route, 1, c.sensor.events);
  if (!c.gps) recipe.payloads &= ~recgen::kPayloadGps;
  const auto g = recgen::MakePlantedSeries(c.sensor);
  recipe.gsensor = recgen::ToCounts(g, recipe.sensorRange);
  recipe.gsensorWide = recgen::ToWideCounts(g, recipe.sensorRange);
  recipe.width = 320;
  recipe.height = 240;
  return recipe;
}

std::vector<DrivingEvent> EventsOf(const std::filesystem::path& path) {
  const ParseResult parsed = CreateParser(ChooseParser(path))->ParseFile(path);
  EXPECT_TRUE(parsed.Ok()) << path << ": " << parsed.error;
  const TelemetrySeries series = ReadTelemetry(path, parsed.info);
  EXPECT_TRUE(series.Ok()) << series.error;
  return DetectDrivingEvents(series, parsed.info);
}

recgen::PlantedSensor Sensor(std::vector<PlantedEvent> events, double noiseG = 0,
                             double pitchDeg = 0, double rollDeg = 0) {
  recgen::PlantedSensor s;
  s.events = std::move(events);
  s.noiseG = noiseG;
  s.pitchDeg = pitchDeg;
  s.rollDeg = rollDeg;
  return s;
}

PlantedEvent At(PlantedEvent::Kind kind, double seconds, double g = 0.5, double duration = 2) {
  return {kind, seconds, duration, g};
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Describe(const std::vector<DrivingEvent>& events) {
  std::string s;
  for (const auto& e : events)
    s += std::string(DrivingEventKindName(e.kind)) + "@" + std::to_string(e.timeMs) + "ms " +
         std::to_string(e.peakG) + "G; ";
  return s;
}

}  // namespace

// Each planted event is found once, within 1.5 s of its middle, with the
// kind the GPS speed gives it; nothing else is found.
TEST(DrivingEvents, FindsThePlantedEventsAndNothingElse) {
  using K = DrivingEventKind;
  using C = recgen::Container;
  const auto brake = PlantedEvent::kBrake, accel = PlantedEvent::kAccelerate,
             left = PlantedEvent::kTurnLeft, right = PlantedEvent::kTurnRight,
             impact = PlantedEvent::kImpact;
  const std::vector<Case> cases = {
      {"calm minute", C::kMov, Sensor({}), true, {}},
      {"calm minute, noisy sensor", C::kAvi, Sensor({}, 0.25), true, {}},
      {"braking", C::kAvi, Sensor({At(brake, 10)}), true, {{K::kBraking, 11}}},
      {"acceleration", C::kMov, Sensor({At(accel, 20, 0.4, 3)}), true, {{K::kAcceleration, 21.5}}},
      {"cornering both ways", C::kThreeGp, Sensor({At(left, 15), At(right, 40, 0.6)}), true,
       {{K::kCornering, 16}, {K::kCornering, 41}}},
      {"impact", C::kMov, Sensor({At(impact, 30, 2.5, 0.2)}), true, {{K::kImpact, 30}}},
      {"tilted mounting", C::kMov, Sensor({At(brake, 12), At(left, 35)}, 0, 35, -12), true,
       {{K::kBraking, 13}, {K::kCornering, 36}}},
      {"noisy sensor", C::kAvi, Sensor({At(brake, 25), At(impact, 45, 2.0, 0.1)}, 0.25), true,
       {{K::kBraking, 26}, {K::kImpact, 45}}},
      {"no GPS", C::kMov, Sensor({At(brake, 10), At(impact, 40, 3, 0.1)}), false,
       {{K::kHarsh, 11}, {K::kImpact, 40}}},
      {"two brakings 2 s apart are one", C::kAvi, Sensor({At(brake, 10), At(brake, 12, 0.7)}), true,
       {{K::kBraking, 13}}},
      {"too weak, too short", C::kMov,
       Sensor({At(brake, 10, 0.25), At(left, 30, 0.6, 0.4), At(impact, 50, 0.8, 0.1)}), true, {}},
      {"wide MP4 samples", C::kMp4DataTrack, Sensor({At(brake, 10), At(impact, 40, 2.5, 0.2)}),
       true, {{K::kBraking, 11}, {K::kImpact, 40}}},
  };
  TempDir dir("events");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto name = c.container == C::kMp4DataTrack ? "VID_0001F.mp4"
                      : c.container == C::kAvi        ? "FILE0001.AVI"
                      : c.container == C::kThreeGp    ? "FILE0001.3GP"
                                                      : "FILE0001.MOV";
    const auto events = EventsOf(WriteRec(dir / name, Recording(c)));
    ASSERT_EQ(events.size(), c.expected.size()) << Describe(events);
    for (std::size_t i = 0; i < events.size(); ++i) {
      EXPECT_EQ(events[i].kind, c.expected[i].kind) << Describe(events);
      EXPECT_NEAR(events[i].timeMs / 1000.0, c.expected[i].seconds, 1.5) << Describe(events);
      EXPECT_EQ(events[i].speedBeforeKmh.has_value(), c.gps);
      EXPECT_EQ(events[i].speedAfterKmh.has_value(), c.gps);
    }
  }
}

// The G scale is the chart's: counts x range / 128, wide samples at 64 steps
// per count; a sample rate of 0 leaves the samples untimed.
TEST(DrivingEvents, ReadsTheSamplesAtTheChartsScale) {
  const auto g = recgen::MakePlantedSeries(Sensor({At(PlantedEvent::kBrake, 10, 0.6)}));
  struct Row {
    const char* name;
    int writtenRange;  // the range the counts were made for
    std::uint8_t statedRange;
    bool wide;
    double sampleRate;
    std::size_t events;
    double peakG;
  };
  const std::vector<Row> rows = {
      {"8 G counts", 8, 8, false, 0.01, 1, 0.6},
      {"range 0 means 8 G", 8, 0, false, 0.01, 1, 0.6},
      {"2 G counts", 2, 2, false, 0.01, 1, 0.6},
      {"8 G counts read as 2 G are a quarter", 8, 2, false, 0.01, 0, 0},
      {"wide samples", 8, 8, true, 0.01, 1, 0.6},
      {"no timing", 8, 8, false, 0, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TelemetrySeries series;
    series.sampleRate = r.sampleRate;
    if (r.wide) series.wideSamples = recgen::ToWideCounts(g, r.writtenRange);
    else series.samples = recgen::ToCounts(g, r.writtenRange);
    MediaInfo info;
    info.gsensorAttr[1] = r.statedRange;
    const auto events = DetectDrivingEvents(series, info);
    ASSERT_EQ(events.size(), r.events) << Describe(events);
    if (r.events) {
      EXPECT_NEAR(events[0].peakG, r.peakG, 0.08);
      EXPECT_EQ(events[0].kind, DrivingEventKind::kHarsh);  // no fixes
    }
  }
}

TEST(CliEvents, ListsFoldersAndFilesAndGoesOnPastFailures) {
  TempDir dir("events-cli");
  std::filesystem::create_directories(dir / "DCIM");
  Case braking{"", recgen::Container::kMov, Sensor({At(PlantedEvent::kBrake, 10)}), true, {}};
  WriteRec(dir / "DCIM" / "MOV_0001F.MOV", Recording(braking));
  Case blind{"", recgen::Container::kAvi, Sensor({At(PlantedEvent::kTurnLeft, 30)}), false, {}};
  WriteRec(dir / "DCIM" / "MOV_0002F.AVI", Recording(blind));
  WriteFile(dir / "DCIM" / "MOV_0003F.MOV", recgen::Bytes(100, 0x55));  // not a recording

  int status = 0;
  const std::string json =
      RunCommand(kCli + " events --json '" + (dir / "DCIM").string() + "' 2>/dev/null", &status);
  EXPECT_EQ(status, 1);
  const std::string first = "[\n{\"path\":\"" + (dir / "DCIM" / "MOV_0001F.MOV").string() +
                            "\",\"timeMs\":";
  ASSERT_EQ(json.rfind(first, 0), 0u) << json;
  EXPECT_NEAR(std::strtol(json.c_str() + first.size(), nullptr, 10), 11000, 500);
  EXPECT_NE(json.find("\"kind\":\"braking\",\"peakG\":0.5"), std::string::npos) << json;
  EXPECT_NE(json.find("\"speedBeforeKmh\":50,\"speedAfterKmh\":32}"), std::string::npos) << json;
  EXPECT_NE(json.find("MOV_0002F.AVI\",\"timeMs\":3"), std::string::npos) << json;
  EXPECT_NE(json.find("\"kind\":\"harsh\",\"peakG\":0.5"), std::string::npos) << json;
  EXPECT_NE(json.find("\"speedBeforeKmh\":null,\"speedAfterKmh\":null}\n]\n"), std::string::npos)
      << json;

  const std::string err = RunCommand(kCli + " events '" + (dir / "DCIM").string() + "' 2>&1 >/dev/null");
  EXPECT_NE(err.find("MOV_0003F.MOV"), std::string::npos) << err;

  const std::string text =
      RunCommand(kCli + " events '" + (dir / "DCIM" / "MOV_0001F.MOV").string() + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(text.find("\t+00:1"), std::string::npos) << text;
  EXPECT_NE(text.find("\t2024-05-17 08:30:1"), std::string::npos) << text;
  EXPECT_NE(text.find("\tbraking\t0.50 G\t50 -> 32 km/h\n"), std::string::npos) << text;
}

// A drive's GPX and KML carry its events: waypoints before the track
// (GPX 1.1's order), point placemarks with a style per kind after the
// route; both documents well-formed.
TEST(CliEvents, DriveRouteDocumentsCarryTheEvents) {
  TempDir dir("events-route");
  std::filesystem::create_directories(dir / "DCIM");
  Case planted{"", recgen::Container::kMov,
               Sensor({At(PlantedEvent::kBrake, 10), At(PlantedEvent::kImpact, 40, 2.5, 0.2)}), true, {}};
  WriteRec(dir / "DCIM" / "MOV_0001F.MOV", Recording(planted));
  const std::string args = " '" + dir.path().string() + "' --drive 0 --out '" + (dir / "out").string() + "'";
  const auto count = [](const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  int status = 0;
  std::string path = RunCommand(kCli + " gpx" + args, &status);
  ASSERT_EQ(status, 0) << path;
  path.erase(path.find_last_not_of('\n') + 1);
  std::string text = ReadFileText(path);
  EXPECT_EQ(count(text, "<wpt "), 2u) << text;
  EXPECT_EQ(count(text, "<type>event</type>"), 2u);
  EXPECT_LT(text.rfind("</wpt>"), text.find("<trk>"));
  EXPECT_NE(text.find("<name>braking</name>\n    <desc>peak 0.50 G, 50 \u2192 32 km/h</desc>"),
            std::string::npos) << text;
  // GPX times are UTC, as the track's: the braking 11 s into the minute
  // the track starts in.
  const std::string minute = text.substr(text.find("<time>", text.find("<trkpt")), 23);
  EXPECT_NE(text.substr(0, text.find("<trk>")).find(minute + "1"), std::string::npos) << text;
  EXPECT_NE(text.find("<name>impact</name>"), std::string::npos);
  RunCommand("xmllint --noout '" + path + "'", &status);
  EXPECT_EQ(status, 0);

  path = RunCommand(kCli + " kml" + args, &status);
  ASSERT_EQ(status, 0) << path;
  path.erase(path.find_last_not_of('\n') + 1);
  text = ReadFileText(path);
  EXPECT_EQ(count(text, "<Point>"), 2u) << text;
  EXPECT_EQ(count(text, "<styleUrl>#event-"), 2u);
  EXPECT_NE(text.find("<Style id=\"event-impact\">"), std::string::npos);
  EXPECT_NE(text.find("<name>braking</name>\n      <description>08:30:1"), std::string::npos) << text;
  RunCommand("xmllint --noout '" + path + "'", &status);
  EXPECT_EQ(status, 0);

  // A clip's GPX carries the events inside its span only: the braking at
  // 10 s, not the impact at 40 s.
  MediaCatalog catalog;
  ASSERT_EQ(catalog.Load((dir / "DCIM").string() + "/", "MOV_0001F.MOV"), 1);
  const MediaEntry& entry = catalog.Entries()[0];
  ExportPlan plan;
  plan.pieces.push_back({entry.FullPath(), "", entry.info, {}, entry.info.startTime, 5000, 20000, 0});
  plan.lengthMs = 15000;
  path = (dir / "clip.gpx").string();
  ASSERT_GT(SpanTelemetry(plan).WriteGpx(path, "clip"), 0);
  text = ReadFileText(path);
  EXPECT_EQ(count(text, "<wpt "), 1u) << text;
  EXPECT_NE(text.find("<name>braking</name>"), std::string::npos);
  EXPECT_LT(text.rfind("</wpt>"), text.find("<trk>"));
}
