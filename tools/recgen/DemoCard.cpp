// The demo card: each drive is one continuous route along real streets, cut
// into one-minute recordings, front camera with quiet sound, rear camera
// silent, a G-sensor series that follows the driving plus a few events.
#include "tools/recgen/DemoCard.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "tools/recgen/ByteBlocks.h"

namespace recgen {

namespace {

namespace fs = std::filesystem;

constexpr int kSecondsPerFile = 60;
constexpr int kGpsRate = 1;
constexpr int kGSensorRate = 10;
constexpr int kRangeG = 8;

bool ParseContainerName(const std::string& s, Container& c) {
  if (s == "avi") c = Container::kAvi;
  else if (s == "mov") c = Container::kMov;
  else if (s == "mp4") c = Container::kMp4Boxes;
  else if (s == "3gp") c = Container::kThreeGp;
  else if (s == "mp4data") c = Container::kMp4DataTrack;
  else return false;
  return true;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::stringstream in(s);
  std::string item;
  while (std::getline(in, item, sep))
    if (!item.empty()) out.push_back(item);
  return out;
}

bool ParseDrive(std::istringstream& in, DemoDrive& d) {
  std::string date, time, word;
  in >> date >> time;
  if (std::sscanf((date + " " + time).c_str(), "%d-%d-%d %d:%d:%d", &d.start.year, &d.start.month,
                  &d.start.day, &d.start.hour, &d.start.minute, &d.start.second) != 6)
    return false;
  int first = 1;
  std::vector<int> locked;
  std::vector<Container> containers;
  while (in >> word) {
    const auto eq = word.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = word.substr(0, eq), value = word.substr(eq + 1);
    if (key == "first") {
      first = std::atoi(value.c_str());
    } else if (key == "locked") {
      for (const std::string& n : Split(value, ',')) locked.push_back(std::atoi(n.c_str()));
    } else if (key == "containers") {
      for (const std::string& n : Split(value, ',')) {
        Container c;
        if (!ParseContainerName(n, c)) return false;
        containers.push_back(c);
      }
    } else {
      return false;
    }
  }
  for (std::size_t i = 0; i < containers.size(); ++i) {
    DemoFile f;
    f.number = first + static_cast<int>(i);
    f.container = containers[i];
    f.locked = std::find(locked.begin(), locked.end(), f.number) != locked.end();
    d.files.push_back(f);
  }
  return !d.files.empty();
}

bool ParseEvent(std::istringstream& in, std::vector<DemoDrive>& drives) {
  int number = 0;
  std::string kind;
  GSensorEvent e;
  if (!(in >> number >> kind >> e.atSeconds >> e.durationSeconds >> e.strengthG)) return false;
  if (kind == "brake") e.kind = GSensorEvent::kBrake;
  else if (kind == "accelerate") e.kind = GSensorEvent::kAccelerate;
  else if (kind == "left") e.kind = GSensorEvent::kTurnLeft;
  else if (kind == "right") e.kind = GSensorEvent::kTurnRight;
  else if (kind == "bump") e.kind = GSensorEvent::kBump;
  else return false;
  for (DemoDrive& d : drives)
    for (DemoFile& f : d.files)
      if (f.number == number) {
        f.events.push_back(e);
        return true;
      }
  return false;
}

// One recording to make; the jobs run on two workers.
struct Job {
  RecordingRecipe recipe;
  fs::path file;
  bool locked = false;
};

std::vector<GpsFix> DriveRoute(const DemoDrive& d) {
  std::vector<std::size_t> legs;
  std::vector<GpsFix> route = MakeRouteAlong(d.waypoints, d.start, kGpsRate, 35, &legs);
  // In a tunnel the receiver has no fix and repeats its last position.
  for (std::size_t i = 0; i < route.size(); ++i) {
    if (legs[i] >= d.tunnelLeg.size() || !d.tunnelLeg[legs[i]]) continue;
    MarkInvalid(route, i, 1);
    if (i == 0) continue;
    route[i].latitude = route[i - 1].latitude;
    route[i].longitude = route[i - 1].longitude;
  }
  // Parked at the end until the last recording is over.
  const std::size_t need = d.files.size() * kSecondsPerFile * kGpsRate;
  while (!route.empty() && route.size() < need) {
    GpsFix f = route.back();
    const DateTime t = DateTime{2000 + f.year, f.month, f.day, f.hour, f.minute, f.second}.Plus(1);
    f.year = static_cast<std::uint8_t>(t.year - 2000);
    f.month = static_cast<std::uint8_t>(t.month);
    f.day = static_cast<std::uint8_t>(t.day);
    f.hour = static_cast<std::uint8_t>(t.hour);
    f.minute = static_cast<std::uint8_t>(t.minute);
    f.second = static_cast<std::uint8_t>(t.second);
    f.speed = 0;
    route.push_back(f);
  }
  route.resize(std::min(route.size(), need));
  return route;
}

void AddJobs(const DemoDrive& d, const fs::path& root, std::vector<Job>& jobs) {
  const std::vector<GpsFix> route = DriveRoute(d);
  for (std::size_t k = 0; k < d.files.size(); ++k) {
    const DemoFile& f = d.files[k];
    const std::size_t from = k * kSecondsPerFile * kGpsRate;
    RecordingRecipe recipe;
    recipe.container = f.container;
    recipe.route.assign(route.begin() + static_cast<std::ptrdiff_t>(from),
                      route.begin() + static_cast<std::ptrdiff_t>(from + kSecondsPerFile * kGpsRate));
    recipe.gpsRate = kGpsRate;
    recipe.gsensorRate = kGSensorRate;
    recipe.sensorRange = kRangeG;
    recipe.gsensor = MakeGSensorSeries(kSecondsPerFile, kGSensorRate, kRangeG, f.events,
                                     static_cast<unsigned>(f.number));
    AddRouteDynamics(recipe.route, kGpsRate, kGSensorRate, kRangeG, recipe.gsensor);
    recipe.width = 640;
    recipe.height = 360;
    recipe.durationMs = kSecondsPerFile * 1000;
    recipe.realVideo = true;
    recipe.fps = 10;
    recipe.videoStart = d.start.Plus(static_cast<std::int64_t>(k) * kSecondsPerFile);
    recipe.mp4StartTimeMeta = recipe.videoStart.ToText();
    for (int cam = 0; cam < 2; ++cam) {
      const bool rear = cam == 1;
      Job job;
      job.recipe = recipe;
      job.recipe.label = rear ? "REAR" : "FRONT";
      job.recipe.audio = !rear;
      job.recipe.mirrored = rear;
      job.recipe.videoKbps = rear ? 32 : 48;
      job.locked = f.locked;
      job.file = root / "DCIM" / (f.locked ? "Event" : "Movie") / (rear ? "R" : "F") /
                 RecordingName(f.container, f.number, f.locked, rear);
      jobs.push_back(std::move(job));
    }
  }
}

}  // namespace

int ReadDemoWaypoints(const fs::path& file, std::vector<DemoDrive>& drives, std::string* error) {
  std::ifstream in(file);
  if (!in) {
    SetError(error, "cannot read " + file.string());
    return 0;
  }
  drives.clear();
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    const std::string text = line.substr(0, line.find('#'));
    std::istringstream words(text);
    std::string kind;
    if (!(words >> kind)) continue;
    bool ok = false;
    if (kind == "drive") {
      drives.emplace_back();
      ok = ParseDrive(words, drives.back());
    } else if (kind == "wp" && !drives.empty()) {
      Waypoint w;
      std::string flag;
      ok = static_cast<bool>(words >> w.latitude >> w.longitude >> w.speedKmh);
      words >> flag;
      drives.back().waypoints.push_back(w);
      drives.back().tunnelLeg.push_back(flag == "tunnel");
    } else if (kind == "event") {
      ok = ParseEvent(words, drives);
    }
    if (!ok) {
      SetError(error, file.string() + ":" + std::to_string(n) + ": cannot read \"" + line + "\"");
      return 0;
    }
  }
  for (const DemoDrive& d : drives)
    if (d.waypoints.size() < 2) {
      SetError(error, file.string() + ": a drive needs at least two waypoints");
      return 0;
    }
  return drives.empty() ? (SetError(error, "no drive in " + file.string()), 0) : 1;
}

