#include "mainwindow/MprisBridge.h"

#include <QDateTime>
#include <QString>

#include <cstdlib>

#include "mainwindow/ZELDlg.h"
#include "mpris/MprisService.h"
#include "player/CVlcPlayer.h"

namespace {
constexpr int kPollMs = 250;
// A position further than this from where playing on would have taken it
// is a seek, which clients are told about.
constexpr std::int64_t kJumpMs = 1000;
}  // namespace

MprisBridge::MprisBridge(CZELDlg& window) : QObject(&window), m_window(window) {
  m_service = new MprisService(*this, this);
  if (!m_service->IsActive()) return;
  connect(&m_poll, &QTimer::timeout, this, &MprisBridge::Poll);
  m_poll.start(kPollMs);
}

MprisBridge::~MprisBridge() = default;

MprisState MprisBridge::State() {
  PlaybackController& playback = m_window.Playback();
  MprisState state;
  state.path = playback.CurrentPath();
  const bool open = !state.path.empty() && playback.CurrentRecording() >= 0;
  if (!open) state.path.clear();
  if (playback.IsPlaying())
    state.status = MprisStatus::Playing;
  else if (open && m_window.Channel(1).IsPaused())
    state.status = MprisStatus::Paused;
  state.lengthUs = std::max<std::int64_t>(playback.LengthMs(), 0) * 1000;
  state.positionUs = std::max<std::int64_t>(playback.PositionMs(), 0) * 1000;
  state.track = open ? playback.CurrentRecording() : -1;
  state.rate = playback.RateValue();
  state.companionPath = playback.CompanionPath();
  state.companionPositionUs = std::max<std::int64_t>(playback.CompanionPositionMs(), 0) * 1000;
  state.drive = playback.CurrentDrive();
  state.drivePositionUs = std::max<std::int64_t>(playback.DrivePositionMs(), 0) * 1000;
  state.driveLengthUs = playback.DriveLengthMs() * 1000;
  return state;
}

void MprisBridge::Play() {
  if (!m_window.Playback().IsPlaying()) m_window.Playback().PlayPause();
}

void MprisBridge::Pause() {
  if (m_window.Playback().IsPlaying()) m_window.Playback().PlayPause();
}

void MprisBridge::PlayPause() { m_window.Playback().PlayPause(); }
void MprisBridge::Stop() {
  m_window.CancelScan();
  m_window.Playback().Stop();
}
void MprisBridge::Next() { m_window.Playback().NextRecording(); }
void MprisBridge::Previous() { m_window.Playback().PreviousRecording(); }

void MprisBridge::SeekTo(std::int64_t positionMs) {
  PlaybackController& playback = m_window.Playback();
  const std::int64_t driveMs = playback.Layout().DriveMsOf(playback.CurrentRecording(), positionMs);
  if (driveMs < 0) return;
  playback.SeekDrive(driveMs);
  m_service->EmitSeeked(positionMs * 1000);
  m_lastPositionMs = positionMs;
  m_lastPollMs = QDateTime::currentMSecsSinceEpoch();
}

void MprisBridge::Seek(std::int64_t offsetUs) {
  SeekTo(std::max<std::int64_t>(m_window.Playback().PositionMs(), 0) + offsetUs / 1000);
}

void MprisBridge::SetPosition(int track, std::int64_t positionUs) {
  if (track != m_window.Playback().CurrentRecording()) return;
  SeekTo(positionUs / 1000);
}

void MprisBridge::OpenPath(const std::string& utf8Path) {
  m_window.OpenMediaPath(QString::fromStdString(utf8Path));
}

void MprisBridge::SetRate(double rate) { m_window.Playback().SetRate(rate); }

void MprisBridge::Raise() {
  m_window.showNormal();
  m_window.raise();
  m_window.activateWindow();
}

void MprisBridge::Quit() { m_window.close(); }

void MprisBridge::Poll() {
  PlaybackController& playback = m_window.Playback();
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  const std::int64_t position = playback.PositionMs();
  const int track = playback.CurrentRecording();
  if (track == m_lastTrack && m_lastPositionMs >= 0 && position >= 0) {
    const double expected = m_lastPositionMs + (playback.IsPlaying() ? (now - m_lastPollMs) * playback.RateValue() : 0);
    if (std::abs(static_cast<double>(position) - expected) > kJumpMs) m_service->EmitSeeked(position * 1000);
  }
  m_lastPositionMs = position;
  m_lastPollMs = now;
  m_lastTrack = track;
  m_service->Changed();
}
