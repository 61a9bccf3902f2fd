// The screen stays awake while a channel plays and may sleep again when it
// pauses or stops. Runs on a private session bus (dbus-run-session) under
// Xvfb; a stand-in for the desktop's screen saver service lives in this
// process, on a thread of its own so that it answers even while the main
// thread waits inside a library call.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>
#include <cstdlib>
#include <set>

#include "MessageLog.h"
#include "player/CVlcPlayer.h"
#include "player/PlayerEventTarget.h"

namespace {

class FakeScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  int Active() const {
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_cookies.size());
  }
  int Requests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
  }

 public slots:
  uint Inhibit(const QString&, const QString&) {
    QMutexLocker lock(&m_mutex);
    ++m_requests;
    m_cookies.insert(++m_lastCookie);
    return m_lastCookie;
  }
  void UnInhibit(uint cookie) {
    QMutexLocker lock(&m_mutex);
    m_cookies.erase(cookie);
  }

 private:
  mutable QMutex m_mutex;
  std::set<uint> m_cookies;
  uint m_lastCookie = 0;
  int m_requests = 0;
};

class ScreenSaverTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new QTemporaryDir();
    s_clip = s_dir->filePath("clip.mp4");
    const std::string cmd =
        "ffmpeg -v error -y -f lavfi -i testsrc2=size=320x240:rate=25 -t 10 -c:v libx264 "
        "-pix_fmt yuv420p -an '" + s_clip.toStdString() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    ASSERT_TRUE(QFileInfo::exists(s_clip));

    s_thread = new QThread();
    s_thread->start();
    s_service = new FakeScreenSaver();
    s_service->moveToThread(s_thread);
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << "needs a session bus (dbus-run-session)";
    ASSERT_TRUE(bus.registerObject("/ScreenSaver", s_service, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));
  }
  static void TearDownTestSuite() {
    QDBusConnection::sessionBus().unregisterObject("/ScreenSaver");
    s_thread->quit();
    s_thread->wait();
    delete s_service;
    delete s_thread;
    delete s_dir;
  }

  void SetUp() override {
    surface.resize(320, 240);
    surface.show();
    target.window = &log;
    target.channel1 = &channel;
    ASSERT_TRUE(channel.IsAvailable());
    channel.SetWindow(surface.winId());
    channel.AttachEvents(&OnPlayerEvent, &target);
  }

  bool WaitForActive(int n) { return WaitUntil([n] { return s_service->Active() == n; }); }

  static QTemporaryDir* s_dir;
  static QString s_clip;
  static QThread* s_thread;
  static FakeScreenSaver* s_service;

  MessageLog log;
  PlayerEventTarget target;
  QWindow surface;
  CVlcPlayer channel;
};

QTemporaryDir* ScreenSaverTest::s_dir = nullptr;
QString ScreenSaverTest::s_clip;
QThread* ScreenSaverTest::s_thread = nullptr;
FakeScreenSaver* ScreenSaverTest::s_service = nullptr;

TEST_F(ScreenSaverTest, AwakeWhilePlayingAsleepWhenPausedOrStopped) {
  EXPECT_EQ(s_service->Active(), 0);
  channel.Open(s_clip.toStdString());
  channel.Play();
  ASSERT_TRUE(WaitUntil([&] { return log.Params(WM_PLAYER_TIME).size() >= 2; }));
  ASSERT_TRUE(WaitForActive(1)) << s_service->Active();

  channel.Pause();
  EXPECT_TRUE(WaitForActive(0)) << s_service->Active();
  channel.Play();  // resumes
  EXPECT_TRUE(WaitForActive(1)) << s_service->Active();

  channel.Stop();
  EXPECT_TRUE(WaitForActive(0)) << s_service->Active();
  EXPECT_GE(s_service->Requests(), 2);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  VlcBinding::Shared().AddArgument("--aout=dummy");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "ScreenSaverTest.moc"
