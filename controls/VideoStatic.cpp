#include "controls/VideoStatic.h"

#include <QBackingStore>
#include <QMouseEvent>
#include <QPainter>

#include "controls/StyledText.h"

namespace {
const QColor kSurfaceColor(5, 5, 5);
}

NativeVideoWindow::NativeVideoWindow(CVideoStatic* owner) : m_owner(owner) {
  setSurfaceType(QSurface::RasterSurface);
  setFlag(Qt::WindowTransparentForInput, false);
}

void NativeVideoWindow::exposeEvent(QExposeEvent*) { Fill(); }

void NativeVideoWindow::resizeEvent(QResizeEvent*) { Fill(); }

void NativeVideoWindow::Fill() {
  // Near-black, so that no stale pixels show before (or between) pictures
  // from the player, which draws into a window of its own inside this one.
  if (!isExposed() || width() <= 0 || height() <= 0) return;
  if (!m_store) m_store = std::make_unique<QBackingStore>(this);
  const QRect r(QPoint(0, 0), size());
  m_store->resize(size());
  m_store->beginPaint(r);
  if (QPaintDevice* dev = m_store->paintDevice()) {
    QPainter p(dev);
    p.fillRect(r, kSurfaceColor);
  }
  m_store->endPaint();
  m_store->flush(r);
}

void NativeVideoWindow::mousePressEvent(QMouseEvent* e) {
  if (m_owner && e->button() == Qt::LeftButton) m_owner->OnPress();
}

void NativeVideoWindow::mouseDoubleClickEvent(QMouseEvent* e) {
  if (m_owner && e->button() == Qt::LeftButton) m_owner->OnDoubleClick();
}

CVideoStatic::CVideoStatic(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CVideoStatic::~CVideoStatic() {
  // The container owns the window; it goes with the child widgets.
}

WId CVideoStatic::VideoWindowId() {
  if (!m_window) {
    m_window = new NativeVideoWindow(this);
    m_container = QWidget::createWindowContainer(m_window, this);
    m_container->setAttribute(Qt::WA_OpaquePaintEvent);
    m_container->setGeometry(rect());
    UpdateContainer();
  }
  return m_window->winId();
}

void CVideoStatic::SetCountVisible(bool flag) {
  m_countVisible = flag;
  UpdateContainer();
  // Hiding the count must not leave the last number standing.
  if (!flag) update();
}

void CVideoStatic::SetCount(int n) {
  m_count = n;
  update();
  repaint();
}

QString CVideoStatic::CountText(int n) { return QString::number(n) + QLatin1Char('\n'); }

void CVideoStatic::UpdateContainer() {
  // The count is painted on this widget, so the native video window steps
  // aside while it is shown.
  if (m_container) m_container->setVisible(!m_countVisible);
}

void CVideoStatic::OnPress() {
  // A top-level surface has no caption to grab: let a press move it.
  if (isWindow() && windowHandle()) windowHandle()->startSystemMove();
}

void CVideoStatic::OnDoubleClick() { emit fullScreenRequested(); }

void CVideoStatic::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kSurfaceColor);
  if (m_countVisible) DrawCoolText(p, CountText(m_count), 10, 10, 72);
}

void CVideoStatic::resizeEvent(QResizeEvent*) {
  if (m_container) m_container->setGeometry(rect());
}

void CVideoStatic::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) OnPress();
}

void CVideoStatic::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) OnDoubleClick();
}
