#include "PlayerTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <cstdlib>

#include "platform/Environment.h"
#include "program/ZELApp.h"

namespace fs = std::filesystem;

namespace e2e {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

bool MakeRecording(const fs::path& file, const std::string& start, const QStringList& extra) {
  fs::create_directories(file.parent_path());
  QProcess gen;
  gen.start(QStringLiteral(VANTREL_BINARY_DIR "/tools/recgen/vantrel-gen"),
            QStringList{QStringLiteral("mov"), QString::fromStdString(file.string()),
                        QStringLiteral("--video"), QStringLiteral("--duration"),
                        QStringLiteral("7000"), QStringLiteral("--start"),
                        QString::fromStdString(start)} +
                extra);
  return gen.waitForFinished(60000) && gen.exitCode() == 0;
}

bool MakeDemoCard(const fs::path& out, std::string& error) {
  std::error_code ec;
  for (fs::recursive_directory_iterator it(out, ec), end; !ec && it != end; it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(out, ec);
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("VANTREL_BUILD_DIR"), QStringLiteral(VANTREL_BINARY_DIR));
  process.setProcessEnvironment(env);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(QStringLiteral("bash"), {QStringLiteral(VANTREL_SOURCE_DIR "/tools/make-demo-card.sh"),
                                         QString::fromStdString(out.string())});
  if (process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit &&
      process.exitCode() == 0)
    return true;
  error = "make-demo-card.sh failed: " + process.readAll().toStdString();
  return false;
}

int RunPlayerTests(int argc, char** argv, const char* tag, fs::path& work) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("VANTREL_VLC_ARGS", "--aout=dummy", 0);
  if (std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
  work = fs::temp_directory_path() / (std::string("vantrel-") + tag + "-" + std::to_string(::getpid()));
  fs::create_directories(work / "Documents");
  // The settings file lives in the current folder.
  fs::current_path(work);
  CZELApp::PrepareProcess();
  QApplication app(argc, argv);
  CZELApp::InstallCoreSeams();
  const std::string documents = (work / "Documents").string();
  SetDocumentsFolderProvider([documents] { return documents; });
  const int result = RUN_ALL_TESTS();
  std::error_code ec;
  fs::current_path(fs::temp_directory_path(), ec);
  fs::remove_all(work, ec);
  return result;
}

}  // namespace e2e
