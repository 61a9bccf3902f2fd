// vantrel-cli fixes FILE: the GPS series of a recording as CSV.
extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "telemetry/ParserChoice.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// The fix's own date and time (local time, as recorded); empty when the
// record carries no time.
std::string FixDateTime(const GpsFix& f) {
  if (f.year == 0) return {};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + f.year, f.month, f.day,
                f.hour, f.minute, f.second);
  return buf;
}

int RunFixes(const std::vector<std::string>& args) {
  // Our own message says which file failed; the demuxer's chatter would
  // only mix into the output.
  av_log_set_level(AV_LOG_QUIET);
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: vantrel-cli fixes FILE\n");
    return 2;
  }
  const std::string& path = args[0];
  const ParseResult parsed = CreateParser(ChooseParser(path))->ParseFile(path);
  if (!parsed.Ok()) {
    std::fprintf(stderr, "fixes: %s: %s: %s\n", path.c_str(), ParseStatusName(parsed.status),
                 parsed.error.c_str());
    return 1;
  }
  const TelemetrySeries series = ReadTelemetry(path, parsed.info);
  if (!series.Ok()) {
    std::fprintf(stderr, "fixes: %s: cannot read the GPS payload: %s\n", path.c_str(),
                 series.error.c_str());
    return 1;
  }
  const std::vector<GpsFix>& fixes = series.fixes;
  std::printf("index,valid,latitude,longitude,altitude,speed_kmh,heading_deg,datetime\n");
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    const GpsFix& f = fixes[i];
    double lat = f.latitude, lon = f.longitude;
    ConvertFixPair(lat, lon);
    std::printf("%zu,%d,%.6f,%.6f,%d,%u,%d,%s\n", i, f.IsValid() ? 1 : 0, lat, lon, f.altitude,
                f.speed, f.HeadingDegrees(), FixDateTime(f).c_str());
  }
  return 0;
}

}  // namespace

VANTREL_CLI_COMMAND(fixes, "fixes", "fixes FILE   the GPS series of a recording as CSV", RunFixes);
