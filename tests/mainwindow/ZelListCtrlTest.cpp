// The group list and the file list as the catalogue and the main window
// use them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/AppSettings.h"
#include "app/Languages.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "dialogs/ZelFileListCtrl.h"
#include "dialogs/ZelGroupListCtrl.h"
#include "catalog/CatalogRows.h"

namespace {

GroupRow Group(int number, std::uint32_t flags) {
  GroupRow g;
  g.number = number;
  g.resolution = "FHD";
  g.startTime = 1700000000 + number * 600;
  g.durationMs = 180000;
  g.fileSize = 3 * 1048576;
  g.flags = flags;
  return g;
}

FileRow File(int group, int index, std::uint32_t flags) {
  FileRow f;
  f.group = group;
  f.indexInGroup = index;
  f.folder = "/card/DCIM/Movie/F/";
  f.name = "MOV_000" + std::to_string(index) + "F.MOV";
  f.startTime = 1700000000;
  f.durationMs = 60000;
  f.fileSize = 1048575;
  f.flags = flags;
  return f;
}

int ColumnsWidth(const ZelListCtrlBase& list) {
  int sum = 0;
  for (int c = 0; c < list.columnCount(); ++c) sum += list.columnWidth(c);
  return sum;
}

QFontMetrics BoldMetrics(const QWidget& list) {
  QFont bold = list.font();
  bold.setBold(true);
  return QFontMetrics(bold);
}

// The cell's text fits its column as the list paints it (the playing row
// is bold, so every row is measured so); column 0 starts with the icon.
bool CellFits(const ZelListCtrlBase& list, int row, int column) {
  const QRect cell = list.visualRect(list.model()->index(row, column));
  const int room = cell.width() - (column == 0 ? list.iconSize().width() : 0);
  return BoldMetrics(list).horizontalAdvance(list.CellText(row, column)) < room && cell.left() >= 0 &&
         cell.right() < list.viewport()->width();
}

void DoubleClickRow(ZelListCtrlBase& list, int row) {
  const QRect r = list.visualItemRect(list.topLevelItem(row));
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.resize(600, 400);
    groups = new CZelGroupListCtrl(&owner);
    files = new CZelFileListCtrl(&owner);
    groups->setGeometry(0, 0, 500, 200);
    files->setGeometry(0, 200, 500, 200);
    groups->SetupList();
    files->SetupList();
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
  }

  QWidget owner;
  CZelGroupListCtrl* groups = nullptr;
  CZelFileListCtrl* files = nullptr;
};

TEST_F(ListTest, RowsCarryTheCatalogueTextsIconsAndCheckBoxes) {
  IGroupListView& gv = *groups;
  IFileListView& fv = *files;
  ASSERT_EQ(gv.InsertGroupRow(Group(0, 0)), 1);
  ASSERT_EQ(gv.InsertGroupRow(Group(1, 3)), 1);
  ASSERT_EQ(fv.InsertFileRow(File(0, 0, 1)), 1);
  ASSERT_EQ(fv.InsertFileRow(File(0, 1, 2)), 1);
  EXPECT_EQ(groups->RowCount(), 2);

  const auto cells = GroupRowCells(Group(1, 3));
  for (int c = 0; c < 5; ++c)
    EXPECT_EQ(groups->CellText(1, c).toStdString(), cells[static_cast<std::size_t>(c)]);
  EXPECT_EQ(files->CellText(1, 3), QString(" 0.9 MB"));
  EXPECT_EQ(groups->RowIcon(0), 0);
  EXPECT_EQ(groups->RowIcon(1), 3);
  EXPECT_EQ(files->RowIcon(0), 1);
  EXPECT_EQ(files->RowIcon(1), 2);
  EXPECT_FALSE(ZelListCtrlBase::LockIcon(1).isNull());

  EXPECT_FALSE(gv.IsRowChecked(0));
  groups->SetRowChecked(1, true);
  EXPECT_TRUE(gv.IsRowChecked(1));
  EXPECT_FALSE(gv.IsRowChecked(5));

  gv.DeleteAllRows();
  EXPECT_EQ(groups->RowCount(), 0);
}

