// CMapPageJournal: what the map page shows, kept so a new page gets it again.
#pragma once

#include <QString>
#include <QStringList>

// Every call sent to the map page passes through Record. What it leaves on
// the page is kept: the route (path_delete and the path_plot calls after
// it), the driven route likewise, and the last of each setting call
// (init_map, movpos, and the drive calls). Replay gives the calls that
// rebuild that state on a freshly loaded page, so a provider switch or any
// other reload shows the same route, driven part and marker. Calls of any
// other kind (a script of the caller's own) are not kept.
class CMapPageJournal {
 public:
  void Record(const QString& call);
  // The calls for an empty page, in an order the page accepts.
  QStringList Replay() const;
  int RouteCount() const { return int(m_route.size()); }
  int DrivenCount() const { return int(m_driven.size()); }

 private:
  QStringList m_route;
  QStringList m_driven;
  QString m_initMap;
  QString m_marker;
  QString m_driveUnits;
  QString m_driveRoute;
  QString m_driveEvents;
  QString m_drivePos;
  bool m_drivePosLast = false;  // drive_pos came after the last movpos
};
