// The current entry, the telemetry loaded for it and what playback shows.
#include <gtest/gtest.h>

#include "CatalogFakes.h"
#include "catalog/MapScripts.h"
#include "catalog/MediaCatalog.h"

namespace {

struct Rig {
  FakeList list;
  FakeGSensor gsensor;
  FakeMap map;
  FakeInstruments instruments;
  MediaCatalog catalog;
  Rig() { catalog.Attach(&list, &list, &gsensor, &map, &instruments); }
  void Add(std::vector<MediaEntry> entries) {
    catalog.Entries() = std::move(entries);
    catalog.SortByStartTime();
    catalog.BuildGroups();
    list.log.clear();
  }
};

// 130 / 245 stored: 1 deg 30 min and 2 deg 45 min.
GpsFix Stored130(bool valid = true) { return Fix(130, 245, valid, -5, 88, 45); }

std::vector<GpsFix> Route(int n, bool valid = true) {
  std::vector<GpsFix> fixes;
  for (int i = 0; i < n; ++i) {
    GpsFix f = Fix(Ddmm(22, 30) + i * 0.01, Ddmm(114, 0), valid, 10, static_cast<std::uint16_t>(i),
                   static_cast<std::uint8_t>(i % 180));
    fixes.push_back(f);
  }
  return fixes;
}

}  // namespace

TEST(MapScripts, ExactTexts) {
  EXPECT_EQ(PathPlotScript(1.5, 2.75), "path_plot(1.500000,2.750000)");
  EXPECT_EQ(PathDrivedPlotScript(-1.5, 0), "pathdrived_plot(-1.500000,0.000000)");
  EXPECT_EQ(InitMapScript(0, 0), "init_map(0.000000, 0.000000)");
  EXPECT_EQ(MovPosScript(22.5205, -113.5), "movpos(22.520500, -113.500000)");
  EXPECT_EQ(FormatFixedC(1e7 / 3), "3333333.333333");
  EXPECT_EQ(FormatFixedC(-0.0000004), "-0.000000");
}

TEST(CurrentEntry, SelectMarksRowsAndFindsTheGroup) {
  TempDir dir("select");
  Rig rig;
  auto a = PutRecording(dir.str(), "", "FILE0001.AVI", {});
  auto b = PutRecording(dir.str(), "", "FILE0002.AVI", {});
  auto c = PutRecording(dir.str(), "", "FILE0003.AVI", {});
  a.info.startTime = 1000;
  b.info.startTime = 1060;  // a lasts 60 s: b continues it
  c.info.startTime = 5000;
  rig.Add({a, b, c});

  EXPECT_EQ(rig.catalog.Select(3), 0);
  EXPECT_EQ(rig.catalog.Select(-1), 0);
  EXPECT_EQ(rig.catalog.CurrentIndex(), -1);
  EXPECT_EQ(rig.catalog.NextIndex(), -1);

  ASSERT_EQ(rig.catalog.Select(1), 1);
  EXPECT_EQ(rig.catalog.CurrentGroup(), 0);
  EXPECT_EQ(rig.catalog.NextIndex(), 2);
  rig.list.log.clear();
  ASSERT_EQ(rig.catalog.Select(2), 1);
  EXPECT_EQ(rig.catalog.CurrentGroup(), 1);
  EXPECT_EQ(rig.catalog.NextIndex(), -1);
  // Old marks go, new ones come and are scrolled into view (group row, file row).
  EXPECT_EQ(rig.list.log, (std::vector<std::string>{"unmark 0", "unmark 1", "mark 1", "show 1",
                                                    "mark 2", "show 2"}));
  rig.list.log.clear();
  ASSERT_EQ(rig.catalog.SelectGroupFirst(0), 1);
  EXPECT_EQ(rig.catalog.CurrentIndex(), 0);
  EXPECT_EQ(rig.list.log,
            (std::vector<std::string>{"unmark 1", "unmark 2", "mark 0", "mark 0"}));
  EXPECT_EQ(rig.catalog.SelectGroupFirst(2), 0);
  EXPECT_EQ(rig.catalog.CurrentPath(), dir.str() + "FILE0001.AVI");
  EXPECT_EQ(rig.catalog.PathOf(7), "");
}

TEST(LoadTelemetry, PayloadRouteAndGSensorSequence) {
  TempDir dir("load");
  Rig rig;
  std::vector<GpsFix> fixes{Stored130(), Stored130(false), Fix(20000, 0), Fix(-130, 245)};
  std::vector<GSensorSample> samples(20, GSensorSample{1, 2, 3});
  rig.Add({PutRecording(dir.str(), "DCIM/", "FILE0001.MOV", fixes, samples, 0, 0)});
  ASSERT_EQ(rig.catalog.LoadTelemetry(0), 1);
  EXPECT_EQ(rig.map.scripts,
            (std::vector<std::string>{"pathdrived_delete()", "path_delete()",
                                      "path_plot(1.500000,2.750000)",
                                      "path_plot(-1.500000,2.750000)"}));
  EXPECT_EQ(rig.gsensor.log,
            (std::vector<std::string>{"ClearSamples", "SetRange 4 2", "ClearSamples",
                                      "SetSamples 20", "UpdateSpan", "SetSampleRate",
                                      "SetTimeScale", "SetSpanMode 2"}));
  EXPECT_EQ(rig.gsensor.samples.size(), 20u);
  EXPECT_EQ(rig.gsensor.samples[0].z, 3);
  // No stated rate: 20 samples spread over 60 000 ms.
  EXPECT_DOUBLE_EQ(rig.gsensor.rate, 20.0 / 60000.0);
  EXPECT_DOUBLE_EQ(rig.catalog.GpsRate(), 1.0);
  EXPECT_EQ(rig.catalog.LoadedFixes().size(), 4u);
}