TEST_F(ListTest, ColumnsFitTheirCellsAndFillTheWidth) {
  for (int g = 0; g < 2; ++g) groups->InsertGroupRow(Group(g, 0));
  for (int i = 0; i < 3; ++i) files->InsertFileRow(File(0, i, 1));
  files->SetRowMarked(0, true);
  for (const int width : {640, 1000}) {
    SCOPED_TRACE(width);
    groups->setGeometry(0, 0, width, 200);
    files->setGeometry(0, 200, width, 200);
    QCoreApplication::processEvents();
    // Both reach the right edge without a blank header beside them ...
    EXPECT_EQ(ColumnsWidth(*groups), groups->viewport()->width());
    EXPECT_EQ(ColumnsWidth(*files), files->viewport()->width());
    // ... and no cell is cut.
    for (int row = 0; row < 3; ++row)
      for (int column : {0, 1}) EXPECT_TRUE(CellFits(*files, row, column)) << row << column;
    for (int column = 0; column < 5; ++column) EXPECT_TRUE(CellFits(*groups, 0, column)) << column;
  }
  files->setGeometry(0, 200, 190, 200);
  QCoreApplication::processEvents();
  EXPECT_FALSE(CellFits(*files, 0, 0));
  // Too narrow for the name: it gives way down to its number, and the start
  // time stays in view.
  const QString shown = BoldMetrics(*files).elidedText(files->CellText(0, 0), Qt::ElideRight,
                                                        files->columnWidth(0) - 36);
  EXPECT_TRUE(shown.startsWith(QStringLiteral("MOV_0000"))) << shown.toStdString();
  const QRect start = files->visualRect(files->model()->index(0, 1));
  EXPECT_LE(start.right(), files->viewport()->width());
  // Spare width goes to the folder, not to the name.
  files->setGeometry(0, 200, 600, 200);
  const int name = files->columnWidth(0);
  files->setGeometry(0, 200, 900, 200);
  EXPECT_EQ(files->columnWidth(0), name);
  EXPECT_EQ(ColumnsWidth(*files), files->viewport()->width());
}

TEST_F(ListTest, HeadersCutShortCarryTheirTitleAsTooltip) {
  // "Время начала" is far wider than a start time; in a narrow list its
  // column keeps the width of its cells, the columns scrolled to beyond it
  // show whole titles.
  ASSERT_TRUE(GetSettings().SetLanguage(FindLanguage("RUS")));
  files->RetitleColumns();
  files->InsertFileRow(File(0, 0, 0));
  files->SetEventCount(0, 2);
  const int events = files->EventsColumn();
  const std::string start = LoadLocalizedString(kStrColumnStartTime);
  files->setGeometry(0, 200, 200, 200);
  files->FitColumns();
  EXPECT_EQ(files->CellText(0, events), QString("2"));
  EXPECT_EQ(files->headerItem()->toolTip(1).toStdString(), start);
  EXPECT_TRUE(files->headerItem()->text(1).endsWith(QChar(0x2026))) << files->headerItem()->text(1).toStdString();
  EXPECT_EQ(files->headerItem()->text(events).toStdString(), LoadLocalizedString(kStrColumnEvents));
  files->setGeometry(0, 200, 1600, 200);
  files->FitColumns();
  for (int c = 0; c < files->columnCount(); ++c) EXPECT_TRUE(files->headerItem()->toolTip(c).isEmpty()) << c;
  EXPECT_EQ(files->headerItem()->text(1).toStdString(), start);
  files->SetEventCount(0, -1);  // no telemetry: no count
  EXPECT_EQ(files->CellText(0, events), QString());
  GetSettings().SetLanguage(FindLanguage("ENG"));
}

TEST_F(ListTest, FiltersHideRowsAndKeepRowNumbers) {
  // Drive 0 with two events, drive 1 locked without any, drive 2 not counted yet.
  for (int g = 0; g < 3; ++g) groups->InsertGroupRow(Group(g, g == 1 ? 3 : 0));
  for (int g = 0; g < 3; ++g) files->InsertFileRow(File(g, 0, g == 1 ? 2 : 0));
  for (ZelListCtrlBase* list : {static_cast<ZelListCtrlBase*>(groups), static_cast<ZelListCtrlBase*>(files)}) {
    list->SetDriveEventCount(0, 2);
    list->SetDriveEventCount(1, 0);
  }
  const auto hidden = [](const ZelListCtrlBase& list) {
    std::vector<bool> rows;
    for (int r = 0; r < list.RowCount(); ++r) rows.push_back(list.IsRowHidden(r));
    return rows;
  };
  const struct {
    RowFilter filter;
    std::vector<bool> hidden;
  } cases[] = {{RowFilter::kDrivesWithEvents, {false, true, true}},
               {RowFilter::kLocked, {true, false, true}},
               {RowFilter::kAll, {false, false, false}}};
  for (const auto& c : cases) {
    groups->SetRowFilter(c.filter);
    files->SetRowFilter(c.filter);
    EXPECT_EQ(hidden(*groups), c.hidden) << static_cast<int>(c.filter);
    EXPECT_EQ(hidden(*files), c.hidden) << static_cast<int>(c.filter);
  }
  // A drive counted later shows up under the events filter.
  files->SetRowFilter(RowFilter::kDrivesWithEvents);
  files->SetDriveEventCount(2, 1);
  EXPECT_FALSE(files->IsRowHidden(2));

  // The row under the pointer is still its entry.
  QSignalSpy fileRows(files, &ZelListCtrlBase::rowActivated);
  DoubleClickRow(*files, 2);
  ASSERT_EQ(fileRows.count(), 1);
  EXPECT_EQ(fileRows.at(0).at(0).toInt(), 2);

  // The menu offers the three filters in the current language.
  QSignalSpy chosen(groups, &ZelListCtrlBase::rowFilterChosen);
  std::unique_ptr<QMenu> menu(groups->CreateFilterMenu(nullptr));
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[2]->text().toStdString(), LoadLocalizedString(kStrFilterLocked));
  actions[2]->trigger();
  EXPECT_EQ(groups->Filter(), RowFilter::kLocked);
  EXPECT_EQ(chosen.count(), 1);
}

