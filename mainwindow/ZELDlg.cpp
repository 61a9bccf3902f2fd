#include "mainwindow/ZELDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMetaObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QTimerEvent>
#include <QWindow>

#include "app/AppSettings.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "controls/GSensorCtrl.h"
#include "controls/GdipButton.h"
#include "controls/ImageResources.h"
#include "controls/MySliderControl.h"
#include "controls/PngCompassStatic.h"
#include "controls/QorToolTipCtrl.h"
#include "controls/StatusBoardStatic.h"
#include "controls/VideoStaticBg.h"
#include "controls/PngStatic.h"
#include "controls/SpeedLabelStatic.h"
#include "controls/StyledText.h"
#include "controls/VideoSlider.h"
#include "controls/VideoStatic.h"
#include "dialogs/ZelFileListCtrl.h"
#include "dialogs/ZelGroupListCtrl.h"
#include "mainwindow/CatalogScan.h"
#include "mainwindow/ClipExportFlow.h"
#include "mainwindow/EventCountFlow.h"
#include "mainwindow/FileOpsController.h"
#include "mainwindow/MprisBridge.h"
#include "map/HtmlMapDlg.h"
#include "platform/qt/WindowMessage.h"
#include "player/VlcEventTypes.h"

namespace {

const QColor kBackground(5, 5, 5);
const QColor kGripColor(150, 150, 150);

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

}  // namespace

CZELDlg::CZELDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      m_channel1Adapter(m_channel1, nullptr),
      m_channel2Adapter(m_channel2, nullptr),
      m_catalogAdapter(m_catalog) {
  m_playback = std::make_unique<PlaybackController>(
      m_channel1Adapter, m_channel2Adapter, m_catalogAdapter, static_cast<IPlaybackView&>(*this),
      PlaybackShared{m_target1.pendingSeekMs, m_target1.busy});
  m_mapProvider = GetSettings().GetMapProvider();

  setWindowTitle(m_title);
  setWindowIcon(QIcon(ImageResourcePath(kIconApp)));
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kBackground);
  setPalette(pal);
  setAutoFillBackground(true);
  setAcceptDrops(true);
  setMouseTracking(true);
  setMinimumSize(kMinWindowWidth / 2, kMinWindowHeight / 2);

  CreateControls();
  SetupControls();
  // The seek slider has nothing to seek in until a recording plays or
  // pauses; with nothing loaded or after Stop its dot stays put.
  m_seekSlider->SetInputGate(
      [this] { return m_channel1.HasMedia() && (m_channel1.IsPlaying() || m_channel1.IsPaused()); });
  // Remote control over the session bus (media keys, desktop widgets).
  m_mpris = new MprisBridge(*this);
  m_clipExport = new ClipExportFlow(*this);
  // Event counts follow every load: a folder scan's end, or one file.
  m_eventCounts = std::make_unique<EventCountFlow>(m_catalog, *m_groupList, *m_fileList);
  connect(this, &CZELDlg::ScanEnded, m_eventCounts.get(), &EventCountFlow::Start);
  m_setUp = true;
}

CZELDlg::~CZELDlg() {
  // The library may call back until the players are released; make sure
  // nothing reaches a half-destroyed window.
  for (auto& [id, timer] : m_timers) timer.stop();
  m_channel1.Stop();
  m_channel2.Stop();
  m_target1.window = nullptr;
  m_target2.window = nullptr;
  m_catalog.Attach(nullptr, nullptr, nullptr, nullptr, nullptr);
}

QWidget* CZELDlg::Control(int id) const {
  switch (id) {
    case kIdVideo1: return m_surface1;
    case kIdVideo2: return m_surface2;
    case kIdPanel1: return m_panel1;
    case kIdPanel2: return m_panel2;
    case kIdGSensor: return m_gsensor;
    case kIdMapArea: return m_map;
    case kIdSeek: return m_seekSlider;
    case kIdVolume: return m_volumeSlider;
    case kIdGps: return m_gpsIndicator;
    case kIdCompass: return m_compass;
    case kIdSpeed: return m_speed;
    case kIdProgress: return m_progress;
    case kIdGroupList: return m_groupList;
    case kIdFileList: return m_fileList;
    default: break;
  }
  const auto it = m_buttons.find(id);
  return it == m_buttons.end() ? nullptr : static_cast<QWidget*>(it->second);
}

// ------------------------------------------------------- message dispatch

bool CZELDlg::event(QEvent* e) {
  if (WindowMessage::IsWindowMessage(e)) {
    OnWindowMessage(*static_cast<WindowMessage*>(e));
    e->accept();
    return true;
  }
  return QDialog::event(e);
}

