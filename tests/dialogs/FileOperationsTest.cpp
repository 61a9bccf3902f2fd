// Delete, unlock and copy of the ticked groups on real files.
#include "mainwindow/core/FileOperations.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "FileOpsFixture.h"
#include "platform/FileSystem.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

// Three drives: two files in the root, three in a sub-folder (one locked
// both ways), one alone.
const std::vector<CardFile> kCard = {
    {"", "ABC_0001F.MP4", false, false},
    {"", "ABC_0002F.MP4", false, false},
    {"DCIM/Movie/", "ABC_0003F.MP4", false, true},
    {"DCIM/Movie/", "ABCG0004F.MP4", true, false},
    {"DCIM/Movie/", "ABC_0005F.MP4", true, false},
    {"", "ABC_0006F.MP4", false, true},
};

class DeleteTest : public CardFixture {};

TEST_F(DeleteTest, NothingTickedChangesNothing) {
  MakeCard(kCard);
  FileOperations ops(catalog);
  EXPECT_EQ(ops.DeleteTicked(), 0);
  EXPECT_EQ(catalog.EntryCount(), 6);
  EXPECT_TRUE(fs::exists(root + "ABC_0001F.MP4"));
}

TEST_F(DeleteTest, TickedGroupsGoReadOnlyIncludedOthersStayAndRegroup) {
  MakeCard(kCard);
  ASSERT_EQ(catalog.Groups().size(), 3u);
  catalog.Select(5);
  list.checked = {1};
  FileOperations ops(catalog);
  EXPECT_EQ(ops.DeleteTicked(), 1);
  EXPECT_EQ(ops.LastCounts().done, 3);
  EXPECT_EQ(ops.LastCounts().failed, 0);
  EXPECT_FALSE(fs::exists(root + "DCIM/Movie/ABC_0003F.MP4"));
  EXPECT_FALSE(fs::exists(root + "DCIM/Movie/ABCG0004F.MP4"));
  EXPECT_FALSE(fs::exists(root + "DCIM/Movie/ABC_0005F.MP4"));
  EXPECT_TRUE(fs::exists(root + "ABC_0006F.MP4"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"ABC_0001F.MP4", "ABC_0002F.MP4", "ABC_0006F.MP4"}));
  // Regrouped and the lists show the rest.
  ASSERT_EQ(catalog.Groups().size(), 2u);
  EXPECT_EQ(catalog.Members().size(), 3u);
  EXPECT_EQ(list.fileRows.size(), 3u);
  EXPECT_EQ(list.groupRows.size(), 2u);
  // The current entry was the last one; it stays inside the list.
  EXPECT_EQ(catalog.CurrentIndex(), 2);
  EXPECT_EQ(catalog.NextIndex(), -1);
}

TEST_F(DeleteTest, DeletingEverythingLeavesNoCurrentEntry) {
  MakeCard(kCard);
  catalog.Select(4);
  list.checked = {0, 1, 2};
  FileOperations ops(catalog);
  EXPECT_EQ(ops.DeleteTicked(), 1);
  EXPECT_EQ(ops.LastCounts().done, 6);
  EXPECT_TRUE(catalog.Empty());
  EXPECT_TRUE(catalog.Groups().empty());
  EXPECT_EQ(catalog.CurrentIndex(), -1);
  EXPECT_EQ(catalog.CurrentPath(), "");
  EXPECT_TRUE(list.fileRows.empty());
}

// The loaded route stays with its recording: kept when that recording
// survives the delete (under its new index), gone when it was deleted, so
// a route export never writes it under another recording's name.
TEST_F(DeleteTest, LoadedTelemetryFollowsTheCurrentRecording) {
  // Two drives, one recording each, with routes far apart.
  const double latitudes[] = {22.5, 31.2};
  auto writeCard = [&] {
    for (int k = 0; k < 2; ++k) {
      recgen::RecordingRecipe recipe;
      recipe.container = recgen::Container::kAvi;
      recgen::RouteProfile route;
      route.latitude = latitudes[k];
      route.start = {2024, 5, 17, 8 + 2 * k, 30, 0};
      route.count = 10;
      recipe.route = recgen::MakeRoute(route);
      ASSERT_EQ(recgen::WriteRecording(recipe, root + "FILE000" + std::to_string(k + 1) + ".AVI"), 1);
    }
  };
  const std::string out = (base / "out").string() + "/";
  std::filesystem::create_directories(out);
  const struct {
    int tickedDrive;
    bool routeStays;
  } cases[] = {{0, true}, {1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tickedDrive);
    writeCard();
    ASSERT_EQ(catalog.Load(root, ""), 1);
    ASSERT_EQ(catalog.EntryCount(), 2);
    catalog.Select(1);
    ASSERT_EQ(catalog.LoadTelemetry(1), 1);
    const double latitude = catalog.LoadedFixes().at(0).latitude;
    list.checked = {c.tickedDrive};
    FileOperations ops(catalog);
    ASSERT_EQ(ops.DeleteTicked(), 1);
    if (c.routeStays) {
      std::string kml;
      EXPECT_EQ(catalog.CurrentPath(), root + "FILE0002.AVI");
      ASSERT_FALSE(catalog.LoadedFixes().empty());
      EXPECT_EQ(catalog.LoadedFixes()[0].latitude, latitude);
      ASSERT_TRUE(catalog.ExportKml(out, kml));
      EXPECT_NE(kml.find("FILE0002"), std::string::npos) << kml;
    } else {
      EXPECT_TRUE(catalog.LoadedFixes().empty());
      EXPECT_EQ(catalog.ExportableFixCount(), 0);
    }
  }
}

