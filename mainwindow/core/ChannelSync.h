#pragma once

#include <cstdint>

// Keeps channel 2 on channel 1's clock.
//
// The player library refreshes a channel's reported time only about every
// quarter second, so a raw reading can be 250 ms old. Each channel's clock
// is therefore estimated from the moment its reported time last changed,
// advanced by the wall time since at the playing rate. The difference of
// the two estimates is the drift; a large drift is corrected by seeking
// channel 2, a small one by letting channel 2 run a little faster or slower
// until it has caught up.
class PlayClock {
 public:
  // Forgets every reading (a new file, a seek, a stop).
  void Reset();
  // A reading of the channel's time, taken at wall time `nowMs`.
  void Observe(std::int64_t timeMs, std::int64_t nowMs);
  // Estimated time at `nowMs`; while `running` it advances at `rate` from
  // the last change, for at most kMaxExtrapolationMs (a stalled channel
  // does not run away). -1 before any reading.
  std::int64_t Estimate(std::int64_t nowMs, double rate, bool running) const;
  bool Known() const { return m_lastValue >= 0; }

  static constexpr std::int64_t kMaxExtrapolationMs = 1000;

 private:
  std::int64_t m_lastValue = -1;
  std::int64_t m_anchorValue = -1;
  std::int64_t m_anchorWall = 0;
};

enum class SyncAction { kNone, kSeek, kRunFaster, kRunSlower, kRunNormal };

// What to do about a drift (channel 2 minus channel 1, in ms) when channel 2
// is `nudged` (running at a changed rate) or not.
struct SyncPolicy {
  static constexpr std::int64_t kToleranceMs = 200;  // larger drifts are corrected
  static constexpr std::int64_t kSettledMs = 40;     // a nudge ends inside this
  static constexpr std::int64_t kSeekBeyondMs = 1000;  // larger drifts are seeked away
  static constexpr double kNudge = 0.25;             // rate change of a nudge

  static SyncAction Decide(std::int64_t driftMs, bool nudged);
};
