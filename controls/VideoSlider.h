#pragma once

#include "controls/SkinSlider.h"

// Seek slider under the video: a black channel with a green elliptic thumb;
// a drag and the release send WM_SEEK_REQUESTED to the owner, which reads
// value() to know where to go.
class CVideoSlider : public CSkinSlider {
  Q_OBJECT
 public:
  explicit CVideoSlider(QWidget* parent = nullptr);

 protected:
  void PaintChannel(QPainter& p) override;
  void Notify() override;
};