void AddRouteDynamics(const std::vector<GpsFix>& route, int gpsRate, int rate, int rangeG,
                      std::vector<GSensorSample>& series) {
  if (route.size() < 2 || rate <= 0 || gpsRate <= 0) return;
  const double g = 9.81;
  auto at = [&](std::size_t i) { return &route[std::min(i, route.size() - 1)]; };
  for (std::size_t s = 0; s < series.size(); ++s) {
    const std::size_t i = s * static_cast<std::size_t>(gpsRate) / static_cast<std::size_t>(rate);
    const GpsFix *a = at(i), *b = at(i + 1);
    if (!a->IsValid() || !b->IsValid()) continue;
    const double dv = (b->speed - a->speed) / 3.6 * gpsRate;  // m/s^2
    double dh = (b->HeadingDegrees() - a->HeadingDegrees());
    if (dh > 180) dh -= 360;
    if (dh < -180) dh += 360;
    const double omega = dh * 3.14159265358979 / 180.0 * gpsRate;  // rad/s, right turn > 0
    const double lateral = -a->speed / 3.6 * omega;                 // left > 0
    auto add = [&](std::int8_t& c, double gs) {
      const long v = c + std::lround(gs / g * 128.0 / rangeG);
      c = static_cast<std::int8_t>(std::clamp(v, -128L, 127L));
    };
    add(series[s].x, dv);
    add(series[s].y, lateral);
  }
}

int WriteDemoCard(const fs::path& waypointFile, const fs::path& outDir,
                  std::vector<fs::path>* written, std::string* error) {
  std::vector<DemoDrive> drives;
  if (!ReadDemoWaypoints(waypointFile, drives, error)) return 0;
  std::vector<Job> jobs;
  for (const DemoDrive& d : drives) AddJobs(d, outDir, jobs);
  for (const Job& j : jobs) {
    std::error_code ec;
    fs::create_directories(j.file.parent_path(), ec);
    if (ec) {
      SetError(error, "cannot create " + j.file.parent_path().string() + ": " + ec.message());
      return 0;
    }
  }
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::string firstError;
  std::atomic_flag errorTaken = ATOMIC_FLAG_INIT;
  auto work = [&]() {
    for (std::size_t i; !failed && (i = next++) < jobs.size();) {
      std::string e;
      if (WriteRecording(jobs[i].recipe, jobs[i].file, nullptr, &e)) {
        if (jobs[i].locked) ::chmod(jobs[i].file.c_str(), 0444);
        continue;
      }
      if (!errorTaken.test_and_set()) firstError = jobs[i].file.string() + ": " + e;
      failed = true;
    }
  };
  std::thread helper(work);
  work();
  helper.join();
  if (failed) {
    SetError(error, firstError);
    return 0;
  }
  if (written)
    for (const Job& j : jobs) written->push_back(j.file);
  return 1;
}

}  // namespace recgen
