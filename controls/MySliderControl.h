#pragma once

#include "controls/SkinSlider.h"

// Volume slider: drawn over the parent's own background with a sunken
// channel and a red elliptic thumb; dragging and releasing send
// WM_VOLUME_CHANGED to the owner.
class CMySliderControl : public CSkinSlider {
  Q_OBJECT
 public:
  explicit CMySliderControl(QWidget* parent = nullptr);
  // The parent shows through (the widget paints no background), so there is
  // no cached copy to rebuild; this only repaints when asked to.
  void ResetBackground(bool redraw);

 protected:
  void PaintChannel(QPainter& p) override;
  void Notify() override;
};
