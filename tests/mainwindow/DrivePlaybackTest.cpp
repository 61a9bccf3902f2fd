#include <gtest/gtest.h>

#include "PlaybackFakes.h"

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
