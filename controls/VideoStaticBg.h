// CVideoStaticBg: the panel behind a video surface, a QWidget.
#pragma once

#include <QImage>
#include <QWidget>

// Panel behind a video surface: the logo (variant 1) or plain black (any
// other variant) over its area. A double-click emits fullScreenRequested.
class CVideoStaticBg : public QWidget {
  Q_OBJECT
 public:
  explicit CVideoStaticBg(QWidget* parent = nullptr);

  void SetVariant(int v);
  int GetVariant() const { return m_variant; }

 signals:
  void fullScreenRequested();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void LoadImages();

  QImage m_logo;
  QImage m_black;
  bool m_loaded = false;
  int m_variant = 1;
};
