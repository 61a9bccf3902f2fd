// The route of a whole drive: fixes placed on the drive's line, gaps where
// there was no fix, and the point shown at a drive position.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "catalog/DriveTrack.h"

namespace {

GpsFix Fix(bool valid, double latitudeDdmm = 3954.0, std::uint16_t speed = 50) {
  GpsFix f;
  f.latitude = latitudeDdmm;
  f.longitude = 11623.0;
  f.speed = speed;
  f.status = valid ? 1 : 0;
  return f;
}

// Fix validity of a recording as a string: '+' valid, '.' without a fix.
std::vector<GpsFix> Fixes(const char* pattern) {
  std::vector<GpsFix> out;
  for (const char* c = pattern; *c; ++c) out.push_back(Fix(*c == '+'));
  return out;
}

struct TrackCase {
  const char* name;
  std::vector<const char*> recordings;  // fixes per recording, 1 per second
  std::vector<std::int64_t> startTimes;  // calendar start of each recording
  std::vector<bool> gapBefore;          // expected, per valid fix
};

TEST(DriveTrack, GapsWhereThereWasNoFix) {
  const std::vector<TrackCase> cases = {
      {"one recording, all valid", {"+++"}, {1000}, {true, false, false}},
      {"invalid fixes break the line", {"++..++"}, {1000}, {true, false, true, false}},
      {"recordings that follow on join", {"++", "++"}, {1000, 1002}, {true, false, false, false}},
      {"a pause between recordings breaks it", {"++", "++"}, {1000, 1100}, {true, false, true, false}},
      {"a recording ending without a fix breaks it", {"+.", "++"}, {1000, 1002}, {true, true, false}},
      {"a recording starting without a fix", {"++", ".+"}, {1000, 1002}, {true, false, true}},
      {"unknown start times join", {"++", "++"}, {0, 0}, {true, false, false, false}},
  };
  for (const TrackCase& c : cases) {
    SCOPED_TRACE(c.name);
    DriveLayout layout;
    for (std::size_t i = 0; i < c.recordings.size(); ++i)
      layout.Append(int(i), std::int64_t(std::strlen(c.recordings[i])) * 1000, false, c.startTimes[i]);
    DriveTrack track;
    for (std::size_t i = 0; i < c.recordings.size(); ++i)
      track.AppendRecording(layout, int(i), Fixes(c.recordings[i]), 1.0);
    ASSERT_EQ(track.points.size(), c.gapBefore.size());
    for (std::size_t k = 0; k < c.gapBefore.size(); ++k)
      EXPECT_EQ(track.points[k].gapBefore, c.gapBefore[k]) << "point " << k;
  }
}

TEST(DriveTrack, PointsOnTheDriveLine) {
  DriveLayout layout;
  layout.Append(4, 2000, false, 1000);
  layout.Append(7, 3000, false, 1002);
  DriveTrack track;
  // Two fixes per second; fix 1 of the first recording has no fix, and the
  // fixes from the recording's end on are never shown.
  std::vector<GpsFix> first = {Fix(true, 3954.0, 10), Fix(false), Fix(true, 3955.0, 30),
                               Fix(true), Fix(true), Fix(true)};
  track.AppendRecording(layout, 0, first, 2.0);
  track.AppendRecording(layout, 1, {Fix(true, 3956.0, 90)}, 2.0);
  ASSERT_EQ(track.points.size(), 4u);
  EXPECT_EQ(track.points[0].driveMs, 0);
  EXPECT_EQ(track.points[1].driveMs, 1000);
  EXPECT_EQ(track.points[2].driveMs, 1500);
  EXPECT_EQ(track.points[3].driveMs, 2000);  // the second recording's first fix
  EXPECT_EQ(track.points[3].piece, 1);
  EXPECT_FALSE(track.points[3].gapBefore);
  EXPECT_NEAR(track.points[1].latitude, 39.0 + 55.0 / 60.0, 1e-9);
  EXPECT_NEAR(track.points[0].longitude, 116.0 + 23.0 / 60.0, 1e-9);
  EXPECT_EQ(track.points[1].clock, 1001);
  EXPECT_EQ(track.points[3].clock, 1002);

  const std::pair<std::int64_t, int> at[] = {{-1, -1}, {0, 0}, {999, 0}, {1000, 1}, {1499, 1},
                                             {1500, 2}, {2000, 3}, {99999, 3}};
  for (auto [ms, point] : at) EXPECT_EQ(track.PointAt(ms), point) << ms;
  EXPECT_EQ(DriveTrack{}.PointAt(0), -1);
}

// Each event sits at the fix of its own recording nearest to its peak, on
// the drive's line and clock; a recording without a fix places none.
TEST(DriveTrack, EventsSitAtTheNearestFixOfTheirRecording) {
  DriveLayout layout;
  layout.Append(4, 4000, false, 1000);
  layout.Append(7, 4000, false, 1004);
  layout.Append(9, 2000, false, 0);
  DriveTrack track;
  track.AppendRecording(layout, 0, Fixes("++.+"), 1.0);  // points 0, 1, 2 at 0, 1000, 3000
  track.AppendRecording(layout, 1, Fixes("+..."), 1.0);  // point 3 at 4000
  track.AppendRecording(layout, 2, Fixes(".."), 1.0);
  struct Row {
    int piece;
    std::int64_t timeMs;
    int point;  // -1: not placed
    std::int64_t driveMs;
    CalendarTime clock;
  };
  const Row rows[] = {
      {0, 400, 0, 400, 1000},     {0, 1900, 1, 1900, 1002},  // clock to the nearest second
      {0, 2600, 2, 2600, 1003},   {0, 2000, 1, 2000, 1002},  // halfway: the earlier fix
      {0, 9000, 2, 4000, 1004},   // past the recording's end: clamped to it
      {1, 3500, 3, 7500, 1008},   // only the recording's own fixes count
      {2, 500, -1, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.timeMs);
    DriveTrack t = track;
    DrivingEvent e;
    e.timeMs = r.timeMs;
    t.AddEvents(layout, r.piece, {e});
    if (r.point < 0) {
      EXPECT_TRUE(t.events.empty());
      continue;
    }
    ASSERT_EQ(t.events.size(), 1u);
    EXPECT_EQ(t.events[0].point, r.point);
    EXPECT_EQ(t.events[0].driveMs, r.driveMs);
    EXPECT_EQ(t.events[0].clock, r.clock);
    EXPECT_EQ(t.PointOf(t.events[0]), &t.points[std::size_t(r.point)]);
  }
}

}  // namespace
