#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

// Panel behind a video surface: the logo (variant 1) or plain black (any
// other variant) stretched over its area. A double-click asks the owner to
// toggle full screen with WM_TOGGLE_FULLSCREEN.
class CVideoStaticBg : public QWidget {
  Q_OBJECT
 public:
  explicit CVideoStaticBg(QWidget* parent = nullptr);

  void SetVariant(int v);
  int GetVariant() const { return m_variant; }
  void SetOwner(QObject* owner) { m_owner = owner; }
  QObject* Owner() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void LoadImages();

  QImage m_logo;
  QImage m_black;
  bool m_loaded = false;
  int m_variant = 1;
  QPointer<QObject> m_owner;
};