TEST(LoadTelemetry, DataTrackFixesOnlyForLowerCaseMp4) {
  TempDir dir("track");
  Rig rig;
  auto lower = PutRecording(dir.str(), "", "FILE0001.mp4", {});
  lower.info.gpsFixes = {Stored130(), Stored130(false), Stored130()};
  lower.info.gsensorSamples = {GSensorWideSample{1, 2, 3}, GSensorWideSample{4, 5, 6}};
  lower.info.gsensorAttr = {50, 8, 0, 0};
  auto upper = PutRecording(dir.str(), "", "FILE0002.MP4", {Fix(Ddmm(22, 0), Ddmm(114, 0))});
  upper.info.gpsFixes = {Stored130()};
  upper.info.startTime = 100;
  rig.Add({lower, upper});

  ASSERT_EQ(rig.catalog.LoadTelemetry(0), 1);
  // Invalid track records are not drawn (they would pull the route to 0,0).
  EXPECT_EQ(rig.map.scripts,
            (std::vector<std::string>{"pathdrived_delete()", "path_delete()",
                                      "path_plot(1.500000,2.750000)",
                                      "path_plot(1.500000,2.750000)"}));
  EXPECT_EQ(rig.gsensor.wide.size(), 2u);
  EXPECT_DOUBLE_EQ(rig.gsensor.rate, 0.05);

  rig.map.scripts.clear();
  ASSERT_EQ(rig.catalog.LoadTelemetry(1), 1);
  // ".MP4" in capitals takes its route from the payload.
  EXPECT_EQ(rig.map.scripts,
            (std::vector<std::string>{"pathdrived_delete()", "path_delete()",
                                      "path_plot(22.000000,114.000000)"}));
}

TEST(LoadTelemetry, PayloadsBeyondTheFileAndMissingFiles) {
  TempDir dir("beyond");
  Rig rig;
  auto e = PutRecording(dir.str(), "", "FILE0001.MOV", Route(3), {GSensorSample{}});
  e.info.gpsSize += 32;  // claims one record more than the file holds
  e.info.gsensorOffset = UINT64_MAX - 1;
  auto gone = e;
  gone.name = "FILE0002.MOV";
  gone.info.startTime = 50;
  rig.Add({e, gone});
  ASSERT_EQ(rig.catalog.LoadTelemetry(0), 1);
  // The three complete records are kept, the one cut off by the end is not.
  EXPECT_EQ(rig.map.scripts.size(), 2u + 3u);  // the two deletes and the route
  EXPECT_EQ(rig.catalog.LoadedFixes().size(), 3u);
  EXPECT_EQ(rig.gsensor.log, (std::vector<std::string>{"ClearSamples"}));

  rig.map.scripts.clear();
  EXPECT_EQ(rig.catalog.LoadTelemetry(1), 0);  // no such file on disk
  EXPECT_EQ(rig.map.scripts.size(), 2u);
  EXPECT_EQ(rig.catalog.LoadTelemetry(2), 0);
  EXPECT_EQ(rig.catalog.LoadTelemetry(-1), 0);
}

TEST(SyncToTime, FixIndexFollowsTheRate) {
  TempDir dir("sync");
  Rig rig;
  rig.Add({PutRecording(dir.str(), "", "FILE0001.MOV", Route(200), {}, 1)});
  ASSERT_EQ(rig.catalog.LoadTelemetry(0), 1);
  rig.map.scripts.clear();

  EXPECT_EQ(rig.catalog.SyncToTime(12999, true), 1);  // fix 12
  EXPECT_EQ(rig.instruments.log,
            (std::vector<std::string>{"heading 24", "speed 12 valid"}));
  ASSERT_EQ(rig.map.scripts.size(), 1u);
  EXPECT_EQ(rig.map.scripts[0], "MovePos 22.3012 114.0000 24");
  EXPECT_EQ(rig.gsensor.position, 12999);

  // Same index: map, compass and speed untouched, the chart cursor moves.
  rig.instruments.log.clear();
  EXPECT_EQ(rig.catalog.SyncToTime(12500, true), 1);
  EXPECT_TRUE(rig.instruments.log.empty());
  EXPECT_EQ(rig.map.scripts.size(), 1u);
  EXPECT_EQ(rig.gsensor.position, 12500);

  // Fix 0 is shown again every time.
  EXPECT_EQ(rig.catalog.SyncToTime(0, true), 1);
  EXPECT_EQ(rig.catalog.SyncToTime(999, true), 1);
  EXPECT_EQ(rig.map.scripts.size(), 3u);

  // Map switched off: instruments only.
  EXPECT_EQ(rig.catalog.SyncToTime(20000, false), 1);
  EXPECT_EQ(rig.map.scripts.size(), 3u);

  // Past the last fix, and before the start.
  rig.instruments.log.clear();
  EXPECT_EQ(rig.catalog.SyncToTime(200000, true), 0);
  EXPECT_EQ(rig.catalog.SyncToTime(-1000, true), 0);
  EXPECT_EQ(rig.instruments.log, (std::vector<std::string>{"image 0", "speed 0 invalid",
                                                          "image 0", "speed 0 invalid"}));
}

