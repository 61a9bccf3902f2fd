#include "controls/GdiPlusBitmapResource.h"

#include <QGuiApplication>
#include <QImageReader>
#include <algorithm>
#include <cstring>

#include "controls/ImageResources.h"

bool CGdiPlusBitmapResource::LoadResourceImage(int id, const char* type) {
  ReleaseImage();
  if (type && *type && std::strcmp(type, "PNG") != 0) return false;
  // On a high-density screen the image drawn at twice the size, marked
  // as such, so that it is drawn sharp at the same logical size.
  const qreal screenRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
  qreal ratio = 1;
  const QString path = ImageResourcePath(id, screenRatio, &ratio);
  if (path.isEmpty() || !LoadImageFile(path)) return false;
  m_image.setDevicePixelRatio(ratio);
  return true;
}

bool CGdiPlusBitmapResource::LoadImageFile(const QString& path) {
  ReleaseImage();
  QImageReader reader(path);
  QImage img = reader.read();
  if (img.isNull()) return false;
  m_image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  return !m_image.isNull();
}

namespace {

// Applies f(r, g, b) -> (r, g, b) on straight (non-premultiplied) colour,
// keeping alpha.
template <typename F>
QImage MapColours(const QImage& src, F f) {
  if (src.isNull()) return {};
  QImage img = src.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      const QRgb c = line[x];
      int r = qRed(c), g = qGreen(c), b = qBlue(c);
      f(r, g, b);
      line[x] = qRgba(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255),
                      qAlpha(c));
    }
  }
  return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

QImage GreyImage(const QImage& src) {
  return MapColours(src, [](int& r, int& g, int& b) {
    const int grey = static_cast<int>(0.3 * r + 0.59 * g + 0.11 * b + 0.5);
    r = g = b = grey;
  });
}

QImage HotImage(const QImage& src) {
  return MapColours(src, [](int& r, int& g, int& b) {
    auto hot = [](int v) { return static_cast<int>(v * 1.05 + 0.05 * 255 + 0.5); };
    r = hot(r);
    g = hot(g);
    b = hot(b);
  });
}
