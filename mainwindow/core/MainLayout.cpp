#include "mainwindow/core/MainLayout.h"

namespace {

constexpr int kTop = 48;
constexpr int kTimelineHeight = 22;
constexpr int kGripSize = 20;

LayoutRect At(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

void PlaceTitleButtons(const MainLayoutInput& in, MainLayout& out) {
  const int cx = in.cx;
  out.close = At(cx - 32, 2, 25, 25);
  out.maximize = At(cx - 59, 2, 25, 25);
  out.minimize = At(cx - 86, 2, 25, 25);
  out.about = At(cx - 113, 2, 25, 25);
  out.sizeLarge = At(cx - 159, 11, 16, 16);
  out.sizeMedium = At(cx - 179, 11, 16, 16);
  out.sizeSmall = At(cx - 199, 11, 16, 16);
}

// Returns the left edge of the right column.
int PlaceRightColumn(const MainLayoutInput& in, MainLayout& out) {
  const int avail = in.cy - 112;
  const int bottom = in.cy - 64;
  int w = in.columnWidth;
  if (w > in.cx - 20)
    w = in.cx - 20;
  else if (w < 20)
    w = 20;
  const int right = in.cx - 5;
  const int left = right - w;
  if (in.mapShown) {
    int m = in.mapHeight;
    if (m > avail - 15)
      m = avail - 15;
    else if (m < 20)
      m = 20;
    out.map = {left, kTop, right, kTop + m};
    out.fileList = {left, kTop + m + 5, right, bottom};
    out.splitMap = {left, kTop, right, bottom};
  } else {
    out.map = {left, kTop, right, kTop};
    out.fileList = {left, kTop, right, kTop + avail};
    out.splitMap = {};
  }
  out.splitColumn = {left - 5, kTop, left, bottom};
  return left;
}

void PlaceLeftArea(const MainLayoutInput& in, int columnLeft, MainLayout& out) {
  const int avail = in.cy - 112;
  const int bottom = in.cy - 64;
  const int half = columnLeft / 2 - 5;
  const int g = in.gsensorShown ? in.gsensorHeight : 0;
  int l = in.groupListHeight;
  if (l > avail - 20 - g - 20)
    l = avail - 20 - g - 20;
  else if (l < 20)
    l = 20;
  const int vb = kTop + avail - l - g - 35;
  const int right = 2 * half + 5;
  // The drive timeline sits between the pictures and the seek slider.
  const int tb = vb - kTimelineHeight;
  // Both pictures get the same width.
  out.panel1 = {5, kTop, 5 + half, tb};
  out.panel2 = {5 + half, kTop, right, tb};
  out.timeline = {5, tb, right, vb};
  out.seekSlider = {5, vb, right, vb + 20};
  int listTop = vb + 25;
  if (in.gsensorShown) {
    out.gsensor = {5, vb + 25, right, vb + 25 + g};
    listTop = vb + 25 + g + 5;
  } else {
    out.gsensor = {};
  }
  out.groupList = {5, listTop, right, bottom};
  out.splitList = {5, listTop - 5, right, listTop};
  out.progress = {5, tb - 30, half, tb};
}

void PlaceBottomBar(const MainLayoutInput& in, MainLayout& out) {
  const int cx = in.cx, cy = in.cy;
  LayoutRect* files[] = {&out.open, &out.snap, &out.save, &out.del, &out.conf};
  for (int k = 0; k < 5; ++k) *files[k] = At(8 + 48 * k, cy - 44, 48, 36);
  int x = 268;
  out.slow = At(x, cy - 48, 40, 40);
  x = out.slow.right + 1;
  out.stop = At(x, cy - 48, 40, 40);
  x = out.stop.right + 1;
  out.play = At(x, cy - 56, 48, 48);
  x = out.play.right + 1;
  out.fast = At(x, cy - 48, 40, 40);
  x = out.fast.right;
  out.mute = At(x + 10, cy - 40, 12, 24);
  out.volume = At(x + 24, cy - 36, 80, 20);
  out.loop = At(cx - 195, cy - 40, 32, 32);
  out.kml = At(cx - 161, cy - 40, 32, 32);
  out.mapButton = At(cx - 127, cy - 40, 32, 32);
  out.gsrButton = At(cx - 93, cy - 40, 32, 32);
  out.lock = At(cx - 59, cy - 40, 32, 32);
}

}  // namespace

MainLayout ComputeMainLayout(const MainLayoutInput& in) {
  MainLayout out;
  PlaceTitleButtons(in, out);
  const int columnLeft = PlaceRightColumn(in, out);
  PlaceLeftArea(in, columnLeft, out);
  PlaceBottomBar(in, out);
  return out;
}

DragKind HitTestDrag(const MainLayout& layout, int cx, int cy, int x, int y) {
  if (x >= cx - kGripSize && x < cx && y >= cy - kGripSize && y < cy) return DragKind::kGrip;
  if (layout.splitMap.Contains(x, y)) return DragKind::kMapHeight;
  if (layout.splitList.Contains(x, y)) return DragKind::kListHeight;
  if (layout.splitColumn.Contains(x, y)) return DragKind::kColumnWidth;
  return DragKind::kNone;
}

void ApplySplitterDrag(DragKind kind, int cx, int cy, int x, int y, MainLayoutInput& in) {
  switch (kind) {
    case DragKind::kMapHeight:
      in.mapHeight = y - kTop;
      break;
    case DragKind::kListHeight:
      in.groupListHeight = cy - y - 74;
      break;
    case DragKind::kColumnWidth:
      in.columnWidth = cx - x - 10;
      break;
    default:
      break;
  }
}

LayoutRect FitWindowToScreen(const LayoutRect& window, int screenWidth, int screenHeight) {
  LayoutRect r = window;
  if (r.top < 0 || r.top > screenHeight) {
    r.bottom -= r.top;
    r.top = 0;
  }
  if (r.left < 0 || r.left > screenWidth) {
    r.right -= r.left;
    r.left = 0;
  }
  if (r.Width() < kMinWindowWidth) r.right = r.left + kMinWindowWidth;
  if (r.Height() < kMinWindowHeight) r.bottom += kMinWindowHeight;
  if (r.Width() > screenWidth || r.Height() > screenHeight) r = {0, 0, screenWidth, screenHeight};
  return r;
}
