#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalog/DriveLayout.h"
#include "mainwindow/core/ChannelSync.h"
#include "mainwindow/core/PlaybackTypes.h"

// What the playback logic needs of one player channel. The main window
// adapts its two `CVlcPlayer` objects to this; tests use fakes.
class IPlayerChannel {
 public:
  virtual ~IPlayerChannel() = default;
  virtual void BindSurface() = 0;  // render into the channel's video surface
  virtual void Open(const std::string& utf8Path) = 0;
  // Readies the file that will be opened next, ahead of its Open.
  virtual void Prepare(const std::string& utf8Path) = 0;
  virtual int Close() = 0;
  virtual void Play() = 0;
  virtual void Pause() = 0;
  virtual void Stop() = 0;
  virtual std::int64_t GetLength() = 0;
  virtual std::int64_t GetTime() = 0;
  virtual void SetTime(std::int64_t ms) = 0;
  virtual void SetMute(int on) = 0;
  virtual void SetVolume(int volume) = 0;
  virtual int SetRate(float rate) = 0;
  virtual int SetMarquee(int x, int y, const std::string& text, int size, int opacity,
                         std::uint32_t color, int timeout, int enable) = 0;
  virtual bool IsPlaying() = 0;
  virtual bool IsPaused() = 0;
};

// The catalogue operations playback uses (current entry and telemetry).
class IPlaybackCatalog {
 public:
  virtual ~IPlaybackCatalog() = default;
  virtual int Count() = 0;
  virtual int Select(int index) = 0;
  virtual int SelectGroupFirst(int group) = 0;
  virtual int NextIndex() = 0;
  virtual int CurrentIndex() = 0;
  virtual std::string PathOf(int index) = 0;
  virtual std::string CurrentPath() = 0;
  virtual int LoadTelemetry(int index) = 0;
  virtual int SyncToTime(std::int64_t ms, bool mapEnabled) = 0;
  virtual void DrawDrivenPath(std::uint32_t ms) = 0;
  // Picture size of the current entry; false when there is none.
  virtual bool CurrentPictureSize(int& width, int& height) = 0;
  // The drive (group) an entry belongs to, -1 for a bad index.
  virtual int DriveOf(int index) = 0;
  virtual int DriveCount() = 0;
  // The recordings channel 1 plays through a drive, end to end.
  virtual DriveLayout LayoutOfDrive(int drive) = 0;
  // The second camera's recording paired with entry `index` in the
  // catalogue; "" when the catalogue pairs none with it.
  virtual std::string CompanionPathOf(int index) = 0;
};

// The window side: panels, surfaces, buttons, sliders, instruments, timers.
class IPlaybackView {
 public:
  virtual ~IPlaybackView() = default;
  virtual bool HasSurface(int channel) = 0;
  virtual bool PanelShowsLogo(int channel) = 0;
  virtual void SetPanelVariant(int channel, int variant) = 0;
  virtual void ShowSurface(int channel, bool show) = 0;
  virtual void SetPlayButtonFace(int face) = 0;
  virtual void SetSeekPosition(int position) = 0;
  virtual void SetGSensorPosition(int ms) = 0;
  virtual void SetGSensorInactive(bool inactive) = 0;
  virtual void SetGpsIndicator(int state) = 0;
  virtual void InitMap() = 0;
  virtual void FitVideoSurfaces() = 0;
  virtual void StartTimer(int id, int intervalMs) = 0;
  virtual void StopTimer(int id) = 0;
  // Lets the library's threads settle after both channels stopped.
  virtual void SettleAfterStop() = 0;
  // The drive timeline: the drive now playing, then its playing position.
  virtual void ShowDrive(int drive, const DriveLayout& layout) = 0;
  virtual void SetDrivePosition(std::int64_t driveMs) = 0;
  // Speed, compass and GPS indicator back to "no fix" (after Stop).
  virtual void ClearInstruments() = 0;
};

// The state shared with channel 1's event callback, which runs on the
// library's threads: the pending seek (kNoSeek = none, so that a seek to
// 0 ms is a real target) and the busy flag. The callback's owner holds the
// two atomics; the controller works on them by reference.
struct PlaybackShared {
  static constexpr std::int64_t kNoSeek = -1;
  std::atomic<std::int64_t>& pendingSeekMs;
  std::atomic<int>& busy;
};

enum class StartTrigger { kFile, kGroup, kCountdown, kEndOfFile };

// Starting recordings on the two channels, the transport controls, the
// timers and the per-event synchronisation of the instruments with
// channel 1. Runs on the window thread only.
class PlaybackController {
 public:
  static constexpr int kMarqueeRepeats = 10;
  static constexpr std::uint32_t kMarqueeColor = 0xFF00FF00;

  PlaybackController(IPlayerChannel& first, IPlayerChannel& second, IPlaybackCatalog& catalog,
                     IPlaybackView& view, PlaybackShared shared);

  // Starting.
  int StartEntry(StartTrigger trigger, int index);
  void StartSecondChannel(const std::string& firstPath);
  void ArmCountdown(int index, int ticks = 5);
  // Open media: clears a pending seek, stops both channels, rate back to 1.0.
  void PrepareOpen();
  // Plays the first entry of a freshly loaded catalogue at once.
  void StartOpenedFirst();
  void BeginBusy();
  void EndBusy();
  bool IsBusy() const { return m_shared.busy.load() != 0; }

