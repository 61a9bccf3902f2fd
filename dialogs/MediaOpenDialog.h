// CMediaOpenDialog: the Open dialog (disk, folder or file), a QDialog.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "dialogs/DriveList.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Where the recordings come from: a whole disk (usually the camera's card),
// one file or one folder. The caller reads the kind and the one path that
// goes with it after OK.
class CMediaOpenDialog : public QDialog {
  Q_OBJECT
 public:
  enum ControlId : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdDiskRadio = 1029,
    kIdFileRadio = 1030,
    kIdFolderRadio = 1031,
    kIdDriveList = 1033,
    kIdFileEdit = 1034,
    kIdFolderEdit = 1035,
    kIdFileBrowse = 1036,
    kIdFolderBrowse = 1037,
  };
  // Radio order in the dialog.
  enum Radio : int { kRadioDisk = 0, kRadioFile = 1, kRadioFolder = 2 };
  // What GetSourceKind reports (note: not the radio order).
  enum SourceKind : int { kSourceDisk = 0, kSourceFolder = 1, kSourceFile = 2 };

  using VolumeSource = std::function<std::vector<VolumeItem>()>;
  // Browsers for the "..." buttons; an empty result means cancelled.
  using FileChooser = std::function<QString(QWidget* parent)>;
  using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;

  // `volumes` lists the mounted volumes; empty = the system's.
  explicit CMediaOpenDialog(QWidget* parent = nullptr, VolumeSource volumes = {});

  int DoModal() { return exec() == QDialog::Accepted ? 1 : 2; }

  int GetSourceKind() const;
  QString GetDrive() const { return m_drive; }
  QString GetFilePath() const { return m_filePath; }
  QString GetFolderPath() const { return m_folderPath; }

  void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
  void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

  // Child by the ids above, for the caller's layout and for tests.
  QWidget* Control(int id) const;

 public slots:
  void accept() override;

 private:
  void CreateControls();
  void ApplyTexts();
  void FillDrives(const VolumeSource& volumes);
  void CheckRadio(int radio);
  void OnBrowseFile();
  void OnBrowseFolder();

  int m_sourceRadio = kRadioFile;
  QString m_drive;
  QString m_filePath;
  QString m_folderPath;

  QButtonGroup* m_radios = nullptr;
  QComboBox* m_driveList = nullptr;
  QLineEdit* m_fileEdit = nullptr;
  QLineEdit* m_folderEdit = nullptr;
  std::map<int, QWidget*> m_controls;
  FileChooser m_chooseFile;
  FolderChooser m_chooseFolder;
};