TEST_F(DeleteTest, FileThatCannotBeDeletedKeepsItsEntryAndProtection) {
  MakeCard(kCard);
  // The read-only member cannot go: its name is now a non-empty folder.
  const fs::path stuck = root + "DCIM/Movie/ABC_0005F.MP4";
  fs::permissions(stuck, fs::perms::owner_write, fs::perm_options::add);
  fs::remove(stuck);
  WriteText(stuck / "inside", "x");
  fs::permissions(stuck, fs::perms::owner_write, fs::perm_options::remove);
  list.checked = {1};
  FileOperations ops(catalog);
  EXPECT_EQ(ops.DeleteTicked(), 1);
  EXPECT_EQ(ops.LastCounts().done, 2);
  EXPECT_EQ(ops.LastCounts().failed, 1);
  EXPECT_TRUE(fs::exists(stuck / "inside"));
  EXPECT_FALSE(OwnerWritable(stuck));
  ASSERT_EQ(catalog.EntryCount(), 4);
  EXPECT_EQ(catalog.Entries()[2].name, "ABC_0005F.MP4");
  EXPECT_TRUE(catalog.Entries()[2].flags & kEntryReadOnly);
}

class UnlockTest : public CardFixture {};

TEST_F(UnlockTest, MarkedAndReadOnlyFilesOfTickedGroupsAreFreed) {
  MakeCard({{"", "ABCG1234.MP4", true, false},
            {"", "ABCG1235.MP4", false, false},
            {"DCIM/", "ABCG1236.MP4", true, true}});
  ASSERT_EQ(catalog.Groups().size(), 2u);
  list.checked = {0};
  FileOperations ops(catalog);
  EXPECT_EQ(ops.UnlockTicked(), 1);
  EXPECT_EQ(ops.LastCounts().done, 2);
  // Only the fourth character changes; contents travel with the name.
  EXPECT_EQ(ReadText(root + "ABC_1234.MP4"), "data of ABCG1234.MP4");
  EXPECT_TRUE(OwnerWritable(root + "ABC_1234.MP4"));
  EXPECT_FALSE(fs::exists(root + "ABCG1234.MP4"));
  EXPECT_TRUE(fs::exists(root + "ABC_1235.MP4"));
  EXPECT_EQ(catalog.Entries()[0].name, "ABC_1234.MP4");
  EXPECT_EQ(catalog.Entries()[0].flags, 0u);
  EXPECT_EQ(catalog.Groups()[0].flags, 0);
  // The unticked group keeps its lock.
  EXPECT_TRUE(fs::exists(root + "DCIM/ABCG1236.MP4"));
  EXPECT_FALSE(OwnerWritable(root + "DCIM/ABCG1236.MP4"));
  EXPECT_EQ(catalog.Entries()[2].flags, kEntryGMark | kEntryReadOnly);
  EXPECT_EQ(catalog.Groups()[1].flags, kEntryGMark | kEntryReadOnly);
  // The lists were refilled from the new names, without regrouping.
  ASSERT_EQ(list.fileRows.size(), 3u);
  EXPECT_EQ(list.fileRows[0].name, "ABC_1234.MP4");
  EXPECT_EQ(list.fileRows[0].flags, 0u);
  EXPECT_EQ(list.groupRows.size(), 2u);
}

