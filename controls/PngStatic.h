// CPngStatic: a QWidget showing one PNG, in colour or grey.
#pragma once

#include <QWidget>

#include "controls/GdiPlusBitmapResource.h"

// Shows one PNG stretched over the widget, in colour when active and in
// grey, dimmed, otherwise (the GPS indicator without a fix).
class CPngStatic : public QWidget {
  Q_OBJECT
 public:
  explicit CPngStatic(QWidget* parent = nullptr);

  bool LoadPng(int id, const char* type = "PNG");
  int SetActive(bool active);
  bool IsActive() const { return m_active; }
  bool HasImage() const { return !m_image.IsEmpty(); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  CGdiPlusBitmapResource m_image;
  QImage m_grey;
  bool m_active = false;
};
