#include "mainwindow/core/PlaybackController.h"

#include <algorithm>

namespace {
constexpr int kBusyTimeoutMs = 100000;
constexpr int kMarqueeIntervalMs = 300;
constexpr int kDefaultMarqueeSize = 48;
}  // namespace

PlaybackController::PlaybackController(IPlayerChannel& first, IPlayerChannel& second,
                                       IPlaybackCatalog& catalog, IPlaybackView& view,
                                       PlaybackShared shared)
    : m_first(first),
      m_second(second),
      m_catalog(catalog),
      m_view(view),
      m_shared(shared),
      m_findCompanion(FindCompanionFile) {}

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
  m_first.Open(m_currentPath);
  m_view.FitVideoSurfaces();
  if (initMap) m_view.InitMap();
  m_first.Play();
  if (marquee) StartMarquee();
  StartSecondChannel(m_currentPath);
}

void PlaybackController::StartSecondChannel(const std::string& firstPath) {
  m_pauseOnPlay[1] = false;
  if (!m_view.HasSurface(2)) {
    m_second.Close();
    return;
  }
  const std::string companion = m_findCompanion(firstPath);
  if (companion.empty()) {
    m_second.Close();
    return;
  }
  ShowChannelSurface(2);
  m_second.BindSurface();
  m_second.Open(companion);
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
  m_pauseOnPlay[0] = false;
  m_first.Open(m_currentPath);
  ShowChannelSurface(1);
  m_view.SetPlayButtonFace(1);
  m_view.FitVideoSurfaces();
  m_first.Play();
  StartSecondChannel(m_currentPath);
}

// --------------------------------------------------------------- transport

void PlaybackController::PlayPause() {
  m_shared.pendingSeekMs.store(PlaybackShared::kNoSeek);
  m_view.SetGSensorInactive(false);
  if (m_catalog.Count() == 0) {
    m_view.SetPlayButtonFace(0);
    return;
  }
  if (m_first.IsPlaying()) {
    m_first.Pause();
  } else {
    ShowChannelSurface(1);
    m_first.Play();
    StartMarquee();
  }
  if (m_second.IsPlaying()) {
    m_second.Pause();
  } else {
    ShowChannelSurface(2);
    m_second.Play();
  }
}

void PlaybackController::Stop() {
  m_shared.pendingSeekMs.store(PlaybackShared::kNoSeek);
  m_pauseOnPlay[0] = m_pauseOnPlay[1] = false;
  m_view.SetPlayButtonFace(0);
  m_first.Stop();
  m_second.Stop();
  m_rateIndex = kNormalRateIndex;
  ApplyRate();
  m_view.SetSeekPosition(0);
  m_view.SetGSensorPosition(0);
  m_view.SetGSensorInactive(true);
  for (int channel = 1; channel <= 2; ++channel) {
    if (m_view.PanelShowsLogo(channel)) continue;
    m_view.SetPanelVariant(channel, 1);
    m_view.ShowSurface(channel, false);
  }
}

void PlaybackController::ApplyRate() {
  const auto rate = static_cast<float>(kPlaybackRates[m_rateIndex].rate);
  m_first.SetRate(rate);
  m_second.SetRate(rate);
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
  if (!m_autoPlayNext) {
    ShowFirstPicture(m_first, 0);
    m_view.SetSeekPosition(0);
    m_view.SetGSensorPosition(0);
    return;
  }
  const int next = m_catalog.NextIndex();
  if (next != -1) {
    StartEntry(StartTrigger::kEndOfFile, next);
    return;
  }
  // The last entry ended: back to the first one, waiting on its first picture.
  m_first.Stop();
  if (!m_catalog.Select(0)) return;
  m_catalog.LoadTelemetry(0);
  m_currentPath = m_catalog.PathOf(0);
  m_first.Open(m_currentPath);
  m_view.FitVideoSurfaces();
  m_first.Play();
  m_pauseOnPlay[0] = true;
  m_view.SetSeekPosition(0);
}

void PlaybackController::OnSecondEnd() {
  if (m_pauseOnPlay[1]) {
    m_pauseOnPlay[1] = false;
    return;
  }
  ShowFirstPicture(m_second, 1);
}

void PlaybackController::OnSecondPlaying() {
  if (!m_pauseOnPlay[1]) return;
  m_pauseOnPlay[1] = false;
  m_second.Pause();
}

void PlaybackController::ApplyPendingSeek() {
  const std::int64_t target = m_shared.pendingSeekMs.exchange(PlaybackShared::kNoSeek);
  if (target == PlaybackShared::kNoSeek) return;
  m_first.SetTime(target);
  m_second.SetTime(target);
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
    default:
      break;
  }
}
