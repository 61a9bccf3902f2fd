#include <QMessageBox>

#include "app/AppSettings.h"
#include "app/StringTable.h"
#include "mainwindow/ZELDlg.h"

// Exports of the current recording: its route as KML, and still pictures.

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
  const QString text = Localized(ok ? 125 : 126).replace(QLatin1String("%s"), QString::fromStdString(name));
  QMessageBox::information(this, Localized(127), text);
}

void CZELDlg::OnSnapshotButton() {}
