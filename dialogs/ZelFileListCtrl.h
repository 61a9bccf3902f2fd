#pragma once

#include <QIcon>
#include <QPointer>
#include <QTreeWidget>
#include <array>
#include <vector>

#include "catalog/CatalogSinks.h"

// What the group list and the file list share: a report-style list with
// the lock icons, titled columns from the string tables, the playing row
// marked, and a double click reported to the owner window as a message
// with the row number (-1 when the click hit no row).
class CZelListCtrlBase : public QTreeWidget {
  Q_OBJECT

 public:
  struct Column {
    int titleId;      // string table id of the title
    int widthPerTen;  // share of the control's width, in tenths
  };

  CZelListCtrlBase(std::vector<Column> columns, unsigned activateMessage, QWidget* parent);

  // Columns, widths and icons; call once the control has its size.
  void SetupList();
  // Column titles in the now current language; rows stay as they are.
  void RetitleColumns();
  // The window that receives the activation message (default: the parent).
  void SetOwner(QObject* owner) { m_owner = owner; }

  void DeleteAllItems() { clear(); }
  bool IsRowMarked(int row) const;
  int RowCount() const { return topLevelItemCount(); }
  QString CellText(int row, int column) const;
  int RowIcon(int row) const;

  // The lock icon for a flags value (0..3).
  static QIcon LockIcon(unsigned flags);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Appends a row with the given cells and lock icon; 0 when refused.
  int AppendRow(const QStringList& cells, unsigned flags, bool checkable);
  void MarkRow(int row, bool marked);
  void ShowRow(int row);

 private:
  std::vector<Column> m_columns;
  unsigned m_activateMessage;
  QPointer<QObject> m_owner;
};

// The file list: one row per recording, row number = entry index.
class CZelFileListCtrl : public CZelListCtrlBase, public IFileListView {
  Q_OBJECT

 public:
  explicit CZelFileListCtrl(QWidget* parent = nullptr);

  int InsertFileRow(const FileRow& row) override;
  void DeleteAllRows() override { DeleteAllItems(); }
  void SetRowMarked(int row, bool marked) override { MarkRow(row, marked); }
  void EnsureRowVisible(int row) override { ShowRow(row); }
};
