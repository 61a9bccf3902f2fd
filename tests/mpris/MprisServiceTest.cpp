#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include "mpris/MprisService.h"

namespace {

const std::string kFolder = "/media/card/Trajet été";
const QString kFolderUrl = QStringLiteral("file:///media/card/Trajet%20%C3%A9t%C3%A9");

std::string Recording(int track, char camera) {
  return kFolder + "/20240501_000" + std::to_string(track) + camera + ".MP4";
}

MprisState Baseline() {
  MprisState s;
  s.status = MprisStatus::Playing;
  s.track = 3;
  s.path = Recording(3, 'F');
  s.lengthUs = 60'000'000;
  s.positionUs = 12'500'000;
  s.companionPath = Recording(3, 'R');
  s.drive = 2;
  s.drivePositionUs = 192'500'000;
  return s;
}

// A player that does what it is told, so that a command shows in its state.
class FakeTarget : public MprisTarget {
 public:
  MprisState state = Baseline();
  std::string opened;
  bool quit = false;

  MprisState State() override { return state; }
  void Play() override { state.status = MprisStatus::Playing; }
  void Pause() override { state.status = MprisStatus::Paused; }
  void PlayPause() override {
    state.status = state.status == MprisStatus::Playing ? MprisStatus::Paused : MprisStatus::Playing;
  }
  void Stop() override { state.status = MprisStatus::Stopped; }
  void Next() override { Jump(state.track + 1); }
  void Previous() override { Jump(state.track - 1); }
  void Seek(std::int64_t offsetUs) override { state.positionUs += offsetUs; }
  void SetPosition(int, std::int64_t positionUs) override { state.positionUs = positionUs; }
  void OpenPath(const std::string& path) override { opened = path; }
  void SetRate(double rate) override { state.rate = rate; }
  void Raise() override {}
  void Quit() override { quit = true; }

