// EventCountFlow: the lists' driving-event counts and their shared filter.
#pragma once

#include <QObject>
#include <atomic>
#include <memory>
#include <string>

#include "mainwindow/core/EventCounter.h"

class QThread;
class MediaCatalog;
class CZelGroupListCtrl;
class CZelFileListCtrl;

// Counts the driving events of every recording on a worker thread once a
// scan has listed them, and fills the event cells of both lists as the
// counts come back (queued to the window thread, which alone touches the
// catalogue and the lists). A count left behind by an earlier run is
// dropped. The filter the user picks in either list applies to both.
class EventCountFlow : public QObject {
  Q_OBJECT

 public:
  EventCountFlow(MediaCatalog& catalog, CZelGroupListCtrl& groups, CZelFileListCtrl& files,
                 QObject* parent = nullptr);
  // Cancels a running count and waits for its thread.
  ~EventCountFlow() override;

  // Forgets the counts and counts the catalogue's recordings afresh.
  void Start();
  // Stops the worker before its next recording and waits for it.
  void Cancel();
  bool Running() const { return m_thread != nullptr; }
  const EventCounter& Counts() const { return m_counts; }

 signals:
  // Every recording of the last Start is counted.
  void finished();

 private:
  void OnCounted(unsigned run, const std::string& path, int count);
  void OnRunEnded(unsigned run, bool complete);
  // Puts every known count into the rows (after the lists were refilled).
  void ApplyAll();
  void ApplyEntry(int entry);
  void ApplyDrive(int drive);

  MediaCatalog& m_catalog;
  CZelGroupListCtrl& m_groups;
  CZelFileListCtrl& m_files;
  EventCounter m_counts;
  std::unique_ptr<QThread> m_thread;
  std::atomic<bool> m_cancel{false};
  unsigned m_run = 0;  // which Start the queued results belong to
};
