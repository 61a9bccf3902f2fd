#pragma once

#include <string>

#include "telemetry/TelemetryTypes.h"

// JSON text of a string (quoted, escaped).
std::string JsonQuote(const std::string& text);

// The MediaInfo fields as JSON members, without braces, so that callers
// can add their own members around them:
//   "gpsOffset":..,"gpsSize":..,"gsensorOffset":..,"gsensorSize":..,
//   "width":..,"height":..,"startTime":..,"startTimeLocal":"..",
//   "length":..,"durationMs":..,"fileSize":..,"gpsAttr":[..],
//   "gsensorAttr":[..],"gpsFixCount":..,"gsensorSampleCount":..
// The counts are of the data-track lists or, when they are empty, of the
// payloads (gpsSize / 32, gsensorSize / 3).
std::string MediaInfoJsonMembers(const MediaInfo& info);
// The same members in one object.
std::string MediaInfoToJson(const MediaInfo& info);
