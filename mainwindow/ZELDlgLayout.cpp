#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <cstdint>
#include <tuple>

#include "app/AppSettings.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "controls/DriveTimeline.h"
#include "controls/GSensorCtrl.h"
#include "controls/GdipButton.h"
#include "controls/ImageResources.h"
#include "controls/MySliderControl.h"
#include "controls/PngCompassStatic.h"
#include "controls/PngStatic.h"
#include "controls/QorToolTipCtrl.h"
#include "controls/SpeedLabelStatic.h"
#include "controls/StatusBoardStatic.h"
#include "controls/VideoSlider.h"
#include "controls/VideoStatic.h"
#include "controls/VideoStaticBg.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/QorConfigDlg.h"
#include "dialogs/ZelFileListCtrl.h"
#include "dialogs/ZelGroupListCtrl.h"
#include "map/HtmlMapDlg.h"
#include "mainwindow/ClipExportFlow.h"
#include "mainwindow/FileOpsController.h"
#include "mainwindow/ZELDlg.h"
#include "platform/Environment.h"

namespace {

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

QRect ToQRect(const LayoutRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

void Place(QWidget* w, const LayoutRect& r) {
  if (w) w->setGeometry(ToQRect(r));
}

struct ButtonFaces {
  int id;
  int image;
  int alternate;  // 0: none
  StringId tooltip;
};

// The image buttons, their faces and their tooltips.
constexpr ButtonFaces kButtons[] = {
    {kIdPlay, kPngPlay, kPngPause, kStrTipPlayPause},
    {kIdStop, kPngStop, 0, kStrTipStop},
    {kIdFast, kPngFast, 0, kStrTipFaster},
    {kIdSlow, kPngSlow, 0, kStrTipSlower},
    {kIdOpen, kPngOpen, 0, kStrTipOpen},
    {kIdSnap, kPngSnap, 0, kStrTipSnapshot},
    {kIdSave, kPngSave, 0, kStrTipSaveAs},
    {kIdDelete, kPngDelete, 0, kStrTipDelete},
    {kIdConf, kPngConf, 0, kStrTipConfig},
    {kIdLoop, kPngLoop, kPngLoopOff, kStrTipAutoPlay},
    {kIdFlip, 0, 0, kStrTipRotate},
    {kIdKml, kPngKml, 0, kStrTipKml},
    {kIdMap, kPngMap, 0, kStrTipMap},
    {kIdGsr, kPngGsr, 0, kStrTipGSensor},
    {kIdLock, kPngLock, 0, kStrTipUnlock},
    {kIdMute, kPngVolume, kPngVolumeMuted, kStrTipMute},
    {kIdClose, kPngClose, 0, kStrTipClose},
    {kIdMaximize, kPngMaximise, 0, kStrTipMaximize},
    {kIdMinimize, kPngMinimise, 0, kStrTipMinimize},
    {kIdAbout, kPngAbout, 0, kStrTipAbout},
    {kIdSizeSmall, kPngSizeSmall, 0, kStrTipSizeSmall},
    {kIdSizeMedium, kPngSizeMedium, 0, kStrTipSizeMedium},
    {kIdSizeLarge, kPngSizeLarge, 0, kStrTipSizeLarge},
};

// Controls that leave the screen in full screen and come back after it.
constexpr int kHiddenInFullScreen[] = {
    kIdPlay,  kIdStop,  kIdSlow,     kIdFast,  kIdConf,     kIdDelete,  kIdSave,
    kIdSnap,  kIdOpen,  kIdLoop,     kIdFlip,  kIdKml,      kIdMap,     kIdGsr,
    kIdLock,  kIdSeek,  kIdVolume,   kIdGps,   kIdClose,    kIdMaximize, kIdMinimize,
    kIdAbout, kIdMute,  kIdCompass,  kIdSpeed, kIdGroupList, kIdFileList, kIdSizeSmall,
    kIdSizeMedium, kIdSizeLarge,
};

constexpr char kListStyle[] =
    "QTreeWidget { background: #141619; color: #d8dadc; border: 1px solid #2a2d31;"
    "  alternate-background-color: #181a1e; selection-background-color: #2d3a44; }"
    "QHeaderView::section { background: #202328; color: #b9bcc0; border: 0;"
    "  border-right: 1px solid #2a2d31; padding: 2px 4px; }"
    "QScrollBar:horizontal { background: #141619; height: 12px; margin: 0; }"
    "QScrollBar:vertical { background: #141619; width: 12px; margin: 0; }"
    "QScrollBar::handle { background: #3a3e44; border-radius: 4px; min-width: 24px;"
    "  min-height: 24px; margin: 2px; }"
    "QScrollBar::handle:hover { background: #4d535a; }"
    "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
    "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
    "QAbstractScrollArea::corner { background: #141619; }"
    "QTreeView::indicator { width: 12px; height: 12px; border: 1px solid #7a8088;"
    "  border-radius: 2px; background: #0c0d0f; }"
    "QTreeView::indicator:checked { background: #e0a030; border-color: #f0c060; }";

}  // namespace

// ---------------------------------------------------------------- creation

void CZELDlg::CreateControls() {
  m_panel1 = new CVideoStaticBg(this);
  m_panel2 = new CVideoStaticBg(this);
  m_surface1 = new CVideoStatic(this);
  m_surface2 = new CVideoStatic(this);
  m_channel1Adapter.SetSurface(m_surface1);
  m_channel2Adapter.SetSurface(m_surface2);

  m_gsensor = new CGSensorCtrl(this);
  m_gsensor->resize(400, kGSensorHeight);
  m_seekSlider = new CVideoSlider(this);
  m_timeline = new DriveTimeline(this);
  m_volumeSlider = new CMySliderControl(this);
  m_gpsIndicator = new CPngStatic(this);
  m_compass = new CPngCompassStatic(this);
  m_speed = new CSpeedLabelStatic(this);
  m_progress = new CStatusBoardStatic(this);
  m_groupList = new CZelGroupListCtrl(this);
  m_fileList = new CZelFileListCtrl(this);
  for (QWidget* list : {static_cast<QWidget*>(m_groupList), static_cast<QWidget*>(m_fileList)})
    list->setStyleSheet(kListStyle);
  CreateButtons();
  ConnectButtons();
  ConnectControls();
  CreateFileCommands();
}

void CZELDlg::CreateButtons() {
  for (const ButtonFaces& b : kButtons) {
    auto* button = new CGdipButton(this);
    button->setFocusPolicy(Qt::NoFocus);
    if (b.image) button->LoadNormalImage(b.image);
    if (b.alternate) {
      button->LoadAlternateImage(b.alternate);
      button->SetToggleMode(true);
    }
    m_buttons[b.id] = button;
  }
  // The rotate button is never offered.
  m_buttons[kIdFlip]->setEnabled(false);
  m_buttons[kIdFlip]->hide();
}

void CZELDlg::ConnectButtons() {
  const auto on = [this](int id, auto handler) {
    connect(m_buttons[id], &QAbstractButton::clicked, this, handler);
  };
  on(kIdPlay, [this] { m_playback->PlayPause(); });
  on(kIdStop, [this] {
    CancelScan();
    m_playback->Stop();
  });
  on(kIdFast, [this] { m_playback->Faster(); });
  on(kIdSlow, [this] { m_playback->Slower(); });
  on(kIdLoop, [this] { m_playback->ToggleAutoPlay(); });
  on(kIdMute, [this] { OnMuteButton(); });
  on(kIdOpen, [this] { m_fileOps->OnOpen(); });
  on(kIdSnap, [this] { m_fileOps->OnSnapshot(); });
  on(kIdSave, [this] { m_fileOps->OnSaveAs(); });
  on(kIdDelete, [this] { m_fileOps->OnDelete(); });
  on(kIdLock, [this] { m_fileOps->OnUnlock(); });
  on(kIdKml, [this] { m_fileOps->OnKml(); });
  on(kIdConf, [this] { OnConfigButton(); });
  on(kIdMap, [this] { ToggleMap(); });
  on(kIdGsr, [this] { ToggleGSensor(); });
  on(kIdClose, [this] { close(); });
  on(kIdMaximize, [this] { ToggleMaximize(); });
  on(kIdMinimize, [this] {
    m_reshowAfterMinimize = true;
    showMinimized();
  });
  on(kIdAbout, [this] { OnAboutButton(); });
  on(kIdSizeSmall, [this] { SetSmallSize(); });
  on(kIdSizeMedium, [this] { SetMediumSize(); });
  on(kIdSizeLarge, [this] { SetLargeSize(); });
}

// The controls' requests. A scan disables the seek controls and keeps the
// open busy (the lists refuse), so none of these arrives while the
// catalogue is half built.
void CZELDlg::ConnectControls() {
  connect(m_timeline, &DriveTimeline::seekRequested, this,
          [this](qint64 driveMs) { m_playback->SeekDrive(driveMs); });
  connect(m_seekSlider, &CVideoSlider::seekRequested, this,
          [this](int position) { m_playback->RequestSeek(position, true); });
  connect(m_volumeSlider, &CMySliderControl::volumeChanged, this,
          [this](int volume) { m_playback->SetVolume(volume); });
  connect(m_groupList, &ZelListCtrlBase::rowActivated, this,
          [this](int row) { m_playback->StartEntry(StartTrigger::kGroup, row); });
  connect(m_fileList, &ZelListCtrlBase::rowActivated, this,
          [this](int row) { m_playback->StartEntry(StartTrigger::kFile, row); });
  for (CVideoStaticBg* panel : {m_panel1, m_panel2})
    connect(panel, &CVideoStaticBg::fullScreenRequested, this, &CZELDlg::OnFullScreenRequested);
  for (CVideoStatic* surface : {m_surface1, m_surface2})
    connect(surface, &CVideoStatic::fullScreenRequested, this, &CZELDlg::OnFullScreenRequested);
}

void CZELDlg::OnFullScreenRequested() { ToggleFullScreen(QCursor::pos()); }

// ------------------------------------------------------------------ set-up

void CZELDlg::SetupChannels() {
  const bool available = m_channel1.IsAvailable();
  if (available) {
    m_target1.window = this;
    m_target1.channel1 = &m_channel1;
    m_target1.gpsIndicatorOff = [this] { SetGpsIndicator(0); };
    m_target1.seekSliderMoved = [this](int position) { OnSeekSliderMoved(position); };
    m_channel1Adapter.BindSurface();
    m_channel1.AttachEvents(OnPlayerEvent, &m_target1);
    m_channel1.SetRate(1.0f);
    m_target2.window = this;
    m_target2.channel1 = &m_channel1;
    m_channel2Adapter.BindSurface();
    m_channel2.AttachEvents(OnSecondChannelEvent, &m_target2);
    m_channel2.SetRate(static_cast<float>(kPlaybackRates[m_playback->RateIndex()].rate));
    return;
  }
  // Without the library the window works on without video.
  auto* box = new QMessageBox(QMessageBox::Warning, Localized(kStrWarning), Localized(kStrPlayerLoadFailed), QMessageBox::Ok,
                              this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  QMetaObject::invokeMethod(box, [box] { box->open(); }, Qt::QueuedConnection);
}

void CZELDlg::SetupControls() {
  CAppSettings& settings = GetSettings();
  m_mapEnabled = settings.IsMapEnabled();
  m_gsensorEnabled = settings.IsGSensorEnabled();
  m_playback->SetMapEnabled(m_mapEnabled);
  if (!m_gsensorEnabled) m_gsensor->hide();
  m_layoutIn.mapShown = m_mapEnabled;
  m_layoutIn.gsensorShown = m_gsensorEnabled;
  LoadSplitters();

  SetupChannels();
  m_seekSlider->setRange(0, 1000);
  m_volumeSlider->setRange(0, 100);
  m_volumeSlider->setValue(100);
  m_channel1.SetVolume(100);
  m_channel2.SetVolume(0);

  // The map view takes the place of its placeholder.
  auto* placeholder = new QWidget(this);
  placeholder->setGeometry(0, 0, 10, 10);
  m_map = new CHtmlMapDlg(this);
  m_map->SetBaseUrl(QString::fromStdString(settings.GetMapUrl()));
  if (!m_map->CreateInPlace(placeholder)) delete placeholder;
  m_map->SetProvider(m_mapProvider);
  m_mapSink.SetMap(m_map);
  if (!m_mapEnabled) m_map->hide();

  m_gpsIndicator->LoadPng(kPngGps);
  m_gpsIndicator->SetActive(false);
  m_compass->resize(32, 32);
  for (int id = kPngCompassN; id <= kPngCompassNE; ++id) m_compass->AddImage(id);
  m_compass->SetImage(0);
  m_panel1->show();
  m_panel2->show();
  m_speed->SetSpeed(0, true);
  // Title bar instruments keep fixed places next to the title.
  m_compass->setGeometry(196, 8, 32, 32);
  m_speed->setGeometry(236, 6, 112, 36);
  m_gpsIndicator->setGeometry(356, 10, 28, 28);

  RestoreWindowPosition();
  LayoutControls();
  m_progress->SetPattern(kBmpProgressPattern);
  m_progress->hide();
  m_tooltip = new CQorToolTipCtrl(this);
  m_tooltip->CreateThemed(this, 0, true);
  m_tooltip->SetStringLoader(Localized);
  BuildTooltips();
  m_groupList->SetupList();
  m_fileList->SetupList();

  m_gsensorSink.SetCurve(m_gsensor);
  m_instrumentSink.SetDisplays(m_compass, m_speed);
  m_catalog.Attach(m_groupList, m_fileList, &m_gsensorSink, &m_mapSink, &m_instrumentSink);

  m_surface1->hide();
  m_surface2->hide();
  StartTimer(kTimerSeek, 500);
  StartTimer(kTimerCountdown, 100);
  SetupShortcuts();
}

void CZELDlg::SetupShortcuts() {
  const auto key = [this](QKeySequence seq, auto fn) {
    auto* sc = new QShortcut(seq, this);
    sc->setContext(Qt::WindowShortcut);
    connect(sc, &QShortcut::activated, this, fn);
  };
  key(QKeySequence(Qt::Key_Space), [this] { m_playback->PlayPause(); });
  key(QKeySequence(Qt::Key_Left), [this] { m_playback->SeekRelative(-5000); });
  key(QKeySequence(Qt::Key_Right), [this] { m_playback->SeekRelative(5000); });
  key(QKeySequence(Qt::Key_Plus), [this] { m_playback->Faster(); });
  key(QKeySequence(Qt::Key_Equal), [this] { m_playback->Faster(); });
  key(QKeySequence(Qt::Key_Minus), [this] { m_playback->Slower(); });
  // Through the drive: Page Up / Page Down the recordings, Ctrl+Left /
  // Ctrl+Right the drives.
  key(QKeySequence(Qt::Key_PageUp), [this] { m_playback->PreviousRecording(); });
  key(QKeySequence(Qt::Key_PageDown), [this] { m_playback->NextRecording(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { m_playback->PreviousDrive(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { m_playback->NextDrive(); });
  // Driving events: N the next, Shift+N the previous, across the drive.
  key(QKeySequence(Qt::Key_N), [this] { JumpToEvent(true); });
  key(QKeySequence(Qt::SHIFT | Qt::Key_N), [this] { JumpToEvent(false); });
  // A clip: I and O mark its ends on the drive timeline, E exports it.
  key(QKeySequence(Qt::Key_I), [this] { m_timeline->MarkIn(m_playback->DrivePositionMs()); });
  key(QKeySequence(Qt::Key_O), [this] { m_timeline->MarkOut(m_playback->DrivePositionMs()); });
  key(QKeySequence(Qt::Key_E), [this] { m_clipExport->Open(); });
  key(QKeySequence(Qt::Key_F), [this] {
    if (m_fullScreenSelection == 0) m_fullScreenSelection = 1;
    ToggleFullScreen(QPoint(-1, -1));
  });
}

void CZELDlg::JumpToEvent(bool next) {
  const DriveTimelineModel& model = m_timeline->Model();
  const std::int64_t from = m_playback->DrivePositionMs();
  const std::int64_t target = next ? model.NextEventTarget(from) : model.PreviousEventTarget(from);
  if (target != DriveTimelineModel::kNoMark) m_playback->SeekDrive(target);
}

void CZELDlg::BuildTooltips() {
  if (!m_tooltip) return;
  m_tooltip->RemoveAllControlTools();
  for (const ButtonFaces& b : kButtons)
    m_tooltip->AddControlTool(m_buttons[b.id], Localized(b.tooltip), QRect(), b.id);
  m_tooltip->AddControlTool(m_volumeSlider, Localized(kStrTipVolume), QRect(), kIdVolume);
  m_tooltip->AddControlTool(m_speed, Localized(kStrTipSpeedUnit), QRect(), kIdSpeed);
}

void CZELDlg::RestoreWindowPosition() {
  const ScreenSize screen = GetScreenSize();
  const WindowRect saved = GetSettings().LoadWindowPos();
  // A saved place on a screen that is no longer there is brought back.
  const LayoutRect r = FitWindowToScreen({saved.left, saved.top, saved.right, saved.bottom},
                                         screen.width, screen.height);
  setGeometry(ToQRect(r));
  m_clientWidth = width();
  m_clientHeight = height();
  UpdateWindowShape(width(), height());
}

// ------------------------------------------------------------------ layout

void CZELDlg::LayoutControls() {
  if (m_fullScreen) return LayoutFullScreen();
  m_layoutIn.cx = width();
  m_layoutIn.cy = height();
  m_layoutIn.mapShown = m_mapEnabled;
  m_layoutIn.gsensorShown = m_gsensorEnabled;
  std::tie(m_layoutIn.pictureWidth, m_layoutIn.pictureHeight) = PictureShape();
  FitSplittersToWindow(m_layoutIn);
  m_layout = ComputeMainLayout(m_layoutIn);
  const MainLayout& l = m_layout;
  const std::pair<int, LayoutRect> buttons[] = {
      {kIdClose, l.close},     {kIdMaximize, l.maximize}, {kIdMinimize, l.minimize},
      {kIdAbout, l.about},     {kIdSizeLarge, l.sizeLarge}, {kIdSizeMedium, l.sizeMedium},
      {kIdSizeSmall, l.sizeSmall}, {kIdOpen, l.open},     {kIdSnap, l.snap},
      {kIdSave, l.save},       {kIdDelete, l.del},        {kIdConf, l.conf},
      {kIdSlow, l.slow},       {kIdStop, l.stop},         {kIdPlay, l.play},
      {kIdFast, l.fast},       {kIdMute, l.mute},         {kIdLoop, l.loop},
      {kIdKml, l.kml},         {kIdMap, l.mapButton},     {kIdGsr, l.gsrButton},
      {kIdLock, l.lock},
  };
  for (const auto& [id, rect] : buttons) Place(m_buttons[id], rect);
  Place(m_volumeSlider, l.volume);
  if (m_map && m_map->IsAlive()) Place(m_map, l.map);
  Place(m_fileList, l.fileList);
  Place(m_panel1, l.panel1);
  Place(m_panel2, l.panel2);
  Place(m_seekSlider, l.seekSlider);
  Place(m_timeline, l.timeline);
  if (m_gsensorEnabled) Place(m_gsensor, l.gsensor);
  Place(m_groupList, l.groupList);
  Place(m_progress, l.progress);
  FitVideoSurfaces();
  SaveMovedSplitters();
  update();
}

void CZELDlg::LoadSplitters() {
  const SplitterPositions stored = GetSettings().LoadSplitters();
  m_layoutIn.shares = SanitizeShares({stored.column, stored.map, stored.list, stored.chart});
  m_savedShares = m_layoutIn.shares;
}

// A splitter let go somewhere new is kept for the next start; nothing is
// written while it is still being dragged.
void CZELDlg::SaveMovedSplitters() {
  if (m_drag != DragKind::kNone || m_layoutIn.shares == m_savedShares) return;
  m_savedShares = m_layoutIn.shares;
  const SplitterShares& s = m_savedShares;
  GetSettings().SaveSplitters({s.column, s.map, s.list, s.chart});
}

// The shape the pictures are laid out for: the current recording's, 16:9
// (the cameras' own) before one is known.
std::pair<int, int> CZELDlg::PictureShape() {
  int w = 0, h = 0;
  if (!m_catalogAdapter.CurrentPictureSize(w, h) || w <= 0 || h <= 0) return {16, 9};
  return {w, h};
}

bool CZELDlg::PictureShapeChanged() {
  const auto [w, h] = PictureShape();
  return std::int64_t{w} * m_layoutIn.pictureHeight != std::int64_t{h} * m_layoutIn.pictureWidth;
}

QRect CZELDlg::MonitorRect() const {
  QScreen* screen = this->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry() : QRect(0, 0, 1280, 800);
}

void CZELDlg::LayoutFullScreen() {
  const QRect monitor = MonitorRect();
  const QRect client(mapFromGlobal(monitor.topLeft()), monitor.size());
  m_panel1->setGeometry(client);
  m_panel2->setGeometry(client);
  FitVideoSurfaces();
}

void CZELDlg::ShowAllControls(bool show) {
  for (int id : kHiddenInFullScreen) {
    QWidget* w = Control(id);
    if (!w || id == kIdFlip) continue;
    w->setVisible(show);
  }
  m_gsensor->setVisible(show && m_gsensorEnabled);
  m_progress->hide();
  if (m_map) {
    if (show && m_mapEnabled) {
      m_map->show();
    } else if (!show) {
      m_map->setGeometry(0, 0, 1, 1);
    }
  }
  // The channel not shown full screen goes and comes with the rest; its
  // picture only comes back when it has one.
  const int other = m_fullScreenSelection == 2 ? 1 : 2;
  VideoPanel(other)->setVisible(show);
  VideoSurface(other)->setVisible(show && !PanelShowsLogo(other));
}

void CZELDlg::RefreshMapView() {
  if (!m_map || !m_mapEnabled) return;
  m_map->hide();
  m_map->show();
}

// ---------------------------------------------------------------- dialogs

void CZELDlg::OnConfigButton() {
  // The window follows each Apply while the dialog is still open; OK
  // applies both once more.
  const bool wasPlaying = m_playback->HoldForDialog();
  CQorConfigDlg dialog(this);
  connect(&dialog, &CQorConfigDlg::mapProviderChanged, this, &CZELDlg::OnMapProviderChanged);
  connect(&dialog, &CQorConfigDlg::languageChanged, this, &CZELDlg::OnLanguageChanged);
  dialog.DoModal();
  m_playback->ResumeAfterHold(wasPlaying);
}

void CZELDlg::OnAboutButton() {
  const bool wasPlaying = m_playback->HoldForDialog();
  CAboutDlg about(this);
  about.DoModal();
  m_playback->ResumeAfterHold(wasPlaying);
}

// ------------------------------------------------------- sizes and modes

void CZELDlg::SetSmallSize() {
  if (m_fullScreen) return;
  m_maximized = false;
  const QRect m = MonitorRect();
  setGeometry(m.left() + (m.width() - kMinWindowWidth) / 2,
              m.top() + (m.height() - kMinWindowHeight) / 2, kMinWindowWidth, kMinWindowHeight);
}

void CZELDlg::SetMediumSize() {
  if (m_fullScreen) return;
  m_maximized = false;
  const QRect m = MonitorRect();
  const int w = std::max(m.width() * 4 / 5, kMinWindowWidth);
  const int h = std::max(m.height() * 4 / 5, kMinWindowHeight);
  setGeometry(m.left() + m.width() / 8, m.top() + m.height() / 8, w, h);
}

void CZELDlg::SetLargeSize() {
  if (m_fullScreen) return;
  m_maximized = false;
  setGeometry(MonitorRect());
}

void CZELDlg::ToggleMaximize() {
  if (m_fullScreen) return;
  if (m_maximized) {
    m_maximized = false;
    if (m_savedNormal.isValid()) setGeometry(m_savedNormal);
  } else {
    m_savedNormal = geometry();
    setGeometry(MonitorRect());
    m_maximized = true;
  }
  raise();
  RefreshMapView();
}

void CZELDlg::ToggleMap() {
  if (m_fullScreen) return;
  m_mapEnabled = !m_mapEnabled;
  m_playback->SetMapEnabled(m_mapEnabled);
  LayoutControls();
  if (m_map) {
    m_map->setVisible(m_mapEnabled);
    m_map->setEnabled(m_mapEnabled);
  }
  GetSettings().SetMapEnabled(m_mapEnabled);
}

void CZELDlg::ToggleGSensor() {
  m_gsensorEnabled = !m_gsensorEnabled;
  m_gsensor->setVisible(m_gsensorEnabled && !m_fullScreen);
  LayoutControls();
  GetSettings().SetGSensorEnabled(m_gsensorEnabled);
}

void CZELDlg::ToggleFullScreen(const QPoint& globalCursor) {
  const bool paused1 = m_channel1.IsPaused() != 0;
  const bool paused2 = m_channel2.IsPaused() != 0;
  if (globalCursor.x() >= 0 || globalCursor.y() >= 0) {
    const auto under = [&](QWidget* w) {
      return w && w->isVisible() && QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).contains(globalCursor);
    };
    if (under(m_surface1) || under(m_panel1))
      m_fullScreenSelection = 1;
    else if (under(m_surface2) || under(m_panel2))
      m_fullScreenSelection = 2;
  }
  // A double click between the surfaces picks the first one.
  if (m_fullScreenSelection == 0) m_fullScreenSelection = 1;
  if (m_catalog.Empty() && !m_fullScreen) return;
  if (!paused1) m_channel1.Pause();
  if (!paused2) m_channel2.Pause();

  if (m_fullScreen) {
    m_fullScreen = false;
    ShowAllControls(true);
    if (m_savedNormal.isValid()) setGeometry(m_savedNormal);
    raise();
    UpdateWindowShape(width(), height());
    for (int channel = 1; channel <= 2; ++channel) {
      const bool logo = PanelShowsLogo(channel);
      SetPanelVariant(channel, logo ? 1 : 0);
      ShowSurface(channel, !logo);
    }
    LayoutControls();
  } else {
    if (!m_maximized) m_savedNormal = geometry();
    m_fullScreen = true;
    m_maximized = false;
    ShowAllControls(false);
    setGeometry(MonitorRect());
    UpdateWindowShape(width(), height());
    m_buttons[kIdPlay]->setFocus();
    StartTimer(kTimerShiftKey, 800);
    ShowSurface(m_fullScreenSelection == 1 ? 2 : 1, false);
    LayoutFullScreen();
    (m_fullScreenSelection == 1 ? m_surface1 : m_surface2)->update();
  }
  if (!paused1) m_channel1.Play();
  if (!paused2) m_channel2.Play();
}
