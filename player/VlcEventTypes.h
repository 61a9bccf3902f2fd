#pragma once

#include <cstring>

#include "player/VlcBinding.h"

// Event type numbers of the media-player library (libVLC 3), part of its
// stable binary interface.
enum VlcEventType : int {
  kVlcMediaStateChanged = 5,
  kVlcMediaChanged = 256,
  kVlcOpening = 258,
  kVlcBuffering = 259,
  kVlcPlaying = 260,
  kVlcPaused = 261,
  kVlcStopped = 262,
  kVlcEndReached = 265,
  kVlcEncounteredError = 266,
  kVlcTimeChanged = 267,
  kVlcPositionChanged = 268,
  kVlcSeekableChanged = 269,
};

// The event record starts with its type as a C int; read only that field.
inline int VlcEventTypeOf(const libvlc_event_t* event) {
  int type = -1;
  if (event) std::memcpy(&type, event, sizeof type);
  return type;
}