// What the players' callback threads hand to the window thread.
void CZELDlg::OnWindowMessage(const WindowMessage& msg) {
  const auto w = msg.WParam();
  if (msg.Message() == WM_PLAYER_ERROR) return ShowPlayerError();
  // Stragglers of the channels stopped for the scan find no catalogue to
  // act on.
  if (m_scanning) return;
  switch (msg.Message()) {
    case WM_PLAYER_STATE: m_playback->OnPlayerState(static_cast<int>(w)); break;
    case WM_PLAYER_TIME: m_playback->OnPlayerTime(static_cast<std::int64_t>(w)); break;
    case WM_PLAYER_END: m_playback->OnPlayerEnd(); break;
    case WM_SECOND_END: m_playback->OnSecondEnd(); break;
    default: break;
  }
}

// Channel 2's events: its end as the channel's own handler reports it, and
// its time events, which tell that a picture is up (a channel sent back to
// its start is paused then).
void CZELDlg::OnSecondChannelEvent(const libvlc_event_t* event, void* owner) {
  if (!owner) return;
  auto& target = *static_cast<PlayerEventTarget*>(owner);
  const int type = VlcEventTypeOf(event);
  HandleSecondPlayerEvent(target, type);
  if (type != kVlcTimeChanged || !target.window) return;
  QObject* window = target.window;
  QMetaObject::invokeMethod(
      window, [window] { static_cast<CZELDlg*>(window)->OnSecondChannelPicture(); },
      Qt::QueuedConnection);
}

void CZELDlg::OnSecondChannelPicture() { m_playback->OnSecondPlaying(); }

void CZELDlg::ShowPlayerError() {
  // Not modal in the blocking sense: the library keeps posting events.
  auto* box = new QMessageBox(QMessageBox::NoIcon, m_title, Localized(kStrPlayerError), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void CZELDlg::OnMapProviderChanged(int provider) {
  m_mapProvider = std::clamp(provider, 0, 2);
  if (m_map) m_map->SetProvider(m_mapProvider);
}

void CZELDlg::OnLanguageChanged() {
  m_groupList->RetitleColumns();
  m_fileList->RetitleColumns();
  BuildTooltips();
}

// ------------------------------------------------------------------ timers

void CZELDlg::StartTimer(int id, int intervalMs) { m_timers[id].start(intervalMs, this); }

void CZELDlg::StopTimer(int id) {
  const auto it = m_timers.find(id);
  if (it != m_timers.end()) it->second.stop();
}

void CZELDlg::timerEvent(QTimerEvent* e) {
  for (auto& [id, timer] : m_timers) {
    if (timer.timerId() != e->timerId()) continue;
    if (id == kTimerShiftKey) {
      // After entering full screen the window takes the keyboard, so the
      // shortcuts work at once.
      StopTimer(kTimerShiftKey);
      activateWindow();
      setFocus();
      return;
    }
    if (!m_scanning) m_playback->OnTimer(id);
    return;
  }
  QDialog::timerEvent(e);
}

// ------------------------------------------------------------------- shell

void CZELDlg::UpdateWindowShape(int cx, int cy) {
  if (cx <= 0 || cy <= 0) return;
  if (m_fullScreen) {
    setMask(QRegion(0, 0, cx, cy));
    return;
  }
  QPainterPath rounded;
  rounded.addRoundedRect(QRectF(0, 0, cx, cy), 5, 5);
  QRegion region(rounded.toFillPolygon().toPolygon());
  // The top-left corner gets a larger arc: the part of the 30 x 30 corner
  // square outside the circle inscribed in (0, 0)-(60, 60) is cut away.
  const QRegion corner(0, 0, 30, 30);
  const QRegion circle(0, 0, 60, 60, QRegion::Ellipse);
  region = region.subtracted(corner.subtracted(circle));
  setMask(region);
}

void CZELDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (isMinimized()) {
    const QPixmap icon = windowIcon().pixmap(32, 32);
    p.drawPixmap((width() - icon.width()) / 2, (height() - icon.height()) / 2, icon);
    return;
  }
  p.setPen(QPen(kGripColor, 1));
  const int cx = width(), cy = height();
  for (int d : {25, 20, 15, 10}) p.drawLine(cx - d, cy, cx, cy - d);
  if (!m_fullScreen) DrawTitleText(p, m_title, 8, 8, kTitleSize);
}

void CZELDlg::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  const int cx = width(), cy = height();
  if (cx == 0 || cy == 0) return;
  const bool changed = cx != m_clientWidth || cy != m_clientHeight;
  m_clientWidth = cx;
  m_clientHeight = cy;
  UpdateWindowShape(cx, cy);
  if (!m_setUp) return;
  if (changed) {
    if (m_fullScreen)
      LayoutFullScreen();
    else
      LayoutControls();
  }
  if (m_reshowAfterMinimize) {
    m_reshowAfterMinimize = false;
    ShowSurface(1, !m_panel1 || !PanelShowsLogo(1));
    ShowSurface(2, !m_panel2 || !PanelShowsLogo(2));
  }
  update();
}

