#pragma once

#include "mainwindow/core/PlaybackTypes.h"

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
};

struct MainLayout {
  // Title bar buttons and the size buttons.
  LayoutRect close, maximize, minimize, about;
  LayoutRect sizeLarge, sizeMedium, sizeSmall;
  // Right column.
  LayoutRect map, fileList;
  // Left area.
  LayoutRect panel1, panel2, timeline, seekSlider, gsensor, groupList, progress;
  // Splitter hit areas: map height, column width, group list height.
  LayoutRect splitMap, splitColumn, splitList;
  // Bottom bar.
  LayoutRect open, snap, save, del, conf;
  LayoutRect slow, stop, play, fast, mute, volume;
  LayoutRect loop, kml, mapButton, gsrButton, lock;
};

MainLayout ComputeMainLayout(const MainLayoutInput& in);

// Which drag a left press at (x, y) starts; the grip square wins, then the
// splitters in the order map height, group list height, column width.
enum class DragKind { kNone, kGrip, kMapHeight, kListHeight, kColumnWidth };
DragKind HitTestDrag(const MainLayout& layout, int cx, int cy, int x, int y);

// The new stored size while a splitter is dragged to (x, y).
void ApplySplitterDrag(DragKind kind, int cx, int cy, int x, int y, MainLayoutInput& in);

// The window rectangle check against the screen (W x H) at start-up: off-
// screen positions go to 0, the size is at least 800 x 560, and a rectangle
// larger than the screen becomes the whole screen.
LayoutRect FitWindowToScreen(const LayoutRect& window, int screenWidth, int screenHeight);

inline constexpr int kMinWindowWidth = 800;
inline constexpr int kMinWindowHeight = 560;
