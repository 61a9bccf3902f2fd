#include "mainwindow/core/PlaybackController.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
constexpr int kBusyTimeoutMs = 100000;
constexpr int kMarqueeIntervalMs = 300;
constexpr int kDefaultMarqueeSize = 48;
constexpr int kSyncIntervalMs = 50;
// After a seek the library reports the old time for a while; corrections
// wait until the new one is in.
constexpr std::int64_t kHoldAfterSeekMs = 700;
// Near its end channel 2 is left alone: it may simply be the shorter file.
constexpr std::int64_t kSecondEndMarginMs = 500;
// A rear recording that ends this close to the end of the front one keeps
// its last picture until the front's end brings the next pair.
constexpr std::int64_t kRearHoldMs = 1500;

std::int64_t SteadyNowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

PlaybackController::PlaybackController(IPlayerChannel& first, IPlayerChannel& second,
                                       IPlaybackCatalog& catalog, IPlaybackView& view,
                                       PlaybackShared shared)
    : m_first(first),
      m_second(second),
      m_catalog(catalog),
      m_view(view),
      m_shared(shared),
      m_findCompanion(FindCompanionFile),
      m_now(SteadyNowMs) {}

// ---------------------------------------------------------------- starting

void PlaybackController::BeginBusy() {
  m_shared.busy.store(1);
  m_view.StartTimer(kTimerBusy, kBusyTimeoutMs);
}

void PlaybackController::EndBusy() {
  m_shared.busy.store(0);
  m_view.StopTimer(kTimerBusy);
}

void PlaybackController::ShowChannelSurface(int channel) {
  if (!m_view.PanelShowsLogo(channel)) return;
  m_view.SetPanelVariant(channel, 0);
  m_view.ShowSurface(channel, true);
}

int PlaybackController::StartEntry(StartTrigger trigger, int index) {
  const bool fromList = trigger == StartTrigger::kFile || trigger == StartTrigger::kGroup;
  if (fromList) {
    if (index == -1) return 0;
    if (IsBusy()) return 0;
    m_first.Stop();
    m_second.Stop();
    m_pauseOnPlay[0] = m_pauseOnPlay[1] = false;
    m_view.SettleAfterStop();
    if (trigger == StartTrigger::kFile) {
      if (!m_catalog.Select(index)) return 0;
    } else {
      if (!m_catalog.SelectGroupFirst(index)) return 0;
      index = m_catalog.CurrentIndex();
      if (index == -1) return 0;
    }
    BeginBusy();
  }
  if (trigger != StartTrigger::kEndOfFile) ShowChannelSurface(1);
  // A countdown or end-of-file start names an entry the catalogue may no
  // longer hold (a delete in between); such a start does nothing.
  if (!m_catalog.Select(index)) return 0;
  const bool initMap = trigger == StartTrigger::kGroup || trigger == StartTrigger::kCountdown;
  OpenAndPlayFirst(index, initMap, true);
  return 1;
}

void PlaybackController::OpenAndPlayFirst(int index, bool initMap, bool marquee) {
  m_pauseOnPlay[0] = false;
  m_catalog.LoadTelemetry(index);
  m_currentPath = m_catalog.PathOf(index);
  FollowDrive(index);
  m_first.Open(m_currentPath);
  m_view.FitVideoSurfaces();
  if (initMap) m_view.InitMap();
  m_first.Play();
  if (marquee) StartMarquee();
  StartSecondChannel(m_currentPath);
  PrepareNext();
}

// The recording after the current one (and its rear) is readied while the
// current one plays, so the switch at its end opens a file already parsed
// and in the page cache.
void PlaybackController::PrepareNext() {
  const int next = m_catalog.NextIndex();
  if (next < 0) return;
  m_first.Prepare(m_catalog.PathOf(next));
  const std::string companion = m_catalog.CompanionPathOf(next);
  if (!companion.empty() && m_view.HasSurface(2)) m_second.Prepare(companion);
}

// Keeps the drive's layout and the timeline on the drive of `index`.
void PlaybackController::FollowDrive(int index) {
  const int drive = m_catalog.DriveOf(index);
  if (drive != m_drive || m_layout.PieceOf(index) < 0) {
    m_drive = drive;
    m_layout = drive >= 0 ? m_catalog.LayoutOfDrive(drive) : DriveLayout{};
    m_view.ShowDrive(m_drive, m_layout);
  }
  m_view.SetDrivePosition(std::max<std::int64_t>(m_layout.DriveMsOf(index, 0), 0));
  ResetClocks(0);
  m_view.StartTimer(kTimerSync, kSyncIntervalMs);
}

