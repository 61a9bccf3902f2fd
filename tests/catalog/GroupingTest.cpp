// Continuous-drive groups, the catalogue order and the rows of both lists.
#include <gtest/gtest.h>

#include "CatalogFakes.h"
#include "catalog/CatalogRows.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// 10:00:00 on 2024-05-17, local time as the lists show it, whatever the
// time zone the tests run in.
CalendarTime LocalTen() {
  CalendarTime t = 0;
  LocalDateTimeToCalendar(2024, 5, 17, 10, 0, 0, t);
  return t;
}
const CalendarTime kTen = LocalTen();

MediaEntry Entry(const std::string& name, CalendarTime start, TimeSpan length = 0,
                 std::uint32_t durationMs = 60000, std::uint64_t size = 1048576,
                 std::uint32_t flags = 0) {
  MediaEntry e;
  e.root = "/card/";
  e.name = name;
  e.flags = flags;
  e.info.startTime = start;
  e.info.length = length;
  e.info.durationMs = durationMs;
  e.info.fileSize = size;
  e.info.width = 1920;
  e.info.height = 1080;
  return e;
}

struct Built {
  FakeList list;
  MediaCatalog catalog;
};

void Build(Built& b, std::vector<MediaEntry> entries) {
  b.catalog.Attach(&b.list, &b.list, nullptr, nullptr, nullptr);
  b.catalog.Entries() = std::move(entries);
  b.catalog.SortByStartTime();
  b.catalog.BuildGroups();
}

std::vector<int> GroupSizes(const MediaCatalog& c) {
  std::vector<int> out;
  for (const MediaGroup& g : c.Groups()) out.push_back(g.memberCount);
  return out;
}

}  // namespace

TEST(Continuation, TwoSecondsEitherSideOfTheEnd) {
  // Previous recording: starts at 0, 60 s long, so it ends at 60.
  EXPECT_TRUE(MediaCatalog::IsContinuation(0, 60, 58));
  EXPECT_FALSE(MediaCatalog::IsContinuation(0, 60, 57));
  EXPECT_TRUE(MediaCatalog::IsContinuation(0, 60, 62));
  EXPECT_FALSE(MediaCatalog::IsContinuation(0, 60, 63));
  // Without a length (all but AVI) the two start times are compared.
  EXPECT_TRUE(MediaCatalog::IsContinuation(100, 0, 102));
  EXPECT_FALSE(MediaCatalog::IsContinuation(100, 0, 160));
  // Times from broken files do not overflow.
  EXPECT_FALSE(MediaCatalog::IsContinuation(INT64_MAX, INT64_MAX, INT64_MIN));
  EXPECT_TRUE(MediaCatalog::IsContinuation(INT64_MAX, 5, INT64_MAX));
}

TEST(Grouping, MovFilesChainByTheirDurationAndAGapStartsANewGroup) {
  // 10:00:00 and 10:01:00, one minute each, then 10:10:00.
  Built b;
  Build(b, {Entry("FILE0002.MOV", kTen + 60), Entry("FILE0001.MOV", kTen),
            Entry("FILE0003.MOV", kTen + 600)});
  ASSERT_EQ(b.catalog.EntryCount(), 3);
  EXPECT_EQ(b.catalog.Entries()[0].name, "FILE0001.MOV");
  EXPECT_EQ(GroupSizes(b.catalog), (std::vector<int>{2, 1}));
  ASSERT_EQ(b.list.groupRows.size(), 2u);
  EXPECT_EQ(GroupRowCells(b.list.groupRows[0])[0], "G0");
  EXPECT_EQ(GroupRowCells(b.list.groupRows[1])[0], "G1");
}

TEST(Grouping, AviLengthsJoinRecordingsThatFollowOn) {
  // 10:00:00, 10:01:01 (1 s after the first ends), 10:02:30 (29 s late).
  Built b;
  Build(b, {Entry("FILE0001.AVI", kTen, 60), Entry("FILE0002.AVI", kTen + 61, 60),
            Entry("FILE0003.AVI", kTen + 150, 60)});
  EXPECT_EQ(GroupSizes(b.catalog), (std::vector<int>{2, 1}));
  const auto& e = b.catalog.Entries();
  EXPECT_EQ(e[0].groupStart, 1);
  EXPECT_EQ(e[1].groupStart, 0);
  EXPECT_EQ(e[2].groupStart, 1);
  const auto& m = b.catalog.Members();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[1].group, 0);
  EXPECT_EQ(m[1].indexInGroup, 1);
  EXPECT_EQ(m[2].group, 1);
  EXPECT_EQ(m[2].indexInGroup, 0);
  EXPECT_EQ(m[2].entryIndex, 2);
}

