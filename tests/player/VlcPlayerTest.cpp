// The player channels on the real media-player library, drawing into native
// X11 windows; run under Xvfb. Recordings are generated with the ffmpeg CLI.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "MessageLog.h"
#include "player/CVlcPlayer.h"
#include "controls/VideoStatic.h"
#include "player/PlayerEventTarget.h"

namespace {

QTemporaryDir* g_dir = nullptr;

std::string Clip(const char* extension) {
  return g_dir->filePath(QStringLiteral("clip.") + extension).toStdString();
}

bool MakeClip(const char* extension) {
  const std::string cmd =
      "ffmpeg -v error -y -f lavfi -i testsrc2=size=320x240:rate=25 -t 3 -c:v libx264 "
      "-pix_fmt yuv420p -an '" + Clip(extension) + "'";
  return std::system(cmd.c_str()) == 0 && QFileInfo::exists(QString::fromStdString(Clip(extension)));
}

class ClipEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    g_dir = new QTemporaryDir();
    ASSERT_TRUE(g_dir->isValid());
    for (const char* ext : {"mov", "avi", "mp4"}) ASSERT_TRUE(MakeClip(ext)) << ext;
    const std::string withSound =
        "ffmpeg -v error -y -f lavfi -i testsrc2=size=320x240:rate=25 -f lavfi -i sine=frequency=440 "
        "-t 3 -c:v libx264 -pix_fmt yuv420p -c:a aac '" + Clip("sound.mp4") + "'";
    ASSERT_EQ(std::system(withSound.c_str()), 0);
  }
  void TearDown() override {
    delete g_dir;
    g_dir = nullptr;
  }
};

// A native window of the clip's size for the library to draw into.
std::unique_ptr<QWindow> MakeSurface() {
  auto window = std::make_unique<QWindow>();
  window->resize(320, 240);
  window->show();
  return window;
}

// Channel 1 as the main window sets it up: surface, events, target.
class ChannelOneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    target.window = &log;
    target.channel1 = &channel;
    target.seekSliderMoved = [this](int pos) {
      sliderPositions.push_back(pos);
      sliderOnMainThread = sliderOnMainThread && QThread::currentThread() == log.thread();
    };
    target.gpsIndicatorOff = [this] { ++gpsOffCalls; };
    ASSERT_TRUE(channel.IsAvailable());
    channel.SetWindow(surface->winId());
    channel.AttachEvents(&OnPlayerEvent, &target);
  }

  void TearDown() override { channel.Stop(); }

  std::size_t TimeCount() const { return log.Params(WM_PLAYER_TIME).size(); }
  bool WaitForTimes(std::size_t n) { return WaitUntil([&] { return TimeCount() >= n; }); }

  MessageLog log;
  PlayerEventTarget target;
  std::unique_ptr<QWindow> surface = MakeSurface();
  CVlcPlayer channel;
  std::vector<int> sliderPositions;
  bool sliderOnMainThread = true;
  int gpsOffCalls = 0;
};

class ContainerTest : public ChannelOneTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ContainerTest, PlayingPostsIncreasingTimesAndMovesTheSlider) {
  target.busy = 1;
  // Opened as at the end of a recording: readied while another one played.
  channel.Prepare(Clip(GetParam()));
  channel.Open(Clip(GetParam()));
  EXPECT_EQ(channel.Path(), Clip(GetParam()));
  channel.Play();
  ASSERT_TRUE(WaitForTimes(4));
  EXPECT_TRUE(log.Has(WM_PLAYER_STATE, 3));
  EXPECT_EQ(target.busy.load(), 0);
  EXPECT_GE(gpsOffCalls, 1);  // opening switches the GPS indicator off

  const auto times = log.Params(WM_PLAYER_TIME);
  for (std::size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i], times[i - 1]);
  EXPECT_GT(times.back(), times.front());
  const std::int64_t length = channel.GetLength();
  EXPECT_GT(length, 2500);
  EXPECT_LT(length, 3500);

  ASSERT_TRUE(WaitUntil([&] { return sliderPositions.size() >= 4; }));
  EXPECT_TRUE(sliderOnMainThread);
  for (int pos : sliderPositions) {
    EXPECT_GE(pos, 0);
    EXPECT_LE(pos, 1000);
  }
  EXPECT_GT(sliderPositions.back(), sliderPositions.front());
}

