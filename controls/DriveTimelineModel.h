#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/DriveLayout.h"

// The arithmetic of the drive timeline, without painting: the drive's
// recordings laid end to end across a strip of `width` pixels, the playing
// position, and the texts shown beside it.
class DriveTimelineModel {
 public:
  void SetLayout(const DriveLayout& layout);
  const DriveLayout& Layout() const { return m_layout; }
  void SetPosition(std::int64_t driveMs);
  std::int64_t Position() const { return m_position; }
  bool Empty() const { return m_layout.Empty() || m_layout.LengthMs() <= 0; }

  // Pixel column of a drive position, and the position under a column;
  // both clamp to the strip.
  int XOf(std::int64_t driveMs, int width) const;
  std::int64_t MsAt(int x, int width) const;
  // Columns where one recording ends and the next begins.
  std::vector<int> BoundaryColumns(int width) const;

  // "elapsed / total", each as m:ss, or h:mm:ss from an hour on.
  std::string ElapsedText() const;
  // Local clock time at a drive position, "HH:MM:SS"; empty when unknown.
  std::string ClockText(std::int64_t driveMs) const;
  static std::string DurationText(std::int64_t ms);

 private:
  DriveLayout m_layout;
  std::int64_t m_position = 0;
};
