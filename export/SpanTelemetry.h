#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportPlan.h"
#include "telemetry/TelemetrySeries.h"

// The telemetry of an exported span: per piece the series of the recording
// that carries it (the front, else the rear), for the overlay and the GPX.
class SpanTelemetry {
 public:
  explicit SpanTelemetry(const ExportPlan& plan);

  // The overlay line at `offsetMs` into piece `piece`'s recording: clock
  // time, speed, heading and G values; the parts without data left out.
  std::string OverlayLine(std::size_t piece, std::int64_t offsetMs, bool mph) const;

  // Writes the fixes inside the span as a GPX track at `path`. Returns the
  // number of points written (0 writes nothing), -1 when the file could not
  // be written.
  int WriteGpx(const std::string& path, const std::string& name) const;

 private:
  const ExportPlan& m_plan;
  std::vector<TelemetrySeries> m_series;
};

// The overlay line from its parts: `fix` and `g` (three values in G) may be
// null. "2024-05-17 08:30:05  52 KM/H  NE 045  G X+0.10 Y-0.02 Z+0.98".
std::string FormatOverlayLine(CalendarTime clock, const GpsFix* fix, const double* g, bool mph);
