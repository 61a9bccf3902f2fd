// A two-camera card played as a user meets it, watched from outside the
// process over the D-Bus session bus: the real media-player library into X
// windows, the MPRIS service on a private bus (dbus-run-session), and the
// stock clients gdbus and playerctl driving and sampling the player.
//
// The card has one drive of three short recordings, front and rear in one
// folder with _F/_R suffixes; the middle minute has no rear recording. A
// second card keeps the cameras in F/ and R/ folders and has a rear without
// its front.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "mainwindow/ZELDlg.h"

namespace fs = std::filesystem;

namespace {

fs::path g_work;

using e2e::WaitFor;

bool MakeRecording(const fs::path& file, const std::string& start, const std::string& label) {
  return e2e::MakeRecording(file, start,
                            {QStringLiteral("--size"), QStringLiteral("640x360"),
                             QStringLiteral("--label"), QString::fromStdString(label)});
}

std::string FileUrl(const fs::path& p) {
  return QUrl::fromLocalFile(QString::fromStdString(p.string())).toString(QUrl::FullyEncoded).toStdString();
}

// One look at the player from outside: channel 1's recording and position,
// channel 2's recording and position, as the bus reports them.
struct Sample {
  qint64 atMs = 0;
  std::string url, companionUrl, status;
  qint64 position = -1, companionPosition = -1;
};

QString Capture(const QString& text, const QString& pattern) {
  const QRegularExpressionMatch m = QRegularExpression(pattern).match(text);
  return m.hasMatch() ? m.captured(1) : QString();
}

// Samples the player every 150 ms through gdbus while the event loop runs
// (the service answers on this thread, also inside modal dialogs).
class BusSampler {
 public:
  BusSampler() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Next(); });
    QObject::connect(&m_process, &QProcess::finished, [this] { Finished(); });
    m_clock.start();
    m_timer.start(150);
  }
  const std::vector<Sample>& Samples() const { return m_samples; }

 private:
  void Next() {
    if (m_process.state() != QProcess::NotRunning) return;
    // Both interfaces in one client run: two calls, each between two clock
    // readings, so the time between them can be taken out (on a loaded
    // machine a client takes tens of milliseconds to start).
    const QString call = QStringLiteral(
        "gdbus call --session --dest org.mpris.MediaPlayer2.vantrel --object-path "
        "/org/mpris/MediaPlayer2 --method org.freedesktop.DBus.Properties.GetAll %1");
    const QString clock = QStringLiteral("date +T%s%N");
    m_process.start(QStringLiteral("sh"),
                    {QStringLiteral("-c"),
                     clock + " && " + call.arg(QStringLiteral("org.mpris.MediaPlayer2.Player")) +
                         " && " + clock + " && " + call.arg(QStringLiteral("org.vantrel.Drive")) +
                         " && " + clock});
  }
  void Finished() {
    const QString out = QString::fromUtf8(m_process.readAllStandardOutput());
    Sample s;
    s.atMs = m_clock.elapsed();
    s.status = Capture(out, QStringLiteral("'PlaybackStatus': <'([^']*)'>")).toStdString();
    s.url = Capture(out, QStringLiteral("'xesam:url': <'([^']*)'>")).toStdString();
    s.companionUrl = Capture(out, QStringLiteral("'CompanionUrl': <'([^']*)'>")).toStdString();
    const QString p = Capture(out, QStringLiteral("'Position': <int64 (-?\\d+)>"));
    const QString c = Capture(out, QStringLiteral("'CompanionPosition': <int64 (-?\\d+)>"));
    if (!p.isEmpty()) s.position = p.toLongLong() / 1000;
    if (!c.isEmpty()) s.companionPosition = c.toLongLong() / 1000;
    // Channel 2 was asked later than channel 1: bring its position back to
    // the moment channel 1 was asked, at the playing rate.
    std::vector<qint64> clocks;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("(?m)^T(\\d+)$")).globalMatch(out);
    while (it.hasNext()) clocks.push_back(it.next().captured(1).toLongLong());
    const double rate = Capture(out, QStringLiteral("'Rate': <([0-9.]+)>")).toDouble();
    if (clocks.size() == 3 && s.companionPosition >= 0 && s.status == "Playing") {
      const double betweenMs = ((clocks[1] + clocks[2]) - (clocks[0] + clocks[1])) / 2.0 / 1e6;
      s.companionPosition -= static_cast<qint64>(betweenMs * (rate > 0 ? rate : 1.0));
    }
    if (!s.status.empty()) m_samples.push_back(s);
  }

  QTimer m_timer;
  QProcess m_process;
  QElapsedTimer m_clock;
  std::vector<Sample> m_samples;
};

