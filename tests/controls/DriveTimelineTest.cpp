#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "controls/DriveTimeline.h"

namespace {

DriveLayout ThreeMinutes() {
  DriveLayout layout;
  layout.Append(0, 60000, false, 1717230600);  // 2024-06-01 08:30:00 UTC
  layout.Append(2, 60000, true, 1717230660);
  layout.Append(4, 60000, false, 1717230720);
  layout.AddNoFixSpan(1, 30000, 60000);
  layout.AddNoFixSpan(2, 0, 10000);  // joins the span before it
  return layout;
}

TEST(DriveTimelineModel, ColumnsTextsAndClockFollowTheDrive) {
  DriveTimelineModel model;
  model.SetLayout(ThreeMinutes());
  EXPECT_EQ(model.Layout().noFixSpans.size(), 1u);
  const std::pair<std::int64_t, std::int64_t> span{90000, 130000};
  EXPECT_EQ(model.Layout().noFixSpans[0], span);
  EXPECT_EQ(model.XOf(0, 181), 0);
  EXPECT_EQ(model.XOf(90000, 181), 90);
  EXPECT_EQ(model.XOf(999999, 181), 180);
  EXPECT_EQ(model.MsAt(90, 181), 90000);
  EXPECT_EQ(model.MsAt(-7, 181), 0);
  EXPECT_EQ(model.BoundaryColumns(181), (std::vector<int>{60, 120}));
  model.SetPosition(75500);
  EXPECT_EQ(model.ElapsedText(), "1:15 / 3:00");
  EXPECT_EQ(model.ClockText(75500), "08:31:15");
  EXPECT_EQ(DriveTimelineModel::DurationText(3723000), "1:02:03");
  EXPECT_TRUE(DriveTimelineModel{}.Empty());
}

TEST(DriveTimeline, AClickSeeksTheDriveLine) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name};
  QApplication app(argc, argv);
  DriveTimeline timeline;
  timeline.resize(450, 24);
  timeline.SetLayout(ThreeMinutes());
  QSignalSpy spy(&timeline, &DriveTimeline::seekRequested);
  // The strip starts after the elapsed-time text; its far right is the end.
  QTest::mouseClick(&timeline, Qt::LeftButton, {}, QPoint(449, 12));
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toLongLong(), 180000);
  timeline.SetPosition(60000);
  EXPECT_EQ(timeline.Model().Position(), 60000);
}

}  // namespace
