#include "controls/PngStatic.h"

#include <QPainter>

CPngStatic::CPngStatic(QWidget* parent) : QWidget(parent) {}

bool CPngStatic::LoadPng(int id, const char* type) {
  const bool ok = m_image.LoadResourceImage(id, type);
  m_grey = GreyImage(m_image.Image());
  update();
  return ok;
}

int CPngStatic::SetActive(bool active) {
  m_active = active;
  update();
  return 1;
}

void CPngStatic::paintEvent(QPaintEvent*) {
  if (m_image.IsEmpty()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!m_active) p.setOpacity(kDimmedOpacity);
  p.drawImage(rect(), m_active ? m_image.Image() : m_grey);
}
