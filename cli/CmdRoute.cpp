// vantrel-cli kml / gpx: one recording's route as a KML document or a GPX
// 1.1 track, written into the KML folder of the settings unless --out says
// otherwise.
#include <cstdio>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "cli/CliCommand.h"
#include "platform/FileSystem.h"
#include "catalog/MediaCatalog.h"

namespace {

int RunRouteExport(const char* command, RouteFormat format, const std::vector<std::string>& args) {
  std::string file, out;
  bool haveOut = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size()) {
      out = args[++i];
      haveOut = true;
    } else if (file.empty() && !args[i].empty() && args[i] != "--out") {
      file = args[i];
    } else {
      file.clear();
      break;
    }
  }
  if (file.empty() || (haveOut && out.empty())) {
    std::fprintf(stderr, "usage: vantrel-cli %s FILE [--out DIR]\n", command);
    return 2;
  }
  if (!haveOut && !GetSettings().GetKmlFolder(out)) {
    std::fprintf(stderr, "vantrel-cli %s: the KML folder cannot be created: %s\n", command,
                 out.c_str());
    return 1;
  }
  if (haveOut) CreateDirectoryChain(out);
  std::string path, error;
  if (!ExportRouteOfFile(file, out, format, path, error)) {
    std::fprintf(stderr, "vantrel-cli %s: %s\n", command, error.c_str());
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}

int RunKml(const std::vector<std::string>& args) {
  return RunRouteExport("kml", RouteFormat::kKml, args);
}

int RunGpx(const std::vector<std::string>& args) {
  return RunRouteExport("gpx", RouteFormat::kGpx, args);
}

}  // namespace

VANTREL_CLI_COMMAND(kml, "kml", "kml FILE [--out DIR]   write the route of FILE as a KML document",
                    RunKml);
VANTREL_CLI_COMMAND(gpx, "gpx", "gpx FILE [--out DIR]   write the route of FILE as a GPX 1.1 track",
                    RunGpx);
