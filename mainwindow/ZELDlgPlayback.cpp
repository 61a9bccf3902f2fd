#include <QThread>

#include "controls/DriveTimeline.h"
#include "controls/GSensorCtrl.h"
#include "controls/GdipButton.h"
#include "controls/PngStatic.h"
#include "controls/SpeedLabelStatic.h"
#include "controls/VideoSlider.h"
#include "controls/VideoStatic.h"
#include "controls/VideoStaticBg.h"
#include "map/HtmlMapDlg.h"
#include "mainwindow/ZELDlg.h"
#include "mainwindow/core/DriveEvents.h"

// The window side of playback: panels, surfaces, buttons, sliders and the
// instruments, as the playback controller asks for them.

namespace {
// Edge kept free around a picture inside its panel outside full screen.
constexpr int kEdge = 2;
}  // namespace

bool CZELDlg::HasSurface(int channel) { return VideoSurface(channel) != nullptr; }

bool CZELDlg::PanelShowsLogo(int channel) {
  CVideoStaticBg* panel = VideoPanel(channel);
  return panel && panel->GetVariant() == 1;
}

void CZELDlg::SetPanelVariant(int channel, int variant) {
  if (CVideoStaticBg* panel = VideoPanel(channel)) panel->SetVariant(variant);
}

void CZELDlg::ShowSurface(int channel, bool show) {
  CVideoStatic* surface = VideoSurface(channel);
  if (!surface) return;
  // In full screen only the selected surface is on screen.
  if (show && m_fullScreen && channel != m_fullScreenSelection) return;
  surface->setVisible(show);
  if (show) surface->raise();
}

void CZELDlg::SetPlayButtonFace(int face) {
  CGdipButton* play = m_buttons[kIdPlay];
  play->SetImageType(face ? CGdipButton::kAlternate : CGdipButton::kNormal);
  play->update();
}

void CZELDlg::SetSeekPosition(int position) { m_seekSlider->setValue(position); }

void CZELDlg::OnSeekSliderMoved(int position) {
  // The user's hand wins over the playing position, and a paused channel
  // (e.g. waiting on its first picture) keeps the slider where playback
  // control put it; after Stop a late time event leaves it at the start.
  if (m_seekSlider->IsDragging() || !m_channel1.IsPlaying()) return;
  m_seekSlider->setValue(position);
}

void CZELDlg::SetGSensorPosition(int ms) { m_gsensor->SetPosition(ms); }

void CZELDlg::SetGSensorInactive(bool inactive) { m_gsensor->SetInactive(inactive); }

void CZELDlg::SetGpsIndicator(int state) {
  m_gpsIndicator->SetActive(state != 0);
  m_gpsIndicator->update();
}

void CZELDlg::InitMap() {
  if (m_map) m_map->InitMap(0, 0);
}

void CZELDlg::SettleAfterStop() { QThread::msleep(200); }

void CZELDlg::ClearInstruments() {
  m_instrumentSink.SetSpeed(0, false);
  m_instrumentSink.SetCompassImage(0);
  SetGpsIndicator(0);
}

void CZELDlg::ShowDrive(int, const DriveLayout& layout) {
  WireMapDrive();
  // The telemetry the layout read serves the route and the events as well;
  // it is let go once they are made.
  DriveTelemetry& telemetry = m_catalogAdapter.DriveSeries();
  m_mapDrive.Show(MakeDriveTrack(layout, telemetry));
  if (m_timeline) {
    m_timeline->SetLayout(layout);
    m_timeline->SetEvents(DriveEventPositions(layout, telemetry));
    m_eventPiece = -1;
  }
  telemetry.Clear();
}

void CZELDlg::SetDrivePosition(std::int64_t driveMs) {
  m_mapDrive.SetPosition(driveMs);
  if (!m_timeline) return;
  m_timeline->SetPosition(driveMs);
  // The chart marks the events of the recording now playing.
  const DriveTimelineModel& model = m_timeline->Model();
  const int piece = model.Layout().PieceAt(driveMs);
  if (piece == m_eventPiece || !m_gsensor) return;
  m_eventPiece = piece;
  m_gsensor->SetEventMarks(PieceEventOffsets(model.Layout(), model.Events(), piece));
}

// The map shows the playing drive: a click on its route seeks the drive
// there, hovering tells the clock time and speed in the speed display's
// unit. Connected once, when the first drive is shown.
void CZELDlg::WireMapDrive() {
  if (!m_map || m_mapDrive.Map() == m_map) return;
  m_mapDrive.SetMap(m_map);
  m_map->SetPointInfoSource([this](int index) { return m_mapDrive.PointInfo(index); });
  connect(m_map, &CHtmlMapDlg::PointClicked, this, [this](int index) {
    const std::int64_t driveMs = m_mapDrive.DriveMsOf(index);
    if (driveMs >= 0) m_playback->SeekDrive(driveMs);
  });
  if (!m_speed) return;
  m_mapDrive.SetMph(!m_speed->IsKmh());
  connect(m_speed, &CSpeedLabelStatic::UnitChanged, this,
          [this](bool kmh) { m_mapDrive.SetMph(!kmh); });
}

void CZELDlg::OnMuteButton() { m_playback->SetMute(m_buttons[kIdMute]->IsAlternate()); }

void CZELDlg::FitVideoSurfaces() {
  if (!m_panel1 || !m_panel2) return;
  // A recording of another shape lays the window out anew for it.
  if (m_setUp && !m_fullScreen && PictureShapeChanged()) return LayoutControls();
  auto rect = [](QWidget* w) {
    const QRect g = w->geometry();
    return LayoutRect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
  };
  LayoutRect r1 = rect(m_panel1), r2 = rect(m_panel2);
  if (!m_fullScreen) {
    for (LayoutRect* r : {&r1, &r2}) {
      r->left += kEdge;
      r->top += kEdge;
      r->right -= kEdge;
      r->bottom -= kEdge;
    }
  }
  int vw = 0, vh = 0;
  if (m_catalogAdapter.CurrentPictureSize(vw, vh)) {
    const LayoutRect reference = r1;
    r1 = FitPictureRect(reference, vw, vh);
    r2 = FitLikeReference(reference, r2, vw, vh);
  }
  const auto place = [](QWidget* w, const LayoutRect& r) {
    w->setGeometry(r.left, r.top, std::max(r.Width(), 1), std::max(r.Height(), 1));
  };
  if (!m_fullScreen || m_fullScreenSelection == 1) place(m_surface1, r1);
  if (!m_fullScreen || m_fullScreenSelection == 2) place(m_surface2, r2);
}
