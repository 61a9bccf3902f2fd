#include "controls/DriveTimeline.h"

#include <QMouseEvent>
#include <QPainter>
#include <utility>

namespace {
constexpr int kTextWidth = 150;  // room for "h:mm:ss / h:mm:ss" left of the strip
constexpr int kMargin = 4;
const QColor kBackground(24, 24, 24);
const QColor kPiece(70, 70, 70);
const QColor kPieceAlt(85, 85, 85);
const QColor kPlayed(40, 150, 60);
const QColor kNoFix(120, 120, 120, 150);
const QColor kLocked(220, 60, 50);
const QColor kCursor(255, 255, 255);
const QColor kEvent(255, 210, 0);
const QColor kMark(80, 170, 255);
const QColor kSpan(80, 170, 255, 70);
}  // namespace

DriveTimeline::DriveTimeline(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumHeight(22);
  setCursor(Qt::PointingHandCursor);
}

void DriveTimeline::SetLayout(const DriveLayout& layout) {
  m_model.SetLayout(layout);
  update();
}

void DriveTimeline::SetPosition(std::int64_t driveMs) {
  // A drag in progress wins over the playing position.
  if (m_dragging) return;
  m_model.SetPosition(driveMs);
  update();
}

void DriveTimeline::SetEvents(std::vector<std::int64_t> driveMs) {
  m_model.SetEvents(std::move(driveMs));
  update();
}

void DriveTimeline::MarkIn(std::int64_t driveMs) {
  if (driveMs < 0 || m_model.Empty()) return;
  m_model.SetInMark(driveMs);
  update();
}

void DriveTimeline::MarkOut(std::int64_t driveMs) {
  if (driveMs < 0 || m_model.Empty()) return;
  m_model.SetOutMark(driveMs);
  update();
}

QRect DriveTimeline::StripRect() const {
  return QRect(kTextWidth, kMargin, std::max(width() - kTextWidth - kMargin, 2),
               std::max(height() - 2 * kMargin, 2));
}

void DriveTimeline::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kBackground);
  p.setPen(Qt::white);
  p.drawText(QRect(kMargin, 0, kTextWidth - 2 * kMargin, height()), Qt::AlignVCenter | Qt::AlignLeft,
             QString::fromStdString(m_model.ElapsedText()));
  if (m_model.Empty()) return;
  const QRect strip = StripRect();
  const int w = strip.width();
  const auto column = [&](std::int64_t ms) { return strip.left() + m_model.XOf(ms, w); };
  const DriveLayout& layout = m_model.Layout();
  for (std::size_t i = 0; i < layout.pieces.size(); ++i) {
    const DrivePiece& piece = layout.pieces[i];
    const int x0 = column(piece.startMs), x1 = column(piece.startMs + piece.durationMs);
    p.fillRect(QRect(x0, strip.top(), std::max(x1 - x0, 1), strip.height()), i % 2 ? kPieceAlt : kPiece);
    if (piece.locked) p.fillRect(QRect(x0, strip.top(), std::max(x1 - x0, 1), 3), kLocked);
  }
  const int played = column(m_model.Position());
  p.fillRect(QRect(strip.left(), strip.top() + strip.height() / 3, played - strip.left(),
                   strip.height() / 3),
             kPlayed);
  for (const auto& [from, to] : layout.noFixSpans) {
    const int x0 = column(from), x1 = column(to);
    p.fillRect(QRect(x0, strip.bottom() - 3, std::max(x1 - x0, 1), 4), kNoFix);
  }
  p.setPen(Qt::black);
  for (int x : m_model.BoundaryColumns(w)) p.drawLine(strip.left() + x, strip.top(), strip.left() + x, strip.bottom());
  PaintMarks(p, strip);
  p.setPen(QPen(kCursor, 2));
  p.drawLine(played, strip.top() - 2, played, strip.bottom() + 2);
  if (m_hoverX < 0) return;
  const std::string clock = m_model.ClockText(m_model.MsAt(m_hoverX, w));
  if (clock.empty()) return;
  p.setPen(Qt::white);
  const int x = strip.left() + m_hoverX;
  const QRect box(std::min(x + 4, strip.right() - 60), strip.top(), 60, strip.height());
  p.fillRect(box, QColor(0, 0, 0, 170));
  p.drawText(box, Qt::AlignCenter, QString::fromStdString(clock));
}

void DriveTimeline::PaintMarks(QPainter& p, const QRect& strip) {
  const int w = strip.width();
  const auto column = [&](std::int64_t ms) { return strip.left() + m_model.XOf(ms, w); };
  if (m_model.HasSpan())
    p.fillRect(QRect(column(m_model.InMark()), strip.top(),
                     std::max(column(m_model.OutMark()) - column(m_model.InMark()), 1), strip.height()),
               kSpan);
  p.setPen(QPen(kMark, 2));
  for (std::int64_t mark : {m_model.InMark(), m_model.OutMark()}) {
    if (mark == DriveTimelineModel::kNoMark) continue;
    p.drawLine(column(mark), strip.top(), column(mark), strip.bottom());
  }
  // An event: a tick from the top edge, so it stays visible over the
  // played bar.
  p.setPen(QPen(kEvent, 2));
  for (int x : m_model.EventColumns(w))
    p.drawLine(strip.left() + x, strip.top(), strip.left() + x, strip.top() + strip.height() / 2);
}

void DriveTimeline::SeekToColumn(int x) {
  if (m_model.Empty()) return;
  const QRect strip = StripRect();
  const std::int64_t ms = m_model.MsAt(x - strip.left(), strip.width());
  m_model.SetPosition(ms);
  update();
  emit seekRequested(ms);
}

void DriveTimeline::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  m_dragging = true;
  SeekToColumn(event->position().toPoint().x());
}

void DriveTimeline::mouseMoveEvent(QMouseEvent* event) {
  const QRect strip = StripRect();
  const int x = event->position().toPoint().x();
  m_hoverX = x >= strip.left() ? x - strip.left() : -1;
  if (m_dragging) {
    SeekToColumn(x);
    return;
  }
  update();
}

void DriveTimeline::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_dragging = false;
}

void DriveTimeline::leaveEvent(QEvent*) {
  m_hoverX = -1;
  update();
}
