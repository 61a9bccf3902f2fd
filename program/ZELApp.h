// CZELApp: the application object, run around QApplication.
#pragma once

#include <QString>

// The application object's duties: the process-wide choices made before
// the Qt application exists, the desktop seams of the core, and running
// the main window until the user closes it.
class CZELApp {
 public:
  // Before QApplication: the display platform and the browser engine.
  static void PrepareProcess();
  // The core reaches the documents folder and the screen size through
  // seams; on the desktop they come from Qt.
  static void InstallCoreSeams();
  // Runs the main window modally; `openPath` (a folder or a file) is opened
  // once the window is up. Returns the process exit code.
  static int InitInstance(const QString& openPath);
};
