#include <gtest/gtest.h>

#include "PlaybackFakes.h"
#include "catalog/DriveTelemetry.h"
#include "catalog/DriveTrack.h"
#include "catalog/MediaCatalog.h"
#include "mainwindow/core/DriveEvents.h"
#include "catalog/MediaCatalog.h"
#include "mainwindow/core/EventCounter.h"

namespace {

TEST(DriveLayout, PositionsMapToRecordingsAndBack) {
  DriveLayout layout;
  layout.Append(4, 60000, false);
  layout.Append(6, 59000, true);
  layout.Append(9, 30000, false);
  EXPECT_EQ(layout.LengthMs(), 149000);
  struct Case {
    std::int64_t driveMs;
    int piece;
  } cases[] = {{-5, 0}, {0, 0}, {59999, 0}, {60000, 1}, {118999, 1}, {119000, 2}, {999999, 2}};
  for (const Case& c : cases) EXPECT_EQ(layout.PieceAt(c.driveMs), c.piece) << c.driveMs;
  EXPECT_EQ(layout.DriveMsOf(6, 1500), 61500);
  EXPECT_EQ(layout.DriveMsOf(6, 999999), 119000);  // clamped to its recording
  EXPECT_EQ(layout.DriveMsOf(5, 0), -1);
  EXPECT_EQ(DriveLayout{}.PieceAt(10), -1);
}

TEST(ChannelSync, ClockEstimatesFromTheLastChangeAndPolicyPicksTheCorrection) {
  PlayClock clock;
  EXPECT_EQ(clock.Estimate(0, 1.0, true), -1);
  clock.Observe(1000, 50);
  clock.Observe(1000, 250);  // the same stale reading moves nothing
  EXPECT_EQ(clock.Estimate(300, 1.0, true), 1250);
  EXPECT_EQ(clock.Estimate(300, 2.0, true), 1500);
  EXPECT_EQ(clock.Estimate(300, 1.0, false), 1000);
  EXPECT_EQ(clock.Estimate(60000, 1.0, true), 1000 + PlayClock::kMaxExtrapolationMs);

  struct Case {
    std::int64_t drift;
    bool nudged;
    SyncAction action;
  } cases[] = {
      {0, false, SyncAction::kNone},         {150, false, SyncAction::kNone},
      {-200, false, SyncAction::kNone},      {250, false, SyncAction::kRunSlower},
      {-250, false, SyncAction::kRunFaster}, {100, true, SyncAction::kRunSlower},
      {-100, true, SyncAction::kRunFaster},  {30, true, SyncAction::kRunNormal},
      {1500, false, SyncAction::kSeek},      {-1500, true, SyncAction::kSeek},
  };
  for (const Case& c : cases) EXPECT_EQ(SyncPolicy::Decide(c.drift, c.nudged), c.action) << c.drift;
}

// A drive's count waits for every recording it plays on the first channel
// and leaves the rear beside its front out; a cancelled count stops before
// the next recording.
TEST(EventCounter, DriveTotalsAndCancel) {
  MediaCatalog catalog;
  const auto entry = [](const std::string& name, CalendarTime start, bool unreadable = false) {
    MediaEntry e;
    e.root = "/card/";
    e.name = name;
    e.unreadable = unreadable;
    e.info.startTime = start;
    e.info.length = 60;
    e.info.durationMs = 60000;
    return e;
  };
  constexpr CalendarTime kStart = 1715940000;
  catalog.Entries() = {entry("MOV_0001F.MOV", kStart), entry("MOV_0001R.MOV", kStart),
                       entry("MOV_0002F.MOV", kStart + 60), entry("MOV_0003F.MOV", 0, true)};
  catalog.BuildGroups();
  ASSERT_EQ(catalog.Groups().size(), 2u);
  EXPECT_EQ(EventCounter::Jobs(catalog).size(), 3u);  // the unreadable one has nothing to count

  EventCounter counts;
  counts.Store("/card/MOV_0001F.MOV", 2);
  counts.Store("/card/MOV_0001R.MOV", 5);
  EXPECT_FALSE(counts.DriveCount(catalog, 0));
  counts.Store("/card/MOV_0002F.MOV", EventCounter::kNoTelemetry);
  EXPECT_EQ(counts.DriveCount(catalog, 0), 2);
  EXPECT_FALSE(counts.DriveCount(catalog, 1));
  EXPECT_FALSE(counts.DriveCount(catalog, 7));

  // Files that are not there count as without telemetry.
  std::atomic<bool> cancel{false};
  std::vector<std::string> done;
  const bool complete = EventCounter::Count(EventCounter::Jobs(catalog), cancel,
                                            [&](const std::string& path, int count) {
                                              EXPECT_EQ(count, EventCounter::kNoTelemetry);
                                              done.push_back(path);
                                              cancel = true;
                                            });
  EXPECT_FALSE(complete);
  EXPECT_EQ(done.size(), 1u);
}

// A drive start reads each recording's telemetry once for its layout, its
// route and its events, and gets what three separate reads would give.
TEST(DriveTelemetry, OneReadPerRecordingServesLayoutRouteAndEvents) {
  MediaCatalog catalog;
  std::vector<MediaEntry> entries;
  for (int i = 0; i < 3; ++i) {
    MediaEntry e;
    e.root = "/card/";
    e.name = "0800" + std::to_string(i) + "F.MP4";
    e.info.startTime = 1715932800 + 10 * i;
    e.info.durationMs = 10000;
    entries.push_back(e);
  }
  catalog.Entries() = std::move(entries);
  catalog.SortByStartTime();
  catalog.BuildGroups();
  ASSERT_EQ(catalog.DriveRecordings(0).size(), 3u);

  // Ten fixes a recording, the middle one's last three without a fix, and
  // a hard jolt in every recording's G-sensor series.
  const DriveTelemetry::Reader reader = [](const std::filesystem::path& path, const MediaInfo&) {
    TelemetrySeries s;
    const bool middle = path.filename() == "08001F.MP4";
    for (int k = 0; k < 10; ++k) {
      GpsFix f;
      f.latitude = 3954.0 + k * 0.01;
      f.longitude = 11623.0;
      f.status = middle && k >= 7 ? 0 : 1;
      s.fixes.push_back(f);
    }
    s.samples.assign(100, GSensorSample{});
    s.samples[50].x = 120;
    s.sampleRate = 0.01;
    return s;
  };
  DriveTelemetry shared(catalog, reader);
  const DriveLayout layout = MakeDriveLayout(0, shared);
  const DriveTrack track = MakeDriveTrack(layout, shared);
  const std::vector<std::int64_t> events = DriveEventPositions(layout, shared);
  EXPECT_EQ(shared.Reads(), 3);

  DriveTelemetry first(catalog, reader), second(catalog, reader), third(catalog, reader);
  const DriveLayout alone = MakeDriveLayout(0, first);
  EXPECT_EQ(layout.noFixSpans, alone.noFixSpans);
  EXPECT_EQ(layout.noFixSpans, (std::vector<std::pair<std::int64_t, std::int64_t>>{{17000, 20000}}));
  const DriveTrack trackAlone = MakeDriveTrack(layout, second);
  ASSERT_EQ(track.points.size(), trackAlone.points.size());
  EXPECT_EQ(track.points.size(), 27u);
  for (std::size_t i = 0; i < track.points.size(); ++i)
    EXPECT_EQ(track.points[i].driveMs, trackAlone.points[i].driveMs);
  EXPECT_EQ(events, DriveEventPositions(layout, third));

  // A catalogue whose entry now names another file reads it afresh.
  catalog.Entries()[0].name = "0900F.MP4";
  shared.Of(0);
  EXPECT_EQ(shared.Reads(), 4);
}

class DrivePlaybackTest : public ::testing::Test {
 protected:
  DrivePlaybackTest()
      : ch1("ch1", log), ch2("ch2", log), cat(log), view(log),
        pc(ch1, ch2, cat, view, {pendingSeek, busy}) {
    // Two drives: entries 0, 1, 2 (front recordings of one drive, the
    // second without its rear) and entry 3.
    cat.paths = {"/c/F/1F.MP4", "/c/F/2F.MP4", "/c/F/3F.MP4", "/c/F/4F.MP4"};
    cat.drives = {0, 0, 0, 1};
    cat.groupFirst = {0, 3};
    cat.companions = {{0, "/c/R/1R.MP4"}, {2, "/c/R/3R.MP4"}, {3, "/c/R/4R.MP4"}};
    pc.SetCompanionFinder([](const std::string&) { return std::string("/wrong"); });
    pc.SetWallClock([this] { return now; });
  }

