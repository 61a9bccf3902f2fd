#include "controls/GdipButton.h"

#include <QMouseEvent>
#include <QPainter>

CGdipButton::CGdipButton(QWidget* parent) : QAbstractButton(parent) {
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::TabFocus);
  // Connected first, so the flip is done before any other receiver of
  // clicked() looks at the state: one flip per click, never per repaint.
  connect(this, &QAbstractButton::clicked, this, &CGdipButton::OnClicked);
}

CGdipButton::~CGdipButton() = default;

bool CGdipButton::LoadNormalImage(int id, const char* type) {
  const bool ok = m_normalImage.LoadResourceImage(id, type);
  DropFaces();
  update();
  return ok;
}

bool CGdipButton::LoadAlternateImage(int id, const char* type) {
  m_hasAlternate = true;
  const bool ok = m_alternateImage.LoadResourceImage(id, type);
  DropFaces();
  update();
  return ok;
}

void CGdipButton::SetToggleMode(bool on) {
  if (!m_hasAlternate) return;
  m_toggleMode = on;
}

void CGdipButton::SetImageType(int type) {
  m_imageType = type;
  m_disabled = (type == kDisabled);
  update();
}

void CGdipButton::OnClicked() {
  if (!m_toggleMode || m_disabled) return;
  m_imageType = (m_imageType == kNormal) ? kAlternate : kNormal;
  update();
}

CGdipButton::Face CGdipButton::CurrentFace() const {
  if (m_disabled || !isEnabled()) return kFaceGrey;
  const bool alt = m_imageType != kNormal && m_hasAlternate && !m_alternateImage.IsEmpty();
  if (isDown()) return alt ? kFaceAlternatePressed : kFaceNormalPressed;
  if (m_hovering) return alt ? kFaceAlternateHot : kFaceNormalHot;
  return alt ? kFaceAlternate : kFaceNormal;
}

void CGdipButton::DropFaces() {
  for (auto& f : m_faces) f = QPixmap();
  m_facesSize = QSize();
}

void CGdipButton::BuildStateImages() {
  if (m_normalImage.IsEmpty() || size().isEmpty()) return;
  const qreal dpr = devicePixelRatioF();
  if (m_facesSize == size() && m_facesDpr == dpr) return;
  const QRect r(QPoint(0, 0), size());

  auto render = [&](const QImage& img, bool pressed) {
    QPixmap pm(size() * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(pressed ? r.translated(1, 1) : r, img);
    return pm;
  };

  const QImage& normal = m_normalImage.Image();
  m_faces[kFaceNormal] = render(normal, false);
  m_faces[kFaceNormalPressed] = render(normal, true);
  m_faces[kFaceNormalHot] = render(HotImage(normal), false);
  m_faces[kFaceGrey] = render(GreyImage(normal), false);
  if (!m_alternateImage.IsEmpty()) {
    const QImage& alt = m_alternateImage.Image();
    m_faces[kFaceAlternate] = render(alt, false);
    m_faces[kFaceAlternatePressed] = render(alt, true);
    m_faces[kFaceAlternateHot] = render(HotImage(alt), false);
  }
  m_facesSize = size();
  m_facesDpr = dpr;
}

const QPixmap& CGdipButton::FacePixmap(Face face) {
  BuildStateImages();
  return m_faces[face];
}

QSize CGdipButton::sizeHint() const {
  if (!m_normalImage.IsEmpty()) return m_normalImage.Image().deviceIndependentSize().toSize();
  return {32, 32};
}

void CGdipButton::paintEvent(QPaintEvent*) {
  const QPixmap& face = FacePixmap(CurrentFace());
  if (face.isNull()) return;
  QPainter(this).drawPixmap(0, 0, face);
}

void CGdipButton::enterEvent(QEnterEvent* e) {
  m_hovering = true;
  update();
  QAbstractButton::enterEvent(e);
}

void CGdipButton::leaveEvent(QEvent* e) {
  m_hovering = false;
  update();
  QAbstractButton::leaveEvent(e);
}

void CGdipButton::mouseDoubleClickEvent(QMouseEvent* e) {
  // A quick second click is a click of its own.
  mousePressEvent(e);
}

void CGdipButton::resizeEvent(QResizeEvent* e) {
  // Faces follow the button's size, so a layout change never shows stale ones.
  DropFaces();
  QAbstractButton::resizeEvent(e);
}

void CGdipButton::changeEvent(QEvent* e) {
  if (e->type() == QEvent::EnabledChange) update();
  QAbstractButton::changeEvent(e);
}