// Cancels every dialog other than the main window half a second after it
// shows, as a user who changed their mind.
class DialogCanceller {
 public:
  explicit DialogCanceller(QWidget* main) : m_main(main) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<QDialog*>(w);
        if (!d || d == m_main || !d->isVisible()) continue;
        if (!m_seen.contains(d)) {
          m_seen.insert(d, 0);
          continue;
        }
        if (++m_seen[d] >= 5) {
          d->reject();
          ++cancelled;
        }
      }
    });
    m_timer.start(100);
  }
  int cancelled = 0;

 private:
  QWidget* m_main;
  QTimer m_timer;
  QMap<QDialog*, int> m_seen;
};

int RunClient(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!WaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000)) return -1;
  return p.exitCode();
}

class DriveE2ETest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) GTEST_SKIP() << "needs a session bus";
  }
};

// The recordings channel 1 played, in order, each once.
std::vector<std::string> PlayedInOrder(const std::vector<Sample>& samples) {
  std::vector<std::string> played;
  for (const Sample& s : samples) {
    if (s.url.empty() || s.status != "Playing") continue;
    if (played.empty() || played.back() != s.url) played.push_back(s.url);
  }
  return played;
}

TEST_F(DriveE2ETest, ADrivePlaysAsOneWithTheRearInStep) {
  const fs::path card = g_work / "suffix";
  const fs::path f1 = card / "20240601_083000_F.MOV", r1 = card / "20240601_083000_R.MOV";
  const fs::path f2 = card / "20240601_083007_F.MOV";
  const fs::path f3 = card / "20240601_083014_F.MOV", r3 = card / "20240601_083014_R.MOV";
  ASSERT_TRUE(MakeRecording(f1, "2024-06-01 08:30:00", "F1"));
  ASSERT_TRUE(MakeRecording(r1, "2024-06-01 08:30:00", "R1"));
  ASSERT_TRUE(MakeRecording(f2, "2024-06-01 08:30:07", "F2"));
  ASSERT_TRUE(MakeRecording(f3, "2024-06-01 08:30:14", "F3"));
  ASSERT_TRUE(MakeRecording(r3, "2024-06-01 08:30:14", "R3"));

  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ASSERT_TRUE(dlg.Channel(1).IsAvailable()) << "the media-player library did not load";
  BusSampler sampler;
  DialogCanceller canceller(&dlg);
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(card.string())), 1);
  ASSERT_TRUE(WaitFor([&] { return !dlg.IsScanning(); }, 20000));
  ASSERT_EQ(dlg.Catalog().Groups().size(), 1u) << "one drive";
  ASSERT_TRUE(WaitFor([&] { return dlg.Playback().IsPlaying(); }, 10000));

  // A rate change, a seek, a snapshot and Open -> Cancel while it plays.
  const QString player = QStringLiteral("--player=vantrel");
  const QString setRate = QStringLiteral(
      "gdbus call --session --dest org.mpris.MediaPlayer2.vantrel --object-path "
      "/org/mpris/MediaPlayer2 --method org.freedesktop.DBus.Properties.Set "
      "org.mpris.MediaPlayer2.Player Rate \"<%1>\"");
  WaitFor([] { return false; }, 1500);
  EXPECT_EQ(RunClient(QStringLiteral("sh"), {QStringLiteral("-c"), setRate.arg(2.0)}), 0);
  WaitFor([] { return false; }, 1500);
  EXPECT_EQ(RunClient(QStringLiteral("sh"), {QStringLiteral("-c"), setRate.arg(1.0)}), 0);
  EXPECT_EQ(RunClient(QStringLiteral("playerctl"), {player, QStringLiteral("position"), QStringLiteral("1")}), 0);
  WaitFor([] { return false; }, 1500);
  QTimer::singleShot(0, [&] { static_cast<QAbstractButton*>(dlg.Control(kIdSnap))->click(); });
  WaitFor([&] { return canceller.cancelled >= 1; }, 5000);
  WaitFor([] { return false; }, 1000);
  QTimer::singleShot(0, [&] { static_cast<QAbstractButton*>(dlg.Control(kIdOpen))->click(); });
  WaitFor([&] { return canceller.cancelled >= 2; }, 5000);
  EXPECT_TRUE(dlg.Playback().IsPlaying()) << "Open -> Cancel leaves playback as it was";

  // The rest of the drive plays by itself; then it waits at its start.
  ASSERT_TRUE(WaitFor([&] { return !dlg.Playback().IsPlaying(); }, 40000));
  WaitFor([] { return false; }, 500);
  const std::vector<Sample>& samples = sampler.Samples();
  EXPECT_EQ(PlayedInOrder(samples), (std::vector<std::string>{FileUrl(f1), FileUrl(f2), FileUrl(f3)}));

  // The two interfaces are asked one after the other, so a sample taken
  // just as one recording hands over to the next may pair the two; any
  // other mismatch is a wrong companion.
  int inStep = 0, compared = 0, wrongRear = 0;
  std::string drifts;
  for (const Sample& s : samples) {
    if (s.status != "Playing") continue;
    const std::string rear = s.url == FileUrl(f1) ? FileUrl(r1) : s.url == FileUrl(f3) ? FileUrl(r3) : "";
    if (s.companionUrl != rear) {
      ++wrongRear;
      continue;
    }
    if (rear.empty() || s.position < 0 || s.companionPosition < 0) continue;
    ++compared;
    const qint64 drift = s.companionPosition - s.position;
    drifts += " " + std::to_string(drift);
    if (std::llabs(drift) <= 300) ++inStep;
  }
  EXPECT_LE(wrongRear, 2);
  ASSERT_GE(compared, 20);
  EXPECT_GE(inStep * 10, compared * 9) << inStep << " of " << compared
                                       << " samples within 300 ms; drifts (ms):" << drifts;
  std::printf("drive e2e: %d of %d samples within 300 ms\n", inStep, compared);
}

TEST_F(DriveE2ETest, CameraFoldersAndALoneRearPlayOnTheFirstChannel) {
  const fs::path card = g_work / "folders";
  const fs::path f1 = card / "F" / "20240601_090000F.MOV", r1 = card / "R" / "20240601_090000R.MOV";
  const fs::path r2 = card / "R" / "20240601_090007R.MOV";
  ASSERT_TRUE(MakeRecording(f1, "2024-06-01 09:00:00", "F1"));
  ASSERT_TRUE(MakeRecording(r1, "2024-06-01 09:00:00", "R1"));
  ASSERT_TRUE(MakeRecording(r2, "2024-06-01 09:00:07", "R2"));

  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  BusSampler sampler;
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(card.string())), 1);
  ASSERT_TRUE(WaitFor([&] { return dlg.Playback().IsPlaying(); }, 10000));
  ASSERT_TRUE(WaitFor([&] { return !dlg.Playback().IsPlaying(); }, 30000));
  EXPECT_EQ(PlayedInOrder(sampler.Samples()), (std::vector<std::string>{FileUrl(f1), FileUrl(r2)}));
}

}  // namespace

int main(int argc, char** argv) { return e2e::RunPlayerTests(argc, argv, "drive-e2e", g_work); }
