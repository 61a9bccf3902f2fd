#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
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

  // An event and the in mark are painted at their columns (strip from 150,
  // 296 wide): the event's tick near the top, the mark down to the bottom.
  timeline.SetEvents({90000});
  timeline.MarkIn(30000);
  const QImage picture = timeline.grab().toImage();
  EXPECT_EQ(picture.pixelColor(150 + 147, 6), QColor(255, 210, 0));
  EXPECT_EQ(picture.pixelColor(150 + 49, 18), QColor(80, 170, 255));
}

}  // namespace

namespace {

// Events at 10 s, 65 s and 170 s of the three-minute drive; the keys land
// 3 s before an event.
TEST(DriveTimelineModel, EventKeysAndClipMarks) {
  DriveTimelineModel model;
  model.SetLayout(ThreeMinutes());
  model.SetEvents({170000, 10000, 65000});
  EXPECT_EQ(model.EventColumns(181), (std::vector<int>{10, 65, 170}));
  struct Case {
    std::int64_t from;
    std::int64_t next, previous;
  } cases[] = {
      {0, 7000, DriveTimelineModel::kNoMark},
      {7000, 62000, DriveTimelineModel::kNoMark},   // on the first lead point: on to the second
      {62500, 167000, 7000},                        // just after a jump: the one before it
      {100000, 167000, 62000},
      {180000, DriveTimelineModel::kNoMark, 167000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(model.NextEventTarget(c.from), c.next) << c.from;
    EXPECT_EQ(model.PreviousEventTarget(c.from), c.previous) << c.from;
  }
  model.SetEvents({1000});
  EXPECT_EQ(model.NextEventTarget(-5000), 0);  // never before the drive's start

  EXPECT_FALSE(model.HasSpan());
  model.SetInMark(30000);
  model.SetOutMark(90000);
  EXPECT_TRUE(model.HasSpan());
  model.SetInMark(120000);  // past the out mark: the out mark goes
  EXPECT_EQ(model.OutMark(), DriveTimelineModel::kNoMark);
  model.SetOutMark(999999);  // clamped to the drive's end
  EXPECT_EQ(model.OutMark(), 180000);
  model.SetOutMark(100000);  // before the in mark: the in mark goes
  EXPECT_EQ(model.InMark(), DriveTimelineModel::kNoMark);
  model.SetLayout(ThreeMinutes());  // another drive: no marks, no events
  EXPECT_EQ(model.OutMark(), DriveTimelineModel::kNoMark);
  EXPECT_TRUE(model.Events().empty());
}

}  // namespace
