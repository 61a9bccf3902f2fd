// vantrel-fuzz-seeds OUTDIR: writes a starting corpus per fuzz target
// (OUTDIR/box, avi, mp4, ini, scan_name) from the recording generator and
// a few hand-made settings files and names. The data-track recordings need
// the ffmpeg command; without it that folder stays empty.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;
using namespace recgen;

namespace {

int g_failures = 0;

void Save(const fs::path& file, const Bytes& bytes) {
  std::string error;
  if (!WriteBytes(file, bytes, &error)) {
    std::fprintf(stderr, "vantrel-fuzz-seeds: %s: %s\n", file.c_str(), error.c_str());
    ++g_failures;
  }
}

void SaveText(const fs::path& file, const std::string& text) {
  Save(file, Bytes(text.begin(), text.end()));
}

// A short drive: few records keep the seeds small, so the fuzzer's
// mutations land on the structure rather than deep inside long payloads.
RecordingRecipe ShortDrive(Container container, Placement placement) {
  RecordingRecipe recipe;
  recipe.container = container;
  recipe.placement = placement;
  RouteProfile route;
  route.count = 4;
  route.start = DateTime{2024, 5, 17, 8, 30, 14};
  recipe.route = MakeRoute(route);
  recipe.gsensor = MakeGSensorSeries(1, 5, 8);
  recipe.gsensorRate = 5;
  recipe.idit = "2024-05-17 08:30:14";
  recipe.durationMs = 4000;
  recipe.width = 640;
  recipe.height = 360;
  return recipe;
}

void WriteBoxSeeds(const fs::path& dir) {
  int n = 0;
  auto save = [&](const RecordingRecipe& recipe) {
    Save(dir / ("box-" + std::to_string(n++)), BuildSyntheticRecording(recipe));
  };
  for (const Container c : {Container::kMov, Container::kMp4Boxes, Container::kThreeGp})
    for (const Placement p : {Placement::kTopLevel, Placement::kInsideMoov, Placement::kInsideUdta})
      save(ShortDrive(c, p));
  RecordingRecipe v1 = ShortDrive(Container::kMov, Placement::kTopLevel);
  v1.mdhdVersion = 1;
  v1.timeScale = 90000;
  v1.payloads = kPayloadGps | kPayloadGpsAttr;
  save(v1);
  RecordingRecipe noGps = ShortDrive(Container::kMov, Placement::kInsideMoov);
  noGps.payloads = kPayloadGSensor | kPayloadGSensorAttr | kPayloadIdit;
  save(noGps);
}

void WriteAviSeeds(const fs::path& dir) {
  int n = 0;
  auto save = [&](const RecordingRecipe& recipe) {
    Save(dir / ("avi-" + std::to_string(n++)), BuildSyntheticRecording(recipe));
  };
  for (const Placement p : {Placement::kBeforeMovi, Placement::kAfterMovi, Placement::kInsideInfo})
    save(ShortDrive(Container::kAvi, p));
  RecordingRecipe odd = ShortDrive(Container::kAvi, Placement::kBeforeMovi);
  odd.aviTopDown = true;
  odd.payloads = kPayloadGps | kPayloadIdit;
  save(odd);
  RecordingRecipe cut = ShortDrive(Container::kAvi, Placement::kAfterMovi);
  cut.aviTruncatedMovi = true;
  save(cut);
}

void WriteMp4Seeds(const fs::path& dir) {
  RecordingRecipe recipe = ShortDrive(Container::kMp4DataTrack, Placement::kTopLevel);
  recipe.width = 64;
  recipe.height = 48;
  recipe.durationMs = 2000;
  recipe.route.resize(2);
  recipe.gsensor.resize(4);
  std::string error;
  if (!WriteRecording(recipe, dir / "mp4-0", nullptr, &error))
    std::fprintf(stderr, "vantrel-fuzz-seeds: no data-track seed: %s\n", error.c_str());
  recipe.mp4StartTimeMeta = "2024-05-17 08:30:14";
  recipe.payloads = kPayloadGps;
  WriteRecording(recipe, dir / "mp4-1", nullptr, &error);
}

// The INI fuzzer takes a section, a key and a value (each ended by a
// backslash and one more character), then the file, then one byte at the
// end for the buffer size.
void WriteIniSeeds(const fs::path& dir) {
  const std::string settings =
      "[UI]\r\nLANGID=DEU\r\nMAP=1\r\nMAP_ENABLE=1\r\nGSNR_ENABLE=0\r\nFolder=/media/card/DCIM\r\n"
      "[WINPOS]\r\nLEFT=10\r\nTOP=20\r\nRIGHT=1290\r\nBOTTOM=820\r\n";
  SaveText(dir / "ini-0", "UI\\ Folder\\ /media/x\\ " + settings + "\x40");
  SaveText(dir / "ini-1", "WINPOS\\ LEFT\\ -5\\ ; comment\n[ui]\n  map = \"2\"\n[winpos]\nleft=99999999999\n\x10");
  SaveText(dir / "ini-2", "NEW\\ Key\\ value\\ \xEF\xBB\xBF[UI]\nLANGID='CHS'\n[UI\nMAP=-3\x05");
}

void WriteNameSeeds(const fs::path& dir) {
  const char* const names[] = {"MOV_0012F.MOV", "MOVG0012R.mp4", "FILE0001.AVI", "REC_0001F.3GP",
                               "AB&C0001\".mov", "\xC3\xA9t\xE9\x30\x30\x30\x31.MP4", "x<y>0001.avi"};
  int n = 0;
  for (const char* name : names) SaveText(dir / ("name-" + std::to_string(n++)), name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vantrel-fuzz-seeds OUTDIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  const char* const folders[] = {"box", "avi", "mp4", "ini", "scan_name"};
  for (const char* f : folders) {
    std::error_code ec;
    fs::create_directories(out / f, ec);
    if (ec) {
      std::fprintf(stderr, "vantrel-fuzz-seeds: cannot create %s\n", (out / f).c_str());
      return 1;
    }
  }
  WriteBoxSeeds(out / "box");
  WriteAviSeeds(out / "avi");
  WriteMp4Seeds(out / "mp4");
  WriteIniSeeds(out / "ini");
  WriteNameSeeds(out / "scan_name");
  return g_failures == 0 ? 0 : 1;
}