TEST(Grouping, TotalsFlagsAndCellTexts) {
  Built b;
  Build(b, {Entry("FILE0001.AVI", kTen, 60, 59999, 1048575, kEntryGMark),
            Entry("FILE0002.AVI", kTen + 60, 60, 60000, 1048576, kEntryReadOnly),
            Entry("FILE0003.AVI", kTen + 120, 60, 60001, 1048577)});
  ASSERT_EQ(b.catalog.Groups().size(), 1u);
  const MediaGroup& g = b.catalog.Groups()[0];
  EXPECT_EQ(g.durationMs, 180000u);
  EXPECT_EQ(g.fileSize, 3u * 1048576u);
  EXPECT_EQ(g.flags, kEntryGMark | kEntryReadOnly);
  EXPECT_EQ(g.checked, 0);

  ASSERT_EQ(b.list.groupRows.size(), 1u);
  const auto group = GroupRowCells(b.list.groupRows[0]);
  EXPECT_EQ(group[0], "G0");
  EXPECT_EQ(group[1], "FHD");
  EXPECT_EQ(group[2], "2024-05-17 10:00:00");
  EXPECT_EQ(group[3], " 180 s ");
  EXPECT_EQ(group[4], " 3.0 MB");
  EXPECT_EQ(b.list.groupRows[0].flags, 3u);

  ASSERT_EQ(b.list.fileRows.size(), 3u);
  const auto first = FileRowCells(b.list.fileRows[0]);
  EXPECT_EQ(first[0], "G0-0");
  EXPECT_EQ(first[1], "FILE0001.AVI");
  EXPECT_EQ(first[2], "10:00:00");
  EXPECT_EQ(first[3], "10:00:59");  // 59 999 ms count as 59 whole seconds
  EXPECT_EQ(first[4], " 0.9 MB");
  EXPECT_EQ(first[5], "/card/");
  EXPECT_EQ(FileRowCells(b.list.fileRows[1])[4], " 1.0 MB");
  EXPECT_EQ(FileRowCells(b.list.fileRows[2])[0], "G0-2");
}

TEST(Grouping, EqualStartTimesAreOrderedByPath) {
  Built b;
  std::vector<MediaEntry> entries{Entry("FILE0003.MOV", kTen), Entry("FILE0001.MOV", kTen),
                                  Entry("FILE0002.MOV", kTen)};
  entries[0].subPath = "A/";
  Build(b, entries);
  EXPECT_EQ(b.catalog.Entries()[0].name, "FILE0003.MOV");  // "/card/A/..." sorts first
  EXPECT_EQ(b.catalog.Entries()[1].name, "FILE0001.MOV");
  EXPECT_EQ(b.catalog.Entries()[2].name, "FILE0002.MOV");
}

TEST(Grouping, RowTextsForOddTimes) {
  FileRow late;
  late.startTime = kTen + 13 * 3600 + 59 * 60 + 30;  // 23:59:30
  late.durationMs = 45000;
  EXPECT_EQ(FileRowCells(late)[3], "00:00:15");
  FileRow epoch;  // a recording whose parse failed: no time, not 1970
  EXPECT_EQ(FileRowCells(epoch)[2], "");
  EXPECT_EQ(FileRowCells(epoch)[3], "");
  EXPECT_EQ(FileRowCells(epoch)[4], " 0.0 MB");
  EXPECT_EQ(GroupRowCells(GroupRow{})[2], "");
  GroupRow unrepresentable;
  unrepresentable.startTime = INT64_MAX;
  EXPECT_EQ(GroupRowCells(unrepresentable)[2], "");
  EXPECT_EQ(FormatLocalTime(INT64_MIN, "%Y"), "");
}

TEST(Grouping, SizesBelowTenMegabytesCarryATenth) {
  constexpr std::uint64_t kMb = 1048576;
  const struct {
    std::uint64_t bytes;
    const char* text;
  } cases[] = {{0, " 0.0 MB"},           {(kMb * 6 + 9) / 10, " 0.6 MB"},   {kMb - 1, " 0.9 MB"},
               {10 * kMb - 1, " 9.9 MB"}, {10 * kMb, " 10 MB"},       {10 * kMb + kMb - 1, " 10 MB"},
               {4096 * kMb, " 4096 MB"},  {UINT64_MAX, " 17592186044415 MB"}};
  for (const auto& c : cases) {
    FileRow file;
    file.fileSize = c.bytes;
    GroupRow group;
    group.fileSize = c.bytes;
    EXPECT_EQ(FileRowCells(file)[4], c.text) << c.bytes;
    EXPECT_EQ(GroupRowCells(group)[4], c.text) << c.bytes;
  }
}

TEST(Grouping, ResolutionNames) {
  Built b;
  std::vector<MediaEntry> entries{Entry("FILE0001.MOV", kTen), Entry("FILE0002.MOV", kTen + 600),
                                  Entry("FILE0003.MOV", kTen + 1200)};
  entries[1].info.width = 1000;
  entries[1].info.height = 500;
  entries[2].info.width = 0;
  Build(b, entries);
  ASSERT_EQ(b.list.groupRows.size(), 3u);
  EXPECT_EQ(b.list.groupRows[1].resolution, "1000x500");
  EXPECT_EQ(b.list.groupRows[2].resolution, "");
}

TEST(Grouping, ClearEmptiesListsAndRefreshTicksReadsCheckBoxes) {
  Built b;
  Build(b, {Entry("FILE0001.MOV", kTen), Entry("FILE0002.MOV", kTen + 600)});
  EXPECT_EQ(b.catalog.RefreshTicks(), 0);
  b.list.checked = {1};
  EXPECT_EQ(b.catalog.RefreshTicks(), 1);
  EXPECT_EQ(b.catalog.Groups()[0].checked, 0);
  EXPECT_EQ(b.catalog.Groups()[1].checked, 1);

  b.catalog.RemoveEntry(0);
  EXPECT_EQ(b.catalog.EntryCount(), 1);
  EXPECT_EQ(b.catalog.Members().size(), 1u);

  b.catalog.Clear();
  EXPECT_TRUE(b.catalog.Empty());
  EXPECT_TRUE(b.catalog.Groups().empty());
  EXPECT_TRUE(b.list.groupRows.empty());
  EXPECT_TRUE(b.list.fileRows.empty());
  EXPECT_EQ(b.catalog.CurrentIndex(), -1);
}
