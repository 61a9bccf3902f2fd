// The catalogue on recordings made by the generator and read by the real
// parsers, and the scan, kml and gpx commands of vantrel-cli.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "CatalogFakes.h"
#include "catalog/CatalogRows.h"
#include "catalog/FolderScan.h"
#include "catalog/MediaCatalog.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = std::string(VANTREL_BINARY_DIR) + "/cli/vantrel-cli";

int RunCommand(const std::string& command, std::string* out = nullptr) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
  const int status = ::pclose(pipe);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct JsonEntry {
  std::string name;
  std::string subPath;
  int groupStart = 0;
  long long startTime = 0;
};

// The "entries" array of `scan --json`, read with patterns (the members of
// an entry come in a fixed order).
std::vector<JsonEntry> ParseEntries(const std::string& json) {
  std::vector<JsonEntry> out;
  const std::size_t at = json.find("\"entries\":[");
  if (at == std::string::npos) return out;
  const std::regex entry(
      R"re(\{"name":"([^"]*)","subPath":"([^"]*)","flags":\d+,"groupStart":(\d),[^}]*?"startTime":(-?\d+))re");
  const std::string tail = json.substr(at);
  for (auto it = std::sregex_iterator(tail.begin(), tail.end(), entry); it != std::sregex_iterator();
       ++it) {
    out.push_back({(*it)[1], (*it)[2], std::stoi((*it)[3]), std::stoll((*it)[4])});
  }
  return out;
}

}  // namespace

TEST(CardScan, TwoHundredNestedRecordingsInStartTimeOrderAndGroups) {
  TempDir dir("card200");
  recgen::CardRecipe recipe;
  recipe.count = 200;
  recipe.nested = true;
  recipe.containers = {recgen::Container::kAvi};
  recipe.gapAfterEvery = 50;  // four drives of 50 one-minute recordings
  recipe.lockEvery = 9;
  std::string error;
  std::vector<fs::path> written;
  ASSERT_EQ(recgen::WriteCard(recipe, dir.path(), &written, &error), 1) << error;
  ASSERT_EQ(written.size(), 200u);
  WriteFile(dir.path() / "DCIM" / "Movie" / "NOTE0001.TXT", "not a recording");

  std::string out;
  ASSERT_EQ(RunCommand(kCli + " scan --json '" + dir.path().string() + "'", &out), 0) << out;
  const std::vector<JsonEntry> entries = ParseEntries(out);
  ASSERT_EQ(entries.size(), 200u) << out.substr(0, 2000);
  const long long first = entries[0].startTime;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const long long gaps = static_cast<long long>(i / 50) * 600;
    EXPECT_EQ(entries[i].startTime, first + static_cast<long long>(i) * 60 + gaps) << i;
    EXPECT_EQ(entries[i].groupStart, i % 50 == 0 ? 1 : 0) << i;
  }
  // Nested folders below the root, several levels deep.
  EXPECT_NE(entries[120].subPath.find("/B"), std::string::npos) << entries[120].subPath;

  const std::regex group(R"re(\{"number":(\d+),"first":(\d+),"count":(\d+),"durationMs":(\d+))re");
  std::vector<std::smatch> groups;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), group); it != std::sregex_iterator();
       ++it) {
    groups.push_back(*it);
  }
  ASSERT_EQ(groups.size(), 4u);
  for (int g = 0; g < 4; ++g) {
    EXPECT_EQ(std::stoi(groups[g][1]), g);
    EXPECT_EQ(std::stoi(groups[g][2]), g * 50);
    EXPECT_EQ(std::stoi(groups[g][3]), 50);
    EXPECT_EQ(std::stoll(groups[g][4]), 50LL * 60000);
  }

  // The text form shows the same rows the lists show.
  ASSERT_EQ(RunCommand(kCli + " scan '" + dir.path().string() + "'", &out), 0);
  EXPECT_NE(out.find("groups: 4\n"), std::string::npos);
  EXPECT_NE(out.find("files: 200\n"), std::string::npos);
  EXPECT_NE(out.find("\nG3-49\t"), std::string::npos);
  EXPECT_NE(out.find(" 3000 s "), std::string::npos);

  EXPECT_NE(RunCommand(kCli + " scan '" + dir.path().string() + "/missing'", &out), 0);
  EXPECT_NE(out.find("no such folder"), std::string::npos);
}

