// CZelFileListCtrl: the file list, a QTreeWidget.
#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <array>
#include <vector>

#include "app/StringIds.h"
#include "catalog/CatalogSinks.h"

// What the group list and the file list share: a report-style list with
// the lock icons, titled columns from the string tables, the playing row
// marked, and a double click reported by rowActivated with the row number
// (-1 when the click hit no row).
class ZelListCtrlBase : public QTreeWidget {
  Q_OBJECT

 public:
  struct Column {
    StringId titleId;
    int widthPerTen;  // share of the control's width, in tenths
  };

  ZelListCtrlBase(std::vector<Column> columns, QWidget* parent);

  // Columns, widths and icons; call once the control has its size.
  void SetupList();
  // Column titles in the now current language; rows stay as they are.
  void RetitleColumns();

  void DeleteAllItems() { clear(); }
  bool IsRowMarked(int row) const;
  int RowCount() const { return topLevelItemCount(); }
  QString CellText(int row, int column) const;
  int RowIcon(int row) const;

  // The lock icon for a flags value (0..3).
  static QIcon LockIcon(unsigned flags);

 signals:
  // A double click: the row under the pointer, -1 below the last row.
  void rowActivated(int row);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Appends a row with the given cells and lock icon; 0 when refused.
  int AppendRow(const QStringList& cells, unsigned flags, bool checkable);
  void MarkRow(int row, bool marked);
  void ShowRow(int row);

 private:
  std::vector<Column> m_columns;
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
