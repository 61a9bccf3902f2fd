#pragma once

// Numbers of the main window's custom messages. They travel as QEvent types
// with the same numbers (see WindowMessage.h); 0xC03 and 0xC05 are unused.
enum WindowMessageId : unsigned {
  WM_PLAYER_ERROR = 0xC01,
  WM_LANGUAGE_CHANGED = 0xC02,
  WM_TOGGLE_FULLSCREEN = 0xC04,
  WM_PLAYER_STATE = 0xC06,
  WM_PLAYER_TIME = 0xC07,
  WM_PLAYER_END = 0xC08,
  WM_GROUP_ACTIVATED = 0xC09,
  WM_FILE_ACTIVATED = 0xC0A,
  WM_MAP_PROVIDER_CHANGED = 0xC0B,
  WM_VOLUME_CHANGED = 0xC0C,
  WM_SEEK_REQUESTED = 0xC0D,
  WM_SECOND_END = 0xC0E,
};
