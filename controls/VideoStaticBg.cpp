#include "controls/VideoStaticBg.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/GdiPlusBitmapResource.h"
#include "controls/ImageResources.h"

CVideoStaticBg::CVideoStaticBg(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CVideoStaticBg::SetVariant(int v) {
  m_variant = v;
  repaint();
}

void CVideoStaticBg::LoadImages() {
  if (m_loaded) return;
  m_loaded = true;
  CGdiPlusBitmapResource logo, black;
  if (logo.LoadResourceImage(kBmpLogo)) m_logo = logo.Image();
  if (black.LoadResourceImage(kBmpBlack)) m_black = black.Image();
}

void CVideoStaticBg::paintEvent(QPaintEvent*) {
  LoadImages();
  const QImage& img = (m_variant == 1) ? m_logo : m_black;
  QPainter p(this);
  if (img.isNull()) {
    // A missing image still leaves a clean dark panel, never garbage.
    p.fillRect(rect(), Qt::black);
    return;
  }
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  if (m_variant != 1) {
    p.drawImage(rect(), img);
    return;
  }
  // The logo sits on black: fit it inside the panel with its own aspect so
  // that it never looks squashed, and fill the rest black.
  p.fillRect(rect(), Qt::black);
  const QSize fitted = img.size().scaled(size(), Qt::KeepAspectRatio);
  const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                     fitted);
  p.drawImage(target, img);
}

void CVideoStaticBg::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit fullScreenRequested();
}
