#pragma once

#include <string>

#include "telemetry/TelemetryTypes.h"

struct TelemetrySeries;

// JSON text of a string (quoted, escaped).
std::string JsonQuote(const std::string& text);

// The MediaInfo fields as JSON members, without braces, so that callers
// can add their own members around them:
//   "gpsOffset":..,"gpsSize":..,"gsensorOffset":..,"gsensorSize":..,
//   "width":..,"height":..,"startTime":..,"startTimeLocal":"..",
//   "length":..,"durationMs":..,"fileSize":..,"gpsAttr":[..],
//   "gsensorAttr":[..],"gpsFixCount":..,"gsensorSampleCount":..
// The counts are those of `series` when it is given (what ReadTelemetry
// read; an empty series of a counted data track counts as not read);
// otherwise of the data-track lists, the data track's sample table
// (trackFixCount, trackSampleCount) or, when there is none, of the
// payloads as the parser found them (gpsSize / 32, gsensorSize / 3).
// With `series`, a last member "source" names its reader: "design" for
// the camera's own layout, else the further source ("gpmf", "freegps",
// "nmea", "gpx").
std::string MediaInfoJsonMembers(const MediaInfo& info, const TelemetrySeries* series = nullptr);
// The same members in one object.
std::string MediaInfoToJson(const MediaInfo& info);
