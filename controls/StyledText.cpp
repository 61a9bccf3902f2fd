#include "controls/StyledText.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

struct GradientStops {
  double y1, y2;
  QColor c1, c2;
};

struct TextStyle {
  const char* family;
  bool black;  // the heavy "Black" weight
  QColor glow;
  GradientStops first;
  GradientStops second;
};

QColor Argb(int a, int r, int g, int b) { return QColor(r, g, b, a); }

const TextStyle kTitle{"Arial Black", true, Argb(62, 0, 2, 2),
                       {0, 90, Argb(200, 0, 0, 240), Argb(255, 30, 120, 195)},
                       {10, 60, Argb(255, 255, 255, 255), Argb(15, 1, 1, 1)}};
const TextStyle kWarm{"Arial", false, Argb(80, 160, 80, 2),
                      {0, 90, Argb(200, 190, 220, 24), Argb(255, 195, 120, 0)},
                      {10, 40, Argb(255, 255, 188, 0), Argb(150, 255, 1, 1)}};
const TextStyle kCool{"Arial", false, Argb(80, 10, 150, 220),
                      {0, 90, Argb(200, 20, 120, 240), Argb(255, 20, 120, 240)},
                      {10, 120, Argb(255, 80, 188, 250), Argb(150, 80, 80, 155)}};

QBrush Gradient(const GradientStops& g) {
  QLinearGradient lg(0, g.y1, 0, g.y2);
  lg.setColorAt(0, g.c1);
  lg.setColorAt(1, g.c2);
  lg.setSpread(QGradient::RepeatSpread);
  return QBrush(lg);
}

bool DrawStyled(QPainter& p, const TextStyle& style, const QString& text, double x, double y,
                double size) {
  if (!(size > 0)) return true;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);

  QFont font(QString::fromLatin1(style.family));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, qRound(size)));
  if (style.black) font.setWeight(QFont::Black);

  // Lines stack downwards from the top-left corner, as text layout would.
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  const QFontMetricsF fm(font);
  const QStringList lines = text.left(127).split(QLatin1Char('\n'));
  double baseline = y + fm.ascent();
  for (const QString& line : lines) {
    if (!line.isEmpty()) path.addText(x, baseline, font, line);
    baseline += fm.lineSpacing();
  }

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(215, 215, 215, 155), 3));
  p.drawPath(path);
  for (int w = 1; w <= 8; ++w) {
    p.setPen(QPen(style.glow, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
  }
  p.fillPath(path, Gradient(style.first));
  p.fillPath(path, Gradient(style.second));
  p.restore();
  return true;
}

}  // namespace

bool DrawTitleText(QPainter& p, const QString& text, double x, double y, double size) {
  return DrawStyled(p, kTitle, text, x, y, size);
}

bool DrawWarmText(QPainter& p, const QString& text, double x, double y, double size) {
  return DrawStyled(p, kWarm, text, x, y, size);
}

bool DrawCoolText(QPainter& p, const QString& text, double x, double y, double size) {
  return DrawStyled(p, kCool, text, x, y, size);
}
