#include "map/MapPageJournal.h"

namespace {

// The called function's name: the text before the first '(' (the calls
// are written by catalog/MapScripts, one call per text).
QStringView FunctionOf(const QString& call) {
  const qsizetype open = call.indexOf(u'(');
  return open < 0 ? QStringView() : QStringView(call).left(open).trimmed();
}

}  // namespace

void CMapPageJournal::Record(const QString& call) {
  const QStringView f = FunctionOf(call);
  if (f == u"path_delete") {
    m_route.clear();
  } else if (f == u"path_plot") {
    m_route.append(call);
  } else if (f == u"pathdrived_delete") {
    m_driven.clear();
  } else if (f == u"pathdrived_plot") {
    m_driven.append(call);
  } else if (f == u"init_map") {
    m_initMap = call;
  } else if (f == u"movpos") {
    m_marker = call;
    m_drivePosLast = false;
  } else if (f == u"drive_units") {
    m_driveUnits = call;
  } else if (f == u"drive_route") {
    // A new drive: its earlier position and events mean nothing any more.
    m_driveRoute = call;
    m_drivePos.clear();
    m_driveEvents.clear();
  } else if (f == u"drive_events") {
    m_driveEvents = call;
  } else if (f == u"drive_pos") {
    m_drivePos = call;
    m_drivePosLast = true;
  }
}

QStringList CMapPageJournal::Replay() const {
  QStringList calls;
  const auto add = [&calls](const QString& call) {
    if (!call.isEmpty()) calls.append(call);
  };
  add(m_driveUnits);
  add(m_driveRoute);
  add(m_driveEvents);  // the page's drive_route clears them
  calls += m_route;
  add(m_initMap);
  calls += m_driven;
  // Both move the marker: the later one has the last word.
  add(m_drivePosLast ? m_marker : m_drivePos);
  add(m_drivePosLast ? m_drivePos : m_marker);
  return calls;
}
