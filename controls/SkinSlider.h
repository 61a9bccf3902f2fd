#pragma once

#include <QColor>
#include <QSlider>

#include "controls/SliderModel.h"

// Horizontal slider that jumps to the mouse: a press or a drag puts the
// value under the pointer, and each drag step and the release report the
// value through the subclass's signal.
// Wheel steps, arrow keys and paging arrive as
// QAbstractSlider::actionTriggered, the counterpart of a trackbar's scroll
// notification; each one that moves the thumb reports the new value through
// the same signal. Mouse jumps never trigger an action.
class SkinSlider : public QSlider {
  Q_OBJECT
 public:
  static constexpr int kThumbWidth = 12;

  explicit SkinSlider(QWidget* parent = nullptr);

  // The span of client x along which the thumb centre travels.
  SliderChannel Channel() const;
  QRect ThumbRect() const;
  int PositionFromPoint(int x) const;
  bool IsDragging() const { return m_dragging; }
  void SetThumbColors(const QColor& normal, const QColor& pressed);

  QSize sizeHint() const override { return {80, 20}; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

  virtual void PaintChannel(QPainter& p) = 0;
  // Emits the subclass's signal with value().
  virtual void Notify() = 0;

 private:
  void OnAction();

  QColor m_thumbColor;
  QColor m_thumbPressedColor;
  bool m_dragging = false;
};