TEST(CardScan, FrontAndRearCamerasPairAndChainIntoDrives) {
  // Two drives of three minutes (AVI, MOV, data-track MP4), front files in
  // F folders and rear ones in R folders, every second minute locked (in
  // the event folders).
  TempDir dir("drives");
  recgen::CardRecipe recipe;
  recipe.count = 6;
  recipe.rear = true;
  recipe.containers = {recgen::Container::kAvi, recgen::Container::kMov,
                       recgen::Container::kMp4DataTrack};
  recipe.gapAfterEvery = 3;
  recipe.lockEvery = 2;
  std::string error;
  ASSERT_EQ(recgen::WriteCard(recipe, dir.path(), nullptr, &error), 1) << error;

  std::string out;
  ASSERT_EQ(RunCommand(kCli + " scan --json '" + dir.path().string() + "'", &out), 0) << out;
  const std::regex entry(
      R"re("name":"([^"]*)","subPath":"([^"]*)","flags":\d+,"groupStart":(\d),"group":(\d+),"camera":"(\w+)")re");
  std::vector<std::string> described;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), entry); it != std::sregex_iterator();
       ++it) {
    described.push_back((*it)[2].str() + (*it)[1].str() + " " + (*it)[3].str() + " " +
                        (*it)[4].str() + " " + (*it)[5].str());
  }
  EXPECT_EQ(described, (std::vector<std::string>{
                           "DCIM/Movie/F/AVI_0001F.AVI 1 0 front",
                           "DCIM/Movie/R/AVI_0001R.AVI 0 0 rear",
                           "DCIM/Event/F/MOVG0002F.MOV 0 0 front",
                           "DCIM/Event/R/MOVG0002R.MOV 0 0 rear",
                           "DCIM/Movie/F/VID_0003F.mp4 0 0 front",
                           "DCIM/Movie/R/VID_0003R.mp4 0 0 rear",
                           "DCIM/Event/F/AVIG0004F.AVI 1 1 front",
                           "DCIM/Event/R/AVIG0004R.AVI 0 1 rear",
                           "DCIM/Movie/F/MOV_0005F.MOV 0 1 front",
                           "DCIM/Movie/R/MOV_0005R.MOV 0 1 rear",
                           "DCIM/Event/F/VIDG0006F.mp4 0 1 front",
                           "DCIM/Event/R/VIDG0006R.mp4 0 1 rear",
                       }))
      << out.substr(0, 3000);
  // Each drive lasts its three front minutes and carries the lock of its
  // locked minute.
  EXPECT_NE(out.find(R"({"number":0,"first":0,"count":6,"durationMs":180000,)"), std::string::npos);
  EXPECT_NE(out.find(R"({"number":1,"first":6,"count":6,"durationMs":180000,)"), std::string::npos);

  ASSERT_EQ(RunCommand(kCli + " scan '" + dir.path().string() + "'", &out), 0);
  EXPECT_NE(out.find("groups: 2\n"), std::string::npos);
  EXPECT_NE(out.find("\nG1-5\tVIDG0006R.mp4\t"), std::string::npos) << out;
  EXPECT_NE(out.find("\trear\n"), std::string::npos);
}

TEST(CardScan, EveryContainerThroughItsParserAndTelemetry) {
  TempDir dir("mixed");
  recgen::RouteProfile profile;
  profile.start = {2024, 5, 17, 8, 30, 0};
  profile.count = 30;
  recgen::RecordingRecipe recipe;
  recipe.route = recgen::MakeRoute(profile);
  recipe.gsensor = recgen::MakeGSensorSeries(30, 10, 8);
  recipe.durationMs = 30000;
  struct Case {
    recgen::Container container;
    const char* name;
  };
  const Case cases[] = {{recgen::Container::kMov, "MOV_0001F.MOV"},
                        {recgen::Container::kAvi, "AVI_0002F.AVI"},
                        {recgen::Container::kThreeGp, "3GP_0003F.3GP"},
                        {recgen::Container::kMp4Boxes, "MP4_0004F.MP4"},
                        {recgen::Container::kMp4DataTrack, "VID_0005F.mp4"}};
  fs::create_directories(dir.path() / "DCIM");
  for (const Case& c : cases) {
    recipe.container = c.container;
    std::string error;
    ASSERT_EQ(recgen::WriteRecording(recipe, dir.path() / "DCIM" / c.name, nullptr, &error), 1)
        << c.name << ": " << error;
  }
  FakeMap map;
  FakeGSensor gsensor;
  MediaCatalog catalog;
  catalog.Attach(nullptr, nullptr, &gsensor, &map, nullptr);
  ASSERT_EQ(catalog.Load(dir.str(), ""), 1);
  ASSERT_EQ(catalog.EntryCount(), 5);
  for (int i = 0; i < catalog.EntryCount(); ++i) {
    const MediaEntry& e = catalog.Entries()[i];
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.subPath, "DCIM/");
    EXPECT_EQ(e.info.width, 1920);
    EXPECT_NE(e.info.startTime, 0);
    map.scripts.clear();
    ASSERT_EQ(catalog.LoadTelemetry(i), 1);
    EXPECT_EQ(map.scripts.size(), 2u + 30u);
    EXPECT_EQ(catalog.SyncToTime(10500, true), 1);
  }
}