  CallLog log;
  FakeChannel ch1, ch2;
  FakeCatalog cat;
  FakeView view;
  std::atomic<std::int64_t> pendingSeek{PlaybackShared::kNoSeek};
  std::atomic<int> busy{0};
  PlaybackController pc;
  std::int64_t now = 100000;
};

TEST_F(DrivePlaybackTest, ADrivePlaysThroughWithItsRearRecordingsThenTheNextDrive) {
  pc.StartEntry(StartTrigger::kGroup, 0);
  EXPECT_EQ(view.drive, 0);
  EXPECT_EQ(view.layout.LengthMs(), 180000);
  std::vector<std::pair<std::string, std::string>> played;
  for (int i = 0; i < 4; ++i) {
    played.emplace_back(ch1.media, ch2.media);
    pc.OnPlayerEnd();
  }
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"/c/F/1F.MP4", "/c/R/1R.MP4"},
      {"/c/F/2F.MP4", ""},  // no rear for this minute: its panel shows the logo
      {"/c/F/3F.MP4", "/c/R/3R.MP4"},
      {"/c/F/4F.MP4", "/c/R/4R.MP4"},  // auto-play carries on into drive 1
  };
  EXPECT_EQ(played, expected);
  EXPECT_EQ(view.drive, 1);
}

