// CZELDlg: the main window, a frameless QDialog.
#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QPointer>
#include <QRect>
#include <map>
#include <memory>

#include "mainwindow/PlaybackAdapters.h"
#include "mainwindow/core/MainLayout.h"
#include "mainwindow/core/PlaybackController.h"
#include "player/CVlcPlayer.h"
#include "player/PlayerEventTarget.h"
#include "catalog/MediaCatalog.h"
#include "map/MapDrive.h"

class WindowMessage;
class FileOpsController;
class CatalogScan;
class EventCountFlow;
class CGdipButton;
class CPngStatic;
class CPngCompassStatic;
class CSpeedLabelStatic;
class CStatusBoardStatic;
class CGSensorCtrl;
class CVideoSlider;
class DriveTimeline;
class MprisBridge;
class ClipExportFlow;
class CMySliderControl;
class CVideoStatic;
class CVideoStaticBg;
class CZelGroupListCtrl;
class CZelFileListCtrl;
class CHtmlMapDlg;
class CQorToolTipCtrl;

// Ids of the main window's children; the tooltips and the full-screen
// switch work through them.
enum MainControlId : int {
  kIdMaximize = 4,
  kIdOpen = 1001,
  kIdVideo1 = 1002,
  kIdGSensor = 1003,
  kIdMapArea = 1004,
  kIdSave = 1005,
  kIdSnap = 1006,
  kIdPanel1 = 1007,
  kIdSeek = 1008,
  kIdPanel2 = 1009,
  kIdGps = 1010,
  kIdVideo2 = 1011,
  kIdDelete = 1013,
  kIdConf = 1014,
  kIdPlay = 1015,
  kIdStop = 1016,
  kIdFast = 1017,
  kIdSlow = 1018,
  kIdVolume = 1019,
  kIdLoop = 1021,
  kIdFlip = 1022,
  kIdKml = 1023,
  kIdMap = 1024,
  kIdGsr = 1025,
  kIdLock = 1026,
  kIdFileList = 1027,
  kIdGroupList = 1028,
  kIdMinimize = 1044,
  kIdClose = 1045,
  kIdMute = 1046,
  kIdSizeSmall = 1052,
  kIdCompass = 1055,
  kIdSpeed = 1056,
  kIdSizeMedium = 1059,
  kIdSizeLarge = 1060,
  kIdProgress = 1061,
  kIdAbout = 57670,
};

// The application's only top-level window: a dark, rounded, frameless
// dialog with the two video channels, the seek slider, the G-sensor curve,
// the group and file lists, the map and the control bar. It owns the two
// player channels, the catalogue and every control, and keeps the picture,
// the map and the instruments in step with channel 1.
class CZELDlg : public QDialog, private IPlaybackView {
  Q_OBJECT

 public:
  static constexpr int kTitleSize = 16;
  static constexpr int kGSensorHeight = 100;
  enum OpenKind { kOpenDisk = 0, kOpenFolder = 1, kOpenFile = 2 };

  explicit CZELDlg(QWidget* parent = nullptr);
  ~CZELDlg() override;

  // How a folder scan that ends in the background tells what it found:
  // not at all, without waiting, or in a message box.
  enum class LoadReport { kNone, kNotice, kMessageBox };
  // Opens a card, folder or file as the Open button does once the user
  // has chosen; 1 when a file was loaded, 0 when nothing was. A card or
  // folder is scanned in the background (FileOpsHooks::kOpenScanning): the
  // lists fill as it goes, then the first recording starts and ScanEnded
  // follows. A scan still running is cancelled first.
  int OpenMedia(int kind, const QString& path, LoadReport report = LoadReport::kNone);
  // A folder or a file, by what the path names (command line, drops); 1
  // when a file was loaded or a folder scan started.
  int OpenMediaPath(const QString& path);
  // A folder scan is running.
  bool IsScanning() const { return m_scanning; }
  // Stops a running folder scan and leaves the catalogue and the lists
  // empty; false when none was running.
  bool CancelScan();
  // The progress bar of long file operations: percent, or hidden.
  void ShowProgress(int percent, bool visible);

