// CMapDrive: the drive shown on the map, fed from playback.
#pragma once

#include <QString>
#include <cstdint>

#include "catalog/DriveTrack.h"

class CHtmlMapDlg;

// Sends a drive's route and its driving events to the map once, then on
// every time event moves the driven part and the marker to the point shown
// (one short call, and only when the point changes). Answers the map
// page's two questions: the drive position of a clicked point and the text
// for a hovered one.
class CMapDrive {
 public:
  void SetMap(CHtmlMapDlg* map) { m_map = map; }
  CHtmlMapDlg* Map() const { return m_map; }
  // A new drive (an empty track clears it).
  void Show(DriveTrack track);
  void SetPosition(std::int64_t driveMs);
  // The legend's unit, as the speed display shows it.
  void SetMph(bool mph);

  // Where point `index` is on the drive's line; -1 for a bad index.
  std::int64_t DriveMsOf(int index) const;
  // "hh:mm:ss · 57 km/h" for point `index` (the clock part only when the
  // time is known); empty for a bad index.
  QString PointInfo(int index) const;
  const DriveTrack& Track() const { return m_track; }
  int ShownPoint() const { return m_shown; }

 private:
  CHtmlMapDlg* m_map = nullptr;
  DriveTrack m_track;
  int m_shown = -2;  // no point sent yet
  bool m_mph = false;
};