INSTANTIATE_TEST_SUITE_P(Containers, ContainerTest, ::testing::Values("mov", "avi", "mp4"));

TEST_F(ChannelOneTest, SetTimeMovesThePausedTime) {
  channel.Open(Clip("mp4"));
  channel.Play();
  ASSERT_TRUE(WaitForTimes(1));
  channel.Pause();
  ASSERT_TRUE(WaitUntil([&] { return log.Has(WM_PLAYER_STATE, 4); }));
  ASSERT_LT(channel.GetTime(), 1800);
  channel.SetTime(2000);
  EXPECT_TRUE(WaitUntil([&] { return channel.GetTime() >= 1900; })) << channel.GetTime();
}

TEST_F(ChannelOneTest, SetRateChangesTheLibraryRate) {
  channel.Open(Clip("mp4"));
  channel.Play();
  ASSERT_TRUE(WaitForTimes(1));
  EXPECT_EQ(channel.SetRate(2.0f), 0);
  EXPECT_FLOAT_EQ(channel.Rate(), 2.0f);
  using GetRateFn = float(libvlc_media_player_t*);
  auto* getRate = channel.Binding().Lookup<GetRateFn>("libvlc_media_player_get_rate");
  ASSERT_NE(getRate, nullptr);
  EXPECT_FLOAT_EQ(getRate(channel.Handle()), 2.0f);
}

TEST_F(ChannelOneTest, MarqueeOptionsReachTheLibrary) {
  channel.Open(Clip("mp4"));
  channel.Play();
  ASSERT_TRUE(WaitForTimes(1));
  EXPECT_EQ(channel.SetMarquee(12, 34, "2.0 X", 24, 0x1FF, 0x00FF00u, 5000, 1), 1);
  using GetIntFn = int(libvlc_media_player_t*, unsigned);
  auto* get = channel.Binding().Lookup<GetIntFn>("libvlc_video_get_marquee_int");
  ASSERT_NE(get, nullptr);
  EXPECT_EQ(get(channel.Handle(), 6), 24);      // size
  EXPECT_EQ(get(channel.Handle(), 3), 0xFF);    // opacity, low 8 bits only
  EXPECT_EQ(get(channel.Handle(), 2), 0x00FF00);  // colour
  EXPECT_EQ(get(channel.Handle(), 7), 5000);    // timeout
  EXPECT_EQ(get(channel.Handle(), 8), 12);      // x
  EXPECT_EQ(get(channel.Handle(), 9), 34);      // y
}

TEST_F(ChannelOneTest, ShadowFlagsFollowTheRequests) {
  EXPECT_EQ(channel.IsPlaying(), 0);
  EXPECT_EQ(channel.IsPaused(), 1);
  channel.Pause();  // never played
  EXPECT_EQ(channel.IsPlaying(), 0);
  EXPECT_EQ(channel.IsPaused(), 1);
  channel.Play();  // no media: nothing happens
  EXPECT_EQ(channel.IsPlaying(), 0);
  EXPECT_EQ(channel.IsPaused(), 1);

  channel.SetVolume(100);
  EXPECT_EQ(channel.Volume(), 200);
  channel.SetVolume(0);
  EXPECT_EQ(channel.Volume(), 0);

  channel.Open(Clip("avi"));
  EXPECT_EQ(channel.IsPlaying(), 0);  // opening does not start playback
  channel.Play();
  EXPECT_EQ(channel.IsPlaying(), 1);
  EXPECT_EQ(channel.IsPaused(), 0);
  ASSERT_TRUE(WaitForTimes(1));
  channel.Pause();
  EXPECT_EQ(channel.IsPlaying(), 0);
  EXPECT_EQ(channel.IsPaused(), 1);
  ASSERT_TRUE(WaitUntil([&] { return log.Has(WM_PLAYER_STATE, 4); }));
  channel.Stop();
  EXPECT_EQ(channel.IsPlaying(), 0);
  EXPECT_EQ(channel.IsPaused(), 0);

  // Stop keeps the media: Play starts the same file again.
  const std::size_t before = TimeCount();
  channel.Play();
  EXPECT_EQ(channel.IsPlaying(), 1);
  EXPECT_TRUE(WaitForTimes(before + 2));

  channel.Stop();
  EXPECT_EQ(channel.Close(), 1);
  EXPECT_EQ(channel.Close(), 0);
  EXPECT_FALSE(channel.HasMedia());
  channel.Play();
  EXPECT_EQ(channel.IsPlaying(), 0);
}

