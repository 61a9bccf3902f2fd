// vantrel-cli info [--json] FILE...: what the parser learns about each file.
extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliCommand.h"
#include "telemetry/MediaInfoJson.h"
#include "telemetry/ParserChoice.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

struct FileResult {
  std::string path;
  ParserKind kind = ParserKind::kBox;
  ParseResult parsed;
  TelemetrySeries series;  // read only when the parse is ok
  int Result() const { return parsed.Ok() ? 0 : -1; }
};

FileResult ParseOne(const std::string& path) {
  FileResult r;
  r.path = path;
  r.kind = ChooseParser(path);
  r.parsed = CreateParser(r.kind)->ParseFile(path);
  // A data track's counts come from its sample table; its packets are
  // not read for them.
  const MediaInfo& i = r.parsed.info;
  const bool trackCounted = i.gpsFixes.empty() && (i.trackFixCount || i.trackSampleCount);
  if (r.parsed.Ok() && !trackCounted) r.series = ReadTelemetry(path, r.parsed.info);
  // A container that names no start takes it from a further source's fixes.
  if (r.parsed.info.startTime == 0) r.parsed.info.startTime = r.series.startTime;
  return r;
}

// The parse's status, or when the parse is ok and reading the telemetry
// failed, that failure.
std::pair<ParseStatus, std::string> Outcome(const FileResult& r) {
  if (!r.parsed.Ok()) return {r.parsed.status, r.parsed.error};
  return {r.series.status, r.series.error};
}

void PrintText(const FileResult& r) {
  const MediaInfo& i = r.parsed.info;
  auto attr = [](const std::array<std::uint8_t, 4>& a) {
    return std::to_string(a[0]) + " " + std::to_string(a[1]) + " " + std::to_string(a[2]) + " " +
           std::to_string(a[3]);
  };
  const auto [status, error] = Outcome(r);
  std::printf("path: %s\nparser: %s\nresult: %d\n", r.path.c_str(), ParserKindName(r.kind), r.Result());
  std::printf("status: %s\n", ParseStatusName(status));
  if (!error.empty()) std::printf("error: %s\n", error.c_str());
  std::printf("gpsOffset: %llu\ngpsSize: %u\n", static_cast<unsigned long long>(i.gpsOffset), i.gpsSize);
  std::printf("gsensorOffset: %llu\ngsensorSize: %u\n",
              static_cast<unsigned long long>(i.gsensorOffset), i.gsensorSize);
  std::printf("width: %u\nheight: %u\n", i.width, i.height);
  std::printf("startTime: %lld\nstartTimeLocal: %s\n", static_cast<long long>(i.startTime),
              FormatLocalIso(i.startTime).c_str());
  std::printf("length: %lld\ndurationMs: %u\nfileSize: %llu\n", static_cast<long long>(i.length),
              i.durationMs, static_cast<unsigned long long>(i.fileSize));
  std::printf("gpsAttr: %s\ngsensorAttr: %s\n", attr(i.gpsAttr).c_str(), attr(i.gsensorAttr).c_str());
  const bool counted = r.series.Empty() && (i.trackFixCount || i.trackSampleCount);
  std::printf("gpsFixCount: %zu\ngsensorSampleCount: %zu\n",
              counted ? std::size_t{i.trackFixCount} : r.series.fixes.size(),
              counted ? std::size_t{i.trackSampleCount} : r.series.SampleCount());
  if (r.parsed.Ok()) std::printf("source: %s\n", r.series.source ? r.series.source : "design");
  if (r.series.cutOff) std::printf("cutOff: the payload runs past the end of the file\n");
}

int RunInfo(const std::vector<std::string>& args) {
  // Our own message says which file failed; the demuxer's chatter would
  // only mix into the output.
  av_log_set_level(AV_LOG_QUIET);
  bool json = false;
  std::vector<std::string> files;
  for (const auto& a : args) {
    if (a == "--json") {
      json = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "--" ) {
      std::fprintf(stderr, "info: unknown option '%s'\n", a.c_str());
      return 2;
    } else if (a != "--") {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: vantrel-cli info [--json] FILE...\n");
    return 2;
  }
  int status = 0;
  if (json) std::printf("[");
  for (std::size_t n = 0; n < files.size(); ++n) {
    const FileResult r = ParseOne(files[n]);
    const auto [outcome, error] = Outcome(r);
    if (outcome != ParseStatus::kOk) {
      std::fprintf(stderr, "info: %s: %s (%s parser): %s\n", files[n].c_str(),
                   ParseStatusName(outcome), ParserKindName(r.kind), error.c_str());
      status = 1;
    }
    if (json) {
      std::printf("%s{\"path\":%s,\"parser\":\"%s\",\"result\":%d,%s,\"status\":\"%s\",\"error\":%s,"
                  "\"cutOff\":%s}",
                  n ? ",\n" : "\n", JsonQuote(r.path).c_str(), ParserKindName(r.kind), r.Result(),
                  MediaInfoJsonMembers(r.parsed.info, &r.series).c_str(), ParseStatusName(outcome),
                  JsonQuote(error).c_str(), r.series.cutOff ? "true" : "false");
    } else {
      if (n) std::printf("\n");
      PrintText(r);
    }
  }
  if (json) std::printf("\n]\n");
  return status;
}

}  // namespace

VANTREL_CLI_COMMAND(info, "info", "info [--json] FILE...   parser, result and facts of recordings",
                    RunInfo);