void PlaybackController::StartSecondChannel(const std::string& firstPath) {
  m_pauseOnPlay[1] = false;
  m_companionPath.clear();
  if (!m_view.HasSurface(2)) {
    m_second.Close();
    return;
  }
  // The catalogue pairs the cameras of a card; a file opened on its own has
  // nothing to pair with there, so its companion is looked for beside it.
  std::string companion = m_catalog.CompanionPathOf(m_catalog.CurrentIndex());
  if (companion.empty() && m_catalog.Count() == 1) companion = m_findCompanion(firstPath);
  if (companion.empty()) {
    m_second.Close();
    // No rear recording for this minute: the panel shows its logo.
    if (!m_view.PanelShowsLogo(2)) {
      m_view.SetPanelVariant(2, 1);
      m_view.ShowSurface(2, false);
    }
    return;
  }
  m_companionPath = companion;
  ShowChannelSurface(2);
  m_second.BindSurface();
  m_second.Open(companion);
  SetSecondRate(Rate());
  m_second.Play();
}

void PlaybackController::ArmCountdown(int index, int ticks) {
  m_nextIndex = index;
  m_startCountdown = ticks;
}

void PlaybackController::PrepareOpen() {
  m_shared.pendingSeekMs.store(PlaybackShared::kNoSeek);
  m_first.Stop();
  m_second.Stop();
  m_pauseOnPlay[0] = m_pauseOnPlay[1] = false;
  m_startCountdown = 0;
  m_nextIndex = -1;
  m_rateIndex = kNormalRateIndex;
  ApplyRate();
}

void PlaybackController::StartOpenedFirst() {
  if (!m_catalog.Select(0)) return;
  m_catalog.LoadTelemetry(0);
  m_currentPath = m_catalog.CurrentPath();
  FollowDrive(0);
  m_pauseOnPlay[0] = false;
  m_first.Open(m_currentPath);
  ShowChannelSurface(1);
  m_view.SetPlayButtonFace(1);
  m_view.FitVideoSurfaces();
  m_first.Play();
  StartSecondChannel(m_currentPath);
  PrepareNext();
}

// --------------------------------------------------------------- transport

void PlaybackController::PlayPause() {
  m_shared.pendingSeekMs.store(PlaybackShared::kNoSeek);
  m_view.SetGSensorInactive(false);
  if (m_catalog.Count() == 0) {
    m_view.SetPlayButtonFace(0);
    return;
  }
  // Channel 1 decides for both, so the two can never end up one playing
  // and one paused.
  if (m_first.IsPlaying()) {
    m_first.Pause();
    m_second.Pause();
    return;
  }
  ShowChannelSurface(1);
  m_first.Play();
  StartMarquee();
  if (!m_companionPath.empty()) ShowChannelSurface(2);
  m_second.Play();
  ResetClocks(0);
}

bool PlaybackController::HoldForDialog() {
  const bool wasPlaying = m_first.IsPlaying();
  if (!wasPlaying) return false;
  m_first.Pause();
  m_second.Pause();
  return true;
}

void PlaybackController::ResumeAfterHold(bool wasPlaying) {
  if (!wasPlaying) return;
  m_first.Play();
  m_second.Play();
  ResetClocks(0);
}

void PlaybackController::Stop() {
  m_shared.pendingSeekMs.store(PlaybackShared::kNoSeek);
  m_pauseOnPlay[0] = m_pauseOnPlay[1] = false;
  m_view.SetPlayButtonFace(0);
  m_first.Stop();
  m_second.Stop();
  m_view.StopTimer(kTimerSync);
  m_rateIndex = kNormalRateIndex;
  ApplyRate();
  m_view.SetSeekPosition(0);
  m_view.SetGSensorPosition(0);
  m_view.SetGSensorInactive(true);
  m_view.ClearInstruments();
  for (int channel = 1; channel <= 2; ++channel) {
    if (m_view.PanelShowsLogo(channel)) continue;
    m_view.SetPanelVariant(channel, 1);
    m_view.ShowSurface(channel, false);
  }
}

void PlaybackController::ApplyRate() {
  m_first.SetRate(static_cast<float>(Rate()));
  SetSecondRate(Rate());
  ResetClocks(0);
}

void PlaybackController::SetSecondRate(double rate) {
  m_second.SetRate(static_cast<float>(rate));
  m_secondRate = rate;
  m_nudged = rate != Rate();
}

