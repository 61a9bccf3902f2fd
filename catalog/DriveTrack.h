#pragma once

#include <cstdint>
#include <vector>

#include "catalog/DriveLayout.h"
#include "telemetry/TelemetryTypes.h"

// One valid fix of a drive, placed on the drive's time line.
struct DriveTrackPoint {
  double latitude = 0;   // decimal degrees, WGS-84
  double longitude = 0;  // decimal degrees, WGS-84
  std::int64_t driveMs = 0;  // from this moment on the fix is the one shown
  int piece = 0;             // index into the drive layout's pieces
  CalendarTime clock = 0;    // calendar time there (seconds); 0 when unknown
  bool gapBefore = false;    // no line joins it to the point before
  GpsFix fix;                // as recorded (speed, heading, altitude, time)
};

// The route of a whole drive: every valid fix of its first-channel
// recordings in time order. Spans without a fix (invalid records, a pause
// between two recordings) are marked as gaps so nothing draws a straight
// line across them.
struct DriveTrack {
  std::vector<DriveTrackPoint> points;

  bool Empty() const { return points.empty(); }
  // The point shown at `driveMs`: the last one whose time has come; -1
  // before the first one.
  int PointAt(std::int64_t driveMs) const;
  // Appends recording `piece` of `layout`, whose fixes are `fixes` at
  // `fixRate` per second (0 counts as 1). Fix k is shown from k / fixRate
  // seconds into the recording, as playback shows it.
  void AppendRecording(const DriveLayout& layout, int piece, const std::vector<GpsFix>& fixes,
                       double fixRate);
};

class MediaCatalog;

// Reads the fixes of every recording of `layout` (a layout of `catalog`).
DriveTrack MakeDriveTrack(const MediaCatalog& catalog, const DriveLayout& layout);
