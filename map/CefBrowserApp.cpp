#include "map/CefBrowserApp.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <unistd.h>

void CCefBrowserApp::PrepareEngine() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}