TEST_F(DrivePlaybackTest, TheNextRecordingIsReadiedWhileTheCurrentOnePlays) {
  pc.StartEntry(StartTrigger::kGroup, 0);
  EXPECT_EQ(ch1.prepared, "/c/F/2F.MP4");
  EXPECT_EQ(ch2.prepared, "");  // the next minute has no rear
  pc.OnPlayerEnd();
  EXPECT_EQ(ch1.prepared, "/c/F/3F.MP4");
  EXPECT_EQ(ch2.prepared, "/c/R/3R.MP4");

  // The rear that ends just before the front keeps its last picture until
  // the front's end brings the next pair; one that ends early goes back to
  // its first picture and waits there.
  pc.OnPlayerEnd();  // now on 3F + 3R, the drive's last recording, drive 1 next
  ch1.length = ch2.length = 60000;
  ch1.playing = ch2.playing = true;
  struct Case {
    std::int64_t frontTime;
    bool rewound;
  } cases[] = {{59200, false}, {30000, true}};
  for (const Case& c : cases) {
    ch1.time = c.frontTime;
    ch2.playing = false;
    log.clear();
    pc.OnSecondEnd();
    EXPECT_EQ(!log.empty(), c.rewound) << c.frontTime;
    pc.OnSecondPlaying();
  }
  pc.OnPlayerEnd();
  EXPECT_EQ(ch2.media, "/c/R/4R.MP4");
  EXPECT_TRUE(ch2.playing);
}

TEST_F(DrivePlaybackTest, TimelineFollowsAndSeeksAcrossRecordings) {
  pc.StartEntry(StartTrigger::kGroup, 0);
  pc.OnPlayerTime(5000);
  EXPECT_EQ(view.drivePos, 5000);
  pc.SeekDrive(130000);  // 10 s into the third recording
  EXPECT_EQ(cat.current, 2);
  EXPECT_EQ(ch1.media, "/c/F/3F.MP4");
  EXPECT_EQ(pc.PendingSeek(), 10000);
  EXPECT_EQ(view.drivePos, 130000);
  // The seek waits until the new recording's length is known.
  pc.OnTimer(kTimerSeek);
  EXPECT_EQ(pc.PendingSeek(), 10000);
  ch1.length = 60000;
  pc.OnTimer(kTimerSeek);
  EXPECT_EQ(pc.PendingSeek(), PlaybackShared::kNoSeek);

  // A seek back across a boundary opens that recording (not the one
  // readied) and readies the one after it.
  pc.SeekDrive(61000);
  EXPECT_EQ(ch1.media, "/c/F/2F.MP4");
  EXPECT_EQ(pc.PendingSeek(), 1000);
  EXPECT_EQ(ch1.prepared, "/c/F/3F.MP4");
  pc.SeekDrive(130000);  // and on into the third again
  EXPECT_EQ(ch1.media, "/c/F/3F.MP4");

  pc.EndBusy();
  pc.PreviousRecording();
  EXPECT_EQ(cat.current, 1);
  pc.NextRecording();
  pc.NextRecording();  // past the drive's last recording: the next drive
  EXPECT_EQ(cat.current, 3);
  pc.EndBusy();
  pc.PreviousDrive();
  EXPECT_EQ(cat.current, 0);

  // A recording opened on its own finds its companion beside it.
  cat.paths = {"/c/F/1F.MP4"};
  cat.companions.clear();
  pc.EndBusy();
  pc.StartEntry(StartTrigger::kFile, 0);
  EXPECT_EQ(ch2.media, "/wrong");
}

TEST_F(DrivePlaybackTest, ChannelTwoIsKeptOnChannelOnesClock) {
  pc.StartEntry(StartTrigger::kGroup, 0);
  ch1.length = ch2.length = 60000;
  auto tick = [&](std::int64_t t1, std::int64_t t2) {
    now += 50;
    ch1.time = t1;
    ch2.time = t2;
    pc.SyncTick();
  };
  tick(10000, 10100);  // within tolerance: nothing
  EXPECT_FLOAT_EQ(ch2.rate, 1.0f);
  tick(10250, 10600);  // 350 ms ahead: channel 2 slows down
  EXPECT_LT(ch2.rate, 1.0f);
  tick(10500, 10520);  // caught up: back to the common rate
  EXPECT_FLOAT_EQ(ch2.rate, 1.0f);
  log.clear();
  tick(11000, 14000);  // far off: a seek to channel 1's time
  EXPECT_EQ(log, CallLog{"ch2.SetTime(11000)"});
  // Channel 2 halted while channel 1 plays on is started again at its time.
  now += 1000;
  ch2.playing = false;
  log.clear();
  tick(12500, 11200);
  EXPECT_EQ(log, (CallLog{"ch2.Play", "ch2.SetTime(12500)"}));
  EXPECT_TRUE(ch2.playing);

  // Pause and dialogs act on both channels.
  ch1.playing = ch2.playing = true;
  EXPECT_TRUE(pc.HoldForDialog());
  EXPECT_TRUE(ch1.paused && ch2.paused);
  pc.ResumeAfterHold(true);
  EXPECT_TRUE(ch1.playing && ch2.playing);
  ch2.playing = false;  // out of step
  pc.PlayPause();
  EXPECT_FALSE(ch1.playing || ch2.playing);
}

}  // namespace
