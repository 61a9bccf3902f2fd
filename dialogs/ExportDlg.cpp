#include "dialogs/ExportDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "app/StringIds.h"
#include "app/StringTable.h"
#include "dialogs/WindowTitle.h"

namespace {

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

// The layouts in list order; the two-camera ones need the rear camera.
const struct {
  ExportLayout layout;
  int text;
  bool twoCameras;
} kLayouts[] = {{ExportLayout::kFront, kStrExportFront, false},
                {ExportLayout::kRear, kStrExportRear, false},
                {ExportLayout::kSideBySide, kStrExportSideBySide, true},
                {ExportLayout::kPictureInPicture, kStrExportPip, true}};

bool IsTwoCamera(int row) { return row >= 0 && kLayouts[row].twoCameras; }

void SetRowEnabled(QComboBox* box, int row, bool on) {
  if (auto* model = qobject_cast<QStandardItemModel*>(box->model()))
    if (QStandardItem* item = model->item(row)) item->setEnabled(on);
}

}  // namespace

ExportDlg::ExportDlg(const QString& spanText, const QString& defaultPath, bool hasRear, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(WindowTitle(kStrExportTitle));
  auto* form = new QFormLayout;
  m_layout = new QComboBox(this);
  for (const auto& l : kLayouts) m_layout->addItem(Localized(l.text));
  // Without a rear camera only the front can be exported.
  for (int row = 1; row < m_layout->count(); ++row) SetRowEnabled(m_layout, row, hasRear);
  m_overlay = new QCheckBox(Localized(kStrExportOverlay), this);
  m_original = new QCheckBox(Localized(kStrExportOriginal), this);
  m_path = new QLineEdit(defaultPath, this);
  auto* browse = new QPushButton(Localized(kStrExportBrowse), this);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(m_path, 1);
  pathRow->addWidget(browse);
  form->addRow(new QLabel(spanText, this));
  form->addRow(Localized(kStrExportLayout), m_layout);
  form->addRow(m_overlay);
  form->addRow(m_original);
  form->addRow(Localized(kStrExportFile), pathRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  auto* top = new QVBoxLayout(this);
  top->addLayout(form);
  top->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse, &QPushButton::clicked, this, &ExportDlg::Browse);
  connect(m_layout, &QComboBox::currentIndexChanged, this, &ExportDlg::UpdateEnabled);
  connect(m_original, &QCheckBox::toggled, this, &ExportDlg::UpdateEnabled);
  connect(m_path, &QLineEdit::textChanged, this, &ExportDlg::UpdateEnabled);
  UpdateEnabled();
}

// Original quality copies one camera's streams: no composed layouts and no
// overlay with it.
void ExportDlg::UpdateEnabled() {
  const bool copy = m_original->isChecked();
  if (copy && IsTwoCamera(m_layout->currentIndex())) m_layout->setCurrentIndex(0);
  const bool rearUsable = m_layout->model()->index(1, 0).flags() & Qt::ItemIsEnabled;
  for (int row = 2; row < m_layout->count(); ++row) SetRowEnabled(m_layout, row, rearUsable && !copy);
  m_overlay->setEnabled(!copy);
  m_ok->setEnabled(!m_path->text().trimmed().isEmpty());
}

void ExportDlg::Browse() {
  const QString path = QFileDialog::getSaveFileName(this, Localized(kStrExportTitle), m_path->text(),
                                                    QStringLiteral("MP4 (*.mp4)"));
  if (path.isEmpty()) return;
  m_path->setText(path.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive) ? path : path + ".mp4");
}

ExportChoice ExportDlg::Choice() const {
  ExportChoice c;
  c.layout = kLayouts[std::max(m_layout->currentIndex(), 0)].layout;
  c.copy = m_original->isChecked();
  c.overlay = !c.copy && m_overlay->isChecked();
  c.path = m_path->text().trimmed();
  return c;
}
