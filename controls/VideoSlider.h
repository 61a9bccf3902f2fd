// CVideoSlider: the seek slider, a QSlider.
#pragma once

#include "controls/SkinSlider.h"

// Seek slider under the video: a black channel with a green elliptic thumb;
// each drag step, the release and each wheel or key step emit
// seekRequested with the position asked for (0..maximum()).
class CVideoSlider : public SkinSlider {
  Q_OBJECT
 public:
  explicit CVideoSlider(QWidget* parent = nullptr);

 signals:
  void seekRequested(int position);

 protected:
  void PaintChannel(QPainter& p) override;
  void Notify() override;
};
