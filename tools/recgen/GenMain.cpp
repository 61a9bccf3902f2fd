// vantrel-gen: writes test recordings, memory cards and the demo card.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tools/recgen/DemoCard.h"
#include "tools/recgen/PlantedEvents.h"
#include "tools/recgen/RealVideo.h"
#include "tools/recgen/RecordingGenerator.h"

namespace {

using namespace recgen;

const char kUsage[] =
    "usage:\n"
    "  vantrel-gen mov|mp4|3gp|avi|mp4data OUT [--fixes N] [--rate R] [--gsensor-rate R]\n"
    "      [--range G] [--duration MS] [--size WxH] [--start 'YYYY-MM-DD hh:mm:ss']\n"
    "      [--lat DEG] [--lon DEG] [--speed KMH] [--heading DEG] [--turn DEG_PER_S]\n"
    "      [--placement top|moov|udta|before-movi|after-movi|info] [--omit gps,gsen,gpsa,gsea,idit]\n"
    "      [--idit TEXT] [--padding BYTES] [--mdhd-version 0|1] [--timescale N]\n"
    "      [--video] [--audio] [--label TEXT] [--fps N] [--kbps N]\n"
    "      [--events KIND@S[:G[:DUR]],...|none] [--tilt PITCH_DEG[:ROLL_DEG]] [--noise G]\n"
    "      (KIND brake|accel|left|right|impact; without these a 0.5 G braking at 10 s)\n"
    "  vantrel-gen card OUTDIR --count N [--nested] [--rear] [--sparse-size BYTES]\n"
    "      [--containers avi,mov,mp4,3gp,mp4data] [--lock-every N] [--gap-every N]\n"
    "      [--seconds S] [--start 'YYYY-MM-DD hh:mm:ss'] [--video]\n"
    "  vantrel-gen demo OUTDIR --waypoints FILE\n"
    "  vantrel-gen probe FILE   (packets as libavformat reads them)\n";

// --name value pairs and bare --flags.
struct Options {
  std::map<std::string, std::string> values;
  std::vector<std::string> positional;
  bool Has(const std::string& k) const { return values.count(k) != 0; }
  std::string Get(const std::string& k, const std::string& def = "") const {
    auto it = values.find(k);
    return it == values.end() ? def : it->second;
  }
  long long Num(const std::string& k, long long def) const {
    return Has(k) ? std::strtoll(Get(k).c_str(), nullptr, 10) : def;
  }
  double Real(const std::string& k, double def) const {
    return Has(k) ? std::strtod(Get(k).c_str(), nullptr) : def;
  }
};

const char* const kFlags[] = {"--video", "--audio", "--nested", "--rear"};

bool Parse(int argc, char** argv, int from, Options& o) {
  for (int i = from; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--", 0) != 0) {
      o.positional.push_back(a);
      continue;
    }
    bool flag = false;
    for (const char* f : kFlags) flag = flag || a == f;
    if (flag) {
      o.values[a] = "1";
    } else if (i + 1 < argc) {
      o.values[a] = argv[++i];
    } else {
      std::fprintf(stderr, "vantrel-gen: %s needs a value\n", a.c_str());
      return false;
    }
  }
  return true;
}

bool ParseContainer(const std::string& s, Container& c) {
  static const std::map<std::string, Container> names = {
      {"mov", Container::kMov}, {"mp4", Container::kMp4Boxes}, {"3gp", Container::kThreeGp},
      {"avi", Container::kAvi}, {"mp4data", Container::kMp4DataTrack}};
  auto it = names.find(s);
  if (it == names.end()) return false;
  c = it->second;
  return true;
}

bool ParseDateTime(const std::string& s, DateTime& t) {
  return std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour,
                     &t.minute, &t.second) == 6;
}

std::vector<std::string> SplitComma(const std::string& s) {
  std::vector<std::string> out;
  std::size_t from = 0;
  while (from <= s.size()) {
    const std::size_t comma = s.find(',', from);
    const std::size_t end = comma == std::string::npos ? s.size() : comma;
    if (end > from) out.push_back(s.substr(from, end - from));
    from = end + 1;
  }
  return out;
}

