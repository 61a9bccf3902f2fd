#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "telemetry/ParseResult.h"
#include "telemetry/TelemetrySource.h"
#include "telemetry/TelemetryTypes.h"

// A recording's telemetry as playback, the route exports and the command
// line all use it.
struct TelemetrySeries {
  ParseStatus status = ParseStatus::kOk;  // kOk, or kIoError with `error`
  std::string error;

  std::vector<GpsFix> fixes;
  std::vector<GSensorSample> samples;          // 3-byte readings of a payload
  std::vector<GSensorWideSample> wideSamples;  // 12-byte readings of a data track
  double fixRate = 1.0;     // fixes per second
  double sampleRate = 0.0;  // samples per millisecond; 0 when there is no timing for them

  // A payload reached past the end of the file; its complete records are kept.
  bool cutOff = false;
  // The further source that supplied the series; null for the parser's own.
  const char* source = nullptr;
  // A further source's start of the recording, from its first timed fix
  // (its time less the fixes before it); 0 when unknown or not from a source.
  CalendarTime startTime = 0;

  bool Ok() const { return status == ParseStatus::kOk; }
  std::size_t SampleCount() const { return wideSamples.empty() ? samples.size() : wideSamples.size(); }
  bool Empty() const { return fixes.empty() && samples.empty() && wideSamples.empty(); }
};

// Reads the telemetry of the recording at `path` whose parse gave `info`:
// the GPS payload (gpsSize / 32 records at gpsOffset) and the G-sensor
// payload (gsensorSize / 3 samples at gsensorOffset), each replaced by the
// parser's data-track list when it yields nothing (a recording has one or
// the other). When a scan only counted the data track's packets (empty
// lists, trackFixCount / trackSampleCount set), the track is read here. One rule for payloads that run past the end of the file:
// every complete record inside the file is kept, the partial one at the
// end is dropped. When none of this yields anything, each of `sources` is
// asked in turn.
//
// Rates: gpsAttr[0] fixes per second (0 counts as 1); gsensorAttr[0]
// samples per second, or when it is 0 the samples spread evenly over
// durationMs (no timing when that is 0 too).
//
// A file that cannot be opened or read gives kIoError and an empty series.
TelemetrySeries ReadTelemetry(const std::filesystem::path& path, const MediaInfo& info,
                              std::span<const TelemetrySource> sources = TelemetrySources());
