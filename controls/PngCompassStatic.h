// CPngCompassStatic: the compass, a QWidget showing one of its PNGs.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "controls/GdiPlusBitmapResource.h"

// Compass: one of n images chosen by heading (the images run
// counter-clockwise from north), or the first image in grey and dimmed
// (index 0: no fix, nothing playing).
class CPngCompassStatic : public QWidget {
  Q_OBJECT
 public:
  explicit CPngCompassStatic(QWidget* parent = nullptr);
  ~CPngCompassStatic() override;

  // Appends numbered image `resourceId`; 0 when it cannot be loaded.
  int AddImage(int resourceId);
  // 0 = grey first image, 1..n = image n. Returns 0 and keeps the current
  // image when index > n.
  int SetImage(unsigned index);
  // Heading in degrees, 0 = north, clockwise. Returns 0 and changes nothing
  // while there are no images.
  int SetHeading(int degrees);

  unsigned ImageIndex() const { return m_imageIndex; }
  std::size_t ImageCount() const { return m_images.size(); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::vector<std::unique_ptr<CGdiPlusBitmapResource>> m_images;
  QImage m_greyFirst;
  unsigned m_imageIndex = 0;
};
