#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "player/CVlcPlayer.h"

class QObject;

// What the channel event handlers need of the main window. The handlers run
// on the media-player library's threads: they post messages to `window`,
// read and clear `pendingSeekMs`, clear `busy`, read channel 1's time and
// length, and queue `gpsIndicatorOff` and `seekSliderMoved` to the thread of
// `window`. They never touch a widget themselves and never wait for the
// main thread, which may be inside a Stop call waiting for the library.
struct PlayerEventTarget {
  // Marker of "no seek pending". A seek to 0 ms is a real seek target.
  static constexpr std::int64_t kNoPendingSeek = -1;

  QObject* window = nullptr;
  std::atomic<std::int64_t> pendingSeekMs{kNoPendingSeek};
  // Set while a file start is in progress.
  std::atomic<int> busy{0};
  CVlcPlayer* channel1 = nullptr;
  // Run on the thread of `window`; set before the events are attached.
  std::function<void()> gpsIndicatorOff;
  // Receives the seek slider position 0..1000; leave empty when there is no
  // slider.
  std::function<void(int)> seekSliderMoved;

  void RequestSeek(std::int64_t ms) { pendingSeekMs.store(ms); }
  // Reads and clears the pending seek in one step, so a cancel from the
  // library thread cannot slip in between; kNoPendingSeek when none.
  std::int64_t TakePendingSeek() { return pendingSeekMs.exchange(kNoPendingSeek); }
  void CancelPendingSeek() { pendingSeekMs.store(kNoPendingSeek); }
  bool SeekPending() const { return pendingSeekMs.load() != kNoPendingSeek; }
};

// Seek slider position 0..1000 for time t of a media of the given length;
// 0 when the length is unknown or 0.
int SeekSliderPosition(std::int64_t timeMs, std::int64_t lengthMs);

// Event handlers of the two channels, registered with AttachEvents and a
// PlayerEventTarget as owner.
void OnPlayerEvent(const libvlc_event_t* event, void* owner);
void OnSecondPlayerEvent(const libvlc_event_t* event, void* owner);

// The same, by event type; what the callbacks do after reading the record.
void HandlePlayerEvent(PlayerEventTarget& target, int type);
void HandleSecondPlayerEvent(PlayerEventTarget& target, int type);
