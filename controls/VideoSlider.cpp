#include "controls/VideoSlider.h"

#include <QPainter>

CVideoSlider::CVideoSlider(QWidget* parent) : SkinSlider(parent) {
  SetThumbColors(QColor(100, 250, 100), QColor(240, 0, 180));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CVideoSlider::PaintChannel(QPainter& p) {
  const QRect r = rect();
  p.fillRect(r, Qt::black);
  // Sunken edge: dark outer top/left, light outer bottom/right.
  p.setPen(QColor(60, 60, 60));
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(QColor(120, 120, 120));
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

void CVideoSlider::Notify() { emit seekRequested(value()); }
