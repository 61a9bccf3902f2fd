#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>

#include "app/AppSettings.h"
#include "app/StringTable.h"
#include "controls/StatusBoardStatic.h"
#include "controls/VideoStatic.h"
#include "controls/VideoStaticBg.h"
#include "mainwindow/FileOpsController.h"
#include "mainwindow/ZELDlg.h"

// File commands of the main window: opening media, and the operations on
// the ticked groups.

namespace {

constexpr int kScanUpdateMs = 40;

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// Files that are not recordings stay listed as unreadable, but give
// playback nothing to start with.
bool NothingPlayable(const MediaCatalog& catalog) {
  return catalog.EntryCount() == catalog.UnreadableCount();
}

// What the file commands need of this window, through its public parts.
FileOpsHooks FileOpsHooksOf(CZELDlg& dlg) {
  FileOpsHooks hooks;
  hooks.isBusy = [&dlg] { return dlg.Playback().IsBusy(); };
  hooks.prepareOpen = [&dlg] { dlg.Playback().PrepareOpen(); };
  hooks.openMedia = [&dlg](int kind, const QString& path) { return dlg.OpenMedia(kind, path); };
  hooks.stopChannels = [&dlg] {
    dlg.Channel(1).Stop();
    dlg.Channel(2).Stop();
  };
  hooks.closeChannels = [&dlg] {
    dlg.Channel(1).Close();
    dlg.Channel(2).Close();
  };
  hooks.hidePictures = [&dlg] {
    for (int n : {1, 2}) {
      CVideoStaticBg* panel = dlg.VideoPanel(n);
      if (!panel || panel->GetVariant() == 1) continue;
      panel->SetVariant(1);
      if (CVideoStatic* surface = dlg.VideoSurface(n)) surface->hide();
    }
  };
  hooks.showProgress = [&dlg](int percent, bool visible) { dlg.ShowProgress(percent, visible); };
  hooks.holdPlayback = [&dlg] { return dlg.Playback().HoldForDialog(); };
  hooks.resumePlayback = [&dlg](bool wasPlaying) { dlg.Playback().ResumeAfterHold(wasPlaying); };
  hooks.playingFilesGone = [&dlg] {
    for (const std::string& path : {dlg.Playback().CurrentPath(), dlg.Playback().CompanionPath()})
      if (!path.empty() && !QFileInfo::exists(QString::fromStdString(path))) return true;
    return false;
  };
  return hooks;
}

}  // namespace

void CZELDlg::CreateFileCommands() {
  m_fileOps = std::make_unique<FileOpsController>(this, m_catalog, &m_channel1,
                                                  FileOpsHooksOf(*this));
}

int CZELDlg::OpenMediaPath(const QString& path) {
  // A scan lets the window handle events (a drop, a bus call) while the
  // catalogue is still empty: a second open then is refused as when busy.
  if (m_scanning) return 0;
  const QFileInfo info(path);
  // Nobody waits on these opens (command line, drops, the bus): what went
  // wrong is said without a modal loop.
  if (!info.exists()) {
    m_fileOps->ReportMissing(false);
    return 0;
  }
  if (!m_catalog.Empty() && m_playback->IsBusy()) return 0;
  m_playback->PrepareOpen();
  const int opened = OpenMedia(info.isDir() ? kOpenFolder : kOpenFile, info.absoluteFilePath());
  m_fileOps->ReportLoad(false);
  return opened;
}

// Scans with the running count on video surface 1; the window keeps
// repainting while a large card is read.
int CZELDlg::LoadCatalog(const std::string& folder, const std::string& file) {
  const bool wasVisible = m_surface1->isVisible();
  m_surface1->SetCount(0);
  m_surface1->SetCountVisible(true);
  if (file.empty()) m_surface1->show();
  m_scanning = true;
  // The count is redrawn and the events handled at most every 40 ms: a
  // repaint per file would cost far more than reading the file.
  QElapsedTimer sinceUpdate;
  int found = 0;
  const int loaded = m_catalog.Load(folder, file, [&](int n) {
    found = n;
    if (sinceUpdate.isValid() && sinceUpdate.elapsed() < kScanUpdateMs) return;
    sinceUpdate.start();
    m_surface1->SetCount(n);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  });
  m_surface1->SetCount(found);
  m_scanning = false;
  m_surface1->SetCountVisible(false);
  m_surface1->setVisible(wasVisible);
  m_surface1->update();
  return loaded;
}

int CZELDlg::OpenMedia(int kind, const QString& path) {
  if (m_scanning) return 0;  // one load into the catalogue at a time
  const std::string utf8 = QDir::cleanPath(path).toStdString();
  if (kind == kOpenDisk || kind == kOpenFolder) {
    m_playback->BeginBusy();
    if (utf8.empty()) {
      m_playback->EndBusy();
      return 0;
    }
    m_catalog.Clear();
    LoadCatalog(WithTrailingSlash(utf8), std::string());
    if (NothingPlayable(m_catalog)) {
      m_playback->EndBusy();
      return 0;
    }
    if (kind == kOpenDisk)
      m_playback->StartOpenedFirst();
    else
      m_playback->ArmCountdown(0);
    return 1;
  }
  m_catalog.Clear();
  const auto slash = utf8.rfind('/');
  if (slash == std::string::npos) return 0;
  if (!LoadCatalog(utf8.substr(0, slash + 1), utf8.substr(slash + 1)) || NothingPlayable(m_catalog))
    return 0;
  m_channel1Adapter.BindSurface();
  m_playback->StartOpenedFirst();
  return 1;
}

void CZELDlg::ShowProgress(int percent, bool visible) {
  if (!visible) {
    m_progress->hide();
    return;
  }
  m_progress->SetPercent(percent);
  m_progress->show();
  m_progress->raise();
  // A long copy blocks the window; the bar still shows every step.
  m_progress->repaint();
}