TEST(SyncToTime, TenFixesPerSecondAndInvalidFixes) {
  TempDir dir("sync10");
  Rig rig;
  std::vector<GpsFix> route = Route(300);
  route[130].status = 0;
  rig.Add({PutRecording(dir.str(), "", "FILE0001.MOV", route, {}, 10)});
  ASSERT_EQ(rig.catalog.LoadTelemetry(0), 1);
  rig.instruments.log.clear();
  EXPECT_EQ(rig.catalog.SyncToTime(12999, true), 1);  // fix 129
  EXPECT_EQ(rig.instruments.log[1], "speed 129 valid");
  EXPECT_EQ(rig.catalog.SyncToTime(13000, true), 0);  // fix 130 is not valid
  EXPECT_EQ(rig.instruments.log[3], "speed 0 invalid");
}

TEST(SyncToTime, ANewEntryShowsItsFirstFixEvenAtTheSameIndex) {
  TempDir dir("sync-next");
  Rig rig;
  auto a = PutRecording(dir.str(), "", "FILE0001.MOV", Route(20));
  auto b = PutRecording(dir.str(), "", "FILE0002.MOV", {Stored130(), Stored130(), Stored130(),
                                                        Stored130(), Stored130(), Stored130()});
  b.info.startTime = 60;
  rig.Add({a, b});
  ASSERT_EQ(rig.catalog.LoadTelemetry(0), 1);
  EXPECT_EQ(rig.catalog.SyncToTime(5000, true), 1);
  ASSERT_EQ(rig.catalog.LoadTelemetry(1), 1);
  rig.map.scripts.clear();
  EXPECT_EQ(rig.catalog.SyncToTime(5000, true), 1);
  EXPECT_EQ(rig.map.scripts, (std::vector<std::string>{"MovePos 1.3000 2.4500 90"}));
}

TEST(SyncToTime, NoFixesAtAll) {
  TempDir dir("nofix");
  Rig rig;
  rig.Add({PutRecording(dir.str(), "", "FILE0001.MOV", {})});
  ASSERT_EQ(rig.catalog.LoadTelemetry(0), 1);
  EXPECT_EQ(rig.catalog.SyncToTime(0, true), 0);
  EXPECT_EQ(rig.instruments.log, (std::vector<std::string>{"image 0", "speed 0 invalid"}));
  EXPECT_EQ(rig.gsensor.log.back(), "SetInactive 0");
}

TEST(DrawDrivenPath, RedrawsTheValidFixesUpToTheSeekTime) {
  TempDir dir("driven");
  Rig rig;
  std::vector<GpsFix> route = Route(60);
  route[3].status = 0;
  rig.Add({PutRecording(dir.str(), "", "FILE0001.MOV", route)});
  ASSERT_EQ(rig.catalog.LoadTelemetry(0), 1);
  rig.map.scripts.clear();
  rig.catalog.DrawDrivenPath(30000);
  ASSERT_EQ(rig.map.scripts.size(), 1u + 29u);  // delete, fixes 0..29 without 3
  EXPECT_EQ(rig.map.scripts[0], "pathdrived_delete()");
  EXPECT_EQ(rig.map.scripts[1], "pathdrived_plot(22.500000,114.000000)");
  EXPECT_EQ(rig.map.scripts[4], PathDrivedPlotScript(22.5 + 4 * 0.01 / 60, 114.0));

  rig.map.scripts.clear();
  rig.catalog.DrawDrivenPath(UINT32_MAX);  // lowered to the number of fixes
  EXPECT_EQ(rig.map.scripts.size(), 1u + 59u);
}

TEST(DrawDrivenPath, NothingWithoutAMap) {
  TempDir dir("driven-nomap");
  MediaCatalog c;
  c.Entries() = {PutRecording(dir.str(), "", "FILE0001.MOV", Route(5))};
  c.BuildGroups();
  ASSERT_EQ(c.LoadTelemetry(0), 1);
  c.DrawDrivenPath(3000);  // must not crash with every sink absent
  EXPECT_EQ(c.SyncToTime(2000, true), 1);
}
