// vantrel-cli kml: the KML document of one recording's route.
#include <cstdio>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "cli/CliCommand.h"
#include "platform/FileSystem.h"
#include "telemetry/MediaCatalog.h"

namespace {

int RunKml(const std::vector<std::string>& args) {
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
    std::fprintf(stderr, "usage: vantrel-cli kml FILE [--out DIR]\n");
    return 2;
  }
  if (!haveOut && !GetSettings().GetKmlFolder(out)) {
    std::fprintf(stderr, "vantrel-cli kml: the KML folder cannot be created: %s\n", out.c_str());
    return 1;
  }
  if (haveOut) CreateDirectoryChain(out);
  std::string path, error;
  if (!ExportRouteOfFile(file, out, RouteFormat::kKml, path, error)) {
    std::fprintf(stderr, "vantrel-cli kml: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}

}  // namespace

VANTREL_CLI_COMMAND(kml, "kml", "kml FILE [--out DIR]   write the route of FILE as a KML document",
                    RunKml);
