#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// The recordings channel 1 plays through one drive, laid end to end on the
// drive's time line. Positions are milliseconds from the drive's start; the
// drive's length is the sum of its recordings' lengths, so a gap between two
// recordings takes no room on the line.
struct DrivePiece {
  int entry = -1;               // catalogue index of the recording
  std::int64_t startMs = 0;     // where it begins on the drive's line
  std::int64_t durationMs = 0;  // its own length
  bool locked = false;          // G-marked or read-only
  std::int64_t startTime = 0;   // its start as a calendar time (seconds)
};

class MediaCatalog;
class DriveTelemetry;

struct DriveLayout {
  std::vector<DrivePiece> pieces;

  // Spans of the line without a GPS fix, [from, to) in drive ms, in order.
  std::vector<std::pair<std::int64_t, std::int64_t>> noFixSpans;

  // Appends a recording after the last one.
  void Append(int entry, std::int64_t durationMs, bool locked, std::int64_t startTime = 0);
  std::int64_t LengthMs() const;
  bool Empty() const { return pieces.empty(); }
  // Index of the piece playing at `driveMs`, clamped into the drive; -1
  // when the drive has no piece. A position on a boundary belongs to the
  // later recording.
  int PieceAt(std::int64_t driveMs) const;
  // Index of the piece of catalogue entry `entry`, or -1.
  int PieceOf(int entry) const;
  // Drive position of `offsetMs` into the recording of `entry`, clamped to
  // that recording; -1 when the entry is not part of the drive.
  std::int64_t DriveMsOf(int entry, std::int64_t offsetMs) const;
  // Calendar time (seconds) at `driveMs`: its recording's start plus the
  // offset into it; 0 when unknown.
  std::int64_t ClockAt(std::int64_t driveMs) const;
  // Marks the span of piece `piece` from `fromMs` to `toMs` (offsets into
  // its recording) as without a fix, joining it to a span that ends there.
  void AddNoFixSpan(int piece, std::int64_t fromMs, std::int64_t toMs);
};

// The layout of drive `drive` of the catalogue (empty for a bad number).
// With `readFixes` each recording's GPS series is read to mark the spans
// without a valid fix.
DriveLayout MakeDriveLayout(const MediaCatalog& catalog, int drive, bool readFixes);
// The same with the GPS series taken from `telemetry` (of `catalog`), which
// keeps them for the drive's route and events.
DriveLayout MakeDriveLayout(int drive, DriveTelemetry& telemetry);
