// CMonitor: a monitor, a QScreen and its geometry.
#pragma once

#include <QPointer>
#include <QRect>
#include <QScreen>
#include <vector>

class QWidget;

// The monitor a window is on, and that monitor's full area (taskbars and
// panels included) in virtual-desktop coordinates.
class CMonitor {
 public:
  CMonitor() = default;
  explicit CMonitor(QScreen* screen) : m_monitor(screen) {}
  CMonitor(const CMonitor&) = default;
  CMonitor& operator=(const CMonitor&) = default;
  virtual ~CMonitor() { m_monitor = nullptr; }

  // The monitor showing most of the window; the nearest one when the window
  // is on none; the primary one when the window is not known.
  static CMonitor MonitorOfWindow(const QWidget* window);

  // Index of the rectangle in `monitors` that shares the most area with
  // `window`, or when none overlaps the one nearest to its centre; -1 for
  // an empty list.
  static int PickMonitor(const QRect& window, const std::vector<QRect>& monitors);

  void GetFullRect(QRect& rect) const;
  bool IsValid() const { return !m_monitor.isNull(); }

 private:
  QPointer<QScreen> m_monitor;
};
