#include "controls/MySliderControl.h"

#include <QPainter>

CMySliderControl::CMySliderControl(QWidget* parent) : SkinSlider(parent) {
  SetThumbColors(QColor(255, 0, 0), QColor(170, 0, 0));
}

void CMySliderControl::PaintChannel(QPainter& p) {
  // Thin sunken groove across the channel, over the parent's background.
  const SliderChannel ch = Channel();
  const int cy = height() / 2;
  const QRect groove(ch.left - 1, cy - 2, ch.Width() + 2, 4);
  p.setPen(QColor(40, 40, 40));
  p.drawLine(groove.topLeft(), groove.topRight());
  p.drawLine(groove.topLeft(), groove.bottomLeft());
  p.setPen(QColor(150, 150, 150));
  p.drawLine(groove.bottomLeft(), groove.bottomRight());
  p.drawLine(groove.topRight(), groove.bottomRight());
  p.fillRect(groove.adjusted(1, 1, -1, -1), QColor(20, 20, 20));
}

void CMySliderControl::Notify() { emit volumeChanged(value()); }
