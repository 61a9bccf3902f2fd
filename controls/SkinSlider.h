#pragma once

#include <QColor>
#include <QSlider>
#include <functional>

#include "controls/SliderModel.h"

// Horizontal slider that jumps to the mouse: a press or a drag puts the
// value under the pointer, and each drag step and the release report the
// value through the subclass's signal.
// Wheel steps, arrow keys and paging arrive as
// QAbstractSlider::actionTriggered, the counterpart of a trackbar's scroll
// notification; each one that moves the thumb reports the new value through
// the same signal. Mouse jumps never trigger an action.
// While its input gate says no (the seek slider with nothing to seek in),
// the slider takes the mouse, the wheel and the keys and does nothing.
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
  // Asked at each press, wheel or key; without a gate the slider always
  // accepts input.
  void SetInputGate(std::function<bool()> accepts) { m_accepts = std::move(accepts); }
  bool AcceptsInput() const { return !m_accepts || m_accepts(); }

  QSize sizeHint() const override { return {80, 20}; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

  virtual void PaintChannel(QPainter& p) = 0;
  // Emits the subclass's signal with value().
  virtual void Notify() = 0;

 private:
  void OnAction();

  QColor m_thumbColor;
  QColor m_thumbPressedColor;
  bool m_dragging = false;
  std::function<bool()> m_accepts;
};
