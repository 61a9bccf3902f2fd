// vantrel-cli export: a span of a drive to an MP4 clip and its GPX track.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "export/ClipExport.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

const char kUsage[] =
    "usage: vantrel-cli export PATH --start 'YYYY-MM-DD HH:MM:SS' --end 'YYYY-MM-DD HH:MM:SS'\n"
    "           [--layout front|rear|side-by-side|pip] [--overlay] [--mph] [--copy]\n"
    "           [--preset X264PRESET] --out FILE.mp4\n"
    "PATH is a card or folder, or one recording: the drive it belongs to on its card,\n"
    "with the rear camera from the folder beside its own (as .../Movie/F and .../Movie/R).\n";

int Usage(const char* why) {
  if (why) std::fprintf(stderr, "vantrel-cli export: %s\n", why);
  std::fputs(kUsage, stderr);
  return 2;
}

bool ParseArgs(const std::vector<std::string>& args, ExportRequest& r, std::string& error) {
  bool haveStart = false, haveEnd = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--overlay") r.overlay = true;
    else if (a == "--copy") r.copy = true;
    else if (a == "--mph") r.mph = true;
    else if (a == "--start" && hasValue) {
      haveStart = ParseLocalClock(args[++i], r.start);
      if (!haveStart) error = "bad --start '" + args[i] + "'";
    } else if (a == "--end" && hasValue) {
      haveEnd = ParseLocalClock(args[++i], r.end);
      if (!haveEnd) error = "bad --end '" + args[i] + "'";
    } else if (a == "--layout" && hasValue) {
      if (!ParseExportLayout(args[++i], r.layout)) error = "bad --layout '" + args[i] + "'";
    } else if (a == "--out" && hasValue) r.outPath = args[++i];
    else if (a == "--preset" && hasValue) r.preset = args[++i];
    else if (a.rfind("--", 0) != 0 && r.source.empty()) r.source = a;
    else error = "unexpected argument '" + a + "'";
    if (!error.empty()) return false;
  }
  if (r.source.empty() || !haveStart || !haveEnd || r.outPath.empty()) {
    error = "PATH, --start, --end and --out are needed";
    return false;
  }
  return true;
}

int RunExport(const std::vector<std::string>& args) {
  ExportRequest request;
  std::string error;
  if (!ParseArgs(args, request, error)) return Usage(error.c_str());
  // A file size limit must fail the write (and the export) instead of
  // killing the process, which would leave the temporary file behind.
  std::signal(SIGXFSZ, SIG_IGN);
  av_log_set_level(AV_LOG_ERROR);
  const ExportResult result = ExportClip(request);
  for (const std::string& n : result.notices) std::fprintf(stderr, "note: %s\n", n.c_str());
  if (!result.ok) {
    std::fprintf(stderr, "vantrel-cli export: %s\n", result.error.c_str());
    return 1;
  }
  std::printf("%s\n", result.videoPath.c_str());
  if (!result.gpxPath.empty()) std::printf("%s\n", result.gpxPath.c_str());
  return 0;
}

}  // namespace

VANTREL_CLI_COMMAND(exportClip, "export",
                    "export PATH --start T --end T [--layout L] [--overlay] [--copy] --out FILE.mp4"
                    "   a span of a drive as an MP4 clip and GPX track",
                    RunExport);
