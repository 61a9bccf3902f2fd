#include "dialogs/Monitor.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <limits>

namespace {

std::int64_t Area(const QRect& r) {
  return r.isEmpty() ? 0 : static_cast<std::int64_t>(r.width()) * r.height();
}

// Squared distance from a point to the nearest point of a rectangle.
std::int64_t DistanceSquared(const QPoint& p, const QRect& r) {
  const std::int64_t dx = p.x() < r.left() ? r.left() - p.x() : (p.x() > r.right() ? p.x() - r.right() : 0);
  const std::int64_t dy = p.y() < r.top() ? r.top() - p.y() : (p.y() > r.bottom() ? p.y() - r.bottom() : 0);
  return dx * dx + dy * dy;
}

}  // namespace

int CMonitor::PickMonitor(const QRect& window, const std::vector<QRect>& monitors) {
  int best = -1;
  std::int64_t bestArea = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const std::int64_t area = Area(window.intersected(monitors[i]));
    if (area > bestArea) {
      bestArea = area;
      best = static_cast<int>(i);
    }
  }
  if (best >= 0) return best;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const std::int64_t d = DistanceSquared(window.center(), monitors[i]);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

CMonitor CMonitor::MonitorOfWindow(const QWidget* window) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (!window || screens.isEmpty()) return CMonitor(QGuiApplication::primaryScreen());
  std::vector<QRect> rects;
  for (QScreen* s : screens) rects.push_back(s->geometry());
  const int i = PickMonitor(window->window()->frameGeometry(), rects);
  return CMonitor(i >= 0 ? screens[i] : QGuiApplication::primaryScreen());
}

void CMonitor::GetFullRect(QRect& rect) const {
  rect = m_monitor ? m_monitor->geometry() : QRect();
}
