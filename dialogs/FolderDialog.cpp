#include "dialogs/FolderDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The folder chooser itself; with validation a name that names no folder
// keeps it open with a beep instead of closing or asking.
class FolderPicker : public QFileDialog {
 public:
  FolderPicker(QWidget* parent, const QString& title, bool validate)
      : QFileDialog(parent, title), m_validate(validate) {}

  void accept() override {
    const QStringList chosen = selectedFiles();
    const QString path = chosen.isEmpty() ? QString() : chosen.first();
    if (m_validate && (path.isEmpty() || !QFileInfo(path).isDir())) {
      QApplication::beep();
      return;
    }
    QFileDialog::accept();
  }

 private:
  bool m_validate;
};

}  // namespace

CFolderDialog::CFolderDialog(const QString& title, const QString& initialFolder, QWidget* parent,
                             unsigned flags)
    : m_title(title), m_initialFolder(initialFolder), m_parent(parent), m_flags(flags) {}

int CFolderDialog::DoModal() {
  m_selectedFolder.clear();
  FolderPicker picker(m_parent, m_title, (m_flags & kValidate) != 0);
  picker.setFileMode(QFileDialog::Directory);
  picker.setOption(QFileDialog::ShowDirsOnly, true);
  // The validation lives in our own accept(), which the platform's native
  // dialog would bypass.
  picker.setOption(QFileDialog::DontUseNativeDialog, true);
  picker.setAcceptMode(QFileDialog::AcceptOpen);
  if (!m_initialFolder.isEmpty() && QFileInfo(m_initialFolder).isDir())
    picker.setDirectory(m_initialFolder);
  if (picker.exec() != QDialog::Accepted) return 2;
  const QStringList chosen = picker.selectedFiles();
  const QString path = chosen.isEmpty() ? QString() : chosen.first();
  if (path.isEmpty() || !QFileInfo(path).isDir()) return -1;
  m_selectedFolder = QDir::cleanPath(path);
  return 1;
}
