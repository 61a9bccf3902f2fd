// vantrel-cli kml / gpx: the route of one recording, or of a whole drive of
// a folder, as a KML document or a GPX 1.1 track, written into the KML
// folder of the settings unless --out says otherwise. A drive's document
// also marks its driving events (KML placemarks, GPX waypoints).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "cli/CliCommand.h"
#include "platform/FileSystem.h"
#include "catalog/MediaCatalog.h"

namespace {

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

// FILE [--out DIR], or FOLDER --drive N [--out DIR].
struct RouteArgs {
  std::string path, out;
  bool haveOut = false;
  int drive = -1;
};

bool ParseDrive(const std::string& text, int& drive) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  drive = std::stoi(text);
  return true;
}

bool ParseRouteArgs(const std::vector<std::string>& args, RouteArgs& a) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size() && !a.haveOut) {
      a.out = args[++i];
      a.haveOut = true;
    } else if (args[i] == "--drive" && i + 1 < args.size() && a.drive < 0) {
      if (!ParseDrive(args[++i], a.drive)) return false;
    } else if (a.path.empty() && !args[i].empty() && args[i].rfind("--", 0) != 0) {
      a.path = args[i];
    } else {
      return false;
    }
  }
  return !a.path.empty() && !(a.haveOut && a.out.empty());
}

int RunRouteExport(const char* command, RouteFormat format, const std::vector<std::string>& args) {
  RouteArgs a;
  const bool parsed = ParseRouteArgs(args, a);
  // A drive is chosen from a folder; a file is one recording.
  const bool isFolder = parsed && IsFolder(a.path);
  if (!parsed || isFolder != (a.drive >= 0)) {
    std::fprintf(stderr, "usage: vantrel-cli %s FILE [--out DIR]\n"
                         "       vantrel-cli %s FOLDER --drive N [--out DIR]\n",
                 command, command);
    return 2;
  }
  if (!a.haveOut && !GetSettings().GetKmlFolder(a.out)) {
    std::fprintf(stderr, "vantrel-cli %s: the KML folder cannot be created: %s\n", command,
                 a.out.c_str());
    return 1;
  }
  if (a.haveOut) CreateDirectoryChain(a.out);
  std::string path, error;
  const int ok = isFolder ? ExportRouteOfDrive(a.path, a.drive, a.out, format, path, error)
                          : ExportRouteOfFile(a.path, a.out, format, path, error);
  if (!ok) {
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

VANTREL_CLI_COMMAND(kml, "kml",
                    "kml FILE | FOLDER --drive N [--out DIR]   the route of FILE, or of drive N of FOLDER"
                    " with its driving events, as KML",
                    RunKml);
VANTREL_CLI_COMMAND(gpx, "gpx",
                    "gpx FILE | FOLDER --drive N [--out DIR]   the same as a GPX 1.1 track",
                    RunGpx);
