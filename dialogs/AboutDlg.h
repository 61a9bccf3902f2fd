// CAboutDlg: the about box, a QDialog.
#pragma once

#include <QDialog>

class QLabel;

// The about box: the application icon, the product and its version, OK.
class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kIdVersion = 1051;

  explicit CAboutDlg(QWidget* parent = nullptr);

  int DoModal() { return exec() == QDialog::Accepted ? 1 : 2; }
  QString VersionText() const;

 private:
  QLabel* m_version = nullptr;
};
