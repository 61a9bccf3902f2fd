// vantrel-cli info [--json] FILE...: what the parser learns about each file.
extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "telemetry/MediaInfoJson.h"
#include "telemetry/ParserChoice.h"
#include "telemetry/TelemetryUtil.h"

namespace {

struct FileResult {
  std::string path;
  ParserKind kind = ParserKind::kBox;
  int result = -1;
  MediaInfo info;
};

FileResult ParseOne(const std::string& path) {
  FileResult r;
  r.path = path;
  r.kind = ChooseParser(path);
  auto parser = CreateParser(r.kind);
  parser->SetInfoTarget(&r.info);
  r.result = parser->Parse(path);
  return r;
}

void PrintText(const FileResult& r) {
  const MediaInfo& i = r.info;
  auto attr = [](const std::array<std::uint8_t, 4>& a) {
    return std::to_string(a[0]) + " " + std::to_string(a[1]) + " " + std::to_string(a[2]) + " " +
           std::to_string(a[3]);
  };
  const std::size_t fixes = i.gpsFixes.empty() ? i.gpsSize / GpsFix::kFileSize : i.gpsFixes.size();
  const std::size_t samples = i.gsensorSamples.empty() ? i.gsensorSize / GSensorSample::kFileSize
                                                       : i.gsensorSamples.size();
  std::printf("path: %s\nparser: %s\nresult: %d\n", r.path.c_str(), ParserKindName(r.kind), r.result);
  std::printf("gpsOffset: %llu\ngpsSize: %u\n", static_cast<unsigned long long>(i.gpsOffset), i.gpsSize);
  std::printf("gsensorOffset: %llu\ngsensorSize: %u\n",
              static_cast<unsigned long long>(i.gsensorOffset), i.gsensorSize);
  std::printf("width: %u\nheight: %u\n", i.width, i.height);
  std::printf("startTime: %lld\nstartTimeLocal: %s\n", static_cast<long long>(i.startTime),
              FormatLocalIso(i.startTime).c_str());
  std::printf("length: %lld\ndurationMs: %u\nfileSize: %llu\n", static_cast<long long>(i.length),
              i.durationMs, static_cast<unsigned long long>(i.fileSize));
  std::printf("gpsAttr: %s\ngsensorAttr: %s\n", attr(i.gpsAttr).c_str(), attr(i.gsensorAttr).c_str());
  std::printf("gpsFixCount: %zu\ngsensorSampleCount: %zu\n", fixes, samples);
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
    if (r.result != 0) {
      std::fprintf(stderr, "info: %s: not a recording the %s parser understands\n",
                   files[n].c_str(), ParserKindName(r.kind));
      status = 1;
    }
    if (json) {
      std::printf("%s{\"path\":%s,\"parser\":\"%s\",\"result\":%d,%s}", n ? ",\n" : "\n",
                  JsonQuote(r.path).c_str(), ParserKindName(r.kind), r.result,
                  MediaInfoJsonMembers(r.info).c_str());
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
