// CMySliderControl: the volume slider, a QSlider.
#pragma once

#include "controls/SkinSlider.h"

// Volume slider drawn over the parent's own background with a sunken
// channel and a red elliptic thumb; each drag step, the release and each
// wheel or key step emit volumeChanged with the new value.
class CMySliderControl : public SkinSlider {
  Q_OBJECT
 public:
  explicit CMySliderControl(QWidget* parent = nullptr);

 signals:
  void volumeChanged(int volume);

 protected:
  void PaintChannel(QPainter& p) override;
  void Notify() override;
};
