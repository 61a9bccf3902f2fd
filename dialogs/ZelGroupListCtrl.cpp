#include "dialogs/ZelGroupListCtrl.h"

#include "app/StringIds.h"
#include "catalog/CatalogRows.h"

// Every column takes a share of the spare width: the drives read as one
// table across the window.
CZelGroupListCtrl::CZelGroupListCtrl(QWidget* parent)
    : ZelListCtrlBase({{kStrColumnGroup, kGrows},
                       {kStrColumnResolution, kGrows},
                       {kStrColumnStartTime, kGrows},
                       {kStrColumnLength, kGrows},
                       {kStrColumnFileSize, kGrows},
                       {kStrColumnEvents, kGrows | kEvents}},
                      parent) {}

int CZelGroupListCtrl::InsertGroupRow(const GroupRow& row) {
  QStringList texts;
  for (const std::string& s : GroupRowCells(row)) texts << QString::fromStdString(s);
  return AppendRow(texts, row.flags, true, row.number);
}

bool CZelGroupListCtrl::IsRowChecked(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && item->checkState(0) == Qt::Checked;
}

void CZelGroupListCtrl::SetRowChecked(int row, bool checked) {
  if (QTreeWidgetItem* item = topLevelItem(row))
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}
