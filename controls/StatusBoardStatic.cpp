#include "controls/StatusBoardStatic.h"

#include <QPainter>

#include "controls/GdiPlusBitmapResource.h"
#include "controls/StatusBoardModel.h"

CStatusBoardStatic::CStatusBoardStatic(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  hide();
}

void CStatusBoardStatic::SetPercent(int percent) {
  show();
  m_percent = StatusBoardShare(percent);
  m_text = QString::fromStdString(StatusBoardText(percent));
  repaint();
}

void CStatusBoardStatic::SetPattern(int bitmapId) {
  m_patternId = bitmapId;
  m_pattern = QImage();
  if (bitmapId != 0) {
    CGdiPlusBitmapResource res;
    if (res.LoadResourceImage(bitmapId, "PNG")) m_pattern = res.Image();
  }
  if (isVisible()) repaint();
}

void CStatusBoardStatic::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const int filled = StatusBoardFilledWidth(r.width(), m_percent);
  const QRect bar(r.left(), r.top(), filled, r.height());
  const QRect rest(r.left() + filled, r.top(), r.width() - filled, r.height());
  if (m_patternId == 0) {
    p.fillRect(bar, m_barColor);
  } else if (!m_pattern.isNull()) {
    p.fillRect(bar, QBrush(m_pattern));
  }
  // A pattern that could not be loaded leaves the filled part unpainted.
  p.fillRect(rest, m_restColor);

  // The text keeps its colour over the filled part; over the dark rest it
  // is drawn light, so that it can be read wherever the bar ends.
  p.save();
  p.setClipRect(bar);
  p.setPen(m_textColor);
  p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, m_text);
  p.setClipRect(rest);
  p.setPen(QColor(230, 230, 230));
  p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, m_text);
  p.restore();

  // Raised edge: light outer top/left, dark outer bottom/right, then the
  // inner ring the same way.
  const QColor light(227, 227, 227), white(255, 255, 255);
  const QColor dark(105, 105, 105), shadow(160, 160, 160);
  auto ring = [&p](const QRect& q, const QColor& tl, const QColor& br) {
    p.setPen(tl);
    p.drawLine(q.topLeft(), q.topRight());
    p.drawLine(q.topLeft(), q.bottomLeft());
    p.setPen(br);
    p.drawLine(q.bottomLeft(), q.bottomRight());
    p.drawLine(q.topRight(), q.bottomRight());
  };
  ring(r, light, dark);
  ring(r.adjusted(1, 1, -1, -1), white, shadow);
}
