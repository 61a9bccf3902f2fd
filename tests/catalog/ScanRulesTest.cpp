// Which files the folder scan takes, and how it walks a card.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "CatalogFakes.h"
#include "platform/FileSystem.h"
#include "catalog/MediaCatalog.h"

namespace fs = std::filesystem;

namespace {

bool Accepts(const std::string& name, bool* gMark = nullptr) {
  bool g = false, ro = false;
  const bool ok = MediaCatalog::CheckScanName("/nonexistent/", name, g, ro);
  if (gMark) *gMark = g;
  return ok;
}

std::vector<std::string> Names(const MediaCatalog& c) {
  std::vector<std::string> out;
  for (const MediaEntry& e : c.Entries()) out.push_back(e.subPath + e.name);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(ScanRules, CameraNamePattern) {
  EXPECT_TRUE(Accepts("FILE0001.MOV"));
  EXPECT_TRUE(Accepts("MOVG0123.AVI"));
  EXPECT_TRUE(Accepts("A-B_1234.mp4"));
  EXPECT_TRUE(Accepts("MOV_0012F.3gp"));
  EXPECT_FALSE(Accepts("2020_0101_120000.MP4"));  // fifth character '_'
  EXPECT_FALSE(Accepts("IMG1234.JPG"));           // eighth character '.'
  EXPECT_FALSE(Accepts("FILE01.MOV"));            // seventh character '.'
  EXPECT_FALSE(Accepts("FI.E0001.MOV"));          // '.' among the first four
  EXPECT_FALSE(Accepts("FIL\xC3" "0001.MOV"));   // non-ASCII letter
  EXPECT_FALSE(Accepts(""));
}

TEST(ScanRules, OnlyRecordingExtensionsInAnyCase) {
  EXPECT_TRUE(Accepts("FILE0001.mov"));
  EXPECT_TRUE(Accepts("FILE0001.Mp4"));
  EXPECT_TRUE(Accepts("FILE0001.3GP"));
  EXPECT_TRUE(Accepts("FILE0001.aVi"));
  EXPECT_FALSE(Accepts("FILE0001.JPG"));
  EXPECT_FALSE(Accepts("FILE0001.TXT"));
  EXPECT_FALSE(Accepts("FILE0001"));
  EXPECT_FALSE(Accepts("FILE0001.MOV.bak"));
}

TEST(ScanRules, GMarkIsAnUpperCaseFourthCharacter) {
  bool g = false;
  EXPECT_TRUE(Accepts("ABCG0001.AVI", &g));
  EXPECT_TRUE(g);
  EXPECT_TRUE(Accepts("ABCg0001.AVI", &g));
  EXPECT_FALSE(g);
  EXPECT_TRUE(Accepts("GBC_0001.AVI", &g));
  EXPECT_FALSE(g);
}

TEST(ScanRules, ReadOnlyFlagFollowsTheOwnerWriteBit) {
  TempDir dir("readonly");
  WriteFile(dir.path() / "FILE0001.MOV", "not a recording");
  WriteFile(dir.path() / "ABCG0002.MOV", "not a recording");
  ASSERT_TRUE(SetReadOnlyFile(dir.path() / "FILE0001.MOV", true));
  MediaCatalog c;
  ASSERT_EQ(c.Load(dir.str(), ""), 1);
  ASSERT_EQ(c.EntryCount(), 2);
  for (const MediaEntry& e : c.Entries()) {
    const std::uint32_t expected = e.name == "FILE0001.MOV" ? kEntryReadOnly : kEntryGMark;
    EXPECT_EQ(e.flags, expected) << e.name;
    // Unparsable files still give an entry, with empty facts.
    EXPECT_EQ(e.info.startTime, 0);
    EXPECT_EQ(e.info.durationMs, 0u);
  }
  // Without start times nothing says the two belong to one drive.
  ASSERT_EQ(c.Groups().size(), 2u);
  EXPECT_EQ(c.Groups()[0].flags, kEntryGMark);  // ABCG0002.MOV sorts first
  EXPECT_EQ(c.Groups()[1].flags, kEntryReadOnly);
}

TEST(ScanWalk, SkipsHiddenEntriesSpecialFilesAndFolderLinks) {
  TempDir dir("walk");
  const fs::path p = dir.path();
  WriteFile(p / "FILE0001.MOV", "x");
  WriteFile(p / "DCIM" / "Movie" / "FILE0002.MOV", "x");
  WriteFile(p / ".FILE0003.MOV", "x");                  // hidden file
  WriteFile(p / ".hidden" / "FILE0004.MOV", "x");       // inside a hidden folder
  WriteFile(p / "DCIM" / "photo" / "IMG_0001.JPG", "x");
  ASSERT_EQ(::mkfifo((p / "FILE0005.MOV").c_str(), 0644), 0);  // would block a read
  fs::create_directory_symlink(p / "DCIM", p / "LOOP0001");     // a loop back into the card
  fs::create_directory_symlink(p, p / "DCIM" / "Movie" / "up");
  fs::create_symlink(p / "FILE0001.MOV", p / "LINK0006.MOV");  // a link to a file is followed
  fs::create_symlink(p / "missing", p / "DEAD0007.MOV");

  MediaCatalog c;
  ASSERT_EQ(c.Load(dir.str(), ""), 1);
  EXPECT_EQ(Names(c),
            (std::vector<std::string>{"DCIM/Movie/FILE0002.MOV", "FILE0001.MOV", "LINK0006.MOV"}));
  for (const MediaEntry& e : c.Entries()) EXPECT_EQ(e.root, dir.str());
}

TEST(ScanWalk, ReportsFoldersBeforeTheirContentsAndStopsAtTheDepthLimit) {
  TempDir dir("deep");
  fs::path deep = dir.path();
  std::string sub;
  for (int level = 1; level <= MediaCatalog::kMaxScanDepth + 3; ++level) {
    deep /= "d";
    sub += "d/";
    WriteFile(deep / ("FILE" + std::to_string(1000 + level) + ".MOV"), "x");
  }
  std::vector<std::string> seen;
  std::set<std::string> reportedFolders{""};
  bool contentsAfterFolder = true;
  ASSERT_EQ(MediaCatalog::WalkFolder(dir.path().string(),
                                     [&](const MediaCatalog::ScanItem& item) {
                                       contentsAfterFolder &= reportedFolders.count(item.subPath) == 1;
                                       const std::string p = item.subPath + item.name;
                                       if (item.isDirectory) reportedFolders.insert(p + "/");
                                       seen.push_back(item.isDirectory ? p + "/" : p);
                                     }),
            1);
  EXPECT_TRUE(contentsAfterFolder);
  // Files live at levels 1..40 below the root; deeper ones are never reached.
  const auto files = std::count_if(seen.begin(), seen.end(),
                                   [](const std::string& s) { return s.back() != '/'; });
  EXPECT_EQ(files, MediaCatalog::kMaxScanDepth);
}

TEST(ScanWalk, MissingPathsGiveZeroAndAnEmptyCatalogue) {
  FakeList list;
  MediaCatalog c;
  c.Attach(&list, &list, nullptr, nullptr, nullptr);
  EXPECT_EQ(c.Load("/nonexistent/card", ""), 0);
  EXPECT_EQ(c.Load("/nonexistent", "FILE0001.MOV"), 0);
  EXPECT_EQ(c.Load("", ""), 0);
  EXPECT_TRUE(c.Empty());
  EXPECT_TRUE(list.groupRows.empty());
}

TEST(ScanWalk, ProgressIsReportedPerRecording) {
  TempDir dir("progress");
  for (int i = 1; i <= 5; ++i) WriteFile(dir.path() / ("FILE000" + std::to_string(i) + ".MOV"), "x");
  WriteFile(dir.path() / "README.TXT", "x");
  std::vector<int> counts;
  MediaCatalog c;
  ASSERT_EQ(c.Load(dir.str(), "", [&](int n) { counts.push_back(n); }), 1);
  EXPECT_EQ(counts, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(SingleFile, NoNameRuleAndNoSubPath) {
  TempDir dir("single");
  WriteFile(dir.path() / "my drive.mkv", "x");
  MediaCatalog c;
  ASSERT_EQ(c.Load(dir.path().string(), "my drive.mkv"), 1);
  ASSERT_EQ(c.EntryCount(), 1);
  EXPECT_EQ(c.Entries()[0].root, dir.str());
  EXPECT_EQ(c.Entries()[0].subPath, "");
  EXPECT_EQ(c.PathOf(0), dir.str() + "my drive.mkv");
  ASSERT_EQ(c.Groups().size(), 1u);
  EXPECT_EQ(c.Members().size(), 1u);
}

TEST(SingleFile, FolderInPlaceOfAFileIsListedWithoutFacts) {
  TempDir dir("single-dir");
  fs::create_directories(dir.path() / "ABCG0001.MOV");
  MediaCatalog c;
  ASSERT_EQ(c.Load(dir.str(), "ABCG0001.MOV"), 1);
  ASSERT_EQ(c.EntryCount(), 1);
  EXPECT_EQ(c.Entries()[0].flags & kEntryGMark, kEntryGMark);
  EXPECT_EQ(c.Entries()[0].info.fileSize, 0u);
}