  // Parts, for the application and for tests.
  PlaybackController& Playback() { return *m_playback; }
  MediaCatalog& Catalog() { return m_catalog; }
  FileOpsController& FileCommands() { return *m_fileOps; }
  ClipExportFlow& ClipExport() { return *m_clipExport; }
  EventCountFlow& EventCounts() { return *m_eventCounts; }
  CVlcPlayer& Channel(int n) { return n == 2 ? m_channel2 : m_channel1; }
  CHtmlMapDlg* MapView() const { return m_map; }
  CVideoSlider* SeekSlider() const { return m_seekSlider; }
  DriveTimeline* Timeline() const { return m_timeline; }
  CPngCompassStatic* Compass() const { return m_compass; }
  CSpeedLabelStatic* SpeedDisplay() const { return m_speed; }
  CPngStatic* GpsIndicator() const { return m_gpsIndicator; }
  CZelGroupListCtrl* GroupList() const { return m_groupList; }
  CZelFileListCtrl* FileList() const { return m_fileList; }
  CVideoStatic* VideoSurface(int n) const { return n == 2 ? m_surface2 : m_surface1; }
  CVideoStaticBg* VideoPanel(int n) const { return n == 2 ? m_panel2 : m_panel1; }
  CGSensorCtrl* GSensorChart() const { return m_gsensor; }
  // Where the splitters stand now.
  const SplitterShares& Splitters() const { return m_layoutIn.shares; }
  QWidget* Control(int id) const;
  CQorToolTipCtrl* ToolTips() const { return m_tooltip; }
  bool IsFullScreenMode() const { return m_fullScreen; }
  bool IsMaximizedMode() const { return m_maximized; }
  bool IsMapShown() const { return m_mapEnabled; }

  // Window sizes and modes.
  void SetSmallSize();
  void SetMediumSize();
  void SetLargeSize();
  void ToggleMaximize();
  void ToggleFullScreen(const QPoint& globalCursor);
  void ToggleMap();
  void ToggleGSensor();

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 signals:
  // A folder scan ended: 1 when it found something to play, 0 when it found
  // nothing or was cancelled.
  void ScanEnded(int opened);

 public slots:
  void reject() override;
  // The configuration dialog's notifications: the language in the settings
  // changed (the lists and tooltips follow), and the chosen map provider.
  void OnLanguageChanged();
  void OnMapProviderChanged(int provider);

 private:
  // Shell and message dispatch (ZELDlg.cpp).
  void OnWindowMessage(const WindowMessage& msg);
  void UpdateWindowShape(int cx, int cy);
  void SaveWindowPosition();
  void ShowPlayerError();
  void OnSecondChannelPicture();
  static void OnSecondChannelEvent(const libvlc_event_t* event, void* owner);

  // Set-up and layout (ZELDlgLayout.cpp).
  void CreateControls();
  void CreateButtons();
  void SetupChannels();
  void SetupControls();
  void SetupShortcuts();
  void JumpToEvent(bool next);
  void BuildTooltips();
  void RestoreWindowPosition();
  void ConnectButtons();
  void ConnectControls();
  void LayoutControls();
  void LoadSplitters();
  void SaveMovedSplitters();
  std::pair<int, int> PictureShape();
  bool PictureShapeChanged();
  void LayoutFullScreen();
  void ShowAllControls(bool show);
  QRect MonitorRect() const;
  void RefreshMapView();
  void OnConfigButton();
  void OnAboutButton();

  // Playback view (ZELDlgPlayback.cpp).
  bool HasSurface(int channel) override;
  bool PanelShowsLogo(int channel) override;
  void SetPanelVariant(int channel, int variant) override;
  void ShowSurface(int channel, bool show) override;
  void SetPlayButtonFace(int face) override;
  void SetSeekPosition(int position) override;
  void SetGSensorPosition(int ms) override;
  void SetGSensorInactive(bool inactive) override;
  void SetGpsIndicator(int state) override;
  void InitMap() override;
  void FitVideoSurfaces() override;
  void StartTimer(int id, int intervalMs) override;
  void StopTimer(int id) override;
  void SettleAfterStop() override;
  void ShowDrive(int drive, const DriveLayout& layout) override;
  void SetDrivePosition(std::int64_t driveMs) override;
  void ClearInstruments() override;
  void OnMuteButton();
  void OnSeekSliderMoved(int position);
  void OnFullScreenRequested();

