#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/ClipExport.h"
#include "telemetry/TelemetryTypes.h"

// One recording's share of an exported span.
struct ExportPiece {
  std::string frontPath;   // empty for a rear recording without a front
  std::string rearPath;    // empty when the minute has no rear recording
  MediaInfo frontInfo;     // parse results of the front (or lone rear)
  MediaInfo rearInfo;
  CalendarTime startTime = 0;  // the recording's clock start
  std::int64_t inMs = 0;   // span inside the recording: [inMs, outMs)
  std::int64_t outMs = 0;
  std::int64_t atMs = 0;   // where the piece begins in the exported clip
};

struct ExportPlan {
  std::vector<ExportPiece> pieces;
  std::int64_t lengthMs = 0;  // sum of the pieces' spans
  bool anyRear = false;
  bool allRear = false;
};

// Finds the drive of `request.source` that holds the start and cuts the
// span out of its recordings. For one recording, the drive is the one it
// belongs to on its card (both cameras' folders are scanned, so its rear
// is found). False and a message for the user when the
// source holds no recordings, the start is not before the end, or the span
// does not lie inside one drive. A gap between two recordings of a drive
// is skipped (the clip continues with the next recording).
bool MakeExportPlan(const ExportRequest& request, ExportPlan& plan, std::string& error);
