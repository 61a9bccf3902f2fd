#pragma once

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "catalog/MediaEntry.h"

class FolderScan;
class IFileListView;
class MediaCatalog;

// CatalogScan: fills a MediaCatalog from a folder read on a worker thread
// (FolderScan) while the window's event loop keeps running. Every 40 ms it
// reports the count and appends the recordings found since to the file
// list as rows without a drive, a few hundred at most, so no tick holds the
// window long. The catalogue stays empty meanwhile; at the end it takes
// everything at once and is exactly what MediaCatalog::Load makes of the
// folder: sorted, grouped into drives and listed afresh.
class CatalogScan : public QObject {
  Q_OBJECT

 public:
  // `preview` is the catalogue's file list (may be null).
  CatalogScan(MediaCatalog& catalog, IFileListView* preview, QObject* parent = nullptr);
  // Cancels a running scan without touching the catalogue.
  ~CatalogScan() override;

  // Empties the catalogue and starts reading `folder`; a running scan is
  // cancelled first.
  void Start(const std::string& folder);
  // Stops the running scan and empties the catalogue and its lists; false
  // when none was running.
  bool Cancel();
  bool IsRunning() const { return m_scan != nullptr; }

 signals:
  void countChanged(int found);
  // Everything below the folder is in the catalogue. `folderExists` is
  // false when the folder was not there.
  void finished(bool folderExists);

 private:
  void OnTick();
  void TakeFound();
  void ShowRows();
  void Finish();

  MediaCatalog& m_catalog;
  IFileListView* m_preview;
  std::unique_ptr<FolderScan> m_scan;
  QTimer m_timer;
  std::vector<MediaEntry> m_found;  // read so far, each batch in time order
  std::size_t m_listed = 0;         // of m_found, shown as rows
  int m_shownCount = 0;
};
