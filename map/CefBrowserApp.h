// CCefBrowserApp: the start-up of Qt WebEngine, the map's browser engine.
#pragma once

// Start-up of the browser engine (Qt WebEngine). The engine needs a few
// process-wide choices made before QApplication is constructed; everything
// else the old engine application object did (sub-process entry, command
// line hooks) is handled inside Qt WebEngine itself.
class CCefBrowserApp {
 public:
  // Call once from main(), before QApplication exists:
  //  - shares OpenGL contexts between the engine and the widgets;
  //  - runs the engine's sub-processes without their sandbox when the
  //    program runs as root (the sandbox refuses to start then), unless the
  //    environment already decided.
  // TLS certificate errors are accepted and popups refused per page, by
  // CCefBrowserEventHandler.
  static void PrepareEngine();
};
