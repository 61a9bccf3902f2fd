#pragma once

#include <QWidget>
#include <vector>

class QPainter;

#include "controls/DriveTimelineModel.h"

// DriveTimeline: the strip under the pictures that shows the whole drive —
// its recordings end to end with their boundaries, locked recordings
// marked, spans without a GPS fix shaded, driving events as yellow ticks,
// the in and out marks of a clip and the span between them, the played
// part and the cursor,
// elapsed / total time and the clock time under the mouse. A click or a
// drag asks for a seek on the drive's line.
class DriveTimeline : public QWidget {
  Q_OBJECT
 public:
  explicit DriveTimeline(QWidget* parent = nullptr);

  void SetLayout(const DriveLayout& layout);
  void SetPosition(std::int64_t driveMs);
  void SetEvents(std::vector<std::int64_t> driveMs);
  // In and out marks of a clip, at drive positions.
  void MarkIn(std::int64_t driveMs);
  void MarkOut(std::int64_t driveMs);
  const DriveTimelineModel& Model() const { return m_model; }

 signals:
  void seekRequested(qint64 driveMs);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QRect StripRect() const;
  void PaintMarks(QPainter& p, const QRect& strip);
  void SeekToColumn(int x);

  DriveTimelineModel m_model;
  bool m_dragging = false;
  int m_hoverX = -1;  // strip column under the mouse, -1 none
};
