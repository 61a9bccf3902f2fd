#pragma once

#include <array>
#include <cstdint>
#include <string>

// Small value types shared by the main window's playback logic and its
// layout: rectangles in client coordinates and the playback-rate table.

struct LayoutRect {
  int left = 0, top = 0, right = 0, bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const LayoutRect&) const = default;
};

struct PlaybackRate {
  double rate;
  const char* label;
};

inline constexpr int kPlaybackRateCount = 18;
inline constexpr int kNormalRateIndex = 7;  // 1.0 X

inline constexpr std::array<PlaybackRate, kPlaybackRateCount> kPlaybackRates = {{
    {0.3, "0.3 X"}, {0.4, "0.4 X"}, {0.5, "0.5 X"}, {0.6, "0.6 X"}, {0.7, "0.7 X"},
    {0.8, "0.8 X"}, {0.9, "0.9 X"}, {1.0, "1.0 X"}, {1.2, "1.2 X"}, {1.4, "1.4 X"},
    {1.6, "1.6 X"}, {1.8, "1.8 X"}, {2.0, "2.0 X"}, {2.4, "2.4 X"}, {2.8, "2.8 X"},
    {3.2, "3.2 X"}, {3.6, "3.6 X"}, {4.0, "4.0 X"},
}};

// Ids of the main window's timers.
enum PlaybackTimerId : int {
  kTimerShiftKey = 100,   // 800 ms after entering full screen
  kTimerMarquee = 102,    // 300 ms, rate marquee repetitions
  kTimerSeek = 103,       // 500 ms, applies a pending seek
  kTimerCountdown = 105,  // 100 ms, start countdown
  kTimerBusy = 106,       // 100 s, clears a stuck busy flag
  kTimerSync = 107,       // 50 ms, keeps channel 2 on channel 1's clock
};

// Keeps the picture's aspect ratio inside `panel`: the rectangle is
// narrowed or lowered symmetrically. An unknown picture size (0) leaves
// the panel as it is.
LayoutRect FitPictureRect(const LayoutRect& panel, int videoWidth, int videoHeight);

// Applies the same offsets that fitting `reference` needed to `other`, so
// both surfaces take the size computed from the first panel.
LayoutRect FitLikeReference(const LayoutRect& reference, const LayoutRect& other, int videoWidth,
                            int videoHeight);

// The second camera's file for a first-camera file, or "" when none
// exists: the character before the extension becomes 'R'; failing that,
// also the last character of the parent folder's name.
std::string FindCompanionFile(const std::string& path);
