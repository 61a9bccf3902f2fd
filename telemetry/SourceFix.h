#pragma once

#include <cstdint>
#include <vector>

#include "telemetry/TelemetryTypes.h"

struct TelemetrySeries;

// The conversions every further telemetry source shares, so that fixes
// from other cameras and loggers land in the same units as the camera's
// own records: coordinates in the stored degrees-and-minutes form, speed
// in km/h, heading in units of 2 degrees, date and time local, and
// G-sensor counts on the chart's default scale.

// One position as other sources describe it: decimal degrees (negative
// south and west), metres, km/h and degrees clockwise from north.
struct SourcePoint {
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
  double speedKmh = 0;
  double headingDeg = -1;   // below 0: the source gives none
  CalendarTime utc = -1;    // below 0: the source gives no time
  bool valid = true;
};

// The stored form of a decimal-degree coordinate: degrees x 100 + minutes
// (ddmm.mmmm), sign kept, as ConvertFixPair reads it back.
double DegreesToStored(double degrees);

// The fix of a point. Non-finite or out-of-range coordinates make an
// invalid fix at 0/0 rather than a wild one on the map.
GpsFix MakeSourceFix(const SourcePoint& point);

// The local calendar time of a fix's own date and time; -1 when it has none.
CalendarTime FixLocalTime(const GpsFix& fix);

// Headings for points whose source gives none: the bearing towards the
// next point that lies apart (the previous heading while standing still).
void FillHeadings(std::vector<SourcePoint>& points);

// A G-sensor count of the chart's default 8 G scale for an acceleration in
// G (1 G -> 16), clamped to the count's range.
std::int8_t GToCount(double g);

// Keeps the points inside the recording when both its start and its
// length are known (a phone's track covers more than one recording);
// otherwise keeps them all. Points without a time are kept.
void ClipToRecording(std::vector<SourcePoint>& points, const MediaInfo& info);

// Fixes per second of timed points: the count over the time they span;
// 1 when there is no span.
double RateOf(const std::vector<SourcePoint>& points);

// Fills `out` with the fixes of the points and its fix rate.
void StoreFixes(const std::vector<SourcePoint>& points, TelemetrySeries& out);