TEST_F(ChannelOneTest, SnapshotHasTheSizeOfTheVideo) {
  channel.Open(Clip("mov"));
  channel.Play();
  ASSERT_TRUE(WaitForTimes(2));
  const QString path = g_dir->filePath("snapshot.png");
  ASSERT_EQ(channel.TakeSnapshot(path.toStdString(), 0), 0);
  ASSERT_TRUE(WaitUntil([&] { return !QImage(path).isNull(); }));
  EXPECT_EQ(QImage(path).size(), QSize(320, 240));
}

TEST_F(ChannelOneTest, FileThatFailsToOpenReportsAnErrorAndIsNotBusy) {
  target.busy = 1;
  channel.Open(g_dir->filePath("missing.mp4").toStdString());
  channel.Play();
  ASSERT_TRUE(WaitUntil([&] { return log.Has(WM_PLAYER_ERROR, 1); }));
  EXPECT_EQ(target.busy.load(), 0);
  EXPECT_FALSE(log.Has(WM_PLAYER_TIME));
}

TEST_F(ChannelOneTest, EndOfFileIsReportedAndChannelTwoStaysSilent) {
  MessageLog secondLog;
  PlayerEventTarget secondTarget;
  secondTarget.window = &secondLog;
  auto secondSurface = MakeSurface();
  CVlcPlayer channel2;
  channel2.SetVolume(0);
  channel2.SetWindow(secondSurface->winId());
  channel2.AttachEvents(&OnSecondPlayerEvent, &secondTarget);

  target.busy = 1;
  channel.Open(Clip("mp4"));
  channel2.Open(Clip("mov"));
  channel.Play();
  channel2.Play();
  ASSERT_TRUE(WaitUntil([&] { return log.Has(WM_PLAYER_END, 1); }, 30000));
  ASSERT_TRUE(WaitUntil([&] { return secondLog.Has(WM_SECOND_END, 1); }, 30000));
  EXPECT_EQ(target.busy.load(), 0);
  ASSERT_EQ(secondLog.entries.size(), 1u);
  EXPECT_EQ(secondLog.entries[0].message, WM_SECOND_END);
  EXPECT_EQ(channel2.Volume(), 0);
  // The shadow flags keep the request, not the library's state.
  EXPECT_EQ(channel.IsPlaying(), 1);
  channel2.Stop();
}

// The picture lands in the window handed to SetWindow: a video surface of
// the controls shows the colourful test picture instead of its dark fill.
TEST(VideoSurfaceTest, PictureIsDrawnIntoTheSurfaceWindow) {
  CVideoStatic surface;
  // Away from the corner where a window of the library's own would open.
  surface.setGeometry(700, 450, 320, 240);
  const WId wid = surface.VideoWindowId();
  surface.show();
  ASSERT_TRUE(WaitUntil([&] { return surface.VideoWindow()->isExposed(); }));

  MessageLog log;
  PlayerEventTarget target;
  target.window = &log;
  CVlcPlayer channel;
  target.channel1 = &channel;
  channel.SetWindow(wid);
  channel.AttachEvents(&OnPlayerEvent, &target);
  channel.Open(Clip("mp4"));
  channel.Play();
  ASSERT_TRUE(WaitUntil([&] { return log.Params(WM_PLAYER_TIME).size() >= 2; }));
  channel.Pause();
  ASSERT_TRUE(WaitUntil([&] { return log.Has(WM_PLAYER_STATE, 4); }));

  auto brightPixels = [&] {
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(wid).toImage();
    int bright = 0;
    for (int y = 0; y < shot.height(); y += 8)
      for (int x = 0; x < shot.width(); x += 8)
        if (qGray(shot.pixel(x, y)) > 60) ++bright;
    return bright;
  };
  EXPECT_TRUE(WaitUntil([&] { return brightPixels() > 100; })) << brightPixels();
  channel.Stop();
}

