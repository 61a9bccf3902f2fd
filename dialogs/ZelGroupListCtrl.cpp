#include "dialogs/ZelGroupListCtrl.h"

#include "app/StringIds.h"
#include "catalog/CatalogRows.h"

CZelGroupListCtrl::CZelGroupListCtrl(QWidget* parent)
    : ZelListCtrlBase({{kStrColumnGroup, 2},
                       {kStrColumnResolution, 2},
                       {kStrColumnStartTime, 2},
                       {kStrColumnLength, 2},
                       {kStrColumnFileSize, 2}},
                      parent) {}

int CZelGroupListCtrl::InsertGroupRow(const GroupRow& row) {
  const auto cells = GroupRowCells(row);
  QStringList texts;
  for (const std::string& s : cells) texts << QString::fromStdString(s);
  return AppendRow(texts, row.flags, true);
}

bool CZelGroupListCtrl::IsRowChecked(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && item->checkState(0) == Qt::Checked;
}

void CZelGroupListCtrl::SetRowChecked(int row, bool checked) {
  if (QTreeWidgetItem* item = topLevelItem(row))
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}