void PlaybackController::SetRate(double rate) {
  int best = kNormalRateIndex;
  for (int i = 0; i < kPlaybackRateCount; ++i) {
    if (std::abs(kPlaybackRates[i].rate - rate) < std::abs(kPlaybackRates[best].rate - rate)) best = i;
  }
  if (best == m_rateIndex) return;
  m_rateIndex = best;
  ApplyRate();
  ShowRateMarquee();
}

void PlaybackController::Faster() {
  m_rateIndex = std::min(m_rateIndex + 1, kPlaybackRateCount - 1);
  ApplyRate();
  ShowRateMarquee();
}

void PlaybackController::Slower() {
  m_rateIndex = std::max(m_rateIndex - 1, 0);
  ApplyRate();
  ShowRateMarquee();
}

void PlaybackController::SetMute(bool on) { m_first.SetMute(on ? 1 : 0); }

void PlaybackController::SetVolume(int volume) { m_first.SetVolume(std::clamp(volume, 0, 100)); }

void PlaybackController::RequestSeek(int position, bool showTelemetry) {
  const std::int64_t length = m_first.GetLength();
  // Without a known length there is nothing to seek in.
  if (length <= 0) return;
  const std::int64_t target = (length / 1000) * std::clamp(position, 0, 1000);
  m_shared.pendingSeekMs.store(target);
  if (showTelemetry) m_view.SetGpsIndicator(m_catalog.SyncToTime(target, m_mapEnabled));
}

void PlaybackController::SeekRelative(std::int64_t deltaMs) {
  const std::int64_t length = m_first.GetLength();
  if (length <= 0) return;
  std::int64_t from = m_shared.pendingSeekMs.load();
  if (from == PlaybackShared::kNoSeek) from = std::max<std::int64_t>(m_first.GetTime(), 0);
  const std::int64_t target = std::clamp<std::int64_t>(from + deltaMs, 0, length - 1);
  m_shared.pendingSeekMs.store(target);
  m_view.SetSeekPosition(static_cast<int>(target * 1000 / length));
  m_view.SetGpsIndicator(m_catalog.SyncToTime(target, m_mapEnabled));
}

void PlaybackController::SeekDrive(std::int64_t driveMs) {
  const int piece = m_layout.PieceAt(driveMs);
  if (piece < 0) return;
  const DrivePiece& p = m_layout.pieces[piece];
  const std::int64_t offset = std::clamp<std::int64_t>(driveMs - p.startMs, 0, p.durationMs);
  if (p.entry != m_catalog.CurrentIndex()) StartWithinDrive(p.entry);
  m_shared.pendingSeekMs.store(offset);
  m_view.SetDrivePosition(p.startMs + offset);
  m_view.SetGpsIndicator(m_catalog.SyncToTime(offset, m_mapEnabled));
}

void PlaybackController::StartWithinDrive(int index) {
  if (!m_catalog.Select(index)) return;
  ShowChannelSurface(1);
  OpenAndPlayFirst(index, false, false);
}

void PlaybackController::NextRecording() {
  const int piece = m_layout.PieceOf(m_catalog.CurrentIndex());
  if (piece >= 0 && piece + 1 < static_cast<int>(m_layout.pieces.size())) {
    StartWithinDrive(m_layout.pieces[piece + 1].entry);
    return;
  }
  NextDrive();
}

void PlaybackController::PreviousRecording() {
  const int piece = m_layout.PieceOf(m_catalog.CurrentIndex());
  if (piece > 0) {
    StartWithinDrive(m_layout.pieces[piece - 1].entry);
    return;
  }
  m_shared.pendingSeekMs.store(0);
}

void PlaybackController::NextDrive() {
  if (m_drive + 1 < m_catalog.DriveCount()) StartEntry(StartTrigger::kGroup, m_drive + 1);
}

void PlaybackController::PreviousDrive() {
  if (m_drive > 0) StartEntry(StartTrigger::kGroup, m_drive - 1);
}

std::int64_t PlaybackController::PositionMs() {
  m_clock1.Observe(m_first.GetTime(), m_now());
  return m_clock1.Estimate(m_now(), Rate(), m_first.IsPlaying());
}

std::int64_t PlaybackController::CompanionPositionMs() {
  if (m_companionPath.empty()) return -1;
  m_clock2.Observe(m_second.GetTime(), m_now());
  return m_clock2.Estimate(m_now(), m_secondRate, m_second.IsPlaying());
}

std::int64_t PlaybackController::DrivePositionMs() {
  const std::int64_t position = PositionMs();
  return m_layout.DriveMsOf(m_catalog.CurrentIndex(), std::max<std::int64_t>(position, 0));
}

// ----------------------------------------------------------------- marquee

