// DetectDrivingEvents over one recording held in memory: 1 and 60 minutes
// of samples at 10 and 100 per second, with a braking, a turn and an
// impact every minute.
#include <benchmark/benchmark.h>

#include "catalog/DrivingEvents.h"
#include "tools/recgen/PlantedEvents.h"
#include "tools/recgen/RecordingGenerator.h"

namespace {

TelemetrySeries Series(int minutes, int rate) {
  recgen::PlantedSensor sensor;
  sensor.seconds = minutes * 60.0;
  sensor.rate = rate;
  for (int m = 0; m < minutes; ++m) {
    sensor.events.push_back({recgen::PlantedEvent::kBrake, m * 60.0 + 10, 2, 0.5});
    sensor.events.push_back({recgen::PlantedEvent::kTurnLeft, m * 60.0 + 30, 2, 0.5});
    sensor.events.push_back({recgen::PlantedEvent::kImpact, m * 60.0 + 50, 0.2, 2.5});
  }
  TelemetrySeries series;
  series.samples = recgen::ToCounts(recgen::MakePlantedSeries(sensor), 8);
  series.sampleRate = rate / 1000.0;
  recgen::RouteProfile route;
  route.count = minutes * 60;
  series.fixes = recgen::MakeRoute(route);
  recgen::ApplyEventSpeeds(series.fixes, 1, sensor.events);
  return series;
}

void BM_DetectDrivingEvents(benchmark::State& state) {
  const int minutes = static_cast<int>(state.range(0));
  const int rate = static_cast<int>(state.range(1));
  const TelemetrySeries series = Series(minutes, rate);
  const MediaInfo info;
  std::size_t found = 0;
  for (auto _ : state) {
    const auto events = DetectDrivingEvents(series, info);
    found = events.size();
    benchmark::DoNotOptimize(events.data());
  }
  state.counters["samples"] = static_cast<double>(series.samples.size());
  state.counters["events"] = static_cast<double>(found);
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(series.samples.size()));
}
BENCHMARK(BM_DetectDrivingEvents)
    ->Args({1, 10})
    ->Args({1, 100})
    ->Args({60, 10})
    ->Args({60, 100})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
