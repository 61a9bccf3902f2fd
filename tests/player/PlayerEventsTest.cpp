// Channel event handlers and the binding without a usable library.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <thread>

#include "MessageLog.h"
#include "player/CVlcPlayer.h"
#include "player/PlayerEventTarget.h"
#include "player/VlcEventTypes.h"

namespace {

// Same leading layout as the library's event record.
struct FakeEvent {
  int type;
  void* object;
  std::int64_t payload;
};

const libvlc_event_t* AsEvent(const FakeEvent& e) {
  return reinterpret_cast<const libvlc_event_t*>(&e);
}

class PlayerEventsTest : public ::testing::Test {
 protected:
  void SetUp() override { target.window = &log; }

  void Deliver() { QCoreApplication::processEvents(); }

  MessageLog log;
  PlayerEventTarget target;
};

TEST(VlcEventTypeTest, ReadsTheTypeFromTheRecordsFirstField) {
  FakeEvent e{kVlcTimeChanged, nullptr, 42};
  EXPECT_EQ(VlcEventTypeOf(AsEvent(e)), 267);
  EXPECT_EQ(VlcEventTypeOf(nullptr), -1);
}

TEST_F(PlayerEventsTest, ChannelOneEventsBecomeMessagesInOrder) {
  for (int type : {kVlcPlaying, kVlcPaused, kVlcEndReached, kVlcEncounteredError}) {
    FakeEvent e{type, nullptr, 0};
    OnPlayerEvent(AsEvent(e), &target);
  }
  for (int type : {kVlcMediaChanged, kVlcBuffering, kVlcPositionChanged, kVlcSeekableChanged,
                   kVlcMediaStateChanged, static_cast<VlcEventType>(999)}) {
    FakeEvent e{type, nullptr, 0};
    OnPlayerEvent(AsEvent(e), &target);
  }
  OnPlayerEvent(nullptr, nullptr);  // no owner: ignored
  Deliver();
  ASSERT_EQ(log.entries.size(), 4u);
  EXPECT_EQ(log.entries[0].message, WM_PLAYER_STATE);
  EXPECT_EQ(log.entries[0].wParam, 3);
  EXPECT_EQ(log.entries[1].message, WM_PLAYER_STATE);
  EXPECT_EQ(log.entries[1].wParam, 4);
  EXPECT_EQ(log.entries[2].message, WM_PLAYER_END);
  EXPECT_EQ(log.entries[2].wParam, 1);
  EXPECT_EQ(log.entries[3].message, WM_PLAYER_ERROR);
  EXPECT_EQ(log.entries[3].wParam, 1);
}

TEST_F(PlayerEventsTest, SecondChannelReportsOnlyItsEnd) {
  for (int type : {kVlcOpening, kVlcPlaying, kVlcPaused, kVlcStopped, kVlcEncounteredError,
                   kVlcTimeChanged, kVlcEndReached}) {
    FakeEvent e{type, nullptr, 0};
    OnSecondPlayerEvent(AsEvent(e), &target);
  }
  Deliver();
  ASSERT_EQ(log.entries.size(), 1u);
  EXPECT_EQ(log.entries[0].message, WM_SECOND_END);
  EXPECT_EQ(log.entries[0].wParam, 1);
}

TEST_F(PlayerEventsTest, OpeningPausedAndEndCancelAPendingSeek) {
  for (int type : {kVlcOpening, kVlcPaused, kVlcEndReached}) {
    target.RequestSeek(1234);
    HandlePlayerEvent(target, type);
    EXPECT_FALSE(target.SeekPending()) << type;
  }
  for (int type : {kVlcPlaying, kVlcStopped, kVlcEncounteredError, kVlcTimeChanged}) {
    target.RequestSeek(1234);
    HandlePlayerEvent(target, type);
    EXPECT_EQ(target.pendingSeekMs.load(), 1234) << type;
  }
}

TEST_F(PlayerEventsTest, SeekToTheVeryStartIsARealSeek) {
  EXPECT_FALSE(target.SeekPending());
  EXPECT_EQ(target.TakePendingSeek(), PlayerEventTarget::kNoPendingSeek);
  target.RequestSeek(0);
  EXPECT_TRUE(target.SeekPending());
  EXPECT_EQ(target.TakePendingSeek(), 0);
  EXPECT_FALSE(target.SeekPending());
}

// A file that fails to open sends error/stopped but never a time event; the
// busy flag must come down anyway.
TEST_F(PlayerEventsTest, BusyFlagIsClearedByEndErrorAndStopped) {
  for (int type : {kVlcEndReached, kVlcEncounteredError, kVlcStopped}) {
    target.busy = 1;
    HandlePlayerEvent(target, type);
    EXPECT_EQ(target.busy.load(), 0) << type;
  }
  for (int type : {kVlcOpening, kVlcPlaying, kVlcPaused, kVlcBuffering}) {
    target.busy = 1;
    HandlePlayerEvent(target, type);
    EXPECT_EQ(target.busy.load(), 1) << type;
  }
}

TEST_F(PlayerEventsTest, TimeEventWhileASeekIsPendingIsDroppedEntirely) {
  int sliderMoves = 0;
  target.seekSliderMoved = [&](int) { ++sliderMoves; };
  target.busy = 1;
  target.RequestSeek(0);
  HandlePlayerEvent(target, kVlcTimeChanged);
  Deliver();
  EXPECT_FALSE(log.Has(WM_PLAYER_TIME));
  EXPECT_EQ(sliderMoves, 0);
  EXPECT_EQ(target.busy.load(), 1);

  target.CancelPendingSeek();
  HandlePlayerEvent(target, kVlcTimeChanged);
  Deliver();
  EXPECT_TRUE(log.Has(WM_PLAYER_TIME));
  EXPECT_EQ(sliderMoves, 1);
  EXPECT_EQ(target.busy.load(), 0);
}

// The library calls back on its own threads: widgets are only reached
// through the receiver's event queue, on the receiver's thread.
TEST_F(PlayerEventsTest, CallbacksFromALibraryThreadRunOnTheWindowThread) {
  const QThread* mainThread = QThread::currentThread();
  std::vector<const QThread*> gpsThreads;
  std::vector<std::pair<const QThread*, int>> sliderCalls;
  target.gpsIndicatorOff = [&] { gpsThreads.push_back(QThread::currentThread()); };
  target.seekSliderMoved = [&](int pos) { sliderCalls.emplace_back(QThread::currentThread(), pos); };

  std::thread library([&] {
    HandlePlayerEvent(target, kVlcOpening);
    HandlePlayerEvent(target, kVlcTimeChanged);
    HandlePlayerEvent(target, kVlcStopped);
    HandlePlayerEvent(target, kVlcEndReached);
  });
  library.join();
  EXPECT_TRUE(gpsThreads.empty());
  EXPECT_TRUE(sliderCalls.empty());

  Deliver();
  ASSERT_EQ(gpsThreads.size(), 2u);
  for (const QThread* t : gpsThreads) EXPECT_EQ(t, mainThread);
  ASSERT_EQ(sliderCalls.size(), 1u);
  EXPECT_EQ(sliderCalls[0].first, mainThread);
  EXPECT_EQ(sliderCalls[0].second, 0);  // no channel: unknown length
  ASSERT_EQ(log.entries.size(), 2u);
  for (const auto& e : log.entries) EXPECT_TRUE(e.onOwnThread);
  EXPECT_EQ(log.entries[0].message, WM_PLAYER_TIME);
  EXPECT_EQ(log.entries[1].message, WM_PLAYER_END);
}

TEST(SeekSliderPositionTest, TruncatesToThousandthsOfTheLength) {
  EXPECT_EQ(SeekSliderPosition(1500, 3000), 500);
  EXPECT_EQ(SeekSliderPosition(999, 3000), 333);
  EXPECT_EQ(SeekSliderPosition(3000, 3000), 1000);
  EXPECT_EQ(SeekSliderPosition(599999, 600000), 999);
  EXPECT_EQ(SeekSliderPosition(4000000000LL, 5000000000LL), 800);
  EXPECT_EQ(SeekSliderPosition(1500, 0), 0);
  EXPECT_EQ(SeekSliderPosition(1500, -1), 0);
  EXPECT_EQ(SeekSliderPosition(-1, 3000), 0);
}

TEST(VlcBindingTest, LibraryNameAndExtraArgumentsComeFromTheEnvironment) {
  setenv("VANTREL_LIBVLC", "libvlc-test-name.so", 1);
  setenv("VANTREL_VLC_ARGS", " --aout=dummy  --verbose=0 ", 1);
  VlcBinding fromEnv;
  unsetenv("VANTREL_LIBVLC");
  unsetenv("VANTREL_VLC_ARGS");
  EXPECT_EQ(fromEnv.LibraryName(), "libvlc-test-name.so");
  const std::vector<std::string> expected = {
      "-I",       "dummy",  "--ignore-config",          "--no-video-title",
      "--no-osd", "--no-snapshot-preview", "--aout=dummy", "--verbose=0"};
  EXPECT_EQ(fromEnv.Arguments(), expected);

  VlcBinding plain;
  EXPECT_EQ(plain.LibraryName(), VlcBinding::kDefaultLibraryName);
  EXPECT_EQ(plain.Arguments().size(), 6u);
  VlcBinding named("x.so");
  EXPECT_EQ(named.LibraryName(), "x.so");
}

TEST(VlcBindingTest, MissingLibraryMakesEveryOperationNeutralWithoutALibraryCall) {
  VlcBinding binding("libvantrel-no-such-library.so.0");
  {
    CVlcPlayer channel1(binding);
    CVlcPlayer channel2(binding);
    EXPECT_FALSE(binding.IsAvailable());
    EXPECT_FALSE(channel1.IsAvailable());
    EXPECT_EQ(channel1.Handle(), nullptr);
    for (CVlcPlayer* ch : {&channel1, &channel2}) {
      PlayerEventTarget target;
      ch->SetWindow(1234);
      ch->AttachEvents(&OnPlayerEvent, &target);
      ch->Prepare("/tmp/none.mp4");
      ch->Open("/tmp/none.mp4");
      ch->Play();
      EXPECT_EQ(ch->IsPlaying(), 0);
      EXPECT_EQ(ch->IsPaused(), 0);
      ch->Pause();
      ch->Stop();
      ch->SetTime(1000);
      ch->SetMute(1);
      ch->SetVolume(50);
      EXPECT_EQ(ch->Close(), 0);
      EXPECT_EQ(ch->GetLength(), -1);
      EXPECT_EQ(ch->GetTime(), -1);
      EXPECT_EQ(ch->SetRate(2.0f), -1);
      EXPECT_EQ(ch->TakeSnapshot("/tmp/none.png", 0), -1);
      EXPECT_EQ(ch->SetMarquee(0, 0, "2.0 X", 48, 255, 0xFF00FF00u, -1, 1), 0);
      EXPECT_EQ(ch->IsPlaying(), 0);
      EXPECT_EQ(ch->IsPaused(), 0);
      EXPECT_FALSE(ch->HasMedia());
    }
    EXPECT_EQ(binding.LoadModule(), nullptr);
    EXPECT_EQ(binding.GetInstance(), nullptr);
  }
  EXPECT_EQ(binding.LookupCount(), 0);
  EXPECT_EQ(binding.NewCount(), 0);
  EXPECT_EQ(binding.ReleaseCount(), 0);
  EXPECT_FALSE(binding.IsAvailable());
}

// A library that loads but lacks the entry points is no usable library.
TEST(VlcBindingTest, LibraryWithoutTheEntryPointsIsUnavailable) {
  VlcBinding binding("libm.so.6");
  {
    CVlcPlayer channel(binding);
    EXPECT_FALSE(channel.IsAvailable());
    EXPECT_EQ(channel.GetTime(), -1);
  }
  EXPECT_EQ(binding.NewCount(), 0);
  EXPECT_EQ(binding.ReleaseCount(), 1);  // the module is unloaded
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
