// Cameras, front-rear pairs and drives, and the queries playback walks a
// drive with.
#include <gtest/gtest.h>

#include "CatalogFakes.h"
#include "catalog/MediaCatalog.h"

namespace {

// 08:00:00 on 2024-05-17 (UTC).
constexpr CalendarTime kEight = 1715932800;

struct Rec {
  const char* path;   // below the card root
  int startSeconds;   // after 08:00:00; -1: the parse failed (no facts)
  std::uint32_t durationMs = 60000;
  TimeSpan length = 0;  // AVI index length
};

MediaEntry Make(const Rec& r) {
  MediaEntry e;
  e.root = "/card/";
  const std::string path = r.path;
  const std::size_t slash = path.rfind('/');
  e.subPath = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  e.name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (r.startSeconds < 0) return e;
  e.info.startTime = kEight + r.startSeconds;
  e.info.durationMs = r.durationMs;
  e.info.length = r.length;
  e.info.fileSize = 1000;
  return e;
}

void Build(MediaCatalog& c, const std::vector<Rec>& recs) {
  std::vector<MediaEntry> entries;
  for (const Rec& r : recs) entries.push_back(Make(r));
  c.Entries() = std::move(entries);
  c.SortByStartTime();
  c.BuildGroups();
}

// The catalogue in order: drives split by " | ", recordings by ' ', a rear
// joined to the front it pairs with by '+'. "?" marks a pair that is not
// listed front-then-rear.
std::string Describe(const MediaCatalog& c) {
  std::string out;
  for (int i = 0; i < c.EntryCount(); ++i) {
    const MediaEntry& e = c.Entries()[i];
    if (i > 0) {
      if (e.groupStart) out += " | ";
      else if (!c.PlaysOnFirstChannel(i)) out += c.CompanionOf(i - 1) == i ? "+" : "?";
      else out += ' ';
    }
    out += e.subPath + e.name;
  }
  return out;
}

std::vector<std::uint64_t> DriveSeconds(const MediaCatalog& c) {
  std::vector<std::uint64_t> out;
  for (const MediaGroup& g : c.Groups()) out.push_back(g.durationMs / 1000);
  return out;
}

}  // namespace

TEST(Drives, CameraFromTheCompanionNaming) {
  struct Case {
    const char* folder;
    const char* name;
    Camera camera;
  };
  const Case cases[] = {
      {"/card/DCIM/", "20240601_083000_F.MP4", Camera::kFront},
      {"/card/DCIM/", "20240601_083000_R.MP4", Camera::kRear},
      {"/card/F/", "20240601_083000.MP4", Camera::kFront},
      {"/card/R/", "20240601_083000.MP4", Camera::kRear},
      {"/card/R", "20240601_083000.MP4", Camera::kRear},
      {"/card/R/", "AVI_0001F.AVI", Camera::kFront},  // the name's letter decides
      {"/card/F/", "AVI_0001R.AVI", Camera::kRear},
      {"/card/r/", "20240601_083000_r.MP4", Camera::kFront},  // upper case only
      {"/card/DCIM/", "FILE0001.MOV", Camera::kFront},
      {"", "R", Camera::kFront},
      {"/", ".R", Camera::kFront},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MediaCatalog::CameraFromName(c.folder, c.name), c.camera)
        << c.folder << " " << c.name;
  }
}