TEST_F(UnlockTest, TakenNameIsNeverOverwrittenAndTheLockStaysShown) {
  MakeCard({{"", "ABCG1234.MP4", true, false}, {"", "ABCG1235.MP4", false, false}});
  WriteText(root + "ABC_1234.MP4", "an unrelated recording");
  list.checked = {0};
  FileOperations ops(catalog);
  EXPECT_EQ(ops.UnlockTicked(), 1);
  EXPECT_EQ(ops.LastCounts().done, 1);
  EXPECT_EQ(ops.LastCounts().failed, 1);
  EXPECT_EQ(ReadText(root + "ABC_1234.MP4"), "an unrelated recording");
  EXPECT_EQ(ReadText(root + "ABCG1234.MP4"), "data of ABCG1234.MP4");
  // Made writable first, but the mark stays on the name and in the flags.
  EXPECT_TRUE(OwnerWritable(root + "ABCG1234.MP4"));
  EXPECT_EQ(catalog.Entries()[0].name, "ABCG1234.MP4");
  EXPECT_EQ(catalog.Entries()[0].flags, kEntryGMark);
  EXPECT_EQ(catalog.Groups()[0].flags, kEntryGMark);
  ASSERT_EQ(list.groupRows.size(), 1u);
  EXPECT_EQ(list.groupRows[0].flags, kEntryGMark);
}

TEST(FileOperationHelpers, RenameNoReplaceAndUnlockedName) {
  EXPECT_EQ(UnlockedName("ABCG1234.MP4"), "ABC_1234.MP4");
  EXPECT_EQ(UnlockedName("ABC"), "ABC");
  char pattern[] = "/tmp/vantrel-rename-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  WriteText(dir + "/a", "a");
  WriteText(dir + "/b", "b");
  EXPECT_EQ(RenameNoReplace(dir + "/a", dir + "/b"), 0);
  EXPECT_EQ(ReadText(dir + "/b"), "b");
  EXPECT_EQ(RenameNoReplace(dir + "/a", dir + "/c"), 1);
  EXPECT_EQ(ReadText(dir + "/c"), "a");
  EXPECT_FALSE(fs::exists(dir + "/a"));
  EXPECT_EQ(RenameNoReplace(dir + "/missing", dir + "/d"), 0);
  fs::remove_all(dir);
}

class CopyTest : public CardFixture {
 protected:
  void SetUp() override {
    CardFixture::SetUp();
    dest = (base / "backup").string();
    fs::create_directories(dest);
  }
  std::string dest;
  std::vector<std::pair<int, bool>> progress;
  std::vector<std::string> asked;
};

TEST_F(CopyTest, TickedGroupsAreCopiedWithTheirFoldersRebuilt) {
  MakeCard(kCard);
  list.checked = {1, 2};
  fs::create_directories(dest + "/DCIM");  // one level exists already
  FileOperations ops(catalog);
  ops.SetProgressDisplay([&](int p, bool v) { progress.emplace_back(p, v); });
  EXPECT_EQ(ops.CopyTicked(dest), 1);
  EXPECT_EQ(ops.LastCounts().done, 4);
  EXPECT_EQ(ReadText(dest + "/DCIM/Movie/ABC_0003F.MP4"), "data of ABC_0003F.MP4");
  EXPECT_EQ(ReadText(dest + "/DCIM/Movie/ABCG0004F.MP4"), "data of ABCG0004F.MP4");
  EXPECT_EQ(ReadText(dest + "/ABC_0006F.MP4"), "data of ABC_0006F.MP4");
  EXPECT_FALSE(fs::exists(dest + "/ABC_0001F.MP4"));
  // Attributes follow the source; the catalogue is not touched.
  EXPECT_FALSE(OwnerWritable(dest + "/DCIM/Movie/ABCG0004F.MP4"));
  EXPECT_EQ(fs::last_write_time(dest + "/ABC_0006F.MP4"), fs::last_write_time(root + "ABC_0006F.MP4"));
  EXPECT_EQ(catalog.EntryCount(), 6);
  // No temporary file is left next to the copies.
  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(dest)) files += e.is_regular_file();
  EXPECT_EQ(files, 4);
  const std::vector<std::pair<int, bool>> expected = {{0, true}, {25, true}, {50, true},
                                                      {75, true}, {100, true}, {0, false}};
  EXPECT_EQ(progress, expected);
}

TEST_F(CopyTest, ExistingTargetsFollowTheAnswer) {
  MakeCard({{"", "ABC_0001F.MP4"}, {"", "ABC_0002F.MP4"}, {"", "ABC_0003F.MP4"}});
  list.checked = {0};
  WriteText(dest + "/ABC_0002F.MP4", "older copy");
  FileOperations ops(catalog);
  ops.SetProgressDisplay([&](int p, bool v) { progress.emplace_back(p, v); });
  ops.SetOverwriteQuestion([&](const std::string& t) {
    asked.push_back(t);
    return false;
  });
  EXPECT_EQ(ops.CopyTicked(dest), 1);
  EXPECT_EQ(asked, std::vector<std::string>{dest + "/ABC_0002F.MP4"});
  EXPECT_EQ(ReadText(dest + "/ABC_0002F.MP4"), "older copy");
  EXPECT_TRUE(fs::exists(dest + "/ABC_0001F.MP4"));
  EXPECT_TRUE(fs::exists(dest + "/ABC_0003F.MP4"));
  EXPECT_EQ(ops.LastCounts().done, 2);
  EXPECT_EQ(ops.LastCounts().skipped, 1);
  // The skipped file counts too: the bar reaches 100 before it is hidden.
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress[progress.size() - 2], std::make_pair(100, true));
  EXPECT_EQ(progress.back(), std::make_pair(0, false));

  ops.SetOverwriteQuestion([](const std::string&) { return true; });
  EXPECT_EQ(ops.CopyTicked(dest), 1);
  EXPECT_EQ(ReadText(dest + "/ABC_0002F.MP4"), "data of ABC_0002F.MP4");
  EXPECT_EQ(ops.LastCounts().done, 3);
}

