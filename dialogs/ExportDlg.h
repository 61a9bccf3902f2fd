// ExportDlg: the choices of a clip export, a QDialog.
#pragma once

#include <QDialog>
#include <QString>

#include "export/ClipExport.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

// What the user chose for a clip: the picture layout, the burned-in
// overlay, original quality (one camera copied without re-encoding; no
// overlay then) and the MP4 file.
struct ExportChoice {
  ExportLayout layout = ExportLayout::kFront;
  bool overlay = false;
  bool copy = false;
  QString path;
};

// The Export dialog: the span it exports as a caption, a layout list, the
// overlay and original-quality boxes, the file name with a Browse button.
// OK is enabled only with a file name.
class ExportDlg : public QDialog {
  Q_OBJECT
 public:
  ExportDlg(const QString& spanText, const QString& defaultPath, bool hasRear, QWidget* parent = nullptr);

  ExportChoice Choice() const;

  // Parts, for tests.
  QComboBox* LayoutBox() const { return m_layout; }
  QCheckBox* OverlayBox() const { return m_overlay; }
  QCheckBox* OriginalBox() const { return m_original; }
  QLineEdit* PathEdit() const { return m_path; }

 private:
  void UpdateEnabled();
  void Browse();

  QComboBox* m_layout = nullptr;
  QCheckBox* m_overlay = nullptr;
  QCheckBox* m_original = nullptr;
  QLineEdit* m_path = nullptr;
  QPushButton* m_ok = nullptr;
};
