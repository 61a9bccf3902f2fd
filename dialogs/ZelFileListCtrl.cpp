#include "dialogs/ZelFileListCtrl.h"

#include <QActionGroup>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QStyle>
#include <algorithm>
#include <numeric>

#include "app/StringIds.h"
#include "app/StringTable.h"
#include "controls/ImageResources.h"
#include "catalog/CatalogRows.h"

namespace {

constexpr int kMarkedRole = Qt::UserRole + 1;
constexpr int kIconRole = Qt::UserRole + 2;
constexpr int kDriveRole = Qt::UserRole + 3;        // the row's drive number
constexpr int kDriveEventsRole = Qt::UserRole + 4;  // events of that drive; absent while unknown
constexpr int kIconSize = 24;
constexpr int kMinColumnWidth = 24;
// The characters of a recording's name up to the end of its number.
constexpr int kNameNumberChars = 8;
// What the header style takes beside a title's text and its two margins
// (its frame and the section divider); measured on the Fusion style.
constexpr int kHeaderSlack = 10;

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

// One lock-icon strip (magenta is transparent) cut into its four tiles and
// added to `icons` at the strip's scale, so each icon has a sharp pixmap
// for ordinary and for double-density screens.
void AddLockIconTiles(const QString& path, qreal scale, std::array<QIcon, 4>& icons) {
  QImage strip(path);
  if (strip.isNull()) return;
  strip = strip.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < strip.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
    for (int x = 0; x < strip.width(); ++x)
      if ((line[x] & 0xFFFFFF) == 0xFF00FF) line[x] = 0;
  }
  const int size = qRound(kIconSize * scale);
  for (int i = 0; i < 4; ++i) {
    QPixmap tile = QPixmap::fromImage(strip.copy(i * size, 0, size, size));
    tile.setDevicePixelRatio(scale);
    icons[i].addPixmap(tile);
  }
}

// The four 24 x 24 lock icons.
std::array<QIcon, 4> LoadLockIcons() {
  std::array<QIcon, 4> icons;
  AddLockIconTiles(ImageResourcePath(kBmpLockIcons), 1, icons);
  qreal scale = 1;
  const QString sharp = ImageResourcePath(kBmpLockIcons, 2, &scale);
  if (scale > 1) AddLockIconTiles(sharp, scale, icons);
  return icons;
}

}  // namespace

ZelListCtrlBase::ZelListCtrlBase(std::vector<Column> columns, QWidget* parent)
    : QTreeWidget(parent),
      m_columns(std::move(columns)),
      m_cellWidths(m_columns.size(), 0),
      m_decoration(m_columns.size(), -1) {
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
  header()->setTextElideMode(Qt::ElideRight);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QIcon ZelListCtrlBase::LockIcon(unsigned flags) {
  static const std::array<QIcon, 4> icons = LoadLockIcons();
  return icons[flags & 3];
}

void ZelListCtrlBase::SetupList() {
  setColumnCount(static_cast<int>(m_columns.size()));
  RetitleColumns();
  // The filter menu opens over the rows and over the header.
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { ShowFilterMenu(viewport()->mapToGlobal(pos)); });
  header()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(header(), &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { ShowFilterMenu(header()->viewport()->mapToGlobal(pos)); });
  FitColumns();
}

void ZelListCtrlBase::RetitleColumns() {
  QStringList titles;
  for (const Column& c : m_columns) titles << Localized(c.titleId);
  setHeaderLabels(titles);
  FitColumns();
}

int ZelListCtrlBase::EventsColumn() const {
  for (std::size_t c = 0; c < m_columns.size(); ++c)
    if (m_columns[c].traits & kEvents) return static_cast<int>(c);
  return -1;
}

// ------------------------------------------------------------------ widths

void ZelListCtrlBase::Measure(QTreeWidgetItem* item, int column) {
  const QString text = item->text(column);
  auto& decoration = m_decoration[static_cast<std::size_t>(column)];
  if (decoration < 0) {
    // Margins, icon and check box: what the delegate adds to the text.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex index = indexFromItem(item, column);
    const int hint = itemDelegateForIndex(index)->sizeHint(option, index).width();
    decoration = std::max(0, hint - QFontMetrics(option.font).horizontalAdvance(text));
  }
  // The playing row is bold: every row is measured as if it were.
  QFont bold = font();
  bold.setBold(true);
  const int width = decoration + QFontMetrics(bold).horizontalAdvance(text) + 2;
  int& widest = m_cellWidths[static_cast<std::size_t>(column)];
  widest = std::max(widest, width);
}

