#include "catalog/DriveTelemetry.h"

#include "catalog/MediaCatalog.h"

DriveTelemetry::DriveTelemetry(const MediaCatalog& catalog, Reader reader)
    : m_catalog(catalog), m_reader(std::move(reader)) {
  if (!m_reader) m_reader = [](const std::filesystem::path& p, const MediaInfo& i) { return ReadTelemetry(p, i); };
}

DriveTelemetry::Held* DriveTelemetry::Fetch(int entry) {
  if (entry < 0 || entry >= m_catalog.EntryCount()) return nullptr;
  const MediaEntry& e = m_catalog.Entries()[static_cast<std::size_t>(entry)];
  const std::string path = e.FullPath();
  auto held = m_series.find(entry);
  if (held != m_series.end() && held->second.path == path) return &held->second;
  ++m_reads;
  Held fresh{path, m_reader(path, e.info), std::nullopt};
  return &m_series.insert_or_assign(entry, std::move(fresh)).first->second;
}

const TelemetrySeries& DriveTelemetry::Of(int entry) {
  Held* held = Fetch(entry);
  return held ? held->series : m_none;
}

const std::vector<DrivingEvent>& DriveTelemetry::EventsOf(int entry) {
  Held* held = Fetch(entry);
  if (!held || !held->series.Ok()) return m_noEvents;
  if (!held->events)
    held->events = DetectDrivingEvents(held->series, m_catalog.Entries()[static_cast<std::size_t>(entry)].info);
  return *held->events;
}
