#include "controls/GSensorCtrl.h"

#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace {

using Rect = GSensorModel::Rect;

QFont ChartFont(int pixelHeight) {
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixelHeight);
  f.setWeight(QFont::Normal);
  return f;
}

// A one-pixel 3-D frame: light on the top and left, dark on the bottom and
// right, around the inclusive rectangle r.
void Draw3dFrame(QPainter& p, const QRect& r, const QColor& light, const QColor& dark) {
  p.setPen(light);
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
  p.setPen(dark);
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

}  // namespace

CGSensorCtrl::CGSensorCtrl(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(60, 40);
}

QColor CGSensorCtrl::AxisColor(int axis) {
  switch (axis) {
    case GSensorModel::kAxisX: return QColor(255, 255, 0);
    case GSensorModel::kAxisY: return QColor(60, 255, 60);
    default: return QColor(255, 60, 60);
  }
}

int CGSensorCtrl::SetSamples(const GSensorSample* raw, std::size_t count,
                             std::vector<GSensorWideSample> wide) {
  return m_model.SetSamples(raw, count, std::move(wide));
}

int CGSensorCtrl::ClearSamples() {
  m_model.ClearSamples();
  update();
  return 1;
}

void CGSensorCtrl::SetRange(double sensorRange, double displayRange) {
  m_model.SetRange(sensorRange, displayRange);
}

int CGSensorCtrl::SetSampleRate(double samplesPerMs) {
  m_model.SetSampleRate(samplesPerMs);
  return 1;
}

int CGSensorCtrl::SetTimeScale(double pixelsPerMs) {
  m_model.SetTimeScale(pixelsPerMs);
  return 1;
}

bool CGSensorCtrl::SetSpanMode(int mode) { return m_model.SetSpanMode(mode); }

void CGSensorCtrl::UpdateSpan() { m_model.UpdateSpan(); }

int CGSensorCtrl::SetPosition(int ms) {
  m_model.SetPosition(ms);
  update();
  return 1;
}

int CGSensorCtrl::SetInactive(bool flag) {
  m_model.SetInactive(flag);
  update();
  return 1;
}

int CGSensorCtrl::Refresh() {
  update();
  return 1;
}

void CGSensorCtrl::SetEventMarks(std::vector<double> ms) {
  m_model.SetEventMarks(std::move(ms));
  update();
}

void CGSensorCtrl::resizeEvent(QResizeEvent*) {
  m_model.SetPlotWidth(GSensorModel::PlotRect(width(), height()).Width());
  m_model.UpdateSpan();
}

void CGSensorCtrl::paintEvent(QPaintEvent*) {
  // Drawn off-screen first and copied in one go, so the chart never flickers.
  // In device pixels, so that the curve stays sharp on a high-density screen.
  const qreal ratio = devicePixelRatioF();
  QImage buffer(size() * ratio, QImage::Format_RGB32);
  buffer.setDevicePixelRatio(ratio);
  buffer.fill(Qt::black);
  {
    QPainter p(&buffer);
    PaintChart(p);
    PaintLabels(p);
  }
  QPainter(this).drawImage(0, 0, buffer);
}

void CGSensorCtrl::PaintChart(QPainter& p) {
  const Rect plot = GSensorModel::PlotRect(width(), height());
  m_model.SetPlotWidth(plot.Width());
  const double span = m_model.PaintSpanMs(plot.Width());
  const int zeroY = GSensorModel::ZeroY(plot);

  p.setPen(QPen(Qt::white, 1));
  p.drawLine(plot.left, zeroY, plot.left + plot.Width(), zeroY);
  p.setPen(QPen(GridColor(), 1));
  p.drawLine(plot.left, plot.top, plot.left, plot.bottom);

  const long long ticks = GSensorModel::TickCount(span);
  for (long long i = 0; i < ticks; ++i) {
    const int x = GSensorModel::TickX(plot, i, span);
    const int len = GSensorModel::TickLength(i);
    for (int y : {plot.top, zeroY, plot.bottom}) p.drawLine(x, y - len, x, y);
  }

  QPoint last[3];
  for (auto& pt : last) pt = QPoint(plot.left, zeroY);
  for (int c = 0; c < plot.Width(); ++c) {
    const long long k = m_model.SampleIndexAt(m_model.ColumnTime(c, plot.Width(), span));
    if (k < 0) break;
    for (int axis = 0; axis < GSensorModel::kAxisCount; ++axis) {
      if (!m_model.CurvesVisible(axis)) continue;
      const double g = m_model.ToG(m_model.Component(static_cast<std::size_t>(k), axis));
      const QPoint next(plot.left + c, m_model.ValueToY(g, plot));
      p.setPen(QPen(AxisColor(axis), 1));
      p.drawLine(last[axis], next);
      last[axis] = next;
    }
  }

  // Driving events: a dashed line across the plot.
  p.setPen(QPen(EventColor(), 1, Qt::DashLine));
  for (int x : m_model.EventMarkXs(plot, span)) p.drawLine(x, plot.top, x, plot.bottom);

  const int cx = m_model.CursorX(plot, span);
  p.setPen(QPen(CursorColor(), 2));
  p.drawLine(cx, plot.top - 4, cx, plot.bottom + 4);
}

void CGSensorCtrl::PaintLabels(QPainter& p) {
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(Qt::black);

  const QFont small = ChartFont(10);
  p.setFont(small);
  p.setPen(Qt::white);
  const int ascent = QFontMetrics(small).ascent();
  const int h = (height() - 20) / 6;
  const int ys[3] = {20 + h - 10, 20 + 3 * h - 10, 20 + 5 * h - 10};
  for (int i = 0; i < 3; ++i) {
    p.drawText(4, ys[i] + ascent, QString::fromStdString(m_model.ScaleLabel(i)));
  }

  const QFont big = ChartFont(13);
  p.setFont(big);
  const QFontMetrics fm(big);
  const auto values = m_model.ValuesAtCursor();
  int x = 40;
  for (int axis = 0; axis < GSensorModel::kAxisCount; ++axis) {
    const QString text = QString::fromStdString(GSensorModel::LegendText(axis, values[axis]));
    const int w = fm.horizontalAdvance(text);
    const int th = fm.height();
    const bool dimmed = m_model.LegendDimmed(axis);
    const int shift = dimmed ? 0 : 1;
    const QRect box(x - 1 + shift, 2 - 1 + shift, w + 2, th + 2);
    if (dimmed) {
      Draw3dFrame(p, box, QColor(100, 100, 100), QColor(50, 50, 50));
    } else {
      Draw3dFrame(p, box, QColor(130, 130, 130), QColor(80, 80, 80));
    }
    p.setPen(dimmed ? QColor(160, 160, 160) : AxisColor(axis));
    p.drawText(x + shift, 2 + shift + fm.ascent(), text);
    m_model.SetLegendRect(axis, {x + shift, 2 + shift, x + shift + w, 2 + shift + th});
    x += w + 8;
  }
  p.setBackgroundMode(Qt::TransparentMode);
}

void CGSensorCtrl::mousePressEvent(QMouseEvent* e) {
  // Qt grabs the mouse for the press, so the release arrives here.
  e->accept();
}

void CGSensorCtrl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pt = e->position().toPoint();
  m_model.ClickLegend(pt.x(), pt.y());
  update();
}

void CGSensorCtrl::mouseMoveEvent(QMouseEvent* e) {
  if (e->buttons() & Qt::LeftButton) update();
}

void CGSensorCtrl::mouseDoubleClickEvent(QMouseEvent* e) { e->accept(); }