TEST_F(ListTest, ThePlayingRowIsMarkedWithoutTouchingTheSelection) {
  for (int i = 0; i < 3; ++i) files->InsertFileRow(File(0, i, 0));
  files->setCurrentItem(files->topLevelItem(2));
  IFileListView& fv = *files;
  fv.SetRowMarked(1, true);
  EXPECT_TRUE(files->IsRowMarked(1));
  EXPECT_FALSE(files->IsRowMarked(2));
  EXPECT_EQ(files->currentItem(), files->topLevelItem(2));
  fv.SetRowMarked(1, false);
  EXPECT_FALSE(files->IsRowMarked(1));
  fv.SetRowMarked(9, true);  // no such row: nothing happens
}

TEST_F(ListTest, DoubleClicksReportTheRowOrNone) {
  QSignalSpy groupRows(groups, &ZelListCtrlBase::rowActivated);
  QSignalSpy fileRows(files, &ZelListCtrlBase::rowActivated);
  groups->InsertGroupRow(Group(0, 0));
  groups->InsertGroupRow(Group(1, 0));
  files->InsertFileRow(File(0, 0, 0));
  files->InsertFileRow(File(0, 1, 0));
  DoubleClickRow(*groups, 1);
  DoubleClickRow(*files, 0);
  // Below the last row.
  QTest::mouseDClick(files->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 150));
  ASSERT_EQ(groupRows.count(), 1);
  EXPECT_EQ(groupRows.at(0).at(0).toInt(), 1);
  ASSERT_EQ(fileRows.count(), 2);
  EXPECT_EQ(fileRows.at(0).at(0).toInt(), 0);
  EXPECT_EQ(fileRows.at(1).at(0).toInt(), -1);
}

TEST_F(ListTest, LanguageChangeRetitlesColumnsAndKeepsCells) {
  groups->InsertGroupRow(Group(0, 0));
  const QString cell = groups->CellText(0, 2);
  EXPECT_EQ(groups->headerItem()->text(3).toStdString(), LoadLocalizedString(kStrColumnLength));
  ASSERT_TRUE(GetSettings().SetLanguage(FindLanguage("FRA")));
  groups->RetitleColumns();
  files->RetitleColumns();
  EXPECT_EQ(groups->headerItem()->text(3).toStdString(), LoadLocalizedString(kStrColumnLength));
  EXPECT_NE(groups->headerItem()->text(3), QString("Length"));
  EXPECT_EQ(files->headerItem()->text(6).toStdString(), LoadLocalizedString(kStrColumnFolder));
  EXPECT_EQ(groups->CellText(0, 2), cell);
  GetSettings().SetLanguage(FindLanguage("ENG"));
  // The event column and the filters speak every language.
  for (const LanguageEntry& lang : g_languages) {
    for (int id : {kStrColumnEvents, kStrFilterAll, kStrFilterDrivesWithEvents, kStrFilterLocked}) {
      const std::string text = LoadLocalizedString(id, lang.LanguageId());
      EXPECT_FALSE(text.empty()) << lang.code << " " << id;
      if (lang.LanguageId() != 0x0409) EXPECT_NE(text, LoadLocalizedString(id, 0x0409)) << lang.code << " " << id;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("vantrel-lists-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::current_path(dir);  // the settings file lives in the current directory
  QApplication app(argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ec;
  fs::current_path(fs::temp_directory_path(), ec);
  fs::remove_all(dir, ec);
  return result;
}
