#include "program/ZELApp.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/AppSettings.h"
#include "dialogs/QtTranslations.h"
#include "map/CefBrowserApp.h"
#include "mainwindow/ZELDlg.h"
#include "platform/Environment.h"

void CZELApp::PrepareProcess() {
  // The video surfaces are X11 windows that the media-player library draws
  // into, so under a Wayland session the player runs through XWayland
  // unless a platform was chosen explicitly.
  if (std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  CCefBrowserApp::PrepareEngine();
}

void CZELApp::InstallCoreSeams() {
  SetDocumentsFolderProvider([] {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
  });
  SetScreenSizeProvider([] {
    ScreenSize size;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect r = screen->availableGeometry();
      size.width = r.width();
      size.height = r.height();
    }
    if (size.width <= 0 || size.height <= 0) size = ScreenSize{1920, 1080};
    return size;
  });
}

int CZELApp::InitInstance(const QString& openPath) {
  InstallCoreSeams();
  // Qt's own dialogs (open, save as, message box buttons) speak the chosen
  // language; the configuration dialog switches them with it.
  QtTranslations::Follow(GetSettings().GetLanguageIndex());
  {
    CZELDlg dlg;
    if (!openPath.isEmpty())
      QTimer::singleShot(0, &dlg, [&dlg, openPath] { dlg.OpenMediaPath(openPath); });
    dlg.exec();
  }
  // The window, its browser and its players are gone; the engine shuts
  // down with the application object.
  std::fflush(stdout);
  return 0;
}
