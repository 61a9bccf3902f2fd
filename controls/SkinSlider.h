#pragma once

#include <QColor>
#include <QPointer>
#include <QSlider>

#include "controls/SliderModel.h"

// Horizontal slider that jumps to the mouse: a press or a drag puts the
// value under the pointer and the subclass reports it to its owner (the
// parent widget unless SetOwner says otherwise) with a window message.
// Wheel steps and paging arrive as QAbstractSlider::actionTriggered, the
// counterpart of a trackbar's scroll notification; mouse jumps never
// trigger an action.
class CSkinSlider : public QSlider {
  Q_OBJECT
 public:
  static constexpr int kThumbWidth = 12;

  explicit CSkinSlider(QWidget* parent = nullptr);

  void SetOwner(QObject* owner) { m_owner = owner; }
  QObject* Owner() const;
  // The span of client x along which the thumb centre travels.
  SliderChannel Channel() const;
  QRect ThumbRect() const;
  int PositionFromPoint(int x) const;
  bool IsDragging() const { return m_dragging; }
  void SetThumbColors(const QColor& normal, const QColor& pressed);
  QColor ThumbColor() const { return m_thumbColor; }
  QColor ThumbPressedColor() const { return m_thumbPressedColor; }

  QSize sizeHint() const override { return {80, 20}; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

  virtual void PaintChannel(QPainter& p) = 0;
  // Sends the subclass's message to the owner.
  virtual void Notify() = 0;

  void SendToOwner(unsigned message);

 private:
  QPointer<QObject> m_owner;
  QColor m_thumbColor;
  QColor m_thumbPressedColor;
  bool m_dragging = false;
};