std::vector<int> ZelListCtrlBase::ColumnWidths(int available) const {
  const std::size_t n = m_columns.size();
  std::vector<int> widths(n), headers(n);
  for (std::size_t c = 0; c < n; ++c) {
    headers[c] = TitleWidth(static_cast<int>(c));
    // An empty list shows whole titles; rows size the columns to their cells.
    widths[c] = RowCount() == 0 ? headers[c] : std::max(m_cellWidths[c], kMinColumnWidth);
  }
  int spare = available - std::accumulate(widths.begin(), widths.end(), 0);
  if (spare < 0) {
    // Too narrow: the file name gives way down to its number, so that the
    // column after it (the start time) stays in view. The columns beyond
    // that are scrolled to anyway, so they show their whole titles.
    for (std::size_t c = 0; c + 1 < n; ++c) {
      if (!(m_columns[c].traits & kKeepsNumber)) continue;
      for (std::size_t later = c + 2; later < n; ++later) widths[later] = std::max(widths[later], headers[later]);
      // The start time's whole title too, where it fits beside the whole name.
      if (widths[c] + headers[c + 1] <= available) widths[c + 1] = std::max(widths[c + 1], headers[c + 1]);
      const int visible = std::accumulate(widths.begin(), widths.begin() + static_cast<long>(c) + 2, 0);
      QFont bold = font();
      bold.setBold(true);
      const QString sample = QString(kNameNumberChars, QLatin1Char('0')) + QChar(0x2026);
      const int least = std::max(m_decoration[c], 0) + QFontMetrics(bold).horizontalAdvance(sample) + 2;
      widths[c] -= std::clamp(visible - available, 0, std::max(0, widths[c] - least));
    }
    return widths;
  }
  // Whole titles first, in column order, then the rest to the growing columns.
  for (std::size_t c = 0; c < n && spare > 0; ++c) {
    const int add = std::min(spare, std::max(0, headers[c] - widths[c]));
    widths[c] += add;
    spare -= add;
  }
  std::vector<std::size_t> growing;
  for (std::size_t c = 0; c < n; ++c)
    if (m_columns[c].traits & kGrows) growing.push_back(c);
  if (growing.empty() && n > 0) growing.push_back(n - 1);
  for (std::size_t i = 0; i < growing.size(); ++i) {
    const int left = static_cast<int>(growing.size() - i);
    const int add = spare / left;
    widths[growing[i]] += add;
    spare -= add;
  }
  return widths;
}

void ZelListCtrlBase::FitColumns() {
  m_fitPending = false;
  if (columnCount() != static_cast<int>(m_columns.size())) return;
  const std::vector<int> widths = ColumnWidths(viewport()->width());
  for (std::size_t c = 0; c < widths.size(); ++c)
    if (columnWidth(static_cast<int>(c)) != widths[c]) setColumnWidth(static_cast<int>(c), widths[c]);
  UpdateHeaderTips();
}

// The width a column's whole title needs: the text and the header's margins
// on both sides (measured on the title, not on an elided one shown now).
int ZelListCtrlBase::TitleWidth(int column) const {
  const int margin = header()->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header());
  const QString title = Localized(m_columns[static_cast<std::size_t>(column)].titleId);
  return header()->fontMetrics().horizontalAdvance(title) + 2 * margin + kHeaderSlack;
}

// A title cut short ends in an ellipsis and can be read whole in its
// tooltip (the header style would only clip it).
void ZelListCtrlBase::UpdateHeaderTips() {
  QTreeWidgetItem* titles = headerItem();
  const int margin = header()->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header());
  for (int c = 0; c < columnCount(); ++c) {
    const QString title = Localized(m_columns[static_cast<std::size_t>(c)].titleId);
    const bool cut = columnWidth(c) < TitleWidth(c);
    const QString shown =
        cut ? header()->fontMetrics().elidedText(title, Qt::ElideRight, columnWidth(c) - 2 * margin - kHeaderSlack)
            : title;
    if (titles->text(c) != shown) titles->setText(c, shown);
    const QString tip = cut ? title : QString();
    if (titles->toolTip(c) != tip) titles->setToolTip(c, tip);
  }
}

// Many rows arrive at once: the widths follow once they are all in.
void ZelListCtrlBase::ScheduleFit() {
  if (m_fitPending) return;
  m_fitPending = true;
  QMetaObject::invokeMethod(
      this, [this] { if (m_fitPending) FitColumns(); }, Qt::QueuedConnection);
}

