#include "player/PlayerEventTarget.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>

#include "platform/qt/WindowMessage.h"
#include "player/VlcEventTypes.h"

namespace {

void QueueGpsIndicatorOff(PlayerEventTarget& target) {
  if (!target.window || !target.gpsIndicatorOff) return;
  QMetaObject::invokeMethod(
      target.window, [fn = target.gpsIndicatorOff] { fn(); }, Qt::QueuedConnection);
}

void QueueSeekSlider(PlayerEventTarget& target, int position) {
  if (!target.window || !target.seekSliderMoved) return;
  QMetaObject::invokeMethod(
      target.window, [fn = target.seekSliderMoved, position] { fn(position); },
      Qt::QueuedConnection);
}

// A time event is dropped entirely while a seek waits for the seek timer,
// so the slider stays where the user put it.
void OnTimeChanged(PlayerEventTarget& target) {
  if (target.SeekPending()) return;
  const std::int64_t t = target.channel1 ? target.channel1->GetTime() : -1;
  const std::int64_t length = target.channel1 ? target.channel1->GetLength() : -1;
  PostWindowMessage(target.window, WM_PLAYER_TIME, static_cast<std::intptr_t>(t));
  QueueSeekSlider(target, SeekSliderPosition(t, length));
  target.busy.store(0);
}

}  // namespace

int SeekSliderPosition(std::int64_t timeMs, std::int64_t lengthMs) {
  if (lengthMs <= 0 || timeMs <= 0) return 0;
  return static_cast<int>(std::min<std::int64_t>(timeMs * 1000 / lengthMs, 1000));
}

void HandlePlayerEvent(PlayerEventTarget& target, int type) {
  switch (type) {
    case kVlcOpening:
      target.CancelPendingSeek();
      QueueGpsIndicatorOff(target);
      return;
    case kVlcPlaying:
      PostWindowMessage(target.window, WM_PLAYER_STATE, 3);
      return;
    case kVlcPaused:
      target.CancelPendingSeek();
      PostWindowMessage(target.window, WM_PLAYER_STATE, 4);
      return;
    case kVlcStopped:
      // A start that ends without a single time event must not keep the
      // window busy until the busy timeout.
      target.busy.store(0);
      QueueGpsIndicatorOff(target);
      return;
    case kVlcEndReached:
      PostWindowMessage(target.window, WM_PLAYER_END, 1);
      target.CancelPendingSeek();
      target.busy.store(0);
      return;
    case kVlcEncounteredError:
      PostWindowMessage(target.window, WM_PLAYER_ERROR, 1);
      target.busy.store(0);
      return;
    case kVlcTimeChanged:
      OnTimeChanged(target);
      return;
    default:
      return;
  }
}

void HandleSecondPlayerEvent(PlayerEventTarget& target, int type) {
  if (type == kVlcEndReached) PostWindowMessage(target.window, WM_SECOND_END, 1);
}

void OnPlayerEvent(const libvlc_event_t* event, void* owner) {
  if (!owner) return;
  HandlePlayerEvent(*static_cast<PlayerEventTarget*>(owner), VlcEventTypeOf(event));
}

void OnSecondPlayerEvent(const libvlc_event_t* event, void* owner) {
  if (!owner) return;
  HandleSecondPlayerEvent(*static_cast<PlayerEventTarget*>(owner), VlcEventTypeOf(event));
}
