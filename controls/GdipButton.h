// CGdipButton: an image button, a QAbstractButton painted from skin PNGs.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <array>
#include <memory>

#include "controls/GdiPlusBitmapResource.h"

// Image push button. It shows a PNG in pre-rendered faces: normal, pressed
// (shifted one pixel right and down) and hot (slightly brighter) for the
// normal and the alternate image, and a grey face when disabled. In toggle
// mode every click flips between the normal and the alternate image; the
// flip happens before clicked() reaches other receivers, so they read the
// new state with IsAlternate().
class CGdipButton : public QAbstractButton {
  Q_OBJECT
 public:
  enum ImageType { kNormal = 0, kAlternate = 1, kDisabled = 2 };
  enum Face { kFaceNormal, kFaceNormalPressed, kFaceNormalHot, kFaceAlternate,
              kFaceAlternatePressed, kFaceAlternateHot, kFaceGrey, kFaceCount };

  explicit CGdipButton(QWidget* parent = nullptr);
  ~CGdipButton() override;

  bool LoadNormalImage(int id, const char* type = "PNG");
  // Marks the button as having an alternate image even when the load fails.
  bool LoadAlternateImage(int id, const char* type = "PNG");

  // Ignored without an alternate image.
  void SetToggleMode(bool on);
  bool ToggleMode() const { return m_toggleMode; }
  void SetImageType(int type);
  int ImageType() const { return m_imageType; }
  bool IsAlternate() const { return m_imageType == kAlternate; }

  // Face the next paint uses, given the current state.
  Face CurrentFace() const;
  // Rendered face (client size); built on demand.
  const QPixmap& FacePixmap(Face face);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void changeEvent(QEvent*) override;

 private:
  void OnClicked();
  void BuildStateImages();
  void DropFaces();

  bool m_hasAlternate = false;
  bool m_disabled = false;
  bool m_toggleMode = false;
  bool m_hovering = false;
  int m_imageType = kNormal;
  CGdiPlusBitmapResource m_normalImage;
  CGdiPlusBitmapResource m_alternateImage;
  std::array<QPixmap, kFaceCount> m_faces;
  QSize m_facesSize;
  qreal m_facesDpr = 0;
};