TEST(CardScan, SingleFileParserFollowsTheExtensionCase) {
  TempDir dir("single-case");
  recgen::RouteProfile profile;
  profile.count = 10;
  recgen::RecordingRecipe recipe;
  recipe.route = recgen::MakeRoute(profile);
  recipe.durationMs = 10000;
  recipe.container = recgen::Container::kMp4DataTrack;
  ASSERT_EQ(recgen::WriteRecording(recipe, dir.path() / "X.mp4"), 1);
  fs::copy_file(dir.path() / "X.mp4", dir.path() / "X.MP4");
  recipe.container = recgen::Container::kAvi;
  ASSERT_EQ(recgen::WriteRecording(recipe, dir.path() / "X.AVI"), 1);
  fs::copy_file(dir.path() / "X.AVI", dir.path() / "X.avi");

  MediaCatalog c;
  ASSERT_EQ(c.Load(dir.str(), "X.mp4"), 1);
  EXPECT_EQ(c.Entries()[0].info.trackFixCount, 10u);  // data-track reader
  ASSERT_EQ(c.Load(dir.str(), "X.MP4"), 1);
  EXPECT_EQ(c.Entries()[0].info.trackFixCount, 0u);  // box reader
  ASSERT_EQ(c.Load(dir.str(), "X.AVI"), 1);
  EXPECT_NE(c.Entries()[0].info.durationMs, 0u);
  EXPECT_NE(c.Entries()[0].info.length, 0);
  ASSERT_EQ(c.Load(dir.str(), "X.avi"), 1);
  EXPECT_NE(c.Entries()[0].info.durationMs, 0u);  // any case of .avi: the AVI reader
  EXPECT_EQ(c.UnreadableCount(), 0);
}

// A file under a recording's name that no parser reads is listed after the
// recordings, without times, and counted; it is never a drive of 1970.
TEST(CardScan, UnreadableFilesAreCountedAndListedLastWithoutTimes) {
  TempDir dir("unreadable");
  recgen::RouteProfile profile;
  profile.count = 10;
  recgen::RecordingRecipe recipe;
  recipe.container = recgen::Container::kAvi;
  recipe.route = recgen::MakeRoute(profile);
  ASSERT_EQ(recgen::WriteRecording(recipe, dir.path() / "AVI_0009F.AVI"), 1);
  WriteFile(dir.path() / "MOV_0001F.MOV", "not a recording");
  WriteFile(dir.path() / "AVI_0002F.avi", "RIFF but not much else");
  FakeList list;
  MediaCatalog c;
  c.Attach(&list, &list, nullptr, nullptr, nullptr);
  ASSERT_EQ(c.Load(dir.str(), ""), 1);
  ASSERT_EQ(c.EntryCount(), 3);
  EXPECT_EQ(c.UnreadableCount(), 2);
  const char* const order[] = {"AVI_0009F.AVI", "AVI_0002F.avi", "MOV_0001F.MOV"};
  ASSERT_EQ(list.fileRows.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(c.Entries()[i].name, order[i]);
    EXPECT_EQ(c.Entries()[i].unreadable, i > 0);
    EXPECT_EQ(FileRowCells(list.fileRows[i])[2].empty(), i > 0) << order[i];
  }
  EXPECT_EQ(GroupRowCells(list.groupRows.back())[2], "");
  EXPECT_EQ(list.fileRows[2].fileSize, 15u);  // its size is still shown

  // Nothing to list, and nothing there at all.
  TempDir empty("empty");
  ASSERT_EQ(c.Load(empty.str(), ""), 1);
  EXPECT_TRUE(c.Empty());
  EXPECT_EQ(c.Load(empty.str() + "gone/", ""), 0);
}

