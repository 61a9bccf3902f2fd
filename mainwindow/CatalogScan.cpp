#include "mainwindow/CatalogScan.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "catalog/CatalogSinks.h"
#include "catalog/FolderScan.h"
#include "catalog/MediaCatalog.h"

namespace {

constexpr int kTickMs = 40;
// A list row costs a good part of a millisecond to add: this many per tick
// keep the window answering within a few tens of milliseconds.
constexpr std::size_t kRowsPerTick = 100;

}  // namespace

CatalogScan::CatalogScan(MediaCatalog& catalog, IFileListView* preview, QObject* parent)
    : QObject(parent), m_catalog(catalog), m_preview(preview) {
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, &CatalogScan::OnTick);
}

CatalogScan::~CatalogScan() = default;

void CatalogScan::Start(const std::string& folder) {
  Cancel();
  m_catalog.BeginScan();
  m_found.clear();
  m_listed = 0;
  m_shownCount = 0;
  m_scan = std::make_unique<FolderScan>(folder);
  m_timer.start();
}

bool CatalogScan::Cancel() {
  if (!m_scan) return false;
  m_timer.stop();
  m_scan.reset();  // stops the thread before its next file
  m_found.clear();
  m_listed = 0;
  m_catalog.Clear();  // also the rows listed so far
  return true;
}

void CatalogScan::OnTick() {
  if (!m_scan) return;
  // Read before the batch is taken, so a finished scan's batch is complete.
  const bool finished = m_scan->Finished();
  TakeFound();
  if (m_scan->Found() != m_shownCount) {
    m_shownCount = m_scan->Found();
    emit countChanged(m_shownCount);
  }
  if (finished) return Finish();
  ShowRows();
}

void CatalogScan::TakeFound() {
  std::vector<MediaEntry> batch = m_scan->TakeBatch();
  if (batch.empty()) return;
  MediaCatalog::SortByStartTime(batch);
  std::move(batch.begin(), batch.end(), std::back_inserter(m_found));
}

void CatalogScan::ShowRows() {
  if (!m_preview) return;
  const std::size_t end = std::min(m_found.size(), m_listed + kRowsPerTick);
  for (; m_listed < end; ++m_listed)
    m_preview->InsertFileRow(MediaCatalog::FileRowOf(m_found[m_listed], -1, 0));
}

void CatalogScan::Finish() {
  m_timer.stop();
  const bool exists = m_scan->FolderExists();
  m_scan.reset();
  std::vector<MediaEntry> found = std::exchange(m_found, {});
  m_listed = 0;
  m_catalog.AddScanned(std::move(found));
  emit finished(exists);
}
