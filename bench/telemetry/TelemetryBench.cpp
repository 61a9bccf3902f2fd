// Loading one recording for playback and following its time events:
// MediaCatalog::LoadTelemetry with map, chart and instrument sinks that
// only record what they are given, for 1, 10 and 60 minutes of fixes at 1
// and 10 fixes a second, and SyncToTime for one time event.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "catalog/CatalogSinks.h"
#include "catalog/MediaCatalog.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

// The map page's calls, counted and sized, as the bridge would pass them on.
class RecordingMapSink : public IMapSink {
 public:
  std::size_t scripts = 0;
  std::size_t scriptBytes = 0;
  std::size_t moves = 0;
  void RunScript(const std::string& script) override {
    ++scripts;
    scriptBytes += script.size();
    benchmark::DoNotOptimize(script.data());
  }
  void MovePos(double latitude, double longitude, int) override {
    ++moves;
    benchmark::DoNotOptimize(latitude + longitude);
  }
  bool IsAlive() const override { return true; }
};

class RecordingChartSink : public IGSensorSink {
 public:
  int samples = 0;
  void ClearSamples() override {}
  void Refresh() override {}
  void SetRange(double, double) override {}
  void SetSamples(const GSensorSample*, int count, const std::vector<GSensorWideSample>&) override {
    samples = count;
  }
  void UpdateSpan() override {}
  void SetSampleRate(double) override {}
  void SetTimeScale(double) override {}
  void SetSpanMode(int) override {}
  void SetInactive(bool) override {}
  void SetPosition(std::int32_t ms) override { benchmark::DoNotOptimize(ms); }
};

class RecordingInstruments : public IInstrumentSink {
 public:
  void SetCompassImage(int index) override { benchmark::DoNotOptimize(index); }
  void SetCompassHeading(int degrees) override { benchmark::DoNotOptimize(degrees); }
  void SetSpeed(std::uint16_t kmh, bool) override { benchmark::DoNotOptimize(kmh); }
};

// A MOV recording with `minutes` of fixes at `rate` a second and G-sensor
// samples at 10 a second; made once and kept in the build tree.
fs::path Recording(int minutes, int rate) {
  const fs::path dir = VANTREL_BENCH_DATA;
  char name[40];
  std::snprintf(name, sizeof name, "MOV_%02d%02dF.MOV", minutes, rate);
  const fs::path path = dir / name;
  if (fs::exists(path)) return path;
  fs::create_directories(dir);
  recgen::RecordingRecipe recipe;
  recipe.container = recgen::Container::kMov;
  recipe.durationMs = static_cast<std::uint32_t>(minutes) * 60000;
  recipe.gpsRate = static_cast<std::uint8_t>(rate);
  recgen::RouteProfile route;
  route.count = minutes * 60 * rate;
  route.rate = rate;
  route.turnDegPerSecond = 0.2;
  recipe.route = recgen::MakeRoute(route);
  recipe.gsensor = recgen::MakeGSensorSeries(minutes * 60.0, 10, 8);
  std::string error;
  if (!recgen::WriteRecording(recipe, path, nullptr, &error)) {
    std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), error.c_str());
    return {};
  }
  return path;
}

struct LoadedCatalog {
  RecordingMapSink map;
  RecordingChartSink chart;
  RecordingInstruments instruments;
  MediaCatalog catalog;

  bool Open(const fs::path& file) {
    catalog.Attach(nullptr, nullptr, &chart, &map, &instruments);
    return !file.empty() &&
           catalog.Load(file.parent_path().string() + "/", file.filename().string()) == 1 &&
           catalog.EntryCount() == 1;
  }
};

void LoadTelemetryBench(benchmark::State& state) {
  const int minutes = static_cast<int>(state.range(0));
  const int rate = static_cast<int>(state.range(1));
  LoadedCatalog c;
  if (!c.Open(Recording(minutes, rate))) {
    state.SkipWithError("no recording");
    return;
  }
  for (auto _ : state) {
    if (c.catalog.LoadTelemetry(0) != 1) {
      state.SkipWithError("load failed");
      break;
    }
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["fixes"] = static_cast<double>(c.catalog.LoadedFixes().size());
  state.counters["scripts"] = static_cast<double>(c.map.scripts) / n;
  state.counters["script_bytes"] = static_cast<double>(c.map.scriptBytes) / n;
  state.counters["gsensor_samples"] = c.chart.samples;
}

// One time event: the fix at that time goes to the marker, the compass and
// the speed display, and the chart cursor moves. Times step by 250 ms, as
// the library's time events come, so most events land on a new fix.
void SyncToTimeBench(benchmark::State& state) {
  const int minutes = static_cast<int>(state.range(0));
  const int rate = static_cast<int>(state.range(1));
  LoadedCatalog c;
  if (!c.Open(Recording(minutes, rate)) || c.catalog.LoadTelemetry(0) != 1) {
    state.SkipWithError("no recording");
    return;
  }
  const std::int64_t end = static_cast<std::int64_t>(minutes) * 60000;
  std::int64_t t = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(c.catalog.SyncToTime(t, true));
    t += 250;
    if (t >= end) t = 0;
  }
  state.counters["marker_moves"] =
      benchmark::Counter(static_cast<double>(c.map.moves), benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(LoadTelemetryBench)
    ->ArgNames({"minutes", "fixes_per_s"})
    ->ArgsProduct({{1, 10, 60}, {1, 10}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SyncToTimeBench)
    ->ArgNames({"minutes", "fixes_per_s"})
    ->ArgsProduct({{1, 60}, {1, 10}})
    ->Unit(benchmark::kNanosecond);

BENCHMARK_MAIN();
