#pragma once

#include <string>

#include "export/AvHandles.h"
#include "export/ClipExport.h"

struct SwsContext;

// Lays the front and rear pictures out on one YUV 4:2:0 canvas:
// one camera alone, side by side (the rear scaled to the front's height)
// or picture-in-picture (the rear at a third of the width in the top right
// corner). A missing rear picture leaves its place black.
class FrameComposer {
 public:
  FrameComposer() = default;
  ~FrameComposer();
  FrameComposer(const FrameComposer&) = delete;
  FrameComposer& operator=(const FrameComposer&) = delete;

  // Sizes of the main picture and the rear (0 x 0 for a single camera).
  bool Setup(ExportLayout layout, int mainW, int mainH, int rearW, int rearH);
  int Width() const { return m_width; }
  int Height() const { return m_height; }

  // Draws into `canvas` (allocated here on first use, made writable).
  bool Compose(const AVFrame* main, const AVFrame* rear, AVFrame* canvas);
  // Burns a line of text into the bottom left corner.
  void DrawLine(AVFrame* canvas, const std::string& text) const;

 private:
  struct Region {
    int x = 0, y = 0, w = 0, h = 0;
  };
  bool Scale(SwsContext*& context, const AVFrame* source, Region to, AVFrame* canvas);
  static void Blacken(AVFrame* canvas, Region r);

  int m_width = 0, m_height = 0;
  Region m_main, m_rear;
  bool m_hasRear = false;
  SwsContext* m_mainScaler = nullptr;
  SwsContext* m_rearScaler = nullptr;
};