void ZelListCtrlBase::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  FitColumns();
}

// ------------------------------------------------------------------- rows

void ZelListCtrlBase::DeleteAllItems() {
  clear();
  std::fill(m_cellWidths.begin(), m_cellWidths.end(), 0);
  ScheduleFit();
  emit rowsCleared();
}

bool ZelListCtrlBase::IsRowMarked(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && item->data(0, kMarkedRole).toBool();
}

bool ZelListCtrlBase::IsRowHidden(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && item->isHidden();
}

QString ZelListCtrlBase::CellText(int row, int column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->text(column) : QString();
}

int ZelListCtrlBase::RowIcon(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->data(0, kIconRole).toInt() : -1;
}

int ZelListCtrlBase::AppendRow(const QStringList& cells, unsigned flags, bool checkable, int drive) {
  QStringList texts = cells;
  const int events = EventsColumn();
  if (events >= 0 && events <= texts.size()) texts.insert(events, QString());
  if (texts.size() != static_cast<int>(m_columns.size())) return 0;
  auto* item = new QTreeWidgetItem(texts);
  item->setIcon(0, LockIcon(flags));
  item->setData(0, kIconRole, static_cast<int>(flags & 3));
  item->setData(0, kDriveRole, drive);
  if (checkable) item->setCheckState(0, Qt::Unchecked);
  addTopLevelItem(item);
  for (int c = 0; c < texts.size(); ++c) Measure(item, c);
  ApplyFilter(item);
  ScheduleFit();
  return 1;
}

void ZelListCtrlBase::SetEventCount(int row, int count) {
  QTreeWidgetItem* item = topLevelItem(row);
  const int column = EventsColumn();
  if (!item || column < 0) return;
  item->setText(column, count < 0 ? QString() : QString::number(count));
  Measure(item, column);
  ScheduleFit();
}

void ZelListCtrlBase::SetDriveEventCount(int drive, int count) {
  for (int row = 0; row < RowCount(); ++row) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item->data(0, kDriveRole).toInt() != drive) continue;
    item->setData(0, kDriveEventsRole, count);
    ApplyFilter(item);
  }
}

// ----------------------------------------------------------------- filter

void ZelListCtrlBase::SetRowFilter(RowFilter filter) {
  m_filter = filter;
  for (int row = 0; row < RowCount(); ++row) ApplyFilter(topLevelItem(row));
}

void ZelListCtrlBase::ApplyFilter(QTreeWidgetItem* item) {
  bool shown = true;
  if (m_filter == RowFilter::kDrivesWithEvents) shown = item->data(0, kDriveEventsRole).toInt() > 0;
  if (m_filter == RowFilter::kLocked) shown = item->data(0, kIconRole).toInt() != 0;
  item->setHidden(!shown);
}

QMenu* ZelListCtrlBase::CreateFilterMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  auto* group = new QActionGroup(menu);
  const std::pair<RowFilter, StringId> choices[] = {
      {RowFilter::kAll, kStrFilterAll},
      {RowFilter::kDrivesWithEvents, kStrFilterDrivesWithEvents},
      {RowFilter::kLocked, kStrFilterLocked},
  };
  for (const auto& [filter, title] : choices) {
    QAction* action = menu->addAction(Localized(title));
    action->setCheckable(true);
    action->setChecked(filter == m_filter);
    group->addAction(action);
    connect(action, &QAction::triggered, this, [this, filter = filter] {
      SetRowFilter(filter);
      emit rowFilterChosen(filter);
    });
  }
  return menu;
}

void ZelListCtrlBase::ShowFilterMenu(const QPoint& globalPos) {
  QMenu* menu = CreateFilterMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(globalPos);
}

// ------------------------------------------------------------- the rest

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
    : ZelListCtrlBase({{kStrColumnFileName, kKeepsNumber},
                       {kStrColumnStartTime},
                       {kStrColumnEndTime},
                       {kStrColumnFileSize},
                       {kStrColumnEvents, kEvents},
                       {kStrColumnId},
                       {kStrColumnFolder, kGrows}},
                      parent) {}

// The name and the start time lead: they are what a narrow column must
// still show. The lock icon stands in front of the name.
int CZelFileListCtrl::InsertFileRow(const FileRow& row) {
  const auto cells = FileRowCells(row);  // ID, name, start, end, size, folder
  QStringList texts;
  for (std::size_t c : {1, 2, 3, 4, 0, 5}) texts << QString::fromStdString(cells[c]);
  return AppendRow(texts, row.flags, false, row.group);
}
