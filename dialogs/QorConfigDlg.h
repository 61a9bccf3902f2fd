// CQorConfigDlg: the configuration dialog, a QDialog.
#pragma once

#include <QDialog>
#include <map>

class QComboBox;
class QGroupBox;
class QPushButton;

// The configuration dialog: the map provider and the language, each with
// its own Apply button. Applying writes the setting at once and emits
// mapProviderChanged or languageChanged with the index, so the window
// follows while the dialog is still open. OK applies both; Cancel keeps
// what was applied.
class CQorConfigDlg : public QDialog {
  Q_OBJECT
 public:
  enum ControlId : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdMapList = 1038,
    kIdMapApply = 1039,
    kIdMapGroup = 1040,
    kIdLanguageGroup = 1041,
    kIdLanguageList = 1042,
    kIdLanguageApply = 1043,
  };
  static constexpr int kMapCount = 3;

  explicit CQorConfigDlg(QWidget* parent = nullptr);

  int DoModal() { return exec() == QDialog::Accepted ? 1 : 2; }
  // The provider stored by the last map apply.
  int GetMapChoice() const { return m_mapChoice; }

  void ApplyMap();
  void ApplyLanguage();
  // Caption, group titles and button texts in the current language. The
  // map items keep the language the dialog opened in.
  void ApplyTexts();

  QWidget* Control(int id) const;

 public slots:
  void accept() override;

 signals:
  void mapProviderChanged(int provider);
  void languageChanged(int index);

 private:
  void CreateControls();
  void SelectStoredMap();

  int m_mapChoice = 0;
  QComboBox* m_mapList = nullptr;
  QComboBox* m_languageList = nullptr;
  std::map<int, QWidget*> m_controls;
};
