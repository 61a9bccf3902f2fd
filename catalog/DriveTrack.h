#pragma once

#include <cstdint>
#include <vector>

#include "catalog/DriveLayout.h"
#include "catalog/DrivingEvents.h"
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

// A driving event of a drive, placed at the fix of its own recording
// nearest to the event's time.
struct DriveTrackEvent {
  DrivingEvent event;
  int point = -1;            // index into the track's points: where it happened
  std::int64_t driveMs = 0;  // the event's peak on the drive's line
  CalendarTime clock = 0;    // calendar time of the peak (seconds); 0 when unknown
};

// The route of a whole drive: every valid fix of its first-channel
// recordings in time order. Spans without a fix (invalid records, a pause
// between two recordings) are marked as gaps so nothing draws a straight
// line across them. The drive's driving events come with it, in time order.
struct DriveTrack {
  std::vector<DriveTrackPoint> points;
  std::vector<DriveTrackEvent> events;

  bool Empty() const { return points.empty(); }
  // The point where `event` happened; null when it has none.
  const DriveTrackPoint* PointOf(const DriveTrackEvent& event) const {
    return event.point >= 0 && event.point < static_cast<int>(points.size())
               ? &points[static_cast<std::size_t>(event.point)]
               : nullptr;
  }
  // The point shown at `driveMs`: the last one whose time has come; -1
  // before the first one.
  int PointAt(std::int64_t driveMs) const;
  // Appends recording `piece` of `layout`, whose fixes are `fixes` at
  // `fixRate` per second (0 counts as 1). Fix k is shown from k / fixRate
  // seconds into the recording, as playback shows it.
  void AppendRecording(const DriveLayout& layout, int piece, const std::vector<GpsFix>& fixes,
                       double fixRate);
  // Places the events of recording `piece` (as DetectDrivingEvents gives
  // them) at that recording's points, which must have been appended. A
  // recording without a valid fix places none: they have no position.
  void AddEvents(const DriveLayout& layout, int piece, const std::vector<DrivingEvent>& events);
};

class MediaCatalog;
class DriveTelemetry;

// Reads the fixes and finds the driving events of every recording of
// `layout` (a layout of `catalog`), each recording read once.
DriveTrack MakeDriveTrack(const MediaCatalog& catalog, const DriveLayout& layout);
// The same with the series taken from `telemetry` (of the layout's
// catalogue), which the drive's layout and events share.
DriveTrack MakeDriveTrack(const DriveLayout& layout, DriveTelemetry& telemetry);
