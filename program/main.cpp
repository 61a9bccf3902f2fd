#include <QApplication>

#include "program/ZELApp.h"
#include "platform/Version.h"

int main(int argc, char** argv) {
  CZELApp::PrepareProcess();
  QApplication app(argc, argv);
  QApplication::setApplicationName(vantrel::kProductName);
  QApplication::setApplicationVersion(vantrel::kProductVersion);
  QApplication::setQuitOnLastWindowClosed(false);

  // `vantrel PATH` opens a folder or a recording at start.
  const QStringList args = QApplication::arguments();
  const QString path = args.size() > 1 ? args.at(1) : QString();
  return CZELApp::InitInstance(path);
}
