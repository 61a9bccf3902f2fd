#include <QApplication>
#include <QPalette>
#include <QWidget>

#include "platform/Version.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(vantrel::kProductName);
  QApplication::setApplicationVersion(vantrel::kProductVersion);

  QWidget window;
  window.setWindowTitle(vantrel::kProductName);
  QPalette pal = window.palette();
  pal.setColor(QPalette::Window, QColor(0x1e, 0x20, 0x24));
  window.setPalette(pal);
  window.setAutoFillBackground(true);
  window.resize(1024, 640);
  window.show();
  return app.exec();
}
