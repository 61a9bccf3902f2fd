// CGdiPlusBitmap, CGdiPlusBitmapResource: skin images as QImage, loaded from the Qt resources.
#pragma once

#include <QImage>
#include <QString>

// An owned image (empty when nothing is loaded).
class CGdiPlusBitmap {
 public:
  CGdiPlusBitmap() = default;
  virtual ~CGdiPlusBitmap() = default;
  CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
  CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

  bool IsEmpty() const { return m_image.isNull(); }
  // Its device pixel ratio is 2 when the image drawn at twice the size was
  // loaded; Width() and Height() count its pixels.
  const QImage& Image() const { return m_image; }
  int Width() const { return m_image.width(); }
  int Height() const { return m_image.height(); }

 protected:
  QImage m_image;  // ARGB32 premultiplied once loaded
};

// Loads a numbered PNG of the skin from the Qt resources.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
 public:
  // Releases what was loaded, then loads image `id` (type must be "PNG" or
  // empty). Returns false and stays empty when the image is missing or
  // cannot be decoded.
  bool LoadResourceImage(int id, const char* type = "PNG");
  // The same for an explicit resource or file path.
  bool LoadImageFile(const QString& path);
  void ReleaseImage() { m_image = QImage(); }
};

// Colour transforms of the skin, applied to premultiplied ARGB pixels with
// the alpha kept: grey = 0.3 R + 0.59 G + 0.11 B; hot = each of R, G, B
// times 1.05 plus 0.05 (of full scale).
QImage GreyImage(const QImage& src);
// Opacity of an instrument with nothing to show (nothing playing, no fix):
// its grey image drawn faint over the dark window.
inline constexpr qreal kDimmedOpacity = 0.45;
QImage HotImage(const QImage& src);
