#include "mainwindow/core/MainLayout.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kTop = 48;
constexpr int kTimelineHeight = 22;
constexpr int kGripSize = 20;
// Title bar and bottom bar together; what is left of the client height is
// the room the splitters divide.
constexpr int kBarsHeight = 112;
// Left-area height that is neither pictures, list nor chart: the timeline,
// the seek slider and the gaps around them.
constexpr int kPictureFrame = 57;
constexpr int kMinShare = 100;
constexpr int kMaxShare = 9000;

LayoutRect At(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

int Room(const MainLayoutInput& in) { return in.cy - kBarsHeight; }

// Share of `whole` in pixels, rounded, and back; 64-bit so that no size
// overflows.
int PixelsOf(int share, int whole) {
  return static_cast<int>((std::int64_t{share} * whole + SplitterShares::kWhole / 2) / SplitterShares::kWhole);
}

int ShareOf(int pixels, int whole) {
  if (whole <= 0) return kMinShare;
  const std::int64_t share = (std::int64_t{pixels} * SplitterShares::kWhole + whole / 2) / whole;
  return static_cast<int>(std::clamp<std::int64_t>(share, kMinShare, kMaxShare));
}

// `v` within lo..hi; lo wins when the window is too small for both.
int Within(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

int ValidOr(int share, int fallback) { return share >= kMinShare && share <= kMaxShare ? share : fallback; }

// Height the pictures leave unused at their width: they keep their shape
// inside the panel, so any more height would only show as bars.
int UnusedPictureHeight(const MainLayoutInput& in, int listHeight) {
  if (in.pictureWidth <= 0 || in.pictureHeight <= 0) return 0;
  const int columnLeft = in.cx - 5 - in.columnWidth;
  const int inner = columnLeft / 2 - 5 - 2 * kPictureEdge;
  if (inner <= 0) return 0;
  const int chart = in.gsensorShown ? in.gsensorHeight : 0;
  const int panel = Room(in) - listHeight - chart - kPictureFrame;
  const int needed = static_cast<int>(std::int64_t{inner} * in.pictureHeight / in.pictureWidth) + 2 * kPictureEdge;
  return std::max(0, panel - needed);
}

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
    out.splitChart = {5, vb + 20, right, vb + 25};
    listTop = vb + 25 + g + 5;
  } else {
    out.gsensor = {};
    out.splitChart = {};
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

SplitterShares SanitizeShares(const SplitterShares& stored) {
  const SplitterShares defaults;
  return {ValidOr(stored.column, defaults.column), ValidOr(stored.map, defaults.map),
          ValidOr(stored.list, defaults.list), ValidOr(stored.chart, defaults.chart)};
}

void FitSplittersToWindow(MainLayoutInput& in) {
  const int room = Room(in);
  // Each picture panel is half of what the column leaves, less the margins.
  int column = Within(PixelsOf(in.shares.column, in.cx), kMinColumnWidth,
                      in.cx - 15 - 2 * kMinPictureWidth);
  if (!in.mapShown) column = std::min(column, kListColumnWidth);
  in.columnWidth = column;
  in.mapHeight = Within(PixelsOf(in.shares.map, room), kMinMapHeight, room - 5 - kMinFileListHeight);
  // List and chart share what the pictures' minimum leaves.
  const int budget = room - kPictureFrame - kMinPictureHeight;
  in.gsensorHeight = Within(PixelsOf(in.shares.chart, room), kMinChartHeight, budget - kMinGroupListHeight);
  const int chart = in.gsensorShown ? in.gsensorHeight : 0;
  const int list = Within(PixelsOf(in.shares.list, room), kMinGroupListHeight, budget - chart);
  in.groupListHeight = list + UnusedPictureHeight(in, list);
}

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
  if (layout.splitChart.Contains(x, y)) return DragKind::kChartHeight;
  if (layout.splitColumn.Contains(x, y)) return DragKind::kColumnWidth;
  return DragKind::kNone;
}

void ApplySplitterDrag(DragKind kind, int cx, int cy, int x, int y, MainLayoutInput& in) {
  const int room = cy - kBarsHeight;
  switch (kind) {
    case DragKind::kMapHeight:
      in.mapHeight = y - kTop;
      in.shares.map = ShareOf(in.mapHeight, room);
      break;
    case DragKind::kListHeight:
      in.groupListHeight = cy - y - 74;
      in.shares.list = ShareOf(in.groupListHeight, room);
      break;
    case DragKind::kChartHeight: {
      // The chart's bottom edge stays; its top follows the pointer.
      const int bottom = ComputeMainLayout(in).gsensor.bottom;
      in.gsensorHeight = bottom - y - 3;
      in.shares.chart = ShareOf(in.gsensorHeight, room);
      break;
    }
    case DragKind::kColumnWidth:
      in.columnWidth = cx - x - 10;
      in.shares.column = ShareOf(in.columnWidth, cx);
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
