#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "PlaybackFakes.h"

namespace {

class PlaybackTest : public ::testing::Test {
 protected:
  PlaybackTest() : ch1("ch1", log), ch2("ch2", log), cat(log), view(log),
                   pc(ch1, ch2, cat, view, {pendingSeek, busy}) {
    cat.paths = {"/card/F/A_0001F.MP4", "/card/F/A_0002F.MP4", "/card/F/A_0003F.MP4"};
    cat.groupFirst = {0, 2};
    cat.companions = {{0, "/card/F/A_0001F.MP4.R"}, {2, "/card/F/A_0003F.MP4.R"}};
  }

  bool Logged(const std::string& s) const { return std::find(log.begin(), log.end(), s) != log.end(); }
  long Count(const std::string& s) const { return std::count(log.begin(), log.end(), s); }

  CallLog log;
  FakeChannel ch1, ch2;
  FakeCatalog cat;
  FakeView view;
  std::atomic<std::int64_t> pendingSeek{PlaybackShared::kNoSeek};
  std::atomic<int> busy{0};
  PlaybackController pc;
};

TEST_F(PlaybackTest, FileActivationRunsTheWholeStartInOrder) {
  ASSERT_EQ(pc.StartEntry(StartTrigger::kFile, 1), 1);
  const CallLog expected = {
      "ch1.Stop", "ch2.Stop", "view.Settle", "cat.Select(1)", "view.SetPanelVariant(1,0)",
      "cat.Select(1)", "cat.LoadTelemetry(1)", "ch1.Open(/card/F/A_0002F.MP4)", "view.Fit",
      "ch1.Play",
      // no companion for this entry: channel 2 drops its media
      "ch2.Close"};
  EXPECT_EQ(log, expected);
  EXPECT_TRUE(pc.IsBusy());
  EXPECT_EQ(view.timers.count(kTimerBusy), 1u);
  EXPECT_EQ(view.timers.count(kTimerMarquee), 1u);
  EXPECT_TRUE(view.surfaceShown[1]);
  EXPECT_EQ(pc.CurrentPath(), "/card/F/A_0002F.MP4");
}

TEST_F(PlaybackTest, GroupActivationInitialisesTheMapAndStartsTheCompanion) {
  ASSERT_EQ(pc.StartEntry(StartTrigger::kGroup, 1), 1);
  EXPECT_TRUE(Logged("cat.SelectGroupFirst(1)"));
  EXPECT_TRUE(Logged("view.InitMap"));
  EXPECT_TRUE(Logged("ch1.Open(/card/F/A_0003F.MP4)"));
  EXPECT_TRUE(Logged("ch2.BindSurface"));
  EXPECT_TRUE(Logged("ch2.Open(/card/F/A_0003F.MP4.R)"));
  EXPECT_TRUE(ch2.playing);
  EXPECT_TRUE(view.surfaceShown[2]);
}

TEST_F(PlaybackTest, StartsAreRefusedForNoRowBadRowsAndWhileBusy) {
  EXPECT_EQ(pc.StartEntry(StartTrigger::kFile, -1), 0);
  EXPECT_EQ(pc.StartEntry(StartTrigger::kGroup, -1), 0);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(pc.StartEntry(StartTrigger::kGroup, 7), 0);
  EXPECT_FALSE(pc.IsBusy());
  EXPECT_FALSE(Logged("ch1.Play"));

  pc.BeginBusy();
  log.clear();
  EXPECT_EQ(pc.StartEntry(StartTrigger::kFile, 0), 0);
  EXPECT_TRUE(log.empty());
  pc.OnTimer(kTimerBusy);  // the 100 s timeout frees it
  EXPECT_FALSE(pc.IsBusy());
  EXPECT_EQ(view.timers.count(kTimerBusy), 0u);
  EXPECT_EQ(pc.StartEntry(StartTrigger::kFile, 0), 1);
}

TEST_F(PlaybackTest, CompanionNeedsASurfaceAndAFile) {
  view.surface2Exists = false;
  pc.StartSecondChannel("/card/F/A_0001F.MP4");
  EXPECT_EQ(log, CallLog{"ch2.Close"});
  view.surface2Exists = true;
  log.clear();
  pc.StartSecondChannel("/card/F/A_0002F.MP4");
  EXPECT_EQ(log, CallLog{"ch2.Close"});
  EXPECT_TRUE(view.logo[2]);
}

TEST_F(PlaybackTest, CountdownStartsItsEntryOnceOnTheFifthTick) {
  pc.ArmCountdown(0);
  for (int i = 0; i < 4; ++i) pc.OnTimer(kTimerCountdown);
  EXPECT_FALSE(Logged("ch1.Play"));
  pc.OnTimer(kTimerCountdown);
  EXPECT_TRUE(Logged("ch1.Open(/card/F/A_0001F.MP4)"));
  EXPECT_TRUE(Logged("view.InitMap"));
  EXPECT_FALSE(Logged("view.Settle"));  // no stop-and-wait for a countdown start
  for (int i = 0; i < 10; ++i) pc.OnTimer(kTimerCountdown);
  EXPECT_EQ(Count("ch1.Play"), 1);
}

TEST_F(PlaybackTest, SeekTargetsComeFromTheLengthAndTheStartIsReachable) {
  ch1.length = 599999;
  pc.RequestSeek(500, true);
  EXPECT_EQ(pc.PendingSeek(), 299500);
  EXPECT_TRUE(Logged("cat.SyncToTime(299500)"));
  EXPECT_EQ(view.gps, 1);

  // The very start is a seek like any other.
  pc.RequestSeek(0, false);
  EXPECT_EQ(pc.PendingSeek(), 0);
  pc.OnTimer(kTimerSeek);
  EXPECT_TRUE(Logged("ch1.SetTime(0)"));
  EXPECT_TRUE(Logged("ch2.SetTime(0)"));
  EXPECT_TRUE(Logged("cat.DrawDrivenPath(0)"));
  EXPECT_EQ(pc.PendingSeek(), PlaybackShared::kNoSeek);
  log.clear();
  pc.OnTimer(kTimerSeek);
  EXPECT_TRUE(log.empty());

  // Nothing to seek in while the length is unknown.
  ch1.length = -1;
  pc.RequestSeek(300, true);
  EXPECT_EQ(pc.PendingSeek(), PlaybackShared::kNoSeek);
}

TEST_F(PlaybackTest, ArrowSeeksStepFromThePendingTargetAndStayInTheFile) {
  ch1.length = 20000;
  ch1.time = 3000;
  pc.SeekRelative(-5000);
  EXPECT_EQ(pc.PendingSeek(), 0);
  pc.SeekRelative(5000);
  pc.SeekRelative(5000);
  EXPECT_EQ(pc.PendingSeek(), 10000);
  EXPECT_EQ(view.seek, 500);
  for (int i = 0; i < 5; ++i) pc.SeekRelative(5000);
  EXPECT_EQ(pc.PendingSeek(), 19999);
}

TEST_F(PlaybackTest, PlayPauseAndStopCancelAPendingSeek) {
  ch1.length = 60000;
  pc.RequestSeek(100, false);
  pc.PlayPause();
  EXPECT_EQ(pc.PendingSeek(), PlaybackShared::kNoSeek);
  pc.RequestSeek(100, false);
  pc.Stop();
  EXPECT_EQ(pc.PendingSeek(), PlaybackShared::kNoSeek);
}

TEST_F(PlaybackTest, RatesStayWithinTheTableAndTheMarqueeShowsOnlyOffNormal) {
  cat.current = 0;
  for (int i = 0; i < 12; ++i) pc.Faster();
  EXPECT_EQ(pc.RateIndex(), 17);
  EXPECT_FLOAT_EQ(ch1.rate, 4.0f);
  EXPECT_FLOAT_EQ(ch2.rate, 4.0f);
  EXPECT_EQ(ch1.marqueeText, "4.0 X");
  EXPECT_EQ(ch1.marqueeEnabled, 1);
  for (int i = 0; i < 20; ++i) pc.Slower();
  EXPECT_EQ(pc.RateIndex(), 0);
  EXPECT_EQ(ch2.marqueeText, "0.3 X");
  for (int i = 0; i < 7; ++i) pc.Faster();
  EXPECT_EQ(ch1.marqueeText, "1.0 X");
  EXPECT_EQ(ch1.marqueeEnabled, 0);
  pc.Faster();
  pc.Stop();
  EXPECT_EQ(pc.RateIndex(), kNormalRateIndex);
  EXPECT_FLOAT_EQ(ch1.rate, 1.0f);
}

TEST_F(PlaybackTest, MarqueeSizeFollowsThePictureHeight) {
  EXPECT_EQ(pc.MarqueeSize(), 48);  // no current entry
  cat.current = 0;
  EXPECT_EQ(pc.MarqueeSize(), 108);
  cat.height = 240;
  EXPECT_EQ(pc.MarqueeSize(), 24);
  cat.height = 0;
  EXPECT_EQ(pc.MarqueeSize(), 48);
}

TEST_F(PlaybackTest, MarqueeIsSentAtOnceThenElevenTimesMore) {
  pc.StartMarquee();
  EXPECT_EQ(view.timers[kTimerMarquee], 300);
  int ticks = 0;
  while (view.timers.count(kTimerMarquee) && ticks < 100) {
    pc.OnTimer(kTimerMarquee);
    ++ticks;
  }
  EXPECT_EQ(ticks, 11);
  EXPECT_EQ(ch1.marqueeCount, 12);
  EXPECT_EQ(ch2.marqueeCount, 12);
}

TEST_F(PlaybackTest, EndOfADriveWithoutAutoPlayWaitsPausedOnItsFirstPicture) {
  cat.drives = {0, 0, 1};
  pc.SetAutoPlayNext(false);
  pc.StartEntry(StartTrigger::kFile, 0);
  pc.OnPlayerEnd();  // inside the drive: goes on by itself
  EXPECT_EQ(cat.current, 1);
  EXPECT_FALSE(pc.FirstPicturePending(1));
  pc.OnPlayerEnd();  // the drive's end: back to its start, not into drive 1
  EXPECT_EQ(cat.current, 0);
  EXPECT_EQ(ch1.media, "/card/F/A_0001F.MP4");
  EXPECT_EQ(ch2.media, "/card/F/A_0001F.MP4.R");
  EXPECT_EQ(view.seek, 0);
  EXPECT_EQ(view.drivePos, 0);
  EXPECT_TRUE(pc.FirstPicturePending(1));
  EXPECT_TRUE(pc.FirstPicturePending(2));
  // However slowly the file opens, it is paused once it shows a picture.
  pc.OnPlayerTime(40);
  pc.OnPlayerTime(80);
  pc.OnSecondPlaying();
  EXPECT_EQ(Count("ch1.Pause"), 1);
  EXPECT_TRUE(ch1.paused);
  EXPECT_TRUE(ch2.paused);
}

TEST_F(PlaybackTest, AFileThatEndsBeforeItsFirstPictureIsNotRestartedAgain) {
  cat.drives = {0, 1, 2};
  pc.SetAutoPlayNext(false);
  pc.StartEntry(StartTrigger::kFile, 0);
  pc.OnPlayerEnd();
  pc.OnPlayerEnd();  // ended again without a picture: left alone
  EXPECT_EQ(Count("ch1.Stop"), 2);  // the start's own stop and one restart
  ch2.playing = false;  // channel 2 reached its end
  pc.OnSecondEnd();  // the restart's own end before a picture: left alone
  ch2.playing = false;
  pc.OnSecondEnd();
  ch2.playing = false;
  pc.OnSecondEnd();  // and again: left alone
  EXPECT_EQ(Count("ch2.Play"), 3);  // the start, the drive's restart, one more
}

TEST_F(PlaybackTest, EndWithAutoPlayStartsTheNextEntryWithoutStoppingChannelTwo) {
  pc.StartEntry(StartTrigger::kFile, 0);
  pc.EndBusy();
  log.clear();
  pc.OnPlayerEnd();
  EXPECT_TRUE(Logged("ch1.Open(/card/F/A_0002F.MP4)"));
  EXPECT_FALSE(Logged("ch2.Stop"));
  EXPECT_FALSE(Logged("view.Settle"));
  EXPECT_FALSE(Logged("view.InitMap"));
  EXPECT_FALSE(pc.IsBusy());
  EXPECT_EQ(cat.current, 1);
}

TEST_F(PlaybackTest, EndOfTheLastEntryReturnsToTheFirstAndWaits) {
  pc.StartEntry(StartTrigger::kFile, 2);
  log.clear();
  pc.OnPlayerEnd();
  EXPECT_EQ(log, (CallLog{"ch1.Stop", "cat.Select(0)", "cat.LoadTelemetry(0)",
                          "ch1.Open(/card/F/A_0001F.MP4)", "view.Fit", "ch1.Play",
                          "ch2.BindSurface",
                          "ch2.Open(/card/F/A_0001F.MP4.R)", "ch2.SetRate", "ch2.Play"}));
  EXPECT_EQ(cat.current, 0);
  EXPECT_EQ(view.seek, 0);
  pc.OnPlayerTime(0);
  EXPECT_TRUE(ch1.paused);
}

TEST_F(PlaybackTest, SecondChannelEndGoesBackToItsFirstPicture) {
  pc.StartEntry(StartTrigger::kFile, 0);
  log.clear();
  pc.OnSecondEnd();  // still playing: an end left behind by an earlier recording
  EXPECT_TRUE(log.empty());
  ch2.playing = false;
  pc.OnSecondEnd();
  EXPECT_EQ(log, (CallLog{"ch2.Stop", "ch2.Play"}));
  pc.OnSecondPlaying();
  pc.OnSecondPlaying();
  EXPECT_EQ(Count("ch2.Pause"), 1);
}

TEST_F(PlaybackTest, StopPutsTheLogosBackAndTheCurveToRest) {
  pc.StartEntry(StartTrigger::kGroup, 0);
  pc.Stop();
  EXPECT_EQ(view.face, 0);
  EXPECT_TRUE(view.logo[1]);
  EXPECT_TRUE(view.logo[2]);
  EXPECT_FALSE(view.surfaceShown[1]);
  EXPECT_FALSE(view.surfaceShown[2]);
  EXPECT_EQ(view.seek, 0);
  EXPECT_TRUE(view.gsensorInactive);
  EXPECT_TRUE(view.instrumentsCleared);
}

TEST_F(PlaybackTest, PlayPauseActsOnBothChannels) {
  cat.paths.clear();
  pc.PlayPause();
  EXPECT_EQ(view.face, 0);
  EXPECT_TRUE(log.empty());

  cat.paths = {"/a/F.MP4"};
  ch1.media = "/a/F.MP4";
  pc.PlayPause();
  EXPECT_TRUE(ch1.playing);
  EXPECT_FALSE(ch2.playing);  // holds no media
  EXPECT_TRUE(view.surfaceShown[1]);
  pc.PlayPause();
  EXPECT_TRUE(ch1.paused);

  pc.OnPlayerState(3);
  EXPECT_EQ(view.face, 1);
  pc.OnPlayerState(4);
  EXPECT_EQ(view.face, 0);
  pc.OnPlayerState(7);
  EXPECT_EQ(view.face, 0);
}

// ---------------------------------------------------------------- helpers

class CompanionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::filesystem::temp_directory_path() /
           ("vantrel-companion-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "F");
    std::filesystem::create_directories(root / "R");
  }
  void TearDown() override { std::filesystem::remove_all(root); }
  std::string Touch(const std::string& rel) {
    const auto p = root / rel;
    std::ofstream(p) << "x";
    return p.string();
  }
  std::filesystem::path root;
};

