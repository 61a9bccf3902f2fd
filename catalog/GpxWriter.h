#pragma once

#include <cstdint>
#include <string>

#include "catalog/KmlWriter.h"
#include "telemetry/TelemetryTypes.h"

// One track point of a GPX document.
struct GpxPoint {
  double latitude = 0;   // decimal degrees
  double longitude = 0;  // decimal degrees
  std::int32_t elevation = 0;  // metres
  bool hasTime = false;
  CalendarTime time = 0;  // written as UTC
  double speedKmh = 0;
  int courseDegrees = 0;
};

// A waypoint of a GPX document: a place of note on the route.
struct GpxWaypoint {
  double latitude = 0;   // decimal degrees
  double longitude = 0;  // decimal degrees
  std::int32_t elevation = 0;  // metres
  bool hasTime = false;
  CalendarTime time = 0;  // written as UTC
  std::string name;
  std::string description;
  std::string type;
};

// The track point of a recorded fix: false for a fix that is not valid or
// whose coordinates are out of range. The time is the fix's own date and
// time (local time) when it carries one.
bool GpxPointOfFix(const GpsFix& fix, GpxPoint& point);
// The fix's own date and time (local time) as a calendar time; false when
// the fix carries none or an impossible one.
bool GpxTimeOfFix(const GpsFix& fix, CalendarTime& time);

// Writes one route as a GPX 1.1 document: waypoints, then one track, one
// segment, a point per fix with elevation, time, and speed (m/s) and
// course in the Garmin track point extension. Same file handling and
// results as CKmlWriter.
class GpxWriter {
 public:
  int Open(const std::string& path);
  int WriteHeader(const std::string& name, const std::string& description);
  // GPX puts waypoints before the track: 0 once a point, a segment break
  // or the footer has been written.
  int WriteWaypoint(const GpxWaypoint& waypoint);
  int WritePoint(const GpxPoint& point);
  // Ends the track segment and starts another (a span without a fix).
  int WriteSegmentBreak();
  int WriteFooter();

 private:
  void StartTrack();

  ReplacingFile m_file;
  bool m_trackStarted = false;
};
