#include "controls/SpeedLabelStatic.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/SpeedModel.h"
#include "controls/StyledText.h"

CSpeedLabelStatic::CSpeedLabelStatic(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  RebuildTexts();
}

int CSpeedLabelStatic::SetSpeed(std::uint16_t kmh, bool valid) {
  m_speed = kmh;
  m_valid = valid;
  RebuildTexts();
  update();
  return 1;
}

void CSpeedLabelStatic::SetKmh(bool kmh) {
  if (m_kmh == kmh) return;
  m_kmh = kmh;
  RebuildTexts();
  update();
  emit UnitChanged(m_kmh);
}

void CSpeedLabelStatic::ToggleUnit() { SetKmh(!m_kmh); }

void CSpeedLabelStatic::RebuildTexts() {
  const SpeedText t = MakeSpeedText(m_speed, m_kmh);
  m_text = QString::fromStdString(t.number);
  m_unit = QString::fromStdString(t.unit);
}

void CSpeedLabelStatic::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(5, 5, 5));
  if (!m_valid) return;
  DrawWarmText(p, m_text, 0, 10, 20);
  DrawWarmText(p, m_unit, 40, 18, 12);
}

void CSpeedLabelStatic::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) m_pressed = true;
}

void CSpeedLabelStatic::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !m_pressed) return;
  m_pressed = false;
  if (rect().contains(e->position().toPoint())) ToggleUnit();
}

void CSpeedLabelStatic::mouseDoubleClickEvent(QMouseEvent* e) {
  // The double-click switches the unit and its release switches again, as
  // every release over the display does: with the first click that makes
  // three switches, so a double-click ends with the unit changed once.
  if (e->button() != Qt::LeftButton) return;
  ToggleUnit();
  m_pressed = true;
}
