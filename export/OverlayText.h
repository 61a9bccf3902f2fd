#pragma once

#include <cstdint>
#include <string_view>

// Text burned into a picture with a built-in 5x7 pixel font, so the
// overlay needs no font file. Upper-case letters, digits and " -+:./"
// only; other characters draw as blanks.
struct PlaneView {
  std::uint8_t* data = nullptr;
  int stride = 0;
  int width = 0;
  int height = 0;
};

// Pixels a line of `length` characters takes at `scale` (each font pixel
// a scale x scale block).
int OverlayTextWidth(std::size_t length, int scale);
int OverlayTextHeight(int scale);

// Draws `text` with its top left corner at (x, y) on a YUV 4:2:0 picture:
// white letters on a dark box, clipped to the picture.
void DrawOverlayText(PlaneView luma, PlaneView cb, PlaneView cr, int x, int y, int scale,
                     std::string_view text);