TEST_F(CopyTest, NothingTickedCopiesNothing) {
  MakeCard(kCard);
  FileOperations ops(catalog);
  ops.SetProgressDisplay([&](int p, bool v) { progress.emplace_back(p, v); });
  EXPECT_EQ(ops.CopyTicked(dest), 0);
  EXPECT_TRUE(progress.empty());
  EXPECT_TRUE(fs::is_empty(dest));
}

TEST_F(CopyTest, CopyOntoItselfIsSkippedAndTheFileSurvives) {
  MakeCard(kCard);
  list.checked = {0};
  FileOperations ops(catalog);
  ops.SetOverwriteQuestion([&](const std::string& t) {
    asked.push_back(t);
    return true;
  });
  EXPECT_EQ(ops.CopyTicked(root), 1);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(ops.LastCounts().skipped, 2);
  EXPECT_EQ(ops.LastCounts().done, 0);
  EXPECT_EQ(ReadText(root + "ABC_0001F.MP4"), "data of ABC_0001F.MP4");
  // Through another spelling of the same folder, too.
  EXPECT_EQ(ops.CopyTicked(root + "DCIM/../"), 1);
  EXPECT_EQ(ops.LastCounts().skipped, 2);
  EXPECT_EQ(ReadText(root + "ABC_0002F.MP4"), "data of ABC_0002F.MP4");
  EXPECT_EQ(CopyFileSafely(root + "ABC_0001F.MP4", root + "ABC_0001F.MP4"), 0);
  EXPECT_EQ(ReadText(root + "ABC_0001F.MP4"), "data of ABC_0001F.MP4");
}

TEST_F(CopyTest, FolderThatCannotBeMadeCountsAsFailed) {
  MakeCard(kCard);
  list.checked = {1};
  WriteText(dest + "/DCIM", "a file where the folder should go");
  FileOperations ops(catalog);
  EXPECT_EQ(ops.CopyTicked(dest), 1);
  EXPECT_EQ(ops.LastCounts().failed, 3);
  EXPECT_EQ(ops.LastCounts().done, 0);
}

// A write that fails half way (the file-size limit stands in for a full
// disk, which permission bits cannot simulate for root): the existing
// target is untouched and no partial file is left.
TEST_F(CopyTest, FailedWriteLeavesTheTargetAsItWas) {
  MakeCard({{"", "ABC_0001F.MP4"}});
  const std::string big(256 * 1024, 'v');
  WriteText(root + "ABC_0001F.MP4", big);
  WriteText(dest + "/ABC_0001F.MP4", "the earlier backup");
  list.checked = {0};
  FileOperations ops(catalog);
  ops.SetOverwriteQuestion([](const std::string&) { return true; });

  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const int ran = ops.CopyTicked(dest);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ran, 1);
  EXPECT_EQ(ops.LastCounts().failed, 1);
  EXPECT_EQ(ops.LastCounts().done, 0);
  EXPECT_EQ(ReadText(dest + "/ABC_0001F.MP4"), "the earlier backup");
  int files = 0;
  for (const auto& e : fs::directory_iterator(dest)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);

  // Without the limit the same copy goes through.
  EXPECT_EQ(ops.CopyTicked(dest), 1);
  EXPECT_EQ(ReadText(dest + "/ABC_0001F.MP4"), big);
}

TEST_F(CopyTest, CopyRoutineFailuresAreCounted) {
  MakeCard(kCard);
  list.checked = {0, 2};
  FileOperations ops(catalog);
  std::vector<std::string> sources;
  ops.SetCopyRoutine([&](const std::string& from, const std::string&) {
    sources.push_back(from);
    return sources.size() == 2 ? 0 : 1;
  });
  EXPECT_EQ(ops.CopyTicked(dest), 1);
  EXPECT_EQ(sources, (std::vector<std::string>{root + "ABC_0001F.MP4", root + "ABC_0002F.MP4",
                                               root + "ABC_0006F.MP4"}));
  EXPECT_EQ(ops.LastCounts().done, 2);
  EXPECT_EQ(ops.LastCounts().failed, 1);
}

}  // namespace
