#pragma once

#include <functional>
#include <string>

// Facts about the desktop that the Qt-free core needs. The core asks through
// these seams; the GUI installs providers backed by Qt at start-up, tests
// install their own. Install providers on the main thread before use.

// The user's documents folder, without a guaranteed trailing '/'. An empty
// result means it cannot be determined.
using DocumentsFolderProvider = std::function<std::string()>;

// Replaces the provider; an empty function restores the default, which is
// $XDG_DOCUMENTS_DIR when set and otherwise "Documents" in the home folder.
void SetDocumentsFolderProvider(DocumentsFolderProvider provider);

// Stores the documents folder in `folder`; false (and `folder` empty) when it
// cannot be determined.
bool GetDocumentsFolder(std::string& folder);

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path (the base-directory rules ignore a relative one), otherwise ".config"
// in the home folder; empty when neither is known.
std::string GetUserConfigFolder();

// Width and height of the primary screen's usable area, in pixels.
struct ScreenSize {
  int width = 0;
  int height = 0;
};

using ScreenSizeProvider = std::function<ScreenSize()>;

// Replaces the provider; an empty function restores the default of
// 1920 x 1080, used when no display is known.
void SetScreenSizeProvider(ScreenSizeProvider provider);

ScreenSize GetScreenSize();