TEST(Drives, PairingChainingAndOrder) {
  struct Case {
    const char* title;
    std::vector<Rec> recs;
    const char* expected;
    std::vector<std::uint64_t> driveSeconds;
  };
  const Case cases[] = {
      {"suffix naming in one folder",
       {{"0801R.MP4", 61}, {"0800F.MP4", 0}, {"0800R.MP4", 1}, {"0801F.MP4", 60}},
       "0800F.MP4+0800R.MP4 0801F.MP4+0801R.MP4",
       {120}},
      {"folder naming",
       {{"R/0800.MP4", 0}, {"F/0800.MP4", 0}, {"F/0801.MP4", 60}, {"R/0801.MP4", 59}},
       "F/0800.MP4+R/0800.MP4 F/0801.MP4+R/0801.MP4",
       {120}},
      {"a minute without its rear",
       {{"0800F.MP4", 0}, {"0800R.MP4", 0}, {"0801F.MP4", 60}, {"0802F.MP4", 120},
        {"0802R.MP4", 120}},
       "0800F.MP4+0800R.MP4 0801F.MP4 0802F.MP4+0802R.MP4",
       {180}},
      {"a rear without its front sits at its own time",
       {{"0800F.MP4", 0}, {"0800R.MP4", 0}, {"0801R.MP4", 60}, {"0802F.MP4", 120},
        {"0802R.MP4", 120}},
       "0800F.MP4+0800R.MP4 0801R.MP4 0802F.MP4+0802R.MP4",
       {180}},
      {"a parking gap makes two drives",
       {{"0800F.MP4", 0}, {"0800R.MP4", 0}, {"0801F.MP4", 62}, {"0801R.MP4", 62},
        {"0805F.MP4", 300}, {"0805R.MP4", 300}},
       "0800F.MP4+0800R.MP4 0801F.MP4+0801R.MP4 | 0805F.MP4+0805R.MP4",
       {120, 60}},
      {"three seconds late is a new drive",
       {{"0800F.MP4", 0}, {"0801F.MP4", 63}}, "0800F.MP4 | 0801F.MP4", {60, 60}},
      {"mixed containers chain by their durations",
       {{"A0800F.AVI", 0, 60000, 60}, {"A0800R.AVI", 0, 60000, 60},
        {"M0801F.MOV", 60, 59600}, {"M0801R.MOV", 60, 59600},
        {"V0802F.mp4", 120, 30000}, {"V0802R.mp4", 121, 30000},
        {"V0803F.mp4", 150, 60000}},
       "A0800F.AVI+A0800R.AVI M0801F.MOV+M0801R.MOV V0802F.mp4+V0802R.mp4 V0803F.mp4",
       {209}},
      {"an AVI without a duration chains by its index length",
       {{"A0800F.AVI", 0, 0, 60}, {"A0801F.AVI", 60, 0, 60}}, "A0800F.AVI A0801F.AVI", {0}},
      {"equal start times: the first front by path pairs, the other is a drive of its own",
       {{"B/0800F.MP4", 0}, {"A/0800F.MP4", 0}, {"A/0800R.MP4", 0}},
       "A/0800F.MP4+A/0800R.MP4 | B/0800F.MP4",
       {60, 60}},
      {"the closest rear wins, the other stays alone",
       {{"0800F.MP4", 0}, {"X/0800R.MP4", 2}, {"Y/0800R.MP4", 1}},
       "0800F.MP4+Y/0800R.MP4 | X/0800R.MP4",
       {60, 60}},
      {"more than two seconds apart is no pair",
       {{"0800F.MP4", 0}, {"0800R.MP4", 3}}, "0800F.MP4 | 0800R.MP4", {60, 60}},
      {"recordings without facts pair with nothing and stand alone",
       {{"BAD1F.MP4", -1}, {"BAD1R.MP4", -1}, {"0800F.MP4", 0}, {"0800R.MP4", 0}},
       "BAD1F.MP4 | BAD1R.MP4 | 0800F.MP4+0800R.MP4",
       {0, 0, 60}},
      {"a card of rears only", {{"0800R.MP4", 0}, {"0801R.MP4", 60}}, "0800R.MP4 0801R.MP4", {120}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    MediaCatalog catalog;
    Build(catalog, c.recs);
    EXPECT_EQ(Describe(catalog), c.expected);
    EXPECT_EQ(DriveSeconds(catalog), c.driveSeconds);
    // Every entry belongs to the drive whose range holds it.
    for (const MediaGroup& g : catalog.Groups()) {
      EXPECT_EQ(g.fileSize, catalog.Entries()[g.firstEntry].info.fileSize * g.memberCount);
      for (int k = 0; k < g.memberCount; ++k)
        EXPECT_EQ(catalog.DriveOf(g.firstEntry + k), g.number);
    }
  }
}

TEST(Drives, PlaybackQueries) {
  FakeList list;
  MediaCatalog c;
  c.Attach(&list, &list, nullptr, nullptr, nullptr);
  Build(c, {{"0800F.MP4", 0}, {"0800R.MP4", 0}, {"0801R.MP4", 60}, {"0802F.MP4", 120},
            {"0830F.MP4", 1800}, {"0830R.MP4", 1801}});
  ASSERT_EQ(Describe(c), "0800F.MP4+0800R.MP4 0801R.MP4 0802F.MP4 | 0830F.MP4+0830R.MP4");
  EXPECT_EQ(c.Entries()[1].partner, 0);
  EXPECT_EQ(c.Entries()[2].camera, Camera::kRear);

  struct Row {
    int entry, companion;
    bool first;
    int drive, next, previous;
  };
  const Row rows[] = {
      {0, 1, true, 0, 2, -1},    {1, -1, false, 0, 2, -1},  {2, -1, true, 0, 3, 0},
      {3, -1, true, 0, -1, 2},   {4, 5, true, 1, -1, -1},   {5, -1, false, 1, -1, -1},
      {-1, -1, false, -1, -1, -1}, {6, -1, false, -1, -1, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.entry);
    EXPECT_EQ(c.CompanionOf(r.entry), r.companion);
    EXPECT_EQ(c.PlaysOnFirstChannel(r.entry), r.first);
    EXPECT_EQ(c.DriveOf(r.entry), r.drive);
    EXPECT_EQ(c.NextInDrive(r.entry), r.next);
    EXPECT_EQ(c.PreviousInDrive(r.entry), r.previous);
  }
  EXPECT_EQ(c.DriveRecordings(0), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(c.DriveRecordings(1), (std::vector<int>{4}));
  EXPECT_TRUE(c.DriveRecordings(2).empty());
  EXPECT_TRUE(c.DriveRecordings(-1).empty());

  // Auto-advance: on through the drive, then into the next one, then stop.
  ASSERT_EQ(c.Select(1), 1);  // a rear stays selected as itself
  EXPECT_EQ(c.CurrentIndex(), 1);
  EXPECT_EQ(c.NextIndex(), 2);
  ASSERT_EQ(c.Select(3), 1);
  EXPECT_EQ(c.NextIndex(), 4);
  ASSERT_EQ(c.Select(5), 1);
  EXPECT_EQ(c.CurrentGroup(), 1);
  EXPECT_EQ(c.NextIndex(), -1);
  ASSERT_EQ(c.SelectGroupFirst(1), 1);
  EXPECT_EQ(c.CurrentIndex(), 4);
  EXPECT_EQ(c.NextIndex(), -1);

  // The lists show the drives: length of the first channel, size of all.
  ASSERT_EQ(list.groupRows.size(), 2u);
  EXPECT_EQ(list.groupRows[0].durationMs, 180000u);
  EXPECT_EQ(list.groupRows[0].fileSize, 4000u);
  ASSERT_EQ(list.fileRows.size(), 6u);
  EXPECT_EQ(list.fileRows[2].name, "0801R.MP4");
  EXPECT_EQ(list.fileRows[2].indexInGroup, 2);
}
