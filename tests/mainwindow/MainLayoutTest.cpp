#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "mainwindow/core/MainLayout.h"

namespace {

MainLayoutInput Input(int cx, int cy) {
  MainLayoutInput in;
  in.cx = cx;
  in.cy = cy;
  in.gsensorHeight = 100;
  return in;
}

TEST(MainLayout, DefaultColumnAndVideoPanels) {
  const MainLayout l = ComputeMainLayout(Input(1000, 700));
  EXPECT_EQ(l.fileList.left, 755);
  EXPECT_EQ(l.fileList.right, 995);
  EXPECT_EQ(l.panel1.left, 5);
  EXPECT_EQ(l.panel1.right, 377);
  EXPECT_EQ(l.panel2.left, 377);
  EXPECT_EQ(l.panel2.right, 749);
  EXPECT_EQ(l.panel1.Width(), l.panel2.Width());
  EXPECT_EQ(l.map, (LayoutRect{755, 48, 995, 288}));
  EXPECT_EQ(l.fileList.top, 293);
  EXPECT_EQ(l.fileList.bottom, 636);
  // Videos end above the slider, the curve and the group list.
  const int vb = 48 + 588 - 120 - 100 - 35;
  EXPECT_EQ(l.panel1.bottom, vb - 22);
  EXPECT_EQ(l.timeline, (LayoutRect{5, vb - 22, 749, vb}));
  EXPECT_EQ(l.seekSlider, (LayoutRect{5, vb, 749, vb + 20}));
  EXPECT_EQ(l.gsensor, (LayoutRect{5, vb + 25, 749, vb + 125}));
  EXPECT_EQ(l.groupList.top, vb + 130);
  EXPECT_EQ(l.groupList.bottom, 636);
  EXPECT_EQ(l.play, (LayoutRect{350, 644, 398, 692}));
  EXPECT_EQ(l.fast.right, 439);
  EXPECT_EQ(l.volume.left, 463);
  EXPECT_EQ(l.close.left, 968);
  EXPECT_EQ(l.sizeSmall.left, 801);
}

TEST(MainLayout, ColumnSplitterDragAndLimits) {
  MainLayoutInput in = Input(1000, 700);
  ApplySplitterDrag(DragKind::kColumnWidth, 1000, 700, 100, 300, in);
  EXPECT_EQ(in.columnWidth, 890);
  MainLayout l = ComputeMainLayout(in);
  EXPECT_EQ(l.fileList.left, 105);
  EXPECT_EQ(l.fileList.right, 995);
  in.columnWidth = 5000;
  EXPECT_EQ(ComputeMainLayout(in).fileList.left, 15);
  in.columnWidth = 3;
  EXPECT_EQ(ComputeMainLayout(in).fileList.left, 975);
}

TEST(MainLayout, MapHeightIsClampedButTheStoredValueStays) {
  MainLayoutInput in = Input(1000, 700);
  in.mapHeight = 5;
  EXPECT_EQ(ComputeMainLayout(in).map.Height(), 20);
  EXPECT_EQ(in.mapHeight, 5);
  in.mapHeight = 9000;
  EXPECT_EQ(ComputeMainLayout(in).map.Height(), 588 - 15);
}

TEST(MainLayout, HiddenMapGivesTheFileListTheWholeColumn) {
  MainLayoutInput in = Input(1000, 700);
  in.mapShown = false;
  const MainLayout l = ComputeMainLayout(in);
  EXPECT_EQ(l.fileList, (LayoutRect{755, 48, 995, 636}));
  EXPECT_EQ(l.map.Height(), 0);
  EXPECT_EQ(HitTestDrag(l, 1000, 700, 800, 200), DragKind::kNone);
}

TEST(MainLayout, HiddenCurveLetsTheGroupListStartUnderTheSlider) {
  MainLayoutInput in = Input(1000, 700);
  in.gsensorShown = false;
  const MainLayout l = ComputeMainLayout(in);
  EXPECT_EQ(l.groupList.top, l.seekSlider.bottom + 5);
  EXPECT_EQ(l.splitList.bottom, l.groupList.top);
}

TEST(MainLayout, PressesStartTheRightDrag) {
  const MainLayout l = ComputeMainLayout(Input(1000, 700));
  EXPECT_EQ(HitTestDrag(l, 1000, 700, 990, 690), DragKind::kGrip);
  EXPECT_EQ(HitTestDrag(l, 1000, 700, 800, 290), DragKind::kMapHeight);
  EXPECT_EQ(HitTestDrag(l, 1000, 700, 752, 300), DragKind::kColumnWidth);
  EXPECT_EQ(HitTestDrag(l, 1000, 700, 300, l.groupList.top - 2), DragKind::kListHeight);
  EXPECT_EQ(HitTestDrag(l, 1000, 700, 300, 20), DragKind::kNone);
  MainLayoutInput in = Input(1000, 700);
  ApplySplitterDrag(DragKind::kMapHeight, 1000, 700, 0, 300, in);
  EXPECT_EQ(in.mapHeight, 252);
  ApplySplitterDrag(DragKind::kListHeight, 1000, 700, 0, 400, in);
  EXPECT_EQ(in.groupListHeight, 226);
}

TEST(MainLayout, WindowRectangleIsFittedToTheScreen) {
  EXPECT_EQ(FitWindowToScreen({100, 100, 1100, 800}, 1920, 1080), (LayoutRect{100, 100, 1100, 800}));
  EXPECT_EQ(FitWindowToScreen({-50, 2000, 950, 2700}, 1920, 1080), (LayoutRect{0, 0, 1000, 700}));
  EXPECT_EQ(FitWindowToScreen({10, 10, 200, 100}, 1920, 1080), (LayoutRect{10, 10, 810, 660}));
  EXPECT_EQ(FitWindowToScreen({0, 0, 3000, 700}, 1920, 1080), (LayoutRect{0, 0, 1920, 1080}));
}

// --- sizes from the splitter shares -------------------------------------------

MainLayoutInput Window(int cx, int cy, bool map = true, bool chart = true) {
  MainLayoutInput in;
  in.cx = cx;
  in.cy = cy;
  in.mapShown = map;
  in.gsensorShown = chart;
  FitSplittersToWindow(in);
  return in;
}

// Height a 16:9 picture needs in a panel of the given width.
int PictureNeeds(const LayoutRect& panel) {
  return (panel.Width() - 2 * kPictureEdge) * 9 / 16 + 2 * kPictureEdge;
}

bool Overlap(const LayoutRect& a, const LayoutRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(MainLayoutShares, EveryWindowSizeHasRoomForEverything) {
  for (auto [cx, cy] : {std::pair{800, 560}, {1100, 720}, {1600, 1000}, {1920, 1080}, {1920, 700}}) {
    for (int shown = 0; shown < 4; ++shown) {
      const bool map = shown & 1, chart = shown & 2;
      const std::string at = std::to_string(cx) + "x" + std::to_string(cy) + " map " +
                             std::to_string(map) + " chart " + std::to_string(chart);
      const MainLayout l = ComputeMainLayout(Window(cx, cy, map, chart));
      std::vector<LayoutRect> parts = {l.fileList, l.panel1, l.panel2, l.timeline, l.seekSlider, l.groupList};
      if (map) parts.push_back(l.map);
      if (chart) parts.push_back(l.gsensor);
      for (std::size_t i = 0; i < parts.size(); ++i) {
        const LayoutRect& r = parts[i];
        EXPECT_TRUE(r.left >= 0 && r.top >= 48 && r.right <= cx && r.bottom <= cy - 64) << at << " part " << i;
        EXPECT_TRUE(r.Width() > 0 && r.Height() > 0) << at << " part " << i;
        for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(Overlap(r, parts[j])) << at << " parts " << j << ", " << i;
      }
      EXPECT_EQ(l.panel1.Width(), l.panel2.Width()) << at;
      EXPECT_EQ(l.panel1.Height(), l.panel2.Height()) << at;
      // No bars above and below the pictures: they get no more height than
      // their width can use.
      EXPECT_LE(l.panel1.Height(), PictureNeeds(l.panel1)) << at;
      EXPECT_GE(l.panel1.Width(), kMinPictureWidth) << at;
      if (map) EXPECT_GE(l.map.Height(), kMinMapHeight) << at;
      EXPECT_GE(l.fileList.Width(), map ? kMinColumnWidth : std::min(kMinColumnWidth, kListColumnWidth)) << at;
      if (chart) EXPECT_GE(l.gsensor.Height(), kMinChartHeight) << at;
      EXPECT_GE(l.groupList.Height(), kMinGroupListHeight) << at;
    }
  }
}

TEST(MainLayoutShares, TheMapAndTheListsGrowWithTheWindow) {
  // The default window keeps the sizes of old.
  MainLayoutInput in = Window(1100, 720);
  EXPECT_EQ(in.columnWidth, 240);
  EXPECT_EQ(in.mapHeight, 240);
  EXPECT_EQ(in.gsensorHeight, 100);
  int lastMap = 0, lastList = 0, lastChart = 0;
  for (auto [cx, cy] : {std::pair{800, 560}, {1100, 720}, {1600, 1000}, {1920, 1080}}) {
    const MainLayout l = ComputeMainLayout(Window(cx, cy));
    const int map = l.map.Width() * l.map.Height();
    EXPECT_GT(map, lastMap) << cx;
    EXPECT_GT(l.fileList.Height() * l.fileList.Width(), lastList) << cx;
    EXPECT_GT(l.gsensor.Height(), lastChart) << cx;
    lastMap = map;
    lastList = l.fileList.Height() * l.fileList.Width();
    lastChart = l.gsensor.Height();
  }
  const MainLayout big = ComputeMainLayout(Window(1600, 1000));
  EXPECT_GE(big.map.Width(), 340);
  EXPECT_GE(big.map.Height(), 340);
}

TEST(MainLayoutShares, HidingTheMapOrTheChartGivesThePicturesRoom) {
  // Pictures short of width: without the map the column narrows to a
  // list's width and the pictures widen (and grow taller with it).
  const MainLayout withMap = ComputeMainLayout(Window(1600, 1000));
  const MainLayout noMap = ComputeMainLayout(Window(1600, 1000, false));
  EXPECT_EQ(noMap.fileList.Width(), kListColumnWidth);
  EXPECT_GT(noMap.panel1.Width(), withMap.panel1.Width());
  EXPECT_GT(noMap.panel1.Height(), withMap.panel1.Height());
  // Pictures short of height: the chart's room goes to them.
  const MainLayout withChart = ComputeMainLayout(Window(1920, 700));
  const MainLayout noChart = ComputeMainLayout(Window(1920, 700, true, false));
  EXPECT_GT(noChart.panel1.Height(), withChart.panel1.Height());
  // Height the pictures cannot use goes to the group list.
  const MainLayout wide = ComputeMainLayout(Window(1920, 1080, true, false));
  EXPECT_EQ(wide.panel1.Height(), PictureNeeds(wide.panel1));
  EXPECT_EQ(wide.groupList.bottom, 1080 - 64);
  // A 4:3 recording is laid out for its own shape.
  MainLayoutInput square = Window(1920, 1080);
  square.pictureWidth = 4;
  square.pictureHeight = 3;
  FitSplittersToWindow(square);
  const LayoutRect p = ComputeMainLayout(square).panel1;
  EXPECT_LE(p.Height(), (p.Width() - 4) * 3 / 4 + 4);
  EXPECT_GT(p.Height(), PictureNeeds(p));
}

TEST(MainLayoutShares, ADraggedSplitterKeepsItsPlaceAndScalesWithTheWindow) {
  struct Drag {
    DragKind kind;
    int x, y;
  };
  for (const Drag& d : {Drag{DragKind::kColumnWidth, 700, 300}, Drag{DragKind::kMapHeight, 900, 320},
                        Drag{DragKind::kChartHeight, 200, 300}}) {
    MainLayoutInput in = Window(1100, 480 + 240);
    in.pictureWidth = 1;  // tall pictures: every height is theirs
    in.pictureHeight = 4;
    FitSplittersToWindow(in);
    ApplySplitterDrag(d.kind, 1100, 720, d.x, d.y, in);
    const MainLayoutInput dragged = in;
    FitSplittersToWindow(in);
    const MainLayout l = ComputeMainLayout(in);
    switch (d.kind) {
      case DragKind::kColumnWidth: EXPECT_EQ(l.fileList.left, d.x + 5); break;
      case DragKind::kMapHeight: EXPECT_EQ(l.map.bottom, d.y); break;
      default: EXPECT_EQ(l.gsensor.top, d.y + 3); break;
    }
    EXPECT_EQ(in.columnWidth, dragged.columnWidth);
    EXPECT_EQ(in.mapHeight, dragged.mapHeight);
    EXPECT_EQ(in.gsensorHeight, dragged.gsensorHeight);
    EXPECT_NE(in.shares, SplitterShares{});
    // A window half as large again gives the part half as much again.
    MainLayoutInput larger = in;
    larger.cx = 1650;
    larger.cy = 112 + 608 * 3 / 2;
    FitSplittersToWindow(larger);
    EXPECT_NEAR(larger.columnWidth, in.columnWidth * 1.5, 1);
    EXPECT_NEAR(larger.mapHeight, in.mapHeight * 1.5, 1);
    EXPECT_NEAR(larger.gsensorHeight, in.gsensorHeight * 1.5, 1);
  }
  // The chart splitter is the strip between the seek slider and the chart.
  const MainLayout l = ComputeMainLayout(Window(1100, 720));
  EXPECT_EQ(HitTestDrag(l, 1100, 720, 300, l.seekSlider.bottom + 2), DragKind::kChartHeight);
  EXPECT_EQ(ComputeMainLayout(Window(1100, 720, true, false)).splitChart, LayoutRect{});
  // Dragged far out, a splitter stops where the others keep their minimum.
  MainLayoutInput in = Window(800, 560);
  ApplySplitterDrag(DragKind::kMapHeight, 800, 560, 700, 5000, in);
  ApplySplitterDrag(DragKind::kColumnWidth, 800, 560, -900, 300, in);
  FitSplittersToWindow(in);
  const MainLayout squeezed = ComputeMainLayout(in);
  EXPECT_EQ(squeezed.fileList.Height(), kMinFileListHeight);
  EXPECT_EQ(squeezed.panel1.Width(), kMinPictureWidth);
}

TEST(MainLayoutShares, StoredValuesOutsideTheirRangeFallBackToDefaults) {
  const SplitterShares d;
  const struct {
    SplitterShares stored, expected;
  } cases[] = {
      {{0, 0, 0, 0}, d},  // missing keys
      {{-5, 99, 9001, 2147483647}, d},
      {{100, 9000, 2500, 1000}, {100, 9000, 2500, 1000}},
      {{3000, 0, 1500, -1}, {3000, d.map, 1500, d.chart}},
  };
  for (const auto& c : cases) EXPECT_EQ(SanitizeShares(c.stored), c.expected);
}

}  // namespace
