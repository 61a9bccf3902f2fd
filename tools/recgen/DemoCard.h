#pragma once

// The demo memory card: real drives read from a waypoint file, cut into
// one-minute front and rear recordings with real video.

#include <filesystem>
#include <string>
#include <vector>

#include "tools/recgen/RecordingGenerator.h"

namespace recgen {

// Waypoint file, one item a line ('#' starts a comment):
//   drive YYYY-MM-DD hh:mm:ss first=N containers=avi,mov,mp4data,... [locked=N,N]
//   wp LATITUDE LONGITUDE SPEED_KMH [tunnel]      (tunnel: no fix on the leg from here)
//   event FILE_NUMBER brake|accelerate|left|right|bump AT_S DURATION_S STRENGTH_G
// Each drive has one file per container listed, numbered from `first`.
struct DemoFile {
  int number = 0;
  Container container = Container::kAvi;
  bool locked = false;
  std::vector<GSensorEvent> events;
};
struct DemoDrive {
  DateTime start;
  std::vector<Waypoint> waypoints;
  std::vector<bool> tunnelLeg;  // per waypoint: the leg that starts here has no fix
  std::vector<DemoFile> files;
};
int ReadDemoWaypoints(const std::filesystem::path& file, std::vector<DemoDrive>& drives,
                      std::string* error);

// Lateral and longitudinal G that the route itself implies (braking,
// accelerating, turning), added to a G-sensor series of `rate` Hz.
void AddRouteDynamics(const std::vector<GpsFix>& route, int gpsRate, int rate, int rangeG,
                      std::vector<GSensorSample>& series);

int WriteDemoCard(const std::filesystem::path& waypointFile, const std::filesystem::path& outDir,
                  std::vector<std::filesystem::path>* written = nullptr,
                  std::string* error = nullptr);

}  // namespace recgen
