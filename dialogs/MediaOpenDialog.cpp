#include "dialogs/MediaOpenDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/AppSettings.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "dialogs/FolderDialog.h"
#include "dialogs/WindowTitle.h"

namespace {

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

QString DefaultFileChooser(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QString(), QString(), QString(), nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

QString DefaultFolderChooser(QWidget* parent, const QString& start) {
  CFolderDialog dialog(Localized(kStrSelectFolder), start, parent, CFolderDialog::kFolderBrowseFlags);
  return dialog.DoModal() == 1 ? dialog.GetFolderPath() : QString();
}

}  // namespace

CMediaOpenDialog::CMediaOpenDialog(QWidget* parent, VolumeSource volumes)
    : QDialog(parent), m_chooseFile(DefaultFileChooser), m_chooseFolder(DefaultFolderChooser) {
  CreateControls();
  CheckRadio(kRadioFile);
  ApplyTexts();
  FillDrives(volumes ? volumes : VolumeSource(MountedVolumes));
  m_folderEdit->setText(QString::fromStdString(GetSettings().GetMediaFolder()));
}

void CMediaOpenDialog::CreateControls() {
  m_radios = new QButtonGroup(this);
  auto* grid = new QGridLayout;
  const struct {
    int id;
    int radio;
  } radios[] = {{kIdDiskRadio, kRadioDisk}, {kIdFileRadio, kRadioFile}, {kIdFolderRadio, kRadioFolder}};
  for (const auto& r : radios) {
    auto* button = new QRadioButton(this);
    m_radios->addButton(button, r.radio);
    m_controls[r.id] = button;
    grid->addWidget(button, r.radio, 0);
  }
  connect(m_radios, &QButtonGroup::idClicked, this, [this](int radio) { m_sourceRadio = radio; });

  m_driveList = new QComboBox(this);
  m_controls[kIdDriveList] = m_driveList;
  grid->addWidget(m_driveList, kRadioDisk, 1, 1, 2);

  m_fileEdit = new QLineEdit(this);
  m_folderEdit = new QLineEdit(this);
  for (QLineEdit* edit : {m_fileEdit, m_folderEdit}) edit->setReadOnly(true);
  m_controls[kIdFileEdit] = m_fileEdit;
  m_controls[kIdFolderEdit] = m_folderEdit;
  auto* fileBrowse = new QPushButton(QStringLiteral("..."), this);
  auto* folderBrowse = new QPushButton(QStringLiteral("..."), this);
  m_controls[kIdFileBrowse] = fileBrowse;
  m_controls[kIdFolderBrowse] = folderBrowse;
  grid->addWidget(m_fileEdit, kRadioFile, 1);
  grid->addWidget(fileBrowse, kRadioFile, 2);
  grid->addWidget(m_folderEdit, kRadioFolder, 1);
  grid->addWidget(folderBrowse, kRadioFolder, 2);
  grid->setColumnStretch(1, 1);
  connect(fileBrowse, &QPushButton::clicked, this, &CMediaOpenDialog::OnBrowseFile);
  connect(folderBrowse, &QPushButton::clicked, this, &CMediaOpenDialog::OnBrowseFolder);

  auto* ok = new QPushButton(this);
  auto* cancel = new QPushButton(this);
  ok->setDefault(true);
  m_controls[kIdOk] = ok;
  m_controls[kIdCancel] = cancel;
  connect(ok, &QPushButton::clicked, this, &CMediaOpenDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &CMediaOpenDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  setMinimumWidth(420);
}

void CMediaOpenDialog::ApplyTexts() {
  setWindowTitle(WindowTitle(kStrSelectMedia));
  static_cast<QRadioButton*>(Control(kIdDiskRadio))->setText(Localized(kStrDisk));
  static_cast<QRadioButton*>(Control(kIdFileRadio))->setText(Localized(kStrFile));
  static_cast<QRadioButton*>(Control(kIdFolderRadio))->setText(Localized(kStrFolder));
  static_cast<QPushButton*>(Control(kIdOk))->setText(Localized(kStrOk));
  static_cast<QPushButton*>(Control(kIdCancel))->setText(Localized(kStrCancel));
}

// The item's data is the mount root; the text adds the label for the eye.
void CMediaOpenDialog::FillDrives(const VolumeSource& volumes) {
  m_driveList->clear();
  for (const VolumeItem& v : DriveItems(volumes())) {
    m_driveList->addItem(QString::fromStdString(DriveItemText(v)), QString::fromStdString(v.root));
  }
  m_driveList->setCurrentIndex(m_driveList->count() - 1);
}

void CMediaOpenDialog::CheckRadio(int radio) {
  if (QAbstractButton* button = m_radios->button(radio)) button->setChecked(true);
  m_sourceRadio = m_radios->checkedId();
}

int CMediaOpenDialog::GetSourceKind() const {
  switch (m_sourceRadio) {
    case kRadioFile: return kSourceFile;
    case kRadioFolder: return kSourceFolder;
    default: return kSourceDisk;
  }
}

QWidget* CMediaOpenDialog::Control(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void CMediaOpenDialog::OnBrowseFile() {
  const QString path = m_chooseFile ? m_chooseFile(this) : QString();
  if (path.isEmpty()) return;
  m_filePath = path;
  m_fileEdit->setText(path);
  CheckRadio(kRadioFile);
}

// The chosen folder is remembered at once, even if this dialog is then
// cancelled.
void CMediaOpenDialog::OnBrowseFolder() {
  const QString start = QString::fromStdString(GetSettings().GetMediaFolder());
  const QString path = m_chooseFolder ? m_chooseFolder(this, start) : QString();
  if (path.isEmpty()) return;
  m_folderPath = path;
  m_folderEdit->setText(path);
  CheckRadio(kRadioFolder);
  std::string stored = path.toStdString();
  GetSettings().SetMediaFolder(stored);
}

void CMediaOpenDialog::accept() {
  m_sourceRadio = m_radios->checkedId();
  m_drive = m_driveList->currentIndex() >= 0 ? m_driveList->currentData().toString() : QString();
  m_folderPath = m_folderEdit->text();
  QDialog::accept();
}
