#include "map/MapDrive.h"

#include <utility>

#include "catalog/MapScripts.h"
#include "map/HtmlMapDlg.h"
#include "telemetry/TelemetryUtil.h"

void CMapDrive::Show(DriveTrack track) {
  m_track = std::move(track);
  m_shown = -2;
  if (!m_map) return;
  m_map->RunScript(DriveRouteScript(m_track));
  // The route cleared the last drive's events; a drive without any sends none.
  if (!m_track.Empty() && !m_track.events.empty()) m_map->RunScript(DriveEventsScript(m_track));
}

void CMapDrive::SetPosition(std::int64_t driveMs) {
  const int point = m_track.PointAt(driveMs);
  if (point == m_shown || m_track.Empty()) return;
  m_shown = point;
  if (m_map) m_map->RunScript(DrivePosScript(point));
}

void CMapDrive::SetMph(bool mph) {
  m_mph = mph;
  if (m_map) m_map->RunScript(DriveUnitsScript(mph));
}

std::int64_t CMapDrive::DriveMsOf(int index) const {
  if (index < 0 || index >= static_cast<int>(m_track.points.size())) return -1;
  return m_track.points[static_cast<std::size_t>(index)].driveMs;
}

QString CMapDrive::PointInfo(int index) const {
  if (index < 0 || index >= static_cast<int>(m_track.points.size())) return {};
  const DriveTrackPoint& p = m_track.points[static_cast<std::size_t>(index)];
  // The same figures as the speed display: mph are km/h x 10 / 16.
  const int speed = m_mph ? p.fix.speed * 10 / 16 : p.fix.speed;
  QString text = QStringLiteral("%1 %2").arg(speed).arg(m_mph ? "mph" : "km/h");
  if (p.clock == 0) return text;
  return QString::fromStdString(FormatLocalTime(p.clock, "%H:%M:%S")) + QStringLiteral(" · ") + text;
}
