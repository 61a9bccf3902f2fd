// EventCounter: the driving-event counts of the catalogue's recordings.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "telemetry/TelemetryTypes.h"

class MediaCatalog;

// The driving-event counts the two lists show. Counting reads every
// recording's telemetry, which the scan leaves unread, so it runs on a
// worker thread over copies of the paths and parse results (Jobs, Count);
// the counts are kept and summed on the window thread, by path, so that
// they outlive the rows being rebuilt after a deletion.
class EventCounter {
 public:
  struct Job {
    std::string path;
    MediaInfo info;
  };
  // The count of a recording whose telemetry could not be read.
  static constexpr int kNoTelemetry = -1;
  using Done = std::function<void(const std::string& path, int count)>;

  // Window thread: every readable recording, in catalogue order.
  static std::vector<Job> Jobs(const MediaCatalog& catalog);
  // Any thread: counts the jobs in order and reports each one; stops before
  // the next recording once `cancel` is set. False when cancelled.
  static bool Count(const std::vector<Job>& jobs, const std::atomic<bool>& cancel, const Done& done);

  // Window thread.
  void Clear() { m_counts.clear(); }
  void Store(const std::string& path, int count) { m_counts[path] = count; }
  // Empty while the recording is not counted yet.
  std::optional<int> CountOf(const std::string& path) const;
  // The events of a drive: the sum over the recordings that play on the
  // first channel (a rear beside its front records the same ride), once
  // every one of them is counted; empty before, or for a bad number.
  std::optional<int> DriveCount(const MediaCatalog& catalog, int drive) const;

 private:
  std::unordered_map<std::string, int> m_counts;
};