  // Transport controls. Pause, play, rate and seeks act on both channels.
  void PlayPause();
  void Stop();
  void Faster();
  void Slower();
  void ToggleAutoPlay() { m_autoPlayNext = !m_autoPlayNext; }
  void SetMute(bool on);
  void SetVolume(int volume);
  // A seek slider position (0..1000); `showTelemetry` also shows the
  // instruments at the target at once (the slider's own drag message).
  void RequestSeek(int position, bool showTelemetry);
  // Moves the seek target by `deltaMs` from the pending target or the
  // playing time, kept inside the file (the arrow keys).
  void SeekRelative(std::int64_t deltaMs);
  // Seeks to a position on the drive's time line, starting the recording
  // that plays there when it is not the current one.
  void SeekDrive(std::int64_t driveMs);
  // The next or previous recording of the drive (past its ends: the next
  // drive, or the start of the first recording), and the next or previous
  // drive.
  void NextRecording();
  void PreviousRecording();
  void NextDrive();
  void PreviousDrive();
  // Pauses both channels around a dialog or a snapshot; true when they were
  // playing, which ResumeAfterHold then restarts.
  bool HoldForDialog();
  void ResumeAfterHold(bool wasPlaying);

  // Channel events and timers.
  void OnPlayerTime(std::int64_t ms);
  void OnPlayerState(int state);
  void OnPlayerEnd();
  void OnSecondEnd();
  void OnSecondPlaying();
  void OnTimer(int id);
  // The 50 ms tick that keeps channel 2 on channel 1's clock.
  void SyncTick();

  void StartMarquee();
  void ShowRateMarquee();
  std::string MarqueeText() const { return kPlaybackRates[m_rateIndex].label; }
  int MarqueeSize();

  // Companion lookup for recordings the catalogue pairs with nothing (a
  // single opened file); replaceable for tests.
  void SetCompanionFinder(std::function<std::string(const std::string&)> finder) {
    m_findCompanion = std::move(finder);
  }
  // Wall clock in milliseconds for the clock estimates; replaceable for tests.
  void SetWallClock(std::function<std::int64_t()> now) { m_now = std::move(now); }

  int RateIndex() const { return m_rateIndex; }
  bool AutoPlayNext() const { return m_autoPlayNext; }
  void SetAutoPlayNext(bool on) { m_autoPlayNext = on; }
  bool MapEnabled() const { return m_mapEnabled; }
  void SetMapEnabled(bool on) { m_mapEnabled = on; }
  const std::string& CurrentPath() const { return m_currentPath; }
  const std::string& CompanionPath() const { return m_companionPath; }
  // Playing as the user sees it: a channel sent back to its start runs
  // only until its first picture shows, and counts as paused.
  bool IsPlaying() { return m_first.IsPlaying() && !m_pauseOnPlay[0]; }
  // Estimated playing positions of the two channels (ms into their
  // recordings, -1 unknown) and of channel 1 on the drive's time line.
  std::int64_t PositionMs();
  std::int64_t CompanionPositionMs();
  std::int64_t DrivePositionMs();
  std::int64_t DriveLengthMs() const { return m_layout.LengthMs(); }
  int CurrentDrive() const { return m_drive; }
  int CurrentRecording() { return m_catalog.CurrentIndex(); }
  std::int64_t LengthMs() { return m_first.GetLength(); }
  double RateValue() const { return Rate(); }
  // The row of the rates table nearest to `rate`, applied to both channels.
  void SetRate(double rate);
  const DriveLayout& Layout() const { return m_layout; }
  int NextIndexToStart() const { return m_nextIndex; }
  int Countdown() const { return m_startCountdown; }
  int MarqueeRepeatsLeft() const { return m_marqueeRepeats; }
  std::int64_t PendingSeek() const { return m_shared.pendingSeekMs.load(); }
  bool FirstPicturePending(int channel) const { return m_pauseOnPlay[channel == 2 ? 1 : 0]; }

 private:
  void ShowChannelSurface(int channel);
  void ApplyRate();
  void OpenAndPlayFirst(int index, bool initMap, bool marquee);
  void ShowFirstPicture(IPlayerChannel& channel, int slot);
  void ApplyPendingSeek();
  void CountdownTick();
  void FollowDrive(int index);
  void StartWithinDrive(int index);
  void PrepareNext();
  bool FirstEndsWithin(std::int64_t ms);
  void ReturnToDriveStart();
  void ResetClocks(std::int64_t holdMs);
  void SetSecondRate(double rate);
  bool RestartStoppedSecond(std::int64_t now);
  double Rate() const { return kPlaybackRates[m_rateIndex].rate; }

  IPlayerChannel& m_first;
  IPlayerChannel& m_second;
  IPlaybackCatalog& m_catalog;
  IPlaybackView& m_view;
  PlaybackShared m_shared;
  std::function<std::string(const std::string&)> m_findCompanion;
  std::function<std::int64_t()> m_now;

  bool m_autoPlayNext = true;
  bool m_mapEnabled = true;
  int m_rateIndex = kNormalRateIndex;
  int m_nextIndex = -1;
  int m_startCountdown = 0;
  int m_marqueeRepeats = kMarqueeRepeats;
  std::string m_currentPath;
  std::string m_companionPath;
  int m_drive = -1;
  DriveLayout m_layout;
  PlayClock m_clock1;
  PlayClock m_clock2;
  double m_secondRate = 1.0;  // channel 2's rate, nudged while it catches up
  bool m_nudged = false;
  std::int64_t m_syncHoldUntil = 0;  // no correction before this wall time
  // A channel sent back to its start waits for its first picture and is
  // paused then, however long the file takes to open.
  bool m_pauseOnPlay[2] = {false, false};
};