TEST_F(CompanionTest, SameFolderFirstThenTheSecondCameraFolder) {
  const std::string first = Touch("F/20230101_120000F.MP4");
  EXPECT_EQ(FindCompanionFile(first), "");
  const std::string other = Touch("R/20230101_120000R.MP4");
  EXPECT_EQ(FindCompanionFile(first), other);
  const std::string sibling = Touch("F/20230101_120000R.MP4");
  EXPECT_EQ(FindCompanionFile(first), sibling);
}

TEST_F(CompanionTest, NeverTheFileItselfNorOutsideThePath) {
  const std::string second = Touch("R/20230101_120000R.MP4");
  EXPECT_EQ(FindCompanionFile(second), "");
  EXPECT_EQ(FindCompanionFile("F.mp4"), "");
  EXPECT_EQ(FindCompanionFile("/F.mp4"), "");
  EXPECT_EQ(FindCompanionFile("/a/.mp4"), "");
  EXPECT_EQ(FindCompanionFile("/a.b/noext"), "");
  EXPECT_EQ(FindCompanionFile(""), "");
}

TEST(FitPicture, WidePictureInATallPanelIsCentredVertically) {
  const LayoutRect panel{10, 50, 410, 350};
  const LayoutRect fit = FitPictureRect(panel, 1920, 1080);
  EXPECT_EQ(fit.Width(), 400);
  EXPECT_EQ(fit.Height(), 225);
  EXPECT_EQ(fit.top - panel.top, 37);
  EXPECT_EQ(fit.left, 10);

  const LayoutRect narrow = FitPictureRect({0, 0, 400, 300}, 480, 640);
  EXPECT_EQ(narrow, (LayoutRect{87, 0, 312, 300}));
  EXPECT_EQ(FitPictureRect(panel, 400, 300), panel);
  // Unknown picture size: nothing moves.
  EXPECT_EQ(FitPictureRect(panel, 0, 0), panel);
  EXPECT_EQ(FitPictureRect(panel, 1920, 0), panel);
  // The second panel takes the first one's sizes.
  EXPECT_EQ(FitLikeReference(panel, {410, 50, 790, 350}, 1920, 1080),
            (LayoutRect{410, 87, 790, 312}));
}

}  // namespace