int PlaybackController::MarqueeSize() {
  int width = 0, height = 0;
  if (m_catalog.CurrentIndex() >= 0 && m_catalog.CurrentPictureSize(width, height) && height != 0)
    return static_cast<int>(height * 0.1);
  return kDefaultMarqueeSize;
}

void PlaybackController::ShowRateMarquee() {
  const PlaybackRate& rate = kPlaybackRates[m_rateIndex];
  const int size = MarqueeSize();
  const int enable = rate.rate != 1.0 ? 1 : 0;
  m_first.SetMarquee(0, 0, rate.label, size, 255, kMarqueeColor, -1, enable);
  m_second.SetMarquee(0, 0, rate.label, size, 255, kMarqueeColor, -1, enable);
}

void PlaybackController::StartMarquee() {
  ShowRateMarquee();
  m_marqueeRepeats = kMarqueeRepeats;
  m_view.StartTimer(kTimerMarquee, kMarqueeIntervalMs);
}

// ------------------------------------------------------ events and timers

void PlaybackController::OnPlayerTime(std::int64_t ms) {
  if (m_pauseOnPlay[0]) {
    m_pauseOnPlay[0] = false;
    m_first.Pause();
  }
  // The event carries the time the moment it changed: the best anchor.
  m_clock1.Observe(ms, m_now());
  const std::int64_t driveMs = m_layout.DriveMsOf(m_catalog.CurrentIndex(), ms);
  if (driveMs >= 0) m_view.SetDrivePosition(driveMs);
  m_view.SetGpsIndicator(m_catalog.SyncToTime(ms, m_mapEnabled));
}

void PlaybackController::OnPlayerState(int state) {
  if (state == 1 || state == 4) m_view.SetPlayButtonFace(0);
  if (state == 2 || state == 3) m_view.SetPlayButtonFace(1);
}

void PlaybackController::ShowFirstPicture(IPlayerChannel& channel, int slot) {
  channel.Stop();
  channel.Play();
  m_pauseOnPlay[slot] = true;
}

void PlaybackController::OnPlayerEnd() {
  // A file sent back to its start that ends again before showing a single
  // picture would otherwise restart for ever.
  if (m_pauseOnPlay[0]) {
    m_pauseOnPlay[0] = false;
    return;
  }
  // A drive plays through; auto-play also carries on into the next drive.
  const int next = m_catalog.NextIndex();
  const int current = m_catalog.CurrentIndex();
  const bool sameDrive = next != -1 && m_catalog.DriveOf(next) == m_catalog.DriveOf(current);
  if (sameDrive) {
    StartEntry(StartTrigger::kEndOfFile, next);
    return;
  }
  if (next != -1 && m_autoPlayNext) {
    StartEntry(StartTrigger::kEndOfFile, next);
    m_view.InitMap();
    return;
  }
  ReturnToDriveStart();
}

// The drive (or the card) played to its end: back to the drive's first
// recording, both channels waiting on their first picture.
void PlaybackController::ReturnToDriveStart() {
  const int first = m_layout.Empty() ? 0 : m_layout.pieces.front().entry;
  m_first.Stop();
  if (!m_catalog.Select(first)) return;
  m_catalog.LoadTelemetry(first);
  m_currentPath = m_catalog.PathOf(first);
  m_first.Open(m_currentPath);
  m_view.FitVideoSurfaces();
  m_first.Play();
  m_pauseOnPlay[0] = true;
  m_view.SetSeekPosition(0);
  m_view.SetDrivePosition(0);
  StartSecondChannel(m_currentPath);
  if (!m_companionPath.empty()) m_pauseOnPlay[1] = true;
  ResetClocks(0);
}

void PlaybackController::OnSecondEnd() {
  if (m_pauseOnPlay[1]) {
    m_pauseOnPlay[1] = false;
    return;
  }
  // An end queued behind a change of recording belongs to the recording
  // channel 2 has already left; the one it plays now has not ended.
  if (m_second.IsPlaying()) return;
  // The front is about to move on to the next recording: going back to the
  // rear's first picture now would flash it for a moment.
  if (m_catalog.NextIndex() >= 0 && FirstEndsWithin(kRearHoldMs)) return;
  ShowFirstPicture(m_second, 1);
}

bool PlaybackController::FirstEndsWithin(std::int64_t ms) {
  if (!m_first.IsPlaying()) return false;
  const std::int64_t length = m_first.GetLength();
  const std::int64_t t = PositionMs();
  return length > 0 && t >= 0 && length - t <= ms;
}

