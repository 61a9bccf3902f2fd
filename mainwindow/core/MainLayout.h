#pragma once

#include "mainwindow/core/PlaybackTypes.h"

// Where the splitters stand, as shares of the room they divide in parts per
// ten thousand, so that a larger window gives the map, the lists and the
// chart more room: the right column takes its share of the client width;
// the map, the group list and the chart take theirs of the height between
// the title bar and the bottom bar. The defaults give the sizes of a
// 1100 x 720 window of old: column 240, map 240, list 120, chart 100.
struct SplitterShares {
  static constexpr int kWhole = 10000;
  int column = 2182;
  int map = 3947;
  int list = 1974;
  int chart = 1645;
  bool operator==(const SplitterShares&) const = default;
};

// The shares as stored, with every value outside 1 % .. 90 % (a missing or
// damaged key reads as 0) replaced by its default.
SplitterShares SanitizeShares(const SplitterShares& stored);

// Where every child of the main window goes for a client size, outside
// full screen. Plain arithmetic so that the rules can be checked without a
// window.
struct MainLayoutInput {
  int cx = 0, cy = 0;
  int columnWidth = 240;     // right column (map and file list)
  int mapHeight = 240;       // map inside the right column
  int groupListHeight = 120; // group list under the G-sensor curve
  bool mapShown = true;
  bool gsensorShown = true;
  int gsensorHeight = 0;     // the curve's current height
  // What FitSplittersToWindow turns into the four sizes above.
  SplitterShares shares;
  // Shape of the pictures shown (width : height).
  int pictureWidth = 16, pictureHeight = 9;
};

// Sets the column width, the map, group list and chart heights from the
// shares for the client size in `in`, each clamped so that the pictures,
// the map and the lists keep a usable minimum. Without the map the column
// holds only the file list and keeps no more than kListColumnWidth. Height
// the pictures cannot use at their width (they keep their shape) goes to
// the group list instead of showing as bars above and below them.
void FitSplittersToWindow(MainLayoutInput& in);

inline constexpr int kMinColumnWidth = 220;
inline constexpr int kListColumnWidth = 260;
inline constexpr int kMinMapHeight = 120;
inline constexpr int kMinFileListHeight = 100;
inline constexpr int kMinGroupListHeight = 60;
inline constexpr int kMinChartHeight = 60;
inline constexpr int kMinPictureWidth = 160;
inline constexpr int kMinPictureHeight = 120;
// The frame of a picture panel around its video surface.
inline constexpr int kPictureEdge = 2;

struct MainLayout {
  // Title bar buttons and the size buttons.
  LayoutRect close, maximize, minimize, about;
  LayoutRect sizeLarge, sizeMedium, sizeSmall;
  // Right column.
  LayoutRect map, fileList;
  // Left area.
  LayoutRect panel1, panel2, timeline, seekSlider, gsensor, groupList, progress;
  // Splitter hit areas: map height, column width, group list height, chart
  // height (the strip between the seek slider and the chart).
  LayoutRect splitMap, splitColumn, splitList, splitChart;
  // Bottom bar.
  LayoutRect open, snap, save, del, conf;
  LayoutRect slow, stop, play, fast, mute, volume;
  LayoutRect loop, kml, mapButton, gsrButton, lock;
};

MainLayout ComputeMainLayout(const MainLayoutInput& in);

// Which drag a left press at (x, y) starts; the grip square wins, then the
// splitters in the order map height, group list height, chart height,
// column width.
enum class DragKind { kNone, kGrip, kMapHeight, kListHeight, kChartHeight, kColumnWidth };
DragKind HitTestDrag(const MainLayout& layout, int cx, int cy, int x, int y);

// The new size, and its share, while a splitter is dragged to (x, y).
void ApplySplitterDrag(DragKind kind, int cx, int cy, int x, int y, MainLayoutInput& in);

// The window rectangle check against the screen (W x H) at start-up: off-
// screen positions go to 0, the size is at least 800 x 560, and a rectangle
// larger than the screen becomes the whole screen.
LayoutRect FitWindowToScreen(const LayoutRect& window, int screenWidth, int screenHeight);

inline constexpr int kMinWindowWidth = 800;
inline constexpr int kMinWindowHeight = 560;