// The background scan read in batches, each listed at once, ends with the
// catalogue and the rows Load makes of the same card; a cancelled one
// stops early and hands nothing over.
TEST(CardScan, BackgroundScanInBatchesEndsAsLoadAndStopsWhenCancelled) {
  TempDir dir("batches");
  recgen::CardRecipe recipe;
  recipe.count = 60;
  recipe.rear = true;
  recipe.nested = true;
  recipe.gapAfterEvery = 7;
  recipe.containers = {recgen::Container::kAvi, recgen::Container::kMov};
  ASSERT_EQ(recgen::WriteCard(recipe, dir.path()), 1);
  WriteFile(dir.path() / "DCIM" / "MOV_0999F.MOV", "not a recording");

  FakeList loadedRows;
  MediaCatalog loaded;
  loaded.Attach(&loadedRows, &loadedRows, nullptr, nullptr, nullptr);
  ASSERT_EQ(loaded.Load(dir.str(), ""), 1);
  ASSERT_EQ(loaded.EntryCount(), 121);

  FakeList rows;
  MediaCatalog scanned;
  scanned.Attach(&rows, &rows, nullptr, nullptr, nullptr);
  scanned.BeginScan();
  FolderScan scan(dir.str());
  int batches = 0;
  for (bool last = false; !last;) {
    last = scan.Finished();
    std::vector<MediaEntry> batch = scan.TakeBatch();
    if (batch.empty()) {
      std::this_thread::yield();
      continue;
    }
    ++batches;
    scanned.AddScanned(std::move(batch));
    // What is listed is what the catalogue holds so far, once.
    EXPECT_EQ(rows.fileRows.size(), static_cast<std::size_t>(scanned.EntryCount()));
  }
  EXPECT_TRUE(scan.FolderExists());
  EXPECT_EQ(scan.Found(), 121);
  EXPECT_GE(batches, 1);
  ASSERT_EQ(scanned.EntryCount(), loaded.EntryCount());
  for (int i = 0; i < loaded.EntryCount(); ++i) {
    EXPECT_EQ(scanned.PathOf(i), loaded.PathOf(i)) << i;
    EXPECT_EQ(scanned.CompanionOf(i), loaded.CompanionOf(i)) << i;
    EXPECT_EQ(scanned.DriveOf(i), loaded.DriveOf(i)) << i;
    EXPECT_EQ(FileRowCells(rows.fileRows[i]), FileRowCells(loadedRows.fileRows[i])) << i;
  }
  ASSERT_EQ(rows.groupRows.size(), loadedRows.groupRows.size());
  for (std::size_t g = 0; g < rows.groupRows.size(); ++g)
    EXPECT_EQ(GroupRowCells(rows.groupRows[g]), GroupRowCells(loadedRows.groupRows[g])) << g;
  // A row listed before the drives are known has no ID yet.
  EXPECT_EQ(FileRowCells(MediaCatalog::FileRowOf(loaded.Entries()[0], -1, 0))[0], "");

  FolderScan cancelled(dir.str());
  cancelled.Cancel();
  EXPECT_LT(cancelled.Found(), 121);
  EXPECT_TRUE(cancelled.TakeBatch().empty());

  FolderScan missing(dir.str() + "gone/");
  while (!missing.Finished()) std::this_thread::yield();
  EXPECT_FALSE(missing.FolderExists());
  EXPECT_TRUE(missing.TakeBatch().empty());
}