TEST(VlcBindingLibraryTest, TwoChannelsShareOneInstanceReleasedOnce) {
  VlcBinding binding(VlcBinding::kDefaultLibraryName);
  binding.AddArgument("--aout=dummy");
  {
    CVlcPlayer channel1(binding);
    CVlcPlayer channel2(binding);
    EXPECT_TRUE(binding.IsAvailable());
    EXPECT_NE(channel1.Handle(), nullptr);
    EXPECT_NE(channel2.Handle(), nullptr);
    EXPECT_NE(channel1.Handle(), channel2.Handle());
    EXPECT_EQ(binding.NewCount(), 1);
    EXPECT_EQ(binding.ReleaseCount(), 0);
    EXPECT_EQ(binding.GetInstance(), binding.GetInstance());
  }
  EXPECT_EQ(binding.NewCount(), 1);
  EXPECT_EQ(binding.ReleaseCount(), 1);
}

// Collects what is written to stderr (the descriptor, so the library's own
// writes are caught too) until Take.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    m_saved = ::dup(2);
    m_file = std::tmpfile();
    ::dup2(::fileno(m_file), 2);
  }
  std::string Take() {
    std::fflush(stderr);
    ::dup2(m_saved, 2);
    ::close(m_saved);
    std::string text;
    std::rewind(m_file);
    for (int c; (c = std::fgetc(m_file)) != EOF;) text += static_cast<char>(c);
    std::fclose(m_file);
    return text;
  }

 private:
  int m_saved = -1;
  std::FILE* m_file = nullptr;
};

// Without a usable sound device the library would report the failed output
// for every audio block. The failure is reported once and both files play on
// without sound.
TEST(VlcAudioTest, MissingSoundDeviceIsReportedOnceAndPlaybackGoesOn) {
  VlcBinding binding(VlcBinding::kDefaultLibraryName);
  binding.AddArgument("--aout=alsa");
  binding.AddArgument("--alsa-audio-device=vantrel-no-such-device");
  auto surface = MakeSurface();
  StderrCapture capture;
  std::int64_t reached[2] = {-1, -1};
  {
    CVlcPlayer channel(binding);
    channel.SetWindow(surface->winId());
    for (std::int64_t& time : reached) {
      channel.Open(Clip("sound.mp4"));
      channel.Play();
      WaitUntil([&] { return channel.GetTime() >= 2000; });
      time = channel.GetTime();
      channel.Stop();
    }
  }
  const std::string err = capture.Take();
  EXPECT_TRUE(binding.AudioFailed());
  EXPECT_GE(reached[0], 2000);
  EXPECT_GE(reached[1], 2000);
  int reports = 0;
  for (auto pos = err.find("playing without sound"); pos != std::string::npos;
       pos = err.find("playing without sound", pos + 1))
    ++reports;
  EXPECT_EQ(reports, 1) << err;
  // Other lines may come (video back ends, a missing session bus, a
  // decoder starved on a loaded machine), but no more about the sound.
  int soundLines = 0;
  std::size_t start = 0;
  while (start < err.size()) {
    const std::size_t end = std::min(err.find('\n', start), err.size());
    const std::string line = err.substr(start, end - start);
    if (line.find("alsa") != std::string::npos || line.find("ALSA") != std::string::npos ||
        line.find("audio") != std::string::npos)
      ++soundLines;
    start = end + 1;
  }
  EXPECT_EQ(soundLines, 1) << err;
  EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 40) << err;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  VlcBinding::Shared().AddArgument("--aout=dummy");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new ClipEnvironment);
  return RUN_ALL_TESTS();
}
