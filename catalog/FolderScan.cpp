#include "catalog/FolderScan.h"

#include <utility>

#include "catalog/MediaCatalog.h"

FolderScan::FolderScan(std::string folder)
    : m_folder(std::move(folder)), m_thread([this] { Run(); }) {}

FolderScan::~FolderScan() { Cancel(); }

void FolderScan::Cancel() {
  m_cancel.store(true);
  if (m_thread.joinable()) m_thread.join();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_batch.clear();
}

std::vector<MediaEntry> FolderScan::TakeBatch() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::exchange(m_batch, {});
}

void FolderScan::Run() {
  const auto onItem = [this](const MediaCatalog::ScanItem& item) {
    if (m_cancel.load(std::memory_order_relaxed)) return;
    MediaEntry entry;
    if (!MediaCatalog::ReadScanItem(item, entry)) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_batch.push_back(std::move(entry));
    m_found.fetch_add(1);
  };
  m_exists.store(MediaCatalog::WalkFolder(m_folder, onItem, &m_cancel) != 0);
  m_finished.store(true);
}