void PlaybackController::ResetClocks(std::int64_t holdMs) {
  m_clock1.Reset();
  m_clock2.Reset();
  m_syncHoldUntil = m_now() + holdMs;
}

// Channel 2 halted while channel 1 plays on (an end or a pause that came
// late, a stalled decoder) is started again at channel 1's time, unless its
// recording simply ended first.
bool PlaybackController::RestartStoppedSecond(std::int64_t now) {
  if (m_companionPath.empty() || m_pauseOnPlay[0] || m_pauseOnPlay[1]) return false;
  if (!m_first.IsPlaying() || m_second.IsPlaying()) return false;
  if (PendingSeek() != PlaybackShared::kNoSeek || now < m_syncHoldUntil) return false;
  const std::int64_t t1 = m_clock1.Estimate(now, Rate(), true);
  const std::int64_t length2 = m_second.GetLength();
  if (t1 < 0 || length2 <= 0 || t1 >= length2 - kSecondEndMarginMs) return false;
  m_second.Play();
  m_second.SetTime(t1);
  m_clock2.Reset();
  m_syncHoldUntil = now + kHoldAfterSeekMs;
  return true;
}

void PlaybackController::SyncTick() {
  const std::int64_t now = m_now();
  m_clock1.Observe(m_first.GetTime(), now);
  m_clock2.Observe(m_second.GetTime(), now);
  if (RestartStoppedSecond(now)) return;
  const bool bothPlaying = m_first.IsPlaying() && m_second.IsPlaying() && !m_companionPath.empty();
  if (!bothPlaying || m_pauseOnPlay[1] || PendingSeek() != PlaybackShared::kNoSeek) {
    if (m_nudged) SetSecondRate(Rate());
    return;
  }
  if (now < m_syncHoldUntil) return;
  const std::int64_t t1 = m_clock1.Estimate(now, Rate(), true);
  const std::int64_t t2 = m_clock2.Estimate(now, m_secondRate, true);
  if (t1 < 0 || t2 < 0) return;
  const std::int64_t length2 = m_second.GetLength();
  if (length2 > 0 && t1 >= length2 - kSecondEndMarginMs) return;
  switch (SyncPolicy::Decide(t2 - t1, m_nudged)) {
    case SyncAction::kSeek:
      if (m_nudged) SetSecondRate(Rate());
      m_second.SetTime(t1);
      m_clock2.Reset();
      m_syncHoldUntil = now + kHoldAfterSeekMs;
      break;
    case SyncAction::kRunFaster:
      if (m_secondRate <= Rate()) SetSecondRate(Rate() * (1 + SyncPolicy::kNudge));
      break;
    case SyncAction::kRunSlower:
      if (m_secondRate >= Rate()) SetSecondRate(Rate() * (1 - SyncPolicy::kNudge));
      break;
    case SyncAction::kRunNormal:
      SetSecondRate(Rate());
      break;
    case SyncAction::kNone:
      break;
  }
}

void PlaybackController::OnSecondPlaying() {
  if (!m_pauseOnPlay[1]) return;
  m_pauseOnPlay[1] = false;
  m_second.Pause();
}

void PlaybackController::ApplyPendingSeek() {
  if (m_shared.pendingSeekMs.load() == PlaybackShared::kNoSeek) return;
  // A recording still opening ignores a seek: the target waits until its
  // length is known.
  if (m_first.GetLength() <= 0) return;
  const std::int64_t target = m_shared.pendingSeekMs.exchange(PlaybackShared::kNoSeek);
  if (target == PlaybackShared::kNoSeek) return;
  m_first.SetTime(target);
  m_second.SetTime(target);
  ResetClocks(kHoldAfterSeekMs);
  m_catalog.DrawDrivenPath(static_cast<std::uint32_t>(target));
}

void PlaybackController::CountdownTick() {
  if (m_startCountdown == 0 || m_startCountdown == -1) return;
  --m_startCountdown;
  if (m_startCountdown == 0 && m_nextIndex != -1) StartEntry(StartTrigger::kCountdown, m_nextIndex);
}

void PlaybackController::OnTimer(int id) {
  switch (id) {
    case kTimerMarquee:
      ShowRateMarquee();
      if (m_marqueeRepeats > 0)
        --m_marqueeRepeats;
      else
        m_view.StopTimer(kTimerMarquee);
      break;
    case kTimerSeek:
      ApplyPendingSeek();
      break;
    case kTimerCountdown:
      CountdownTick();
      break;
    case kTimerBusy:
      EndBusy();
      break;
    case kTimerSync:
      SyncTick();
      break;
    default:
      break;
  }
}
