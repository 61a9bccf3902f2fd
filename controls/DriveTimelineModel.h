#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/DriveLayout.h"

// The arithmetic of the drive timeline, without painting: the drive's
// recordings laid end to end across a strip of `width` pixels, the playing
// position, the driving events, the in and out marks of a clip, and the
// texts shown beside it.
class DriveTimelineModel {
 public:
  // The event keys land this long before an event, so that its build-up
  // plays too.
  static constexpr std::int64_t kEventLeadMs = 3000;
  static constexpr std::int64_t kNoMark = -1;

  // A new layout drops the events and the marks of the previous drive.
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

  // Driving events as drive positions, kept in order.
  void SetEvents(std::vector<std::int64_t> driveMs);
  const std::vector<std::int64_t>& Events() const { return m_events; }
  std::vector<int> EventColumns(int width) const;
  // Where the next / previous event key seeks from `fromMs`: kEventLeadMs
  // before the event (not before the drive's start); kNoMark when there is
  // no such event. "Previous" skips an event whose lead point lies just
  // behind `fromMs`, so that pressing it twice goes further back while
  // playback runs on.
  std::int64_t NextEventTarget(std::int64_t fromMs) const;
  std::int64_t PreviousEventTarget(std::int64_t fromMs) const;

  // In and out marks of a clip, kNoMark when unset. A mark that would put
  // the out mark at or before the in mark clears the other one.
  void SetInMark(std::int64_t driveMs);
  void SetOutMark(std::int64_t driveMs);
  std::int64_t InMark() const { return m_in; }
  std::int64_t OutMark() const { return m_out; }
  // Both marks set: the span [in, out) of the drive.
  bool HasSpan() const { return m_in != kNoMark && m_out != kNoMark; }

  // "elapsed / total", each as m:ss, or h:mm:ss from an hour on.
  std::string ElapsedText() const;
  // Local clock time at a drive position, "HH:MM:SS"; empty when unknown.
  std::string ClockText(std::int64_t driveMs) const;
  static std::string DurationText(std::int64_t ms);

 private:
  DriveLayout m_layout;
  std::int64_t m_position = 0;
  std::vector<std::int64_t> m_events;
  std::int64_t m_in = kNoMark;
  std::int64_t m_out = kNoMark;
};
