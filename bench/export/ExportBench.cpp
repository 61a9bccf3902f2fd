// bench_export [SECONDS_PER_FILE]: makes a 720p two-camera drive of three
// recordings once, then times exports of a span across both boundaries and
// prints each as a multiple of real time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "export/ClipExport.h"
#include "tools/recgen/RecordingGenerator.h"

extern "C" {
#include <libavutil/log.h>
}

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  av_log_set_level(AV_LOG_ERROR);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  const fs::path data = VANTREL_BENCH_DATA;
  const fs::path card = data / ("card720-" + std::to_string(seconds));
  if (!fs::exists(card)) {
    recgen::CardRecipe recipe;
    recipe.count = 3;
    recipe.secondsPerFile = seconds;
    recipe.realVideo = true;
    recipe.width = 1280;
    recipe.height = 720;
    recipe.rear = true;
    std::string error;
    if (!recgen::WriteCard(recipe, card, nullptr, &error)) {
      std::fprintf(stderr, "bench_export: %s\n", error.c_str());
      return 1;
    }
  }
  struct Case {
    const char* name;
    ExportLayout layout;
    bool copy, overlay;
  } cases[] = {
      {"copy front", ExportLayout::kFront, true, false},
      {"composed front + overlay", ExportLayout::kFront, false, true},
      {"composed pip + overlay", ExportLayout::kPictureInPicture, false, true},
      {"composed side-by-side + overlay", ExportLayout::kSideBySide, false, true},
  };
  for (const Case& c : cases) {
    ExportRequest r;
    r.source = card.string();
    // From half way through the first recording to half way through the third.
    r.start = 1715934600 + seconds / 2;  // 2024-05-17 08:30:00 UTC (run with TZ=UTC)
    r.end = r.start + 2 * seconds;
    r.layout = c.layout;
    r.copy = c.copy;
    r.overlay = c.overlay;
    r.outPath = (data / "bench-clip.mp4").string();
    const auto t0 = std::chrono::steady_clock::now();
    const ExportResult result = ExportClip(r);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!result.ok) {
      std::fprintf(stderr, "bench_export: %s: %s\n", c.name, result.error.c_str());
      return 1;
    }
    std::printf("%-34s %6.1f s of video in %6.2f s: %6.1fx real time\n", c.name, result.seconds,
                took, result.seconds / took);
  }
  return 0;
}
