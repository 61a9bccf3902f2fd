#include "controls/SkinSlider.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt/WindowMessage.h"

CSkinSlider::CSkinSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setFocusPolicy(Qt::NoFocus);
}

QObject* CSkinSlider::Owner() const {
  return m_owner ? m_owner.data() : static_cast<QObject*>(parentWidget());
}

void CSkinSlider::SendToOwner(unsigned message) {
  SendWindowMessage(Owner(), message, 0, 0);
}

SliderChannel CSkinSlider::Channel() const {
  const int half = kThumbWidth / 2;
  SliderChannel ch{half, width() - half};
  if (ch.right < ch.left) ch.right = ch.left;
  return ch;
}

QRect CSkinSlider::ThumbRect() const {
  const int cx = ThumbCentre(value(), minimum(), maximum(), Channel());
  const int h = std::max(4, height() - 4);
  return QRect(cx - kThumbWidth / 2, (height() - h) / 2, kThumbWidth, h);
}

int CSkinSlider::PositionFromPoint(int x) const {
  return ::PositionFromPoint(x, minimum(), maximum(), Channel());
}

void CSkinSlider::SetThumbColors(const QColor& normal, const QColor& pressed) {
  m_thumbColor = normal;
  m_thumbPressedColor = pressed;
  update();
}

void CSkinSlider::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintChannel(p);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 0, 0), 1));
  p.setBrush(m_dragging ? m_thumbPressedColor : m_thumbColor);
  p.drawEllipse(QRectF(ThumbRect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void CSkinSlider::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    e->ignore();
    return;
  }
  setValue(PositionFromPoint(qRound(e->position().x())));
  m_dragging = true;  // Qt keeps the mouse on this widget until the release
  setSliderDown(true);
  update();
}

void CSkinSlider::mouseMoveEvent(QMouseEvent* e) {
  if (!m_dragging) return;
  setValue(PositionFromPoint(qRound(e->position().x())));
  Notify();
}

void CSkinSlider::mouseReleaseEvent(QMouseEvent* e) {
  if (!m_dragging || e->button() != Qt::LeftButton) return;
  m_dragging = false;
  setValue(PositionFromPoint(qRound(e->position().x())));
  setSliderDown(false);
  update();
  Notify();
}
