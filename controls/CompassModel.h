#pragma once

#include <cstddef>

// Heading to compass image. The images run counter-clockwise from north in
// equal sectors (N, NW, W, SW, S, SE, E, NE for eight). Index 0 means "no
// heading" (first image in grey); 1..n select an image. Returns 0 when
// there are no images at all.
inline unsigned HeadingToImageIndex(int degrees, std::size_t imageCount) {
  if (imageCount == 0) return 0;
  const long long ccw = ((360LL - degrees) % 360 + 360) % 360;
  long long sector = ccw / 45;
  if (ccw - 45 * sector > 22) ++sector;
  return static_cast<unsigned>(sector % static_cast<long long>(imageCount)) + 1;
}
