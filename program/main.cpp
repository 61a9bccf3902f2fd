#include <QApplication>
#include <cstdio>

#include "app/AppSettings.h"
#include "program/ZELApp.h"
#include "platform/Version.h"

namespace {

// The installed desktop entry starts `vantrel --xdg-config`: started from
// the menu the working directory is the home folder, so the settings go to
// the user's configuration folder instead. When that folder cannot be made
// the working directory stays in use.
void UseUserSettingsFolder() {
  const std::filesystem::path folder = UserSettingsFolder();
  if (!UseSettingsFolder(folder))
    std::fprintf(stderr, "vantrel: cannot create the settings folder '%s'; using the working directory\n",
                 folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  CZELApp::PrepareProcess();
  QApplication app(argc, argv);
  QApplication::setApplicationName(vantrel::kProductName);
  QApplication::setApplicationVersion(vantrel::kProductVersion);
  QApplication::setDesktopFileName(QStringLiteral("org.vantrel.Vantrel"));
  QApplication::setQuitOnLastWindowClosed(false);

  // `vantrel [--xdg-config] [PATH...]` opens a folder or a recording (the
  // first PATH) at start.
  QStringList args = QApplication::arguments();
  args.removeFirst();
  if (args.removeAll(QStringLiteral("--xdg-config")) > 0) UseUserSettingsFolder();
  const QString path = args.isEmpty() ? QString() : args.first();
  return CZELApp::InitInstance(path);
}
