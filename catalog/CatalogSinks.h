#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "telemetry/TelemetryTypes.h"

// What the catalogue tells the widgets. The widgets implement these small
// interfaces; the catalogue holds plain pointers that may be null (the
// command-line tool and most tests run without any widget). All calls come
// from the thread that owns the catalogue.

// One row of the group list, as data; CatalogRows.h turns it into cell texts.
struct GroupRow {
  std::int32_t number = 0;
  std::string resolution;        // resolution name of the first recording
  CalendarTime startTime = 0;    // of the first recording
  std::uint64_t durationMs = 0;  // total of the group
  std::uint64_t fileSize = 0;    // total of the group
  std::uint32_t flags = 0;       // lock icon index
};

// One row of the file list, as data. The row number is the entry index.
struct FileRow {
  std::int32_t group = 0;
  std::int32_t indexInGroup = 0;
  std::string folder;  // root + subPath
  std::string name;
  CalendarTime startTime = 0;
  std::uint32_t durationMs = 0;
  std::uint64_t fileSize = 0;
  std::uint32_t flags = 0;  // lock icon index
};

// What both lists share: rows appended in catalogue order, the playing row
// marked (drop-highlight) and scrolled into view.
class ICatalogListView {
 public:
  virtual ~ICatalogListView() = default;
  virtual void DeleteAllRows() = 0;
  virtual void SetRowMarked(int row, bool marked) = 0;
  virtual void EnsureRowVisible(int row) = 0;
};

class IGroupListView : public ICatalogListView {
 public:
  // Returns 1 when the row was appended, 0 when the view refused it.
  virtual int InsertGroupRow(const GroupRow& row) = 0;
  // The row's check box, read by the file operations.
  virtual bool IsRowChecked(int row) const = 0;
};

class IFileListView : public ICatalogListView {
 public:
  virtual int InsertFileRow(const FileRow& row) = 0;
};

// The G-sensor strip chart.
class IGSensorSink {
 public:
  virtual ~IGSensorSink() = default;
  virtual void ClearSamples() = 0;
  virtual void Refresh() = 0;
  virtual void SetRange(double sensorRangeG, double displayRangeG) = 0;
  // `raw` holds `count` narrow samples; when `wide` is not empty it is used
  // instead (MP4 data tracks) and `count` only needs to be non-zero.
  virtual void SetSamples(const GSensorSample* raw, int count,
                          const std::vector<GSensorWideSample>& wide) = 0;
  virtual void UpdateSpan() = 0;
  virtual void SetSampleRate(double samplesPerMs) = 0;
  virtual void SetTimeScale(double pixelsPerMs) = 0;
  virtual void SetSpanMode(int mode) = 0;
  virtual void SetInactive(bool inactive) = 0;
  virtual void SetPosition(std::int32_t ms) = 0;
};

// The map page. Script texts come from MapScripts.h.
class IMapSink {
 public:
  virtual ~IMapSink() = default;
  virtual void RunScript(const std::string& script) = 0;
  // Latitude and longitude are the stored values divided by 100 (ddmm form);
  // the bridge converts them to degrees and sends "movpos(%f, %f)".
  virtual void MovePos(double latitude, double longitude, int headingDegrees) = 0;
  virtual bool IsAlive() const = 0;
};

// The compass and the speed display.
class IInstrumentSink {
 public:
  virtual ~IInstrumentSink() = default;
  virtual void SetCompassImage(int index) = 0;  // 0: the no-heading image
  virtual void SetCompassHeading(int degrees) = 0;
  virtual void SetSpeed(std::uint16_t kmh, bool valid) = 0;
};
