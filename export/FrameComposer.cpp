#include "export/FrameComposer.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libswscale/swscale.h>
}

#include "export/OverlayText.h"

namespace {

int Even(long long v) { return static_cast<int>(std::max(2LL, v & ~1LL)); }

}  // namespace

FrameComposer::~FrameComposer() {
  sws_freeContext(m_mainScaler);
  sws_freeContext(m_rearScaler);
}

bool FrameComposer::Setup(ExportLayout layout, int mainW, int mainH, int rearW, int rearH) {
  if (mainW <= 0 || mainH <= 0) return false;
  m_main = {0, 0, Even(mainW), Even(mainH)};
  m_width = m_main.w;
  m_height = m_main.h;
  m_hasRear = rearW > 0 && rearH > 0 &&
              (layout == ExportLayout::kSideBySide || layout == ExportLayout::kPictureInPicture);
  if (!m_hasRear) return true;
  if (layout == ExportLayout::kSideBySide) {
    m_rear = {m_main.w, 0, Even(static_cast<long long>(rearW) * m_main.h / rearH), m_main.h};
    m_width += m_rear.w;
  } else {
    const int w = Even(m_main.w / 3);
    const int margin = Even(m_main.w / 40);
    m_rear = {Even(m_main.w - w - margin), margin, w,
              Even(static_cast<long long>(rearH) * w / rearW)};
    m_rear.h = std::min(m_rear.h, Even(m_main.h - margin));
  }
  return true;
}

bool FrameComposer::Scale(SwsContext*& context, const AVFrame* source, Region to,
                          AVFrame* canvas) {
  context = sws_getCachedContext(context, source->width, source->height,
                                 static_cast<AVPixelFormat>(source->format), to.w, to.h,
                                 AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!context) return false;
  std::uint8_t* planes[4] = {canvas->data[0] + to.y * canvas->linesize[0] + to.x,
                             canvas->data[1] + to.y / 2 * canvas->linesize[1] + to.x / 2,
                             canvas->data[2] + to.y / 2 * canvas->linesize[2] + to.x / 2, nullptr};
  return sws_scale(context, source->data, source->linesize, 0, source->height, planes,
                   canvas->linesize) > 0;
}

void FrameComposer::Blacken(AVFrame* canvas, Region r) {
  for (int y = r.y; y < r.y + r.h; ++y) {
    std::memset(canvas->data[0] + y * canvas->linesize[0] + r.x, 16, r.w);
  }
  for (int p = 1; p < 3; ++p) {
    for (int y = r.y / 2; y < (r.y + r.h) / 2; ++y) {
      std::memset(canvas->data[p] + y * canvas->linesize[p] + r.x / 2, 128, r.w / 2);
    }
  }
}

bool FrameComposer::Compose(const AVFrame* main, const AVFrame* rear, AVFrame* canvas) {
  if (!canvas->data[0]) {
    canvas->format = AV_PIX_FMT_YUV420P;
    canvas->width = m_width;
    canvas->height = m_height;
    if (av_frame_get_buffer(canvas, 0) < 0) return false;
  }
  if (av_frame_make_writable(canvas) < 0) return false;
  if (!Scale(m_mainScaler, main, m_main, canvas)) return false;
  if (!m_hasRear) return true;
  if (rear && Scale(m_rearScaler, rear, m_rear, canvas)) return true;
  Blacken(canvas, m_rear);
  return true;
}

void FrameComposer::DrawLine(AVFrame* canvas, const std::string& text) const {
  const int scale = std::max(1, m_height / 240);
  const int margin = 4 * scale;
  PlaneView luma{canvas->data[0], canvas->linesize[0], m_width, m_height};
  PlaneView cb{canvas->data[1], canvas->linesize[1], m_width / 2, m_height / 2};
  PlaneView cr{canvas->data[2], canvas->linesize[2], m_width / 2, m_height / 2};
  DrawOverlayText(luma, cb, cr, margin, m_height - margin - OverlayTextHeight(scale), scale, text);
}
