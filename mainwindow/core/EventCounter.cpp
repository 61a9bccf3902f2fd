#include "mainwindow/core/EventCounter.h"

#include "catalog/DrivingEvents.h"
#include "catalog/MediaCatalog.h"

std::vector<EventCounter::Job> EventCounter::Jobs(const MediaCatalog& catalog) {
  std::vector<Job> jobs;
  for (const MediaEntry& e : catalog.Entries())
    if (!e.unreadable) jobs.push_back({e.FullPath(), e.info});
  return jobs;
}

bool EventCounter::Count(const std::vector<Job>& jobs, const std::atomic<bool>& cancel,
                         const Done& done) {
  for (const Job& job : jobs) {
    if (cancel.load()) return false;
    const auto events = ReadDrivingEvents(job.path, job.info);
    done(job.path, events ? static_cast<int>(events->size()) : kNoTelemetry);
  }
  return !cancel.load();
}

std::optional<int> EventCounter::CountOf(const std::string& path) const {
  const auto it = m_counts.find(path);
  if (it == m_counts.end()) return std::nullopt;
  return it->second;
}

std::optional<int> EventCounter::DriveCount(const MediaCatalog& catalog, int drive) const {
  const std::vector<int> recordings = catalog.DriveRecordings(drive);
  if (recordings.empty()) return std::nullopt;
  int total = 0;
  for (int entry : recordings) {
    const auto count = CountOf(catalog.PathOf(entry));
    if (!count) return std::nullopt;
    if (*count > 0) total += *count;
  }
  return total;
}
