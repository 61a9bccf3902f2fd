#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "catalog/MediaEntry.h"

// FolderScan: reads the recordings below a folder on a thread of its own.
// The thread walks the folder and parses each recording into a plain entry;
// the owner's thread takes them in batches and hands them to its
// MediaCatalog (AddScanned), which stays on that one thread.
class FolderScan {
 public:
  // Starts reading at once; `folder` as MediaCatalog::Load takes it.
  explicit FolderScan(std::string folder);
  // Cancels and waits for the thread.
  ~FolderScan();
  FolderScan(const FolderScan&) = delete;
  FolderScan& operator=(const FolderScan&) = delete;

  // Stops before the next file and returns when the thread has ended (at
  // most one file's parse later). What was read is dropped.
  void Cancel();
  // The entries read since the last call, in the order found.
  std::vector<MediaEntry> TakeBatch();
  // Recordings found so far.
  int Found() const { return m_found.load(); }
  // The walk has ended; a TakeBatch after this sees every entry.
  bool Finished() const { return m_finished.load(); }
  // Valid once Finished: false when the folder was not there.
  bool FolderExists() const { return m_exists.load(); }

 private:
  void Run();

  const std::string m_folder;
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_finished{false};
  std::atomic<bool> m_exists{false};
  std::atomic<int> m_found{0};
  std::mutex m_mutex;
  std::vector<MediaEntry> m_batch;  // guarded by m_mutex
  std::thread m_thread;             // last: starts when the rest exists
};
