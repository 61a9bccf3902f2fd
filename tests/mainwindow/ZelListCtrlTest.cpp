// The group list and the file list as the catalogue and the main window
// use them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
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
  EXPECT_EQ(files->CellText(1, 4), QString(" 0 MB"));
  EXPECT_EQ(groups->RowIcon(0), 0);
  EXPECT_EQ(groups->RowIcon(1), 3);
  EXPECT_EQ(files->RowIcon(0), 1);
  EXPECT_EQ(files->RowIcon(1), 2);
  EXPECT_FALSE(ZelListCtrlBase::LockIcon(1).isNull());

  EXPECT_FALSE(gv.IsRowChecked(0));
  groups->SetRowChecked(1, true);
  EXPECT_TRUE(gv.IsRowChecked(1));
  EXPECT_FALSE(gv.IsRowChecked(5));

  // Column widths follow the control's width when the columns are made.
  EXPECT_EQ(groups->columnWidth(0), 100);
  EXPECT_EQ(files->columnWidth(5), 150);

  gv.DeleteAllRows();
  EXPECT_EQ(groups->RowCount(), 0);
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
  EXPECT_EQ(files->headerItem()->text(5).toStdString(), LoadLocalizedString(kStrColumnFolder));
  EXPECT_EQ(groups->CellText(0, 2), cell);
  GetSettings().SetLanguage(FindLanguage("ENG"));
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
