#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "telemetry/TelemetryTypes.h"

// Export of a span of a drive to an MP4 file and a GPX track beside it.
// Plain C++ on FFmpeg's libraries; the command line and a dialog share it.
// Runs on the caller's thread; a dialog runs it on a worker thread and
// cancels through the progress callback.

enum class ExportLayout { kFront, kRear, kSideBySide, kPictureInPicture };

struct ExportRequest {
  std::string source;      // a card or folder (the drive that holds `start`), or one recording (its drive)
  CalendarTime start = 0;  // local clock time as the player shows it
  CalendarTime end = 0;    // exclusive; after start
  ExportLayout layout = ExportLayout::kFront;
  bool overlay = false;    // composed mode: burn in clock, speed, heading and G values
  bool copy = false;       // one camera, streams copied without re-encoding
  bool mph = false;        // overlay speed unit
  std::string outPath;     // FILE.mp4; the track goes to FILE.gpx
  // Composed mode: x264 preset (speed against size).
  std::string preset = "superfast";
};

// Called often with the part done (0..1). Returning false cancels the
// export; it then ends with `cancelled` and leaves no file behind.
using ExportProgress = std::function<bool(double fraction)>;

struct ExportResult {
  bool ok = false;
  bool cancelled = false;
  std::string error;                 // for the user when !ok && !cancelled
  std::vector<std::string> notices;  // things done differently from the request
  std::string videoPath;             // set when ok
  std::string gpxPath;               // set when ok and the span has fixes
  int gpxPoints = 0;
  int skippedFrames = 0;             // unreadable pictures left out
  double seconds = 0;                // length of the exported video
};

// Exports the span. Nothing appears under outPath (or its GPX name)
// unless the whole export succeeded; an existing file there is replaced
// only then.
ExportResult ExportClip(const ExportRequest& request, const ExportProgress& progress = {});

// "YYYY-MM-DD HH:MM:SS" in local time; false for anything else.
bool ParseLocalClock(const std::string& text, CalendarTime& out);
// "front", "rear", "side-by-side", "pip".
bool ParseExportLayout(const std::string& text, ExportLayout& out);
