#include <QFileDialog>
#include <QMessageBox>

#include "app/AppSettings.h"
#include "app/StringTable.h"
#include "mainwindow/ZELDlg.h"

// Exports of the current recording: its route as KML, and still pictures
// of channel 1.

namespace {

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

}  // namespace

void CZELDlg::OnKmlButton() {
  if (m_catalog.Empty()) {
    QMessageBox::information(this, Localized(145), Localized(136));
    return;
  }
  std::string folder;
  GetSettings().GetKmlFolder(folder);
  std::string name;
  const bool ok = m_catalog.ExportKml(folder, name);
  QString text = Localized(ok ? 125 : 126);
  text.replace(QLatin1String("%s"), QString::fromStdString(name));
  QMessageBox::information(this, Localized(127), text);
}

int CZELDlg::SnapshotTo(const QString& path) {
  if (path.isEmpty()) return 0;
  // Output 0 at the video's own size; the library picks the format by the
  // file name and writes the file itself.
  return m_channel1.TakeSnapshot(path.toStdString(), 0) == 0 ? 1 : 0;
}

void CZELDlg::OnSnapshotButton() {
  if (m_catalog.Empty()) {
    QMessageBox::information(this, Localized(145), Localized(136));
    return;
  }
  // Only a playing channel is paused around the dialog and resumed after.
  const bool wasPlaying = m_channel1.IsPlaying() != 0;
  if (wasPlaying) m_channel1.Pause();
  QFileDialog dialog(nullptr);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("jpg"));
  dialog.setNameFilters({QStringLiteral("Jpeg File(*.jpg)"), QStringLiteral("Png File(*.png)")});
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    SnapshotTo(dialog.selectedFiles().front());
  if (wasPlaying) m_channel1.Play();
}
