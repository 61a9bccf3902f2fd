// CZelGroupListCtrl: the group list, a QTreeWidget.
#pragma once

#include "dialogs/ZelFileListCtrl.h"

// The group list: one row per continuous drive, with a check box that the
// file operations read.
class CZelGroupListCtrl : public ZelListCtrlBase, public IGroupListView {
  Q_OBJECT

 public:
  explicit CZelGroupListCtrl(QWidget* parent = nullptr);

  int InsertGroupRow(const GroupRow& row) override;
  bool IsRowChecked(int row) const override;
  void SetRowChecked(int row, bool checked);
  void DeleteAllRows() override { DeleteAllItems(); }
  void SetRowMarked(int row, bool marked) override { MarkRow(row, marked); }
  void EnsureRowVisible(int row) override { ShowRow(row); }
};
