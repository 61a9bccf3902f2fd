#include "mainwindow/EventCountFlow.h"

#include <QThread>

#include "catalog/MediaCatalog.h"
#include "dialogs/ZelFileListCtrl.h"
#include "dialogs/ZelGroupListCtrl.h"

EventCountFlow::EventCountFlow(MediaCatalog& catalog, CZelGroupListCtrl& groups,
                               CZelFileListCtrl& files, QObject* parent)
    : QObject(parent), m_catalog(catalog), m_groups(groups), m_files(files) {
  // The catalogue refills the lists after a deletion or an unlock: the
  // counts go back in once the rows are all there.
  for (ZelListCtrlBase* list : {static_cast<ZelListCtrlBase*>(&m_groups), static_cast<ZelListCtrlBase*>(&m_files)})
    connect(list, &ZelListCtrlBase::rowsCleared, this, &EventCountFlow::ApplyAll, Qt::QueuedConnection);
  connect(&m_groups, &ZelListCtrlBase::rowFilterChosen, &m_files, &ZelListCtrlBase::SetRowFilter);
  connect(&m_files, &ZelListCtrlBase::rowFilterChosen, &m_groups, &ZelListCtrlBase::SetRowFilter);
}

EventCountFlow::~EventCountFlow() { Cancel(); }

void EventCountFlow::Cancel() {
  if (!m_thread) return;
  m_cancel = true;
  m_thread->wait();
  m_thread.reset();
}

void EventCountFlow::Start() {
  Cancel();
  m_counts.Clear();
  m_cancel = false;
  const unsigned run = ++m_run;
  std::vector<EventCounter::Job> jobs = EventCounter::Jobs(m_catalog);
  m_thread.reset(QThread::create([this, run, jobs = std::move(jobs)] {
    const bool complete = EventCounter::Count(jobs, m_cancel, [this, run](const std::string& path, int count) {
      QMetaObject::invokeMethod(this, [this, run, path, count] { OnCounted(run, path, count); },
                                Qt::QueuedConnection);
    });
    QMetaObject::invokeMethod(this, [this, run, complete] { OnRunEnded(run, complete); },
                              Qt::QueuedConnection);
  }));
  m_thread->start(QThread::LowPriority);
}

void EventCountFlow::OnCounted(unsigned run, const std::string& path, int count) {
  if (run != m_run) return;
  m_counts.Store(path, count);
  const int entry = m_catalog.FindEntry(path);
  if (entry < 0) return;  // deleted since
  ApplyEntry(entry);
  ApplyDrive(m_catalog.DriveOf(entry));
}

void EventCountFlow::OnRunEnded(unsigned run, bool complete) {
  if (run != m_run) return;
  if (m_thread) m_thread->wait();
  m_thread.reset();
  if (complete) emit finished();
}

void EventCountFlow::ApplyAll() {
  // Rows are entries and drives; a refill in progress has none yet.
  if (m_files.RowCount() != m_catalog.EntryCount()) return;
  for (int entry = 0; entry < m_catalog.EntryCount(); ++entry) ApplyEntry(entry);
  for (int drive = 0; drive < m_groups.RowCount(); ++drive) ApplyDrive(drive);
}

void EventCountFlow::ApplyEntry(int entry) {
  if (const auto count = m_counts.CountOf(m_catalog.PathOf(entry))) m_files.SetEventCount(entry, *count);
}

void EventCountFlow::ApplyDrive(int drive) {
  const auto count = m_counts.DriveCount(m_catalog, drive);
  if (!count) return;
  m_groups.SetEventCount(drive, *count);
  m_groups.SetDriveEventCount(drive, *count);
  m_files.SetDriveEventCount(drive, *count);
}
