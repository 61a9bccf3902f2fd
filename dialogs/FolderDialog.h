// CFolderDialog: the folder chooser, a QFileDialog in directory mode.
#pragma once

#include <QString>

class QWidget;

// A modal folder chooser: a title, an optional folder to start in and the
// caller's browse flags. With kValidate a typed name that is not an
// existing folder beeps and keeps the chooser open.
class CFolderDialog {
 public:
  // Browse flags the callers pass (the values of the classic shell dialog).
  enum Flags : unsigned {
    kReturnOnlyFileSystemDirs = 0x01,
    kStatusText = 0x04,
    kEditBox = 0x10,
    kValidate = 0x20,
    kNewDialogStyle = 0x40,
  };
  static constexpr unsigned kFolderBrowseFlags =
      kReturnOnlyFileSystemDirs | kEditBox | kValidate | kNewDialogStyle;  // 0x71

  CFolderDialog(const QString& title, const QString& initialFolder, QWidget* parent,
                unsigned flags = kFolderBrowseFlags);

  // 1 (OK) with the chosen folder, 2 (Cancel), or -1 when the choice is no
  // folder on disk; the path is empty then.
  int DoModal();
  QString GetFolderPath() const { return m_selectedFolder; }

 private:
  QString m_title;
  QString m_initialFolder;
  QString m_selectedFolder;
  QWidget* m_parent;
  unsigned m_flags;
};
