// Time and bytes read (rchar of /proc/self/io) per parse of one-minute
// 1280 x 720 recordings with real H.264 video and audio: the box walk
// (MOV), the RIFF walk (AVI) and the data-track reader (mp4), against
// reading every packet of the same mp4 file with libavformat.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "telemetry/ParserChoice.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

unsigned long long ReadBytesSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  unsigned long long value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

// Made once and kept in the build tree; ffmpeg takes a while for a minute.
fs::path Recording(recgen::Container container, const char* name) {
  const fs::path dir = VANTREL_BENCH_DATA;
  const fs::path path = dir / name;
  if (fs::exists(path)) return path;
  fs::create_directories(dir);
  recgen::RecordingRecipe s;
  s.container = container;
  recgen::RouteProfile route;
  route.count = 60;
  s.route = recgen::MakeRoute(route);
  s.gsensor = recgen::MakeGSensorSeries(60, 10, 8);  // a data sample every 0.1 s
  s.realVideo = true;
  s.audio = true;
  s.width = 1280;
  s.height = 720;
  s.durationMs = 60000;
  s.fps = 30;
  s.videoKbps = 1500;
  std::string error;
  if (!recgen::WriteRecording(s, path, nullptr, &error)) {
    std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), error.c_str());
    return {};
  }
  return path;
}

void Report(benchmark::State& state, unsigned long long readBytes, const fs::path& path) {
  const double n = static_cast<double>(state.iterations());
  state.counters["bytes_read"] = static_cast<double>(readBytes) / n;
  state.counters["file_bytes"] = static_cast<double>(fs::file_size(path));
  state.counters["read_share_pct"] = 100.0 * (static_cast<double>(readBytes) / n) /
                                     static_cast<double>(fs::file_size(path));
}

void ParseBench(benchmark::State& state, recgen::Container container, const char* name) {
  const fs::path path = Recording(container, name);
  if (path.empty()) {
    state.SkipWithError("no recording");
    return;
  }
  unsigned long long readBytes = 0;
  for (auto _ : state) {
    MediaInfo info;
    auto parser = CreateParser(ChooseParser(path));
    parser->SetInfoTarget(&info);
    const unsigned long long before = ReadBytesSoFar();
    const int result = parser->Parse(path);
    readBytes += ReadBytesSoFar() - before;
    if (result != 0) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(info);
  }
  Report(state, readBytes, path);
}

// The same mp4 read packet by packet with libavformat's own I/O.
void ReadEveryPacketBench(benchmark::State& state) {
  const fs::path path = Recording(recgen::Container::kMp4DataTrack, "VID_0001F.mp4");
  unsigned long long readBytes = 0;
  for (auto _ : state) {
    const unsigned long long before = ReadBytesSoFar();
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0) {
      state.SkipWithError("open failed");
      break;
    }
    avformat_find_stream_info(ctx, nullptr);
    AVPacket* pkt = av_packet_alloc();
    std::size_t packets = 0;
    while (av_read_frame(ctx, pkt) >= 0) {
      ++packets;
      av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    avformat_close_input(&ctx);
    readBytes += ReadBytesSoFar() - before;
    benchmark::DoNotOptimize(packets);
  }
  Report(state, readBytes, path);
}

}  // namespace

BENCHMARK_CAPTURE(ParseBench, mov_box_walk, recgen::Container::kMov, "MOV_0001F.MOV")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ParseBench, avi_riff_walk, recgen::Container::kAvi, "AVI_0001F.AVI")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ParseBench, mp4_data_track, recgen::Container::kMp4DataTrack, "VID_0001F.mp4")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadEveryPacketBench)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