TEST(CardScan, KmlAndGpxCommands) {
  TempDir dir("cli-export");
  recgen::RouteProfile profile;
  profile.start = {2024, 5, 17, 8, 30, 0};
  profile.count = 20;
  recgen::RecordingRecipe recipe;
  recipe.route = recgen::MakeRoute(profile);
  recipe.durationMs = 20000;
  recipe.container = recgen::Container::kMp4DataTrack;
  const fs::path rec = dir.path() / "VID_0001F.mp4";
  ASSERT_EQ(recgen::WriteRecording(recipe, rec), 1);
  recipe.route.clear();
  recipe.container = recgen::Container::kMov;
  const fs::path noFix = dir.path() / "MOV_0002F.MOV";
  ASSERT_EQ(recgen::WriteRecording(recipe, noFix), 1);

  const std::string out = dir.str() + "out";
  std::string text;
  ASSERT_EQ(RunCommand(kCli + " kml '" + rec.string() + "' --out '" + out + "'", &text), 0) << text;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  EXPECT_TRUE(fs::exists(text)) << text;
  EXPECT_NE(text.find("VID_0001F_2024_05_17_"), std::string::npos);
  EXPECT_EQ(RunCommand("xmllint --noout '" + text + "'"), 0);

  ASSERT_EQ(RunCommand(kCli + " gpx '" + rec.string() + "' --out '" + out + "'", &text), 0) << text;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  EXPECT_EQ(fs::path(text).extension(), ".GPX");
  std::string ogr;
  ASSERT_EQ(RunCommand("ogrinfo -ro -so '" + text + "' track_points", &ogr), 0) << ogr;
  EXPECT_NE(ogr.find("Feature Count: 20"), std::string::npos) << ogr;

  const auto before = std::distance(fs::directory_iterator(out), fs::directory_iterator());
  EXPECT_EQ(RunCommand(kCli + " kml '" + noFix.string() + "' --out '" + out + "'", &text), 1);
  EXPECT_NE(text.find("no valid GPS fixes"), std::string::npos) << text;
  EXPECT_EQ(RunCommand(kCli + " gpx '" + dir.str() + "NONE0001.MOV' --out '" + out + "'", &text), 1);
  EXPECT_NE(text.find("no such file"), std::string::npos) << text;
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), before);
  EXPECT_EQ(RunCommand(kCli + " kml", &text), 2);
}

namespace {

// The coordinate lines of a KML document, and how many lines it has.
std::vector<std::string> KmlCoordinates(const fs::path& file, int* lines = nullptr) {
  std::ifstream in(file);
  std::vector<std::string> out;
  std::string line;
  int count = 0;
  const std::regex coordinate(R"(^-?\d+\.\d{6},-?\d+\.\d{6},-?\d+$)");
  while (std::getline(in, line)) {
    if (line == "      <LineString>") ++count;
    if (std::regex_match(line, coordinate)) out.push_back(line);
  }
  if (lines) *lines = count;
  return out;
}

}  // namespace

// A whole drive from a folder: the recordings' routes one after another in
// one line (they follow on), as the per-file documents have them.
TEST(CardScan, RouteOfADriveThroughTheCommandLine) {
  TempDir dir("driveroute");
  recgen::CardRecipe recipe;
  recipe.count = 4;
  recipe.gapAfterEvery = 2;
  std::vector<fs::path> written;
  std::string error, out;
  ASSERT_EQ(recgen::WriteCard(recipe, dir.path() / "card", &written, &error), 1) << error;
  ASSERT_EQ(written.size(), 4u);
  const std::string card = "'" + (dir.path() / "card").string() + "'";
  const std::string outDir = " --out '" + (dir.path() / "out").string() + "'";

  std::vector<std::string> expected;
  for (int i : {2, 3}) {
    ASSERT_EQ(RunCommand(kCli + " kml '" + written[i].string() + "'" + outDir, &out), 0) << out;
    const std::vector<std::string> part = KmlCoordinates(out.substr(0, out.find('\n')));
    ASSERT_FALSE(part.empty());
    expected.insert(expected.end(), part.begin(), part.end());
  }
  ASSERT_EQ(RunCommand(kCli + " kml " + card + " --drive 1" + outDir, &out), 0) << out;
  int lines = 0;
  EXPECT_EQ(KmlCoordinates(out.substr(0, out.find('\n')), &lines), expected);
  EXPECT_EQ(lines, 1);

  ASSERT_EQ(RunCommand(kCli + " gpx " + card + " --drive 1" + outDir, &out), 0) << out;
  std::ifstream gpx(out.substr(0, out.find('\n')));
  const std::string text((std::istreambuf_iterator<char>(gpx)), std::istreambuf_iterator<char>());
  std::size_t points = 0;
  for (std::size_t at = text.find("<trkpt "); at != std::string::npos; at = text.find("<trkpt ", at + 1))
    ++points;
  EXPECT_EQ(points, expected.size());

  // Wrong uses: a folder without a drive, a file with one, a bad number,
  // a drive that does not exist.
  const std::pair<std::string, int> uses[] = {
      {" kml " + card, 2},
      {" kml '" + written[0].string() + "' --drive 0", 2},
      {" gpx " + card + " --drive x", 2},
      {" gpx " + card + " --drive 7", 1},
  };
  for (const auto& [args, status] : uses) EXPECT_EQ(RunCommand(kCli + args + outDir, &out), status) << args << out;
}
