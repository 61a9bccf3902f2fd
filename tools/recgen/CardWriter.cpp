// A memory card: front (and rear) recordings of consecutive minutes, named
// the way the camera names them, locked ones in the event folder.
#include <sys/stat.h>

#include <cstdio>

#include "tools/recgen/ByteBlocks.h"

namespace recgen {

namespace {

namespace fs = std::filesystem;

const char* Prefix(Container c) {
  switch (c) {
    case Container::kMov: return "MOV";
    case Container::kMp4Boxes: return "MP4";
    case Container::kThreeGp: return "3GP";
    case Container::kAvi: return "AVI";
    case Container::kMp4DataTrack: return "VID";
  }
  return "MOV";
}

const char* Extension(Container c) {
  switch (c) {
    case Container::kMov: return "MOV";
    case Container::kMp4Boxes: return "MP4";
    case Container::kThreeGp: return "3GP";
    case Container::kAvi: return "AVI";
    case Container::kMp4DataTrack: return "mp4";  // lower case selects the data-track reader
  }
  return "MOV";
}

fs::path Folder(const CardRecipe& recipe, const fs::path& root, int index, const DateTime& start,
                bool locked, bool rear) {
  fs::path dir = root / "DCIM" / (locked ? "Event" : "Movie");
  if (recipe.nested) {
    char day[16], block[16];
    std::snprintf(day, sizeof day, "%04d_%02d%02d", start.year, start.month, start.day);
    std::snprintf(block, sizeof block, "B%03d", index / 10);
    dir = dir / day / block;
  }
  // The folder's last character is the camera letter, which the player swaps
  // to find the companion in the sibling folder.
  return dir / (rear ? "R" : "F");
}

Waypoint NextStart(const std::vector<GpsFix>& route, double speedKmh) {
  const GpsFix& last = route.back();
  return {DdmmToDegreesValue(last.latitude), DdmmToDegreesValue(last.longitude), speedKmh};
}

}  // namespace

std::string RecordingName(Container container, int number, bool locked, bool rear) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%c%04d%c.%s", Prefix(container), locked ? 'G' : '_',
                number % 10000, rear ? 'R' : 'F', Extension(container));
  return buf;
}

int WriteCard(const CardRecipe& recipe, const fs::path& outDir, std::vector<fs::path>* written,
              std::string* error) {
  if (recipe.count <= 0 || recipe.containers.empty() || recipe.secondsPerFile <= 0) {
    SetError(error, "a card needs a count, containers and a file length");
    return 0;
  }
  const int gpsRate = recipe.gpsRate > 0 ? recipe.gpsRate : 1;
  Waypoint at{22.5430, 114.0579, 50};
  double heading = 60;
  std::int64_t offset = 0;  // seconds from recipe.start
  for (int i = 0; i < recipe.count; ++i) {
    if (i > 0 && recipe.gapAfterEvery > 0 && i % recipe.gapAfterEvery == 0) offset += 600;
    const DateTime start = recipe.start.Plus(offset);
    offset += recipe.secondsPerFile;

    RecordingRecipe rec;
    rec.container = recipe.containers[static_cast<std::size_t>(i) % recipe.containers.size()];
    rec.width = recipe.width;
    rec.height = recipe.height;
    rec.durationMs = static_cast<std::uint32_t>(recipe.secondsPerFile) * 1000;
    rec.gpsRate = static_cast<std::uint8_t>(gpsRate);
    rec.gsensorRate = static_cast<std::uint8_t>(recipe.gsensorRate);
    rec.realVideo = recipe.realVideo;
    RouteProfile profile;
    profile.latitude = at.latitude;
    profile.longitude = at.longitude;
    profile.start = start;
    profile.count = recipe.secondsPerFile * gpsRate + 1;
    profile.rate = gpsRate;
    profile.speedKmh = 40 + 10 * (i % 3);
    profile.headingDeg = heading;
    profile.turnDegPerSecond = (i % 2) ? 0.5 : -0.3;
    rec.route = MakeRoute(profile);
    at = NextStart(rec.route, profile.speedKmh);
    rec.route.pop_back();
    heading += profile.turnDegPerSecond * recipe.secondsPerFile;
    std::vector<GSensorEvent> events;
    if (i % 3 == 1) events.push_back({GSensorEvent::kBrake, 20, 2, 0.6});
    if (i % 4 == 2) events.push_back({GSensorEvent::kBump, 35, 0.5, 1.2});
    rec.gsensor = MakeGSensorSeries(recipe.secondsPerFile, recipe.gsensorRate, rec.sensorRange, events,
                                    static_cast<unsigned>(i + 1));
    rec.mp4StartTimeMeta = start.ToText();

    const bool locked = recipe.lockEvery > 0 && (i + 1) % recipe.lockEvery == 0;
    for (int cam = 0; cam < (recipe.rear ? 2 : 1); ++cam) {
      const bool rear = cam == 1;
      rec.label = rear ? "REAR" : "FRONT";
      const fs::path dir = Folder(recipe, outDir, i, start, locked, rear);
      std::error_code ec;
      fs::create_directories(dir, ec);
      if (ec) {
        SetError(error, "cannot create " + dir.string() + ": " + ec.message());
        return 0;
      }
      const fs::path file = dir / RecordingName(rec.container, i + 1, locked, rear);
      if (!WriteRecording(rec, file, nullptr, error)) return 0;
      if (recipe.sparseSize &&
          !PadFileTo(file, recipe.sparseSize, rec.container == Container::kAvi, error))
        return 0;
      if (locked) ::chmod(file.c_str(), 0444);
      if (written) written->push_back(file);
    }
  }
  return 1;
}

}  // namespace recgen
