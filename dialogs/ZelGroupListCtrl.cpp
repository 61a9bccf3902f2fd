#include "dialogs/ZelGroupListCtrl.h"

#include "catalog/CatalogRows.h"
#include "platform/qt/WindowMessage.h"

CZelGroupListCtrl::CZelGroupListCtrl(QWidget* parent)
    : CZelListCtrlBase({{116, 2}, {117, 2}, {118, 2}, {119, 2}, {120, 2}}, WM_GROUP_ACTIVATED,
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
