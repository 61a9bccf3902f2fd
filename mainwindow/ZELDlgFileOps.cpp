#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QShortcut>
#include <utility>

#include "app/AppSettings.h"
#include "app/StringTable.h"
#include "controls/DriveTimeline.h"
#include "controls/GdipButton.h"
#include "controls/StatusBoardStatic.h"
#include "controls/VideoSlider.h"
#include "controls/VideoStatic.h"
#include "controls/VideoStaticBg.h"
#include "dialogs/ZelFileListCtrl.h"
#include "mainwindow/CatalogScan.h"
#include "mainwindow/EventCountFlow.h"
#include "mainwindow/FileOpsController.h"
#include "mainwindow/ZELDlg.h"

// File commands of the main window: opening media, and the operations on
// the ticked groups.

namespace {

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
  // A scan still running is no start to wait for: a new open replaces it.
  hooks.isBusy = [&dlg] { return !dlg.IsScanning() && dlg.Playback().IsBusy(); };
  hooks.prepareOpen = [&dlg] { dlg.Playback().PrepareOpen(); };
  hooks.openMedia = [&dlg](int kind, const QString& path) {
    return dlg.OpenMedia(kind, path, CZELDlg::LoadReport::kMessageBox);
  };
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
  hooks.rearChannel = [&dlg]() -> CVlcPlayer* {
    return dlg.Playback().CompanionPath().empty() ? nullptr : &dlg.Channel(2);
  };
  return hooks;
}

}  // namespace

void CZELDlg::CreateFileCommands() {
  m_fileOps = std::make_unique<FileOpsController>(this, m_catalog, &m_channel1,
                                                  FileOpsHooksOf(*this));
  m_catalogScan = std::make_unique<CatalogScan>(m_catalog, m_fileList);
  connect(m_catalogScan.get(), &CatalogScan::countChanged, this,
          [this](int found) { m_surface1->SetCount(found); });
  connect(m_catalogScan.get(), &CatalogScan::finished, this, [this] { OnScanFinished(); });
}

int CZELDlg::OpenMediaPath(const QString& path) {
  const QFileInfo info(path);
  // Nobody waits on these opens (command line, drops, the bus): what went
  // wrong is said without a modal loop.
  if (!info.exists()) {
    m_fileOps->ReportMissing(false);
    return 0;
  }
  // A card still starting refuses; a scan still running gives way.
  if (!m_scanning && !m_catalog.Empty() && m_playback->IsBusy()) return 0;
  m_playback->PrepareOpen();
  const int opened = OpenMedia(info.isDir() ? kOpenFolder : kOpenFile, info.absoluteFilePath(),
                               LoadReport::kNotice);
  if (opened == FileOpsHooks::kOpenScanning) return 1;
  m_fileOps->ReportLoad(false);
  return opened;
}

int CZELDlg::OpenMedia(int kind, const QString& path, LoadReport report) {
  // One load into the catalogue at a time: the newest replaces a scan.
  CancelScan();
  m_eventCounts->Cancel();
  const std::string utf8 = QDir::cleanPath(path).toStdString();
  if (kind == kOpenDisk || kind == kOpenFolder) return StartFolderScan(kind, utf8, report);
  m_catalog.Clear();
  const auto slash = utf8.rfind('/');
  if (slash == std::string::npos) return 0;
  // One file reads in a moment: no scan, no count.
  if (!m_catalog.Load(utf8.substr(0, slash + 1), utf8.substr(slash + 1)) ||
      NothingPlayable(m_catalog))
    return 0;
  m_channel1Adapter.BindSurface();
  m_playback->StartOpenedFirst();
  m_eventCounts->Start();
  return 1;
}

int CZELDlg::StartFolderScan(int kind, const std::string& folder, LoadReport report) {
  m_playback->BeginBusy();
  if (folder.empty()) {
    m_playback->EndBusy();
    return 0;
  }
  m_scanKind = kind;
  m_scanReport = report;
  BeginScanDisplay();
  m_catalogScan->Start(WithTrailingSlash(folder));
  return FileOpsHooks::kOpenScanning;
}

// What an open did after its load, now at the end of the scan: start the
// card or arm the folder's countdown, then say what was missing.
void CZELDlg::OnScanFinished() {
  EndScanDisplay();
  int opened = 0;
  if (NothingPlayable(m_catalog)) {
    m_playback->EndBusy();
  } else {
    if (m_scanKind == kOpenDisk)
      m_playback->StartOpenedFirst();
    else
      m_playback->ArmCountdown(0);
    opened = 1;
  }
  const LoadReport report = std::exchange(m_scanReport, LoadReport::kNone);
  if (report != LoadReport::kNone) m_fileOps->ReportLoad(report == LoadReport::kMessageBox);
  emit ScanEnded(opened);
}

bool CZELDlg::CancelScan() {
  if (!m_catalogScan || !m_catalogScan->Cancel()) return false;
  EndScanDisplay();
  m_scanReport = LoadReport::kNone;
  m_playback->EndBusy();
  emit ScanEnded(0);
  return true;
}

// The running count on video surface 1 while the scan goes on.
void CZELDlg::BeginScanDisplay() {
  m_surfaceShownBeforeScan = m_surface1->isVisible();
  m_surface1->SetCount(0);
  m_surface1->SetCountVisible(true);
  m_surface1->show();
  m_scanning = true;
  EnableCatalogueCommands(false);
}

void CZELDlg::EndScanDisplay() {
  m_scanning = false;
  EnableCatalogueCommands(true);
  m_surface1->SetCountVisible(false);
  m_surface1->setVisible(m_surfaceShownBeforeScan);
  m_surface1->update();
}

// While the catalogue is half built and reordered batch by batch, nothing
// that plays, seeks or edits recordings is offered (the lists refuse while
// the open is busy). Stop, Open, the window's own buttons and the lists'
// scrolling stay.
void CZELDlg::EnableCatalogueCommands(bool enable) {
  for (int id : {kIdPlay, kIdFast, kIdSlow, kIdDelete, kIdSave, kIdLock, kIdKml, kIdSnap})
    if (CGdipButton* button = m_buttons[id]) button->setEnabled(enable);
  if (m_seekSlider) m_seekSlider->setEnabled(enable);
  if (m_timeline) m_timeline->setEnabled(enable);
  for (QShortcut* shortcut : findChildren<QShortcut*>()) shortcut->setEnabled(enable);
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

