// What the map keeps for a new page, and the drive's answers to the page.
#include <gtest/gtest.h>

#include <QStringList>

#include "catalog/MapScripts.h"
#include "map/MapDrive.h"
#include "map/MapPageJournal.h"

namespace {

QStringList Calls(std::initializer_list<std::string> calls) {
  QStringList out;
  for (const std::string& c : calls) out << QString::fromStdString(c);
  return out;
}

// Each case: the calls sent, then what a new page is to get.
TEST(MapPageJournal, ReplayRebuildsWhatThePageShows) {
  struct Case {
    const char* name;
    QStringList sent;
    QStringList replay;
  };
  const std::string plot1 = PathPlotScript(1, 1), plot2 = PathPlotScript(2, 2);
  const std::string driven1 = PathDrivedPlotScript(1, 1);
  const std::string move1 = MovPosScript(1, 1), move2 = MovPosScript(2, 2);
  const std::string init = InitMapScript(0, 0);
  const std::string route = "drive_route({\"t\":[0]})";
  const std::string events = "drive_events([{\"k\":\"impact\"}])";
  const Case cases[] = {
      {"nothing sent", {}, {}},
      {"a loaded recording, in the page's order",
       Calls({kPathDrivedDeleteScript, kPathDeleteScript, plot1, plot2, init, driven1, move1}),
       Calls({plot1, plot2, init, driven1, move1})},
      {"a new route replaces the old one",
       Calls({plot1, kPathDeleteScript, plot2, move1, move2}), Calls({plot2, move2})},
      {"the driven part is redrawn after a seek",
       Calls({driven1, kPathDrivedDeleteScript, PathDrivedPlotScript(3, 3)}),
       Calls({PathDrivedPlotScript(3, 3)})},
      {"the drive, its unit and position, before the recording's route",
       Calls({plot1, DrivePosScript(4), route, DriveUnitsScript(true), DrivePosScript(5),
              DrivePosScript(6), move1}),
       Calls({DriveUnitsScript(true), route, plot1, DrivePosScript(6), move1})},
      {"whichever moved the marker last comes last",
       Calls({route, move1, DrivePosScript(2)}), Calls({route, move1, DrivePosScript(2)})},
      {"a new drive forgets the old position and events",
       Calls({route, events, DrivePosScript(3), "drive_route(null)"}), Calls({"drive_route(null)"})},
      {"the drive's events right after its route",
       Calls({route, events, plot1, DrivePosScript(1)}),
       Calls({route, events, plot1, DrivePosScript(1)})},
      {"scripts of other kinds are not kept", Calls({"alert(1)", "  ", "path_plotx"}), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMapPageJournal journal;
    for (const QString& call : c.sent) journal.Record(call);
    EXPECT_EQ(journal.Replay(), c.replay);
  }
}

TEST(MapDrive, AnswersForPointsOfTheDrive) {
  DriveTrack track;
  DriveTrackPoint p;
  p.driveMs = 61000;
  p.fix.speed = 100;
  track.points = {p, p};
  track.points[1].driveMs = 62000;
  track.points[1].clock = 1700000000;  // 22:13:20 UTC; the tests run in UTC
  CMapDrive drive;
  drive.Show(track);
  EXPECT_EQ(drive.DriveMsOf(1), 62000);
  EXPECT_EQ(drive.DriveMsOf(2), -1);
  EXPECT_EQ(drive.DriveMsOf(-1), -1);
  EXPECT_EQ(drive.PointInfo(0), "100 km/h");
  EXPECT_EQ(drive.PointInfo(1), "22:13:20 · 100 km/h");
  drive.SetMph(true);
  EXPECT_EQ(drive.PointInfo(0), "62 mph");  // as the speed display: x 10 / 16
  EXPECT_EQ(drive.PointInfo(5), "");
  drive.SetPosition(61500);
  EXPECT_EQ(drive.ShownPoint(), 0);
}

}  // namespace
