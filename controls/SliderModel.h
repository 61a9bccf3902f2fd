#pragma once

// Slider arithmetic shared by the seek and the volume slider. The channel
// is the span [channelLeft, channelRight) of client x along which the
// thumb centre travels.
struct SliderChannel {
  int left = 0;
  int right = 0;
  int Width() const { return right - left; }
};

// Position for a click at client x: the share of the channel left of x,
// scaled to the range, truncated toward zero, then clamped into the range.
// A channel of zero (or negative) width yields the minimum.
inline int PositionFromPoint(int x, int minimum, int maximum, const SliderChannel& ch) {
  if (maximum < minimum) return minimum;
  if (ch.Width() <= 0) return minimum;
  const long long span = static_cast<long long>(maximum) - minimum;
  const long long pos = minimum + span * (static_cast<long long>(x) - ch.left) / ch.Width();
  if (pos < minimum) return minimum;
  if (pos > maximum) return maximum;
  return static_cast<int>(pos);
}

// Client x of the thumb centre for a value.
inline int ThumbCentre(int value, int minimum, int maximum, const SliderChannel& ch) {
  if (maximum <= minimum) return ch.left;
  if (value < minimum) value = minimum;
  if (value > maximum) value = maximum;
  return ch.left + static_cast<int>(static_cast<long long>(ch.Width()) * (value - minimum) /
                                    (static_cast<long long>(maximum) - minimum));
}
