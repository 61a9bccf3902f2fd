// CZelFileListCtrl: the file list, a QTreeWidget.
#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <array>
#include <vector>

#include "app/StringIds.h"
#include "catalog/CatalogSinks.h"

class QMenu;

// Which rows the lists show. Hiding a row keeps its number, so row numbers
// stay entry and drive indices whatever the filter.
enum class RowFilter {
  kAll,
  kDrivesWithEvents,  // rows of drives with at least one driving event
  kLocked,            // locked recordings; drives holding one
};

// What the group list and the file list share: a report-style list with
// the lock icons, titled columns from the string tables, an event count
// column, the playing row marked, a row filter, and a double click reported
// by rowActivated with the row number (-1 when the click hit no row).
//
// Columns are as wide as their cells; a header wider than its cells is cut
// short and carries its full title as tooltip. Spare width goes to the
// columns marked kGrows, so the columns always reach the right edge.
class ZelListCtrlBase : public QTreeWidget {
  Q_OBJECT

 public:
  enum ColumnTrait : unsigned {
    kGrows = 1u << 0,        // takes the width the cells leave over
    kKeepsNumber = 1u << 1,  // the file name: may narrow to its first eight characters
    kEvents = 1u << 2,       // the event count
  };
  struct Column {
    StringId titleId;
    unsigned traits = 0;
  };

  ZelListCtrlBase(std::vector<Column> columns, QWidget* parent);

  // Columns, icons and the filter menu; call once the control is placed.
  void SetupList();
  // Column titles in the now current language; rows stay as they are.
  void RetitleColumns();
  // Column widths for the control's present width and cells.
  void FitColumns();

  void DeleteAllItems();
  bool IsRowMarked(int row) const;
  bool IsRowHidden(int row) const;
  int RowCount() const { return topLevelItemCount(); }
  QString CellText(int row, int column) const;
  int RowIcon(int row) const;
  int EventsColumn() const;

  // The event cell of a row; a negative count leaves it empty.
  void SetEventCount(int row, int count);
  // What the drive filter goes by: the events of drive `drive`, for every
  // row of that drive.
  void SetDriveEventCount(int drive, int count);
  void SetRowFilter(RowFilter filter);
  RowFilter Filter() const { return m_filter; }
  // The filter menu the list opens on a right click over its rows or its
  // header; a choice sets the filter and is reported by rowFilterChosen.
  QMenu* CreateFilterMenu(QWidget* parent);

  // The lock icon for a flags value (0..3).
  static QIcon LockIcon(unsigned flags);

 signals:
  // A double click: the row under the pointer, -1 below the last row.
  void rowActivated(int row);
  // The user chose a filter in the list's menu.
  void rowFilterChosen(RowFilter filter);
  // Every row was removed (the catalogue refills the list after it).
  void rowsCleared();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Appends a row of drive `drive` with the given cells (the event cell
  // left out) and lock icon; 0 when refused.
  int AppendRow(const QStringList& cells, unsigned flags, bool checkable, int drive);
  void MarkRow(int row, bool marked);
  void ShowRow(int row);

 private:
  void ShowFilterMenu(const QPoint& globalPos);
  void ApplyFilter(QTreeWidgetItem* item);
  void Measure(QTreeWidgetItem* item, int column);
  void ScheduleFit();
  std::vector<int> ColumnWidths(int available) const;
  void UpdateHeaderTips();
  int TitleWidth(int column) const;

  std::vector<Column> m_columns;
  std::vector<int> m_cellWidths;  // widest cell of each column, bold included
  std::vector<int> m_decoration;  // what a cell adds to its text's width
  RowFilter m_filter = RowFilter::kAll;
  bool m_fitPending = false;
};

// The file list: one row per recording, row number = entry index.
class CZelFileListCtrl : public ZelListCtrlBase, public IFileListView {
  Q_OBJECT

 public:
  explicit CZelFileListCtrl(QWidget* parent = nullptr);

  int InsertFileRow(const FileRow& row) override;
  void DeleteAllRows() override { DeleteAllItems(); }
  void SetRowMarked(int row, bool marked) override { MarkRow(row, marked); }
  void EnsureRowVisible(int row) override { ShowRow(row); }
};