bool ParsePlacement(const std::string& s, Placement& p) {
  static const std::map<std::string, Placement> names = {
      {"top", Placement::kTopLevel},          {"moov", Placement::kInsideMoov},
      {"udta", Placement::kInsideUdta},       {"before-movi", Placement::kBeforeMovi},
      {"after-movi", Placement::kAfterMovi},  {"info", Placement::kInsideInfo}};
  auto it = names.find(s);
  if (it == names.end()) return false;
  p = it->second;
  return true;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "vantrel-gen: %s\n", why.c_str());
  return 1;
}

// The G-sensor series and route speeds of --events, --tilt and --noise;
// an empty string or the reason they are refused.
std::string PlantEvents(const Options& o, RecordingRecipe& recipe) {
  PlantedSensor sensor;
  std::string error;
  if (!ParsePlantedEvents(o.Get("--events", "none"), sensor.events, &error)) return error;
  if (o.Has("--tilt") &&
      std::sscanf(o.Get("--tilt").c_str(), "%lf:%lf", &sensor.pitchDeg, &sensor.rollDeg) < 1)
    return "bad --tilt";
  sensor.noiseG = o.Real("--noise", 0);
  sensor.seconds = recipe.durationMs / 1000.0;
  sensor.rate = recipe.gsensorRate ? recipe.gsensorRate : 10;
  const auto g = MakePlantedSeries(sensor);
  recipe.gsensor = ToCounts(g, recipe.sensorRange);
  recipe.gsensorWide = ToWideCounts(g, recipe.sensorRange);
  ApplyEventSpeeds(recipe.route, recipe.gpsRate ? recipe.gpsRate : 1, sensor.events);
  return {};
}

int CmdRecording(Container container, const Options& o) {
  if (o.positional.size() != 1) return Fail("one output file expected");
  RecordingRecipe recipe;
  recipe.container = container;
  DateTime start{2024, 5, 17, 8, 30, 0};
  if (o.Has("--start") && !ParseDateTime(o.Get("--start"), start)) return Fail("bad --start");
  if (o.Has("--placement") && !ParsePlacement(o.Get("--placement"), recipe.placement))
    return Fail("bad --placement");
  if (o.Has("--size") &&
      std::sscanf(o.Get("--size").c_str(), "%hux%hu", &recipe.width, &recipe.height) != 2)
    return Fail("bad --size");
  recipe.durationMs = static_cast<std::uint32_t>(o.Num("--duration", 60000));
  recipe.gpsRate = static_cast<std::uint8_t>(o.Num("--rate", 1));
  recipe.gsensorRate = static_cast<std::uint8_t>(o.Num("--gsensor-rate", 10));
  recipe.sensorRange = static_cast<std::uint8_t>(o.Num("--range", 8));
  recipe.mdhdVersion = static_cast<int>(o.Num("--mdhd-version", 0));
  recipe.timeScale = static_cast<std::uint32_t>(o.Num("--timescale", 1000));
  recipe.mdatPadding = static_cast<std::uint64_t>(o.Num("--padding", 0));
  recipe.idit = o.Get("--idit");
  recipe.realVideo = o.Has("--video");
  recipe.audio = o.Has("--audio");
  recipe.label = o.Get("--label", "FRONT");
  recipe.fps = static_cast<int>(o.Num("--fps", 15));
  recipe.videoKbps = static_cast<int>(o.Num("--kbps", 300));
  recipe.videoStart = start;
  recipe.mp4StartTimeMeta = start.ToText();
  for (const std::string& p : SplitComma(o.Get("--omit"))) {
    if (p == "gps") recipe.payloads &= ~kPayloadGps;
    else if (p == "gsen") recipe.payloads &= ~kPayloadGSensor;
    else if (p == "gpsa") recipe.payloads &= ~kPayloadGpsAttr;
    else if (p == "gsea") recipe.payloads &= ~kPayloadGSensorAttr;
    else if (p == "idit") recipe.payloads &= ~kPayloadIdit;
    else return Fail("bad --omit item " + p);
  }
  RouteProfile route;
  route.start = start;
  route.rate = recipe.gpsRate ? recipe.gpsRate : 1;
  route.count = static_cast<int>(o.Num("--fixes", recipe.durationMs / 1000 * route.rate));
  route.latitude = o.Real("--lat", route.latitude);
  route.longitude = o.Real("--lon", route.longitude);
  route.speedKmh = o.Real("--speed", route.speedKmh);
  route.headingDeg = o.Real("--heading", route.headingDeg);
  route.turnDegPerSecond = o.Real("--turn", 0);
  recipe.route = MakeRoute(route);
  if (o.Has("--events") || o.Has("--tilt") || o.Has("--noise")) {
    const std::string why = PlantEvents(o, recipe);
    if (!why.empty()) return Fail(why);
  } else {
    recipe.gsensor = MakeGSensorSeries(recipe.durationMs / 1000.0, recipe.gsensorRate ? recipe.gsensorRate : 10,
                                       recipe.sensorRange, {{GSensorEvent::kBrake, 10, 2, 0.5}});
  }
  RecordingLayout layout;
  std::string error;
  if (!WriteRecording(recipe, o.positional[0], &layout, &error)) return Fail(error);
  std::printf("%s: %llu bytes, gps0 at %llu (%u bytes), gsen at %llu (%u bytes)\n",
              o.positional[0].c_str(), static_cast<unsigned long long>(layout.fileSize),
              static_cast<unsigned long long>(layout.gpsOffset), layout.gpsSize,
              static_cast<unsigned long long>(layout.gsensorOffset), layout.gsensorSize);
  return 0;
}

