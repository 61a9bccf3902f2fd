// vantrel-cli events [--json] PATH...: the driving events of recordings,
// files or every recording below a folder.
extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "catalog/DrivingEvents.h"
#include "catalog/MediaCatalog.h"
#include "cli/CliCommand.h"
#include "telemetry/MediaInfoJson.h"
#include "telemetry/ParserChoice.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// The recordings a path names: the file itself, or every file below a
// folder whose name the player's scan accepts, in path order.
std::vector<std::string> Recordings(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_directory(path, ec)) return {path};
  std::vector<std::string> found;
  MediaCatalog::WalkFolder(path, [&found](const MediaCatalog::ScanItem& item) {
    bool gMark = false, readOnly = false;
    const std::string folder = item.root + item.subPath;
    if (!item.isDirectory && MediaCatalog::CheckScanName(folder, item.name, gMark, readOnly))
      found.push_back(folder + item.name);
  });
  std::sort(found.begin(), found.end());
  return found;
}

struct FileEvents {
  CalendarTime startTime = 0;
  std::vector<DrivingEvent> events;
};

// False with a message on stderr when the file cannot be read.
bool ReadEvents(const std::string& path, FileEvents& out) {
  const ParseResult parsed = CreateParser(ChooseParser(path))->ParseFile(path);
  if (!parsed.Ok()) {
    std::fprintf(stderr, "events: %s: %s: %s\n", path.c_str(), ParseStatusName(parsed.status),
                 parsed.error.c_str());
    return false;
  }
  const TelemetrySeries series = ReadTelemetry(path, parsed.info);
  if (!series.Ok()) {
    std::fprintf(stderr, "events: %s: %s: %s\n", path.c_str(), ParseStatusName(series.status),
                 series.error.c_str());
    return false;
  }
  if (series.SampleCount() != 0 && !(series.sampleRate > 0))
    std::fprintf(stderr, "events: %s: the G-sensor samples carry no timing; none searched\n",
                 path.c_str());
  out.startTime = parsed.info.startTime;
  out.events = DetectDrivingEvents(series, parsed.info);
  return true;
}

std::string JsonSpeed(const std::optional<int>& kmh) {
  return kmh ? std::to_string(*kmh) : "null";
}

std::string TextSpeed(const std::optional<int>& kmh) { return kmh ? std::to_string(*kmh) : "-"; }

void PrintJson(const std::string& path, const FileEvents& f, bool& first) {
  const std::string quoted = JsonQuote(path);
  for (const DrivingEvent& e : f.events) {
    const std::string time =
        f.startTime ? std::to_string(f.startTime + e.timeMs / 1000) : std::string("null");
    std::printf("%s{\"path\":%s,\"timeMs\":%lld,\"time\":%s,\"kind\":\"%s\",\"peakG\":%.3f,"
                "\"speedBeforeKmh\":%s,\"speedAfterKmh\":%s}",
                first ? "\n" : ",\n", quoted.c_str(), static_cast<long long>(e.timeMs),
                time.c_str(), DrivingEventKindName(e.kind), e.peakG,
                JsonSpeed(e.speedBeforeKmh).c_str(), JsonSpeed(e.speedAfterKmh).c_str());
    first = false;
  }
}

// PATH  +mm:ss.t  local date and time  kind  peak G  speed before -> after
void PrintText(const std::string& path, const FileEvents& f) {
  for (const DrivingEvent& e : f.events) {
    const long long tenths = e.timeMs / 100;
    const std::string when = f.startTime ? FormatLocalDateTime(f.startTime + e.timeMs / 1000) : "-";
    std::printf("%s\t+%02lld:%02lld.%lld\t%s\t%s\t%.2f G\t%s -> %s km/h\n", path.c_str(),
                tenths / 600, tenths / 10 % 60, tenths % 10, when.c_str(),
                DrivingEventKindName(e.kind), e.peakG, TextSpeed(e.speedBeforeKmh).c_str(),
                TextSpeed(e.speedAfterKmh).c_str());
  }
}

int RunEvents(const std::vector<std::string>& args) {
  // Our own message names the file that failed; the demuxer's would only
  // mix into the output.
  av_log_set_level(AV_LOG_QUIET);
  bool json = false;
  std::vector<std::string> paths;
  for (const auto& a : args) {
    if (a == "--json") {
      json = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "--") {
      std::fprintf(stderr, "events: unknown option '%s'\n", a.c_str());
      return 2;
    } else if (a != "--") {
      paths.push_back(a);
    }
  }
  if (paths.empty()) {
    std::fprintf(stderr, "usage: vantrel-cli events [--json] PATH...\n");
    return 2;
  }
  int status = 0;
  bool first = true;
  if (json) std::printf("[");
  for (const std::string& path : paths) {
    for (const std::string& file : Recordings(path)) {
      FileEvents f;
      if (!ReadEvents(file, f)) {
        status = 1;
        continue;
      }
      if (json) PrintJson(file, f, first);
      else PrintText(file, f);
    }
  }
  if (json) std::printf("%s]\n", first ? "" : "\n");
  return status;
}

}  // namespace

VANTREL_CLI_COMMAND(events, "events",
                    "events [--json] PATH...   driving events of recordings (files or folders)",
                    RunEvents);
