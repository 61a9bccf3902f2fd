// CGSensorCtrl: the G-sensor strip chart, a QWidget painted with QPainter.
#pragma once

#include <QWidget>
#include <vector>

#include "controls/GSensorModel.h"

// Strip chart of the three G-sensor axes with the playback cursor and one
// legend box per axis; clicking a legend hides or shows its axis. The
// arithmetic lives in GSensorModel; this widget paints and forwards.
class CGSensorCtrl : public QWidget {
  Q_OBJECT
 public:
  explicit CGSensorCtrl(QWidget* parent = nullptr);

  int SetSamples(const GSensorSample* raw, std::size_t count,
                 std::vector<GSensorWideSample> wide = {});
  int ClearSamples();
  void SetRange(double sensorRange, double displayRange);
  int SetSampleRate(double samplesPerMs);
  int SetTimeScale(double pixelsPerMs);
  bool SetSpanMode(int mode);
  void UpdateSpan();
  int SetPosition(int ms);
  int SetInactive(bool flag);
  int Refresh();
  // Driving events of the recording shown (ms from its first sample).
  void SetEventMarks(std::vector<double> ms);

  const GSensorModel& Model() const { return m_model; }
  GSensorModel& Model() { return m_model; }

  // Colours of the chart.
  static QColor AxisColor(int axis);
  static QColor CursorColor() { return QColor(0, 0, 255); }
  static QColor GridColor() { return QColor(102, 102, 102); }
  static QColor EventColor() { return QColor(255, 210, 0); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void PaintChart(QPainter& p);
  void PaintLabels(QPainter& p);

  GSensorModel m_model;
};
