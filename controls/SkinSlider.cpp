#include "controls/SkinSlider.h"

#include <QMouseEvent>
#include <QPainter>

SkinSlider::SkinSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int) { OnAction(); });
}

// QAbstractSlider has already moved sliderPosition() when it announces the
// action but commits value() only afterwards; commit first so Notify()
// reports the value the thumb now shows.
void SkinSlider::OnAction() {
  if (sliderPosition() == value()) return;  // a step against a bound moves nothing
  setValue(sliderPosition());
  Notify();
}

SliderChannel SkinSlider::Channel() const {
  const int half = kThumbWidth / 2;
  SliderChannel ch{half, width() - half};
  if (ch.right < ch.left) ch.right = ch.left;
  return ch;
}

QRect SkinSlider::ThumbRect() const {
  const int cx = ThumbCentre(value(), minimum(), maximum(), Channel());
  const int h = std::max(4, height() - 4);
  return QRect(cx - kThumbWidth / 2, (height() - h) / 2, kThumbWidth, h);
}

int SkinSlider::PositionFromPoint(int x) const {
  return ::PositionFromPoint(x, minimum(), maximum(), Channel());
}

void SkinSlider::SetThumbColors(const QColor& normal, const QColor& pressed) {
  m_thumbColor = normal;
  m_thumbPressedColor = pressed;
  update();
}

void SkinSlider::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintChannel(p);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 0, 0), 1));
  p.setBrush(m_dragging ? m_thumbPressedColor : m_thumbColor);
  p.drawEllipse(QRectF(ThumbRect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void SkinSlider::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    e->ignore();
    return;
  }
  // Taken, so that the window under the slider does not start a drag.
  if (!AcceptsInput()) return;
  setValue(PositionFromPoint(qRound(e->position().x())));
  m_dragging = true;  // Qt keeps the mouse on this widget until the release
  setSliderDown(true);
  update();
}

void SkinSlider::mouseMoveEvent(QMouseEvent* e) {
  if (!m_dragging) return;
  setValue(PositionFromPoint(qRound(e->position().x())));
  Notify();
}

void SkinSlider::mouseReleaseEvent(QMouseEvent* e) {
  if (!m_dragging || e->button() != Qt::LeftButton) return;
  m_dragging = false;
  setValue(PositionFromPoint(qRound(e->position().x())));
  setSliderDown(false);
  update();
  Notify();
}

void SkinSlider::wheelEvent(QWheelEvent* e) {
  if (!AcceptsInput()) return e->accept();
  QSlider::wheelEvent(e);
}

void SkinSlider::keyPressEvent(QKeyEvent* e) {
  if (!AcceptsInput()) return e->accept();
  QSlider::keyPressEvent(e);
}