 private:
  void Jump(int track) {
    state.track = track;
    state.path = Recording(track, 'F');
    state.companionPath = Recording(track, 'R');
    state.positionUs = 0;
  }
};

FakeTarget g_target;
MprisService* g_service = nullptr;

struct ClientRun {
  int exitCode = -1;
  QString out;
};

// Runs a client to its end while the event loop serves its requests.
ClientRun RunClient(const QString& program, const QStringList& args) {
  QProcess process;
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(15000, &loop, &QEventLoop::quit);
  process.start(program, args);
  loop.exec();
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  QCoreApplication::processEvents();  // what the service queued (Quit)
  ClientRun run;
  if (process.exitStatus() == QProcess::NormalExit) run.exitCode = process.exitCode();
  run.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
  return run;
}

QStringList Playerctl(QStringList args) { return QStringList{"--player=vantrel"} + args; }

QStringList Gdbus(const QString& method, const QStringList& args = {}) {
  return QStringList{"call", "--session", "--dest", g_service->BusName(), "--object-path",
                     MprisService::kObjectPath, "--method", method} +
         args;
}

QStringList GetProperty(const QString& interface, const QString& name) {
  return Gdbus("org.freedesktop.DBus.Properties.Get", {interface, name});
}

QStringList SetRate(const QString& rate) {
  return Gdbus("org.freedesktop.DBus.Properties.Set",
               {"org.mpris.MediaPlayer2.Player", "Rate", "<" + rate + ">"});
}

bool SkipWithoutBus() { return qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"); }

}  // namespace

TEST(MprisService, ClientsReadAndDriveThePlayer) {
  if (SkipWithoutBus()) GTEST_SKIP() << "no session bus (run under dbus-run-session)";
  ASSERT_TRUE(g_service->IsActive());
  const QString playerctl = QStandardPaths::findExecutable("playerctl");
  const QString gdbus = QStandardPaths::findExecutable("gdbus");
  if (playerctl.isEmpty() || gdbus.isEmpty()) GTEST_SKIP() << "playerctl or gdbus is not installed";

  using Check = std::function<void(const FakeTarget&)>;
  const Check none = [](const FakeTarget&) {};
  const auto position = [](std::int64_t us) {
    return [us](const FakeTarget& t) { EXPECT_EQ(t.state.positionUs, us); };
  };
  struct Case {
    const char* what;
    QString program;
    QStringList args;
    QString output;  // stdout, when not empty
    Check outcome;
    bool succeeds = true;
    std::function<void(FakeTarget&)> prepare = {};
  };
  const Case cases[] = {
      {"status", playerctl, Playerctl({"status"}), "Playing", none},
      {"play-pause toggles", playerctl, Playerctl({"play-pause"}), "",
       [](const FakeTarget& t) { EXPECT_EQ(t.state.status, MprisStatus::Paused); }},
      {"title is the file name", playerctl, Playerctl({"metadata", "xesam:title"}), "20240501_0003F.MP4", none},
      {"url is percent-encoded", playerctl, Playerctl({"metadata", "xesam:url"}),
       kFolderUrl + "/20240501_0003F.MP4", none},
      {"track id", playerctl, Playerctl({"metadata", "mpris:trackid"}), "'/org/vantrel/track/3'", none},
      {"no recording, no track", playerctl, Playerctl({"metadata", "mpris:trackid"}),
       "'/org/mpris/MediaPlayer2/TrackList/NoTrack'", none, true, [](FakeTarget& t) { t.state.path.clear(); }},
      // Paused: while playing, the client moves the position on by its own clock.
      {"position reads back", playerctl, Playerctl({"position"}), "12.500000", none, true,
       [](FakeTarget& t) { t.state.status = MprisStatus::Paused; }},
      {"absolute position", playerctl, Playerctl({"position", "10"}), "", position(10'000'000)},
      {"relative position", playerctl, Playerctl({"position", "5+"}), "", position(17'500'000)},
      {"seek before the start lands on 0", playerctl, Playerctl({"position", "30-"}), "", position(0)},
      {"seek past the end plays the next", playerctl, Playerctl({"position", "100+"}), "",
       [](const FakeTarget& t) {
         EXPECT_EQ(t.state.track, 4);
         EXPECT_EQ(t.state.positionUs, 0);
       }},
      {"position of another track is ignored", gdbus,
       Gdbus("org.mpris.MediaPlayer2.Player.SetPosition", {"/org/vantrel/track/2", "1000000"}), "()",
       position(12'500'000)},
      {"position past the end is ignored", gdbus,
       Gdbus("org.mpris.MediaPlayer2.Player.SetPosition", {"/org/vantrel/track/3", "60000001"}), "()",
       position(12'500'000)},
      {"open a folder", playerctl, Playerctl({"open", kFolderUrl}), "",
       [](const FakeTarget& t) { EXPECT_EQ(t.opened, kFolder); }},
      {"a remote URI is refused", gdbus, Gdbus("org.mpris.MediaPlayer2.Player.OpenUri", {"http://host/a.mp4"}),
       "", [](const FakeTarget& t) { EXPECT_EQ(t.opened, ""); }, false},
      {"rate above the range is clamped", gdbus, SetRate("10.0"), "()",
       [](const FakeTarget& t) { EXPECT_DOUBLE_EQ(t.state.rate, 4.0); }},
      {"rate 0 pauses", gdbus, SetRate("0.0"), "()",
       [](const FakeTarget& t) {
         EXPECT_EQ(t.state.status, MprisStatus::Paused);
         EXPECT_DOUBLE_EQ(t.state.rate, 1.0);
       }},
      {"companion url", gdbus, GetProperty("org.vantrel.Drive", "CompanionUrl"),
       "(<'" + kFolderUrl + "/20240501_0003R.MP4'>,)", none},
      {"no companion", gdbus, GetProperty("org.vantrel.Drive", "CompanionUrl"), "(<''>,)", none, true,
       [](FakeTarget& t) { t.state.companionPath.clear(); }},
      {"quit", gdbus, Gdbus("org.mpris.MediaPlayer2.Quit"), "()", [](const FakeTarget& t) { EXPECT_TRUE(t.quit); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_target = FakeTarget();
    if (c.prepare) c.prepare(g_target);
    const ClientRun run = RunClient(c.program, c.args);
    EXPECT_EQ(run.exitCode == 0, c.succeeds) << run.exitCode;
    if (!c.output.isEmpty()) {
      EXPECT_EQ(run.out.toStdString(), c.output.toStdString());
    }
    c.outcome(g_target);
  }
}

// PropertiesChanged carries what changed and nothing else; Seeked carries
// the new position.
TEST(MprisService, ChangesAreSignalled) {
  if (SkipWithoutBus()) GTEST_SKIP() << "no session bus (run under dbus-run-session)";
  ASSERT_TRUE(g_service->IsActive());
  const QString gdbus = QStandardPaths::findExecutable("gdbus");
  if (gdbus.isEmpty()) GTEST_SKIP() << "gdbus is not installed";
  g_target = FakeTarget();
  g_service->Changed();

  QProcess monitor;
  monitor.start(gdbus, {"monitor", "--session", "--dest", g_service->BusName(), "--object-path",
                        MprisService::kObjectPath});
  QString seen;
  const auto waitFor = [&](const QString& text, int ms) {
    QEventLoop loop;
    QObject::connect(&monitor, &QProcess::readyReadStandardOutput, &loop, [&] {
      seen += QString::fromUtf8(monitor.readAllStandardOutput());
      if (seen.contains(text)) loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!seen.contains(text)) loop.exec();
    return seen.contains(text);
  };
  // The monitor's match rule may reach the bus after its first line: probe
  // until a signal comes through.
  ASSERT_TRUE(waitFor("owned by", 10000)) << seen.toStdString();
  bool listening = false;
  for (int i = 0; i < 50 && !listening; ++i) {
    g_service->EmitSeeked(1);
    listening = waitFor("Seeked", 200);
  }
  ASSERT_TRUE(listening) << seen.toStdString();
  waitFor("never", 200);
  seen.clear();

  g_target.state.positionUs += 1'000'000;  // positions are read, not signalled
  g_target.state.drivePositionUs += 1'000'000;
  g_service->Changed();
  g_target.Pause();
  g_service->Changed();
  g_service->Changed();
  g_target.Next();
  g_service->Changed();
  g_target.state.companionPath.clear();
  g_service->Changed();
  g_service->EmitSeeked(7'000'000);
  ASSERT_TRUE(waitFor("int64 7000000", 10000)) << seen.toStdString();
  monitor.kill();
  monitor.waitForFinished();

  const std::string out = seen.toStdString();
  EXPECT_EQ(seen.count("PropertiesChanged"), 4) << out;
  EXPECT_NE(out.find("{'PlaybackStatus': <'Paused'>}"), std::string::npos) << out;
  EXPECT_NE(out.find("objectpath '/org/vantrel/track/4'"), std::string::npos) << out;
  EXPECT_NE(out.find(Recording(4, 'R').substr(kFolder.size())), std::string::npos) << out;
  EXPECT_NE(out.find("{'CompanionUrl': <''>}"), std::string::npos) << out;
  EXPECT_EQ(out.find("Position'"), std::string::npos) << out;
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  g_target = FakeTarget();
  auto service = std::make_unique<MprisService>(g_target);
  g_service = service.get();
  return RUN_ALL_TESTS();
}
