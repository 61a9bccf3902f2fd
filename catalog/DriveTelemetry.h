#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>
#include <string>

#include "catalog/DrivingEvents.h"
#include "telemetry/TelemetrySeries.h"

class MediaCatalog;
struct MediaInfo;

// The telemetry of a drive's recordings, each read once and shared by the
// drive's layout, route and events (which would otherwise read every file
// three times on the window thread when a drive starts).
class DriveTelemetry {
 public:
  using Reader = std::function<TelemetrySeries(const std::filesystem::path&, const MediaInfo&)>;

  // `reader` reads one recording; empty: ReadTelemetry.
  explicit DriveTelemetry(const MediaCatalog& catalog, Reader reader = {});

  // The series of catalogue entry `entry`, read on the first ask and again
  // only when the entry has changed its file since (a reload, a delete). An
  // empty series for a bad index.
  const TelemetrySeries& Of(int entry);
  // The driving events of entry `entry`, found once in its series (the
  // route and the timeline both show them); none without readable telemetry.
  const std::vector<DrivingEvent>& EventsOf(int entry);
  void Clear() { m_series.clear(); }
  const MediaCatalog& Catalog() const { return m_catalog; }
  int Reads() const { return m_reads; }

 private:
  struct Held {
    std::string path;
    TelemetrySeries series;
    std::optional<std::vector<DrivingEvent>> events;  // found on the first ask
  };

  Held* Fetch(int entry);

  const MediaCatalog& m_catalog;
  Reader m_reader;
  std::map<int, Held> m_series;
  TelemetrySeries m_none;
  std::vector<DrivingEvent> m_noEvents;
  int m_reads = 0;
};
