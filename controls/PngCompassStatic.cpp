#include "controls/PngCompassStatic.h"

#include <QPainter>

#include "controls/CompassModel.h"

CPngCompassStatic::CPngCompassStatic(QWidget* parent) : QWidget(parent) {}

CPngCompassStatic::~CPngCompassStatic() = default;

int CPngCompassStatic::AddImage(int resourceId) {
  auto img = std::make_unique<CGdiPlusBitmapResource>();
  if (!img->LoadResourceImage(resourceId, "PNG")) return 0;
  if (m_images.empty()) m_greyFirst = GreyImage(img->Image());
  m_images.push_back(std::move(img));
  return 1;
}

int CPngCompassStatic::SetImage(unsigned index) {
  if (index > m_images.size()) return 0;
  m_imageIndex = index;
  update();
  return 1;
}

int CPngCompassStatic::SetHeading(int degrees) {
  if (m_images.empty()) return 0;
  return SetImage(HeadingToImageIndex(degrees, m_images.size()));
}

void CPngCompassStatic::paintEvent(QPaintEvent*) {
  if (m_images.empty() || m_imageIndex > m_images.size()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  if (m_imageIndex == 0) {
    p.setOpacity(kDimmedOpacity);
    p.drawImage(rect(), m_greyFirst);
  } else {
    p.drawImage(rect(), m_images[m_imageIndex - 1]->Image());
  }
}
