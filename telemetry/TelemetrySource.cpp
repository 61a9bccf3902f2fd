#include "telemetry/TelemetrySource.h"

#include "telemetry/ByteReader.h"
#include "telemetry/GpmfReader.h"
#include "telemetry/GpxSidecar.h"
#include "telemetry/NmeaSidecar.h"
#include "telemetry/NovatekReader.h"

namespace {

// Telemetry inside the file first, then logs beside it: a recording that
// carries its own track is not overridden by a log someone put next to it.
// Each probe checks a marker of its own (a `gpmd` track, a "freeGPS "
// block, a checksummed sentence, a <gpx> root), so no source claims
// another's file.
const TelemetrySource kSources[] = {
    {"gpmf", ProbeGpmf, ReadGpmf, GpmfStartTime},
    {"freegps", ProbeNovatek, ReadNovatek, NovatekStartTime},
    {"nmea", ProbeNmea, ReadNmea, NmeaStartTime},
    {"gpx", ProbeGpx, ReadGpx, GpxStartTime},
};

}  // namespace

std::span<const TelemetrySource> TelemetrySources() { return kSources; }

SourceStart ProbeSourceStart(const std::filesystem::path& path, const MediaInfo& info,
                             std::span<const TelemetrySource> sources) {
  SourceStart result;
  FileHandle file;
  if (!file.Open(path)) return result;
  for (const TelemetrySource& source : sources) {
    ByteReader probeReader(file);
    if (!source.probe(probeReader, path, info)) continue;
    result.source = source.name;
    CalendarTime t = 0;
    ByteReader reader(file);
    if (source.start && source.start(reader, path, info, t) && t > 0) result.startTime = t;
    return result;
  }
  return result;
}
