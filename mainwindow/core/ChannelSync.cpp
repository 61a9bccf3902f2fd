#include "mainwindow/core/ChannelSync.h"

#include <algorithm>
#include <cstdlib>

void PlayClock::Reset() {
  m_lastValue = -1;
  m_anchorValue = -1;
  m_anchorWall = 0;
}

void PlayClock::Observe(std::int64_t timeMs, std::int64_t nowMs) {
  if (timeMs < 0) return;
  if (timeMs == m_lastValue) return;
  m_lastValue = timeMs;
  m_anchorValue = timeMs;
  m_anchorWall = nowMs;
}

std::int64_t PlayClock::Estimate(std::int64_t nowMs, double rate, bool running) const {
  if (m_lastValue < 0) return -1;
  if (!running) return m_lastValue;
  const std::int64_t elapsed = std::clamp<std::int64_t>(nowMs - m_anchorWall, 0, kMaxExtrapolationMs);
  return m_anchorValue + static_cast<std::int64_t>(static_cast<double>(elapsed) * rate);
}

SyncAction SyncPolicy::Decide(std::int64_t driftMs, bool nudged) {
  const std::int64_t size = std::llabs(driftMs);
  if (size > kSeekBeyondMs) return SyncAction::kSeek;
  if (nudged) {
    if (size <= kSettledMs) return SyncAction::kRunNormal;
    // Keep nudging in the direction the drift asks for (it may have
    // overshot while the clocks were coarse).
    return driftMs > 0 ? SyncAction::kRunSlower : SyncAction::kRunFaster;
  }
  if (size <= kToleranceMs) return SyncAction::kNone;
  return driftMs > 0 ? SyncAction::kRunSlower : SyncAction::kRunFaster;
}
