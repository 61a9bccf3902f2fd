#include "dialogs/ZelFileListCtrl.h"

#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>

#include "app/StringIds.h"
#include "app/StringTable.h"
#include "controls/ImageResources.h"
#include "catalog/CatalogRows.h"

namespace {

constexpr int kMarkedRole = Qt::UserRole + 1;
constexpr int kIconRole = Qt::UserRole + 2;
constexpr int kIconSize = 24;

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

// The four 24 x 24 lock icons of one strip; magenta is transparent.
std::array<QIcon, 4> LoadLockIcons() {
  std::array<QIcon, 4> icons;
  QImage strip(ImageResourcePath(kBmpLockIcons));
  if (strip.isNull()) return icons;
  strip = strip.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < strip.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
    for (int x = 0; x < strip.width(); ++x)
      if ((line[x] & 0xFFFFFF) == 0xFF00FF) line[x] = 0;
  }
  for (int i = 0; i < 4; ++i) {
    const QImage tile = strip.copy(i * kIconSize, 0, kIconSize, kIconSize);
    icons[i] = QIcon(QPixmap::fromImage(tile));
  }
  return icons;
}

}  // namespace

ZelListCtrlBase::ZelListCtrlBase(std::vector<Column> columns, QWidget* parent)
    : QTreeWidget(parent), m_columns(std::move(columns)) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(kIconSize, kIconSize));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setTextElideMode(Qt::ElideRight);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QIcon ZelListCtrlBase::LockIcon(unsigned flags) {
  static const std::array<QIcon, 4> icons = LoadLockIcons();
  return icons[flags & 3];
}

void ZelListCtrlBase::SetupList() {
  setColumnCount(static_cast<int>(m_columns.size()));
  RetitleColumns();
  // Widths follow the control's width at set-up and stay as they are after.
  const int width = std::max(this->width(), 100);
  for (std::size_t c = 0; c < m_columns.size(); ++c)
    setColumnWidth(static_cast<int>(c), width * m_columns[c].widthPerTen / 10);
}

void ZelListCtrlBase::RetitleColumns() {
  QStringList titles;
  for (const Column& c : m_columns) titles << Localized(c.titleId);
  setHeaderLabels(titles);
}

bool ZelListCtrlBase::IsRowMarked(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && item->data(0, kMarkedRole).toBool();
}

QString ZelListCtrlBase::CellText(int row, int column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->text(column) : QString();
}

int ZelListCtrlBase::RowIcon(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->data(0, kIconRole).toInt() : -1;
}

int ZelListCtrlBase::AppendRow(const QStringList& cells, unsigned flags, bool checkable) {
  if (cells.size() != static_cast<int>(m_columns.size())) return 0;
  auto* item = new QTreeWidgetItem(cells);
  item->setIcon(0, LockIcon(flags));
  item->setData(0, kIconRole, static_cast<int>(flags & 3));
  if (checkable) item->setCheckState(0, Qt::Unchecked);
  addTopLevelItem(item);
  return 1;
}

void ZelListCtrlBase::MarkRow(int row, bool marked) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (!item) return;
  item->setData(0, kMarkedRole, marked);
  // The playing row stands out without touching the user's selection.
  const QBrush background = marked ? QBrush(QColor(0x1f, 0x5f, 0x66)) : QBrush();
  QFont font = item->font(0);
  font.setBold(marked);
  for (int c = 0; c < columnCount(); ++c) {
    item->setBackground(c, background);
    item->setFont(c, font);
  }
}

void ZelListCtrlBase::ShowRow(int row) {
  if (QTreeWidgetItem* item = topLevelItem(row)) scrollToItem(item, QAbstractItemView::EnsureVisible);
}

void ZelListCtrlBase::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  const int row = item ? indexOfTopLevelItem(item) : -1;
  emit rowActivated(row);
  event->accept();
}

// ------------------------------------------------------------------ files

CZelFileListCtrl::CZelFileListCtrl(QWidget* parent)
    : ZelListCtrlBase({{kStrColumnId, 3},
                       {kStrColumnFileName, 3},
                       {kStrColumnStartTime, 3},
                       {kStrColumnEndTime, 3},
                       {kStrColumnFileSize, 3},
                       {kStrColumnFolder, 3}},
                      parent) {}

int CZelFileListCtrl::InsertFileRow(const FileRow& row) {
  const auto cells = FileRowCells(row);
  QStringList texts;
  for (const std::string& s : cells) texts << QString::fromStdString(s);
  return AppendRow(texts, row.flags, false);
}
