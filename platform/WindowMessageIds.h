#pragma once

// Numbers of the messages the media player's callback threads hand to the
// main window. They travel as QEvent types with the same numbers (see
// WindowMessage.h); the widgets talk to the window through Qt signals.
enum WindowMessageId : unsigned {
  WM_PLAYER_ERROR = 0xC01,
  WM_PLAYER_STATE = 0xC06,
  WM_PLAYER_TIME = 0xC07,
  WM_PLAYER_END = 0xC08,
  WM_SECOND_END = 0xC0E,
};
