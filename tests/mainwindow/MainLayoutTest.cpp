#include <gtest/gtest.h>

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

}  // namespace