void CZELDlg::keyPressEvent(QKeyEvent* e) {
  // Escape never closes the window; in full screen it leaves full screen.
  if (e->key() == Qt::Key_Escape) {
    if (m_fullScreen) ToggleFullScreen(QPoint(-1, -1));
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void CZELDlg::SaveWindowPosition() {
  // Maximised and full screen are modes, not positions: the normal
  // rectangle is what the next start should restore.
  const QRect r = (m_fullScreen || m_maximized) && m_savedNormal.isValid() ? m_savedNormal
                                                                          : geometry();
  GetSettings().SaveWindowPos(WindowRect{r.left(), r.top(), r.left() + r.width(),
                                         r.top() + r.height()});
}

void CZELDlg::reject() {
  // The cancel command: channel 1 stops and the position is kept, but the
  // window stays open.
  m_channel1.Stop();
  SaveWindowPosition();
}

void CZELDlg::closeEvent(QCloseEvent* e) {
  CancelScan();
  m_eventCounts->Cancel();
  m_channel1.Stop();
  SaveWindowPosition();
  e->accept();
  done(QDialog::Rejected);
}

// ------------------------------------------------------------------- mouse

void CZELDlg::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QDialog::mousePressEvent(e);
  const QPoint pos = e->position().toPoint();
  m_drag = HitTestDrag(m_layout, width(), height(), pos.x(), pos.y());
  if (m_drag == DragKind::kGrip && (m_maximized || m_fullScreen)) m_drag = DragKind::kNone;
  if (m_drag != DragKind::kNone) {
    grabMouse();
    return;
  }
  // Anywhere else on the window's own surface the press moves the window,
  // as a press on a caption would.
  if (m_maximized || m_fullScreen) return;
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  m_movingWindow = true;
  m_moveOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CZELDlg::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (m_movingWindow) {
    move(e->globalPosition().toPoint() - m_moveOffset);
    return;
  }
  switch (m_drag) {
    case DragKind::kGrip:
      resize(std::max(pos.x(), kMinWindowWidth), std::max(pos.y(), kMinWindowHeight));
      m_maximized = false;
      setCursor(Qt::SizeFDiagCursor);
      return;
    case DragKind::kMapHeight:
    case DragKind::kListHeight:
    case DragKind::kChartHeight:
    case DragKind::kColumnWidth:
      ApplySplitterDrag(m_drag, width(), height(), pos.x(), pos.y(), m_layoutIn);
      setCursor(m_drag == DragKind::kColumnWidth ? Qt::SizeHorCursor : Qt::SizeVerCursor);
      LayoutControls();
      return;
    case DragKind::kNone:
      break;
  }
  // Without a drag the cursor tells what a press would start.
  switch (HitTestDrag(m_layout, width(), height(), pos.x(), pos.y())) {
    case DragKind::kGrip: setCursor(Qt::SizeFDiagCursor); break;
    case DragKind::kMapHeight:
    case DragKind::kListHeight:
    case DragKind::kChartHeight: setCursor(Qt::SizeVerCursor); break;
    case DragKind::kColumnWidth: setCursor(Qt::SizeHorCursor); break;
    case DragKind::kNone: setCursor(Qt::ArrowCursor); break;
  }
}

void CZELDlg::mouseReleaseEvent(QMouseEvent* e) {
  m_movingWindow = false;
  if (m_drag == DragKind::kNone) return QDialog::mouseReleaseEvent(e);
  const QPoint pos = e->position().toPoint();
  if (m_drag == DragKind::kGrip)
    resize(std::max(pos.x(), kMinWindowWidth), std::max(pos.y(), kMinWindowHeight));
  m_drag = DragKind::kNone;
  releaseMouse();
  LayoutControls();
}

void CZELDlg::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pos = e->position().toPoint();
  // A double click on a splitter or the grip is part of a drag.
  if (HitTestDrag(m_layout, width(), height(), pos.x(), pos.y()) != DragKind::kNone) return;
  ToggleMaximize();
}

// ------------------------------------------------------------------- drops

void CZELDlg::dragEnterEvent(QDragEnterEvent* e) {
  const auto urls = e->mimeData()->urls();
  if (!urls.isEmpty() && urls.front().isLocalFile()) e->acceptProposedAction();
}

void CZELDlg::dropEvent(QDropEvent* e) {
  const auto urls = e->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  e->acceptProposedAction();
  const QString path = urls.front().toLocalFile();
  // Let the drag end before the scan starts.
  QMetaObject::invokeMethod(this, [this, path] { OpenMediaPath(path); }, Qt::QueuedConnection);
}