int CmdCard(const Options& o) {
  if (o.positional.size() != 1) return Fail("one output folder expected");
  CardRecipe recipe;
  recipe.count = static_cast<int>(o.Num("--count", 10));
  recipe.nested = o.Has("--nested");
  recipe.rear = o.Has("--rear");
  recipe.sparseSize = static_cast<std::uint64_t>(o.Num("--sparse-size", 0));
  recipe.lockEvery = static_cast<int>(o.Num("--lock-every", 0));
  recipe.gapAfterEvery = static_cast<int>(o.Num("--gap-every", 0));
  recipe.secondsPerFile = static_cast<int>(o.Num("--seconds", 60));
  recipe.realVideo = o.Has("--video");
  if (recipe.realVideo) {
    recipe.width = 320;
    recipe.height = 180;
  }
  if (o.Has("--start") && !ParseDateTime(o.Get("--start"), recipe.start)) return Fail("bad --start");
  if (o.Has("--containers")) {
    recipe.containers.clear();
    for (const std::string& c : SplitComma(o.Get("--containers"))) {
      Container k;
      if (!ParseContainer(c, k)) return Fail("bad container " + c);
      recipe.containers.push_back(k);
    }
  }
  std::vector<std::filesystem::path> written;
  std::string error;
  if (!WriteCard(recipe, o.positional[0], &written, &error)) return Fail(error);
  std::printf("%zu files written below %s\n", written.size(), o.positional[0].c_str());
  return 0;
}

int CmdDemo(const Options& o) {
  if (o.positional.size() != 1 || !o.Has("--waypoints"))
    return Fail("demo OUTDIR --waypoints FILE");
  std::string error;
  std::vector<std::filesystem::path> written;
  if (!WriteDemoCard(o.Get("--waypoints"), o.positional[0], &written, &error)) return Fail(error);
  std::printf("demo card: %zu files below %s\n", written.size(), o.positional[0].c_str());
  return 0;
}

int CmdProbe(const Options& o) {
  if (o.positional.size() != 1) return Fail("one file expected");
  PacketCensus c;
  std::string error;
  if (!CountPackets(o.positional[0], c, &error)) return Fail(error);
  std::printf("video %dx%d, duration %lld ms, data streams %d, 32-byte data packets %zu, "
              "12-byte data packets %zu, 32-byte other packets %zu\n",
              c.width, c.height, static_cast<long long>(c.durationMs), c.dataStreams, c.fixes,
              c.wideSamples, c.strayFixSized);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  Options o;
  if (!Parse(argc, argv, 2, o)) return 2;
  const std::string cmd = argv[1];
  Container c;
  if (ParseContainer(cmd, c)) return CmdRecording(c, o);
  if (cmd == "card") return CmdCard(o);
  if (cmd == "demo") return CmdDemo(o);
  if (cmd == "probe") return CmdProbe(o);
  std::fputs(kUsage, stderr);
  return 2;
}