  // File operations (ZELDlgFileOps.cpp).
  void CreateFileCommands();
  int StartFolderScan(int kind, const std::string& folder, LoadReport report);
  void OnScanFinished();
  // The count on video surface 1 and the commands that need a whole
  // catalogue, around a folder scan.
  void BeginScanDisplay();
  void EndScanDisplay();
  void EnableCatalogueCommands(bool enable);
  // The drive on the map: clicks seek, hovering asks (ZELDlgPlayback.cpp).
  void WireMapDrive();

  // What the channels' event callbacks work on; declared before the
  // channels so that it outlives them (the library may call back until a
  // player is released).
  PlayerEventTarget m_target1;
  PlayerEventTarget m_target2;
  // Channel 1 first: it loads the media-player library. Channel 2 is
  // destroyed first, as members go in reverse order.
  CVlcPlayer m_channel1;
  CVlcPlayer m_channel2;
  MediaCatalog m_catalog;
  PlayerChannelAdapter m_channel1Adapter;
  PlayerChannelAdapter m_channel2Adapter;
  CatalogAdapter m_catalogAdapter;
  MapSinkAdapter m_mapSink;
  GSensorSinkAdapter m_gsensorSink;
  InstrumentSinkAdapter m_instrumentSink;
  std::unique_ptr<PlaybackController> m_playback;
  std::unique_ptr<FileOpsController> m_fileOps;
  // After the catalogue and the playback: gone (its thread stopped) first.
  std::unique_ptr<CatalogScan> m_catalogScan;
  // The lists' event counts; its worker reads copies, never the catalogue.
  std::unique_ptr<EventCountFlow> m_eventCounts;

  // Controls (children; Qt deletes them with the window).
  CVideoStaticBg* m_panel1 = nullptr;
  CVideoStaticBg* m_panel2 = nullptr;
  CVideoStatic* m_surface1 = nullptr;
  CVideoStatic* m_surface2 = nullptr;
  CGSensorCtrl* m_gsensor = nullptr;
  CVideoSlider* m_seekSlider = nullptr;
  DriveTimeline* m_timeline = nullptr;
  MprisBridge* m_mpris = nullptr;
  ClipExportFlow* m_clipExport = nullptr;
  int m_eventPiece = -1;  // the drive piece whose events the G-sensor chart marks
  CMySliderControl* m_volumeSlider = nullptr;
  CPngStatic* m_gpsIndicator = nullptr;
  CPngCompassStatic* m_compass = nullptr;
  CSpeedLabelStatic* m_speed = nullptr;
  CStatusBoardStatic* m_progress = nullptr;
  CZelGroupListCtrl* m_groupList = nullptr;
  CZelFileListCtrl* m_fileList = nullptr;
  CHtmlMapDlg* m_map = nullptr;
  CMapDrive m_mapDrive;  // the playing drive on the map (ZELDlgPlayback.cpp)
  CQorToolTipCtrl* m_tooltip = nullptr;
  std::map<int, CGdipButton*> m_buttons;

  // Window state.
  QString m_title = QStringLiteral("VANTREL");
  int m_clientWidth = 0;
  int m_clientHeight = 0;
  bool m_fullScreen = false;
  bool m_maximized = false;
  int m_fullScreenSelection = 0;
  bool m_reshowAfterMinimize = false;
  QRect m_savedNormal;
  MainLayoutInput m_layoutIn;
  MainLayout m_layout;
  SplitterShares m_savedShares;  // as last read from or written to the settings
  DragKind m_drag = DragKind::kNone;
  bool m_movingWindow = false;
  QPoint m_moveOffset;
  bool m_mapEnabled = true;
  bool m_gsensorEnabled = true;
  int m_mapProvider = 0;
  bool m_setUp = false;
  // A scan is running: the catalogue is half built, so playback events and
  // timers wait (the window handles input meanwhile).
  bool m_scanning = false;
  int m_scanKind = 0;  // OpenKind of the running scan
  LoadReport m_scanReport = LoadReport::kNone;
  bool m_surfaceShownBeforeScan = false;
  std::map<int, QBasicTimer> m_timers;
};
