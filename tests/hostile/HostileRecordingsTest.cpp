// Damaged and hostile recordings, made from generated ones: every cut,
// every odd size field, payloads that do not fit, dates and coordinates
// that make no sense. Each gives -1 or facts the catalogue can use, and
// the catalogue, the map calls and the KML export stay sound.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "HostileSupport.h"

using namespace hostile;
using recgen::Container;
using recgen::Placement;

namespace {

constexpr std::uint32_t kOddSizes[] = {0, 1, 7, 0xFFFFFFFFu};

Bytes Cut(const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<long>(n)); }

const Node* Find(const std::vector<Node>& nodes, const std::string& type) {
  for (const Node& n : nodes)
    if (n.type == type) return &n;
  return nullptr;
}

struct BoxCase {
  Container container;
  Placement placement;
  const char* name;
};

const BoxCase kBoxCases[] = {
    {Container::kMov, Placement::kTopLevel, "MOV_0001F.MOV"},
    {Container::kMov, Placement::kInsideMoov, "MOV_0002F.MOV"},
    {Container::kMp4Boxes, Placement::kTopLevel, "MP4_0003F.MP4"},
    {Container::kThreeGp, Placement::kInsideMoov, "3GP_0004F.3GP"},
};

}  // namespace

TEST(HostileBoxFiles, CutAtEveryByteGivesCleanResults) {
  TempDir dir;
  for (const BoxCase& c : kBoxCases) {
    SCOPED_TRACE(c.name);
    const Bytes whole = recgen::BuildSyntheticRecording(ShortDrive(c.container, c.placement));
    const std::vector<Node> nodes = WalkBoxes(whole);
    const Node* moov = Find(nodes, "moov");
    ASSERT_NE(moov, nullptr);
    for (std::size_t n = 0; n <= whole.size(); ++n) {
      WriteFile(dir / c.name, Cut(whole, n));
      const ParseOutcome p = ParseClean(dir / c.name);
      // Once the movie box is whole, a cut only loses telemetry.
      if (n >= moov->end) {
        EXPECT_EQ(p.result, 0) << "cut at " << n;
      }
    }
  }
}

TEST(HostileBoxFiles, CutAtBoxBoundariesThroughTheCatalogue) {
  TempDir dir;
  TempDir out;
  for (const BoxCase& c : kBoxCases) {
    SCOPED_TRACE(c.name);
    const Bytes whole = recgen::BuildSyntheticRecording(ShortDrive(c.container, c.placement));
    for (const Node& node : WalkBoxes(whole)) {
      for (const std::uint64_t at : {node.start, node.start + 4, node.start + 8, node.end - 1}) {
        if (at > whole.size()) continue;
        WriteFile(dir / c.name, Cut(whole, at));
        ParseClean(dir / c.name);
        const CatalogueOutcome r = RunCatalogue(dir.Folder(), c.name, out.Folder());
        EXPECT_EQ(r.added, 1);
        // Fixes come only from records that are wholly in the file.
        EXPECT_LE(r.fixes * 32, at);
      }
    }
  }
}

TEST(HostileBoxFiles, SizeFieldsOfZeroOneSevenAndAllOnes) {
  TempDir dir;
  TempDir out;
  for (const BoxCase& c : kBoxCases) {
    SCOPED_TRACE(c.name);
    const Bytes whole = recgen::BuildSyntheticRecording(ShortDrive(c.container, c.placement));
    for (const Node& node : WalkBoxes(whole)) {
      for (const std::uint32_t size : kOddSizes) {
        SCOPED_TRACE(node.type + " at " + std::to_string(node.start) + " size " + std::to_string(size));
        Bytes b = whole;
        PutU32Be(b, node.sizeField, size);
        WriteFile(dir / c.name, b);
        const ParseOutcome p = ParseClean(dir / c.name);
        if (p.result == 0) {
          EXPECT_EQ(p.info.fileSize, b.size());
        }
        RunCatalogue(dir.Folder(), c.name, out.Folder());
      }
    }
  }
}

TEST(HostileBoxFiles, BoxesNestedDeeperAndLargerThanTheFile) {
  TempDir dir;
  const Bytes ftyp = recgen::Box("ftyp", Bytes{'q', 't', ' ', ' ', 0, 0, 0, 0});
  // Each level claims more than its parent and than the whole file.
  Bytes chain;
  for (const char* type : {"moov", "trak", "mdia", "minf", "stbl", "stsd"}) {
    const Bytes header = {0x7F, 0xFF, 0xFF, 0xF0, static_cast<std::uint8_t>(type[0]),
                          static_cast<std::uint8_t>(type[1]), static_cast<std::uint8_t>(type[2]),
                          static_cast<std::uint8_t>(type[3])};
    chain.insert(chain.end(), header.begin(), header.end());
  }
  WriteFile(dir / "MOV_0001F.MOV", recgen::Concat({ftyp, chain}));
  EXPECT_EQ(ParseClean(dir / "MOV_0001F.MOV").result, -1);

  // A hundred thousand levels of track boxes, each running to the end.
  Bytes deep = ftyp;
  const std::size_t levels = 100000;
  for (std::size_t i = 0; i < levels; ++i) {
    const auto size = static_cast<std::uint32_t>(8 * (levels - i));
    Bytes h(8);
    PutU32Be(h, 0, size);
    const char* type = i == 0 ? "moov" : "trak";
    for (int k = 0; k < 4; ++k) h[4 + k] = static_cast<std::uint8_t>(type[k]);
    deep.insert(deep.end(), h.begin(), h.end());
  }
  WriteFile(dir / "MOV_0002F.MOV", deep);
  EXPECT_EQ(ParseClean(dir / "MOV_0002F.MOV").result, -1);
}

// The G-sensor and GPS payload sizes as a camera with a firmware fault
// might write them: not whole records.
TEST(HostileBoxFiles, GpsPayloadsThatAreNotWholeRecords) {
  TempDir dir;
  TempDir out;
  for (const Container container : {Container::kMov, Container::kAvi}) {
    for (const std::size_t extra : {1u, 7u, 31u}) {
      for (const int records : {0, 1, 3}) {
        SCOPED_TRACE(std::to_string(records) + " records + " + std::to_string(extra) + " bytes");
        recgen::RecordingRecipe recipe = ShortDrive(container, Placement::kTopLevel, 3);
        recipe.payloads = recgen::kPayloadGps | recgen::kPayloadGpsAttr | recgen::kPayloadGSensor;
        recipe.route.resize(records);
        Bytes b = recgen::BuildSyntheticRecording(recipe);
        // Grow the payload by `extra` bytes of noise at its end.
        std::vector<Node> nodes =
            container == Container::kAvi ? WalkChunks(b) : WalkBoxes(b);
        const Node* gps = Find(nodes, "gps0");
        if (records == 0 && !gps) continue;  // an empty route writes no payload
        ASSERT_NE(gps, nullptr);
        const std::uint64_t end = gps->end;
        b.insert(b.begin() + static_cast<long>(end), extra, 0xEE);
        const std::uint32_t payload = static_cast<std::uint32_t>(records * 32 + extra);
        if (container == Container::kAvi)
          PutU32Le(b, gps->sizeField, payload);
        else
          PutU32Be(b, gps->sizeField, payload + 8);
        const std::string name = container == Container::kAvi ? "AVI_0001F.AVI" : "MOV_0001F.MOV";
        WriteFile(dir / name, b);
        const ParseOutcome p = ParseClean(dir / name);
        const CatalogueOutcome r = RunCatalogue(dir.Folder(), name, out.Folder());
        if (p.result != 0) continue;
        EXPECT_EQ(p.info.gpsSize, payload);
        EXPECT_EQ(r.fixes, static_cast<std::size_t>(records));
      }
    }
  }
}

TEST(HostileBoxFiles, DatesOutOfRangeGiveNoStartTime) {
  TempDir dir;
  struct Bad {
    int year, month, day, hour, minute, second;
  };
  // (A day past the month's end is carried into the next month, so it is
  // not among them.)
  const Bad bad[] = {{24, 0, 1, 0, 0, 0},  {24, 13, 1, 0, 0, 0}, {24, 1, 0, 0, 0, 0},
                     {24, 1, 32, 0, 0, 0}, {24, 1, 1, 24, 0, 0}, {24, 1, 1, 0, 60, 0},
                     {24, 1, 1, 0, 0, 61}, {0, 1, 1, 0, 0, 0},   {255, 255, 255, 255, 255, 255}};
  const char* const texts[] = {"0000-00-00 00:00:00", "2024-13-01 00:00:00", "2024-01-32 10:00:00",
                               "2024-01-01 25:00:00", "-2024-01-01 00:00:00", "garbage",
                               "99999999999999999999-01-01 00:00:00", ""};
  for (const Container container : {Container::kMov, Container::kAvi}) {
    const std::string name = container == Container::kAvi ? "AVI_0001F.AVI" : "MOV_0001F.MOV";
    for (const Bad& d : bad) {
      for (const char* text : texts) {
        SCOPED_TRACE(name + " " + std::to_string(d.year) + "-" + std::to_string(d.month) + "-" +
                     std::to_string(d.day) + " '" + text + "'");
        recgen::RecordingRecipe recipe = ShortDrive(container, Placement::kTopLevel, 2);
        for (GpsFix& f : recipe.route) {
          f.year = static_cast<std::uint8_t>(d.year);
          f.month = static_cast<std::uint8_t>(d.month);
          f.day = static_cast<std::uint8_t>(d.day);
          f.hour = static_cast<std::uint8_t>(d.hour);
          f.minute = static_cast<std::uint8_t>(d.minute);
          f.second = static_cast<std::uint8_t>(d.second);
        }
        recipe.idit = text;
        if (recipe.idit.empty()) recipe.payloads &= ~recgen::kPayloadIdit;
        WriteFile(dir / name, recgen::BuildSyntheticRecording(recipe));
        const ParseOutcome p = ParseClean(dir / name);
        ASSERT_EQ(p.result, 0);
        EXPECT_EQ(p.info.startTime, 0);
      }
    }
  }
}

TEST(HostileBoxFiles, CoordinatesThatAreNotNumbersStayOffTheMapAndOutOfKml) {
  TempDir dir;
  TempDir out;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {nan, -nan, inf, -inf, 1e308, -1e308,
                           std::numeric_limits<double>::denorm_min()};
  for (const Container container : {Container::kMov, Container::kAvi}) {
    const std::string name = container == Container::kAvi ? "AVI_0001F.AVI" : "MOV_0001F.MOV";
    recgen::RecordingRecipe recipe = ShortDrive(container, Placement::kTopLevel, 2 * 7 + 1);
    // One good fix, then each odd value as latitude and as longitude.
    for (std::size_t i = 0; i < std::size(values); ++i) {
      recipe.route[1 + 2 * i].latitude = values[i];
      recipe.route[2 + 2 * i].longitude = values[i];
    }
    WriteFile(dir / name, recgen::BuildSyntheticRecording(recipe));
    ASSERT_EQ(ParseClean(dir / name).result, 0);
    const CatalogueOutcome r = RunCatalogue(dir.Folder(), name, out.Folder());
    EXPECT_EQ(r.fixes, recipe.route.size());
    EXPECT_TRUE(r.kmlWritten);
  }
}

TEST(HostileAviFiles, CutAtEveryByteAndChunkBoundary) {
  TempDir dir;
  TempDir out;
  for (const Placement placement : {Placement::kBeforeMovi, Placement::kAfterMovi}) {
    const Bytes whole = recgen::BuildSyntheticRecording(ShortDrive(Container::kAvi, placement));
    for (std::size_t n = 0; n <= whole.size(); ++n) {
      WriteFile(dir / "AVI_0001F.AVI", Cut(whole, n));
      ParseClean(dir / "AVI_0001F.AVI");
    }
    for (const Node& node : WalkChunks(whole)) {
      for (const std::uint64_t at : {node.start, node.start + 4, node.start + 8, node.end - 1}) {
        if (at > whole.size()) continue;
        WriteFile(dir / "AVI_0001F.AVI", Cut(whole, at));
        const CatalogueOutcome r = RunCatalogue(dir.Folder(), "AVI_0001F.AVI", out.Folder());
        EXPECT_EQ(r.added, 1);
        EXPECT_LE(r.fixes * 32, at);
      }
    }
  }
}

TEST(HostileAviFiles, SizeFieldsOfZeroOneSevenAndAllOnes) {
  TempDir dir;
  TempDir out;
  for (const Placement placement : {Placement::kBeforeMovi, Placement::kAfterMovi}) {
    const Bytes whole = recgen::BuildSyntheticRecording(ShortDrive(Container::kAvi, placement));
    for (const Node& node : WalkChunks(whole)) {
      for (const std::uint32_t size : kOddSizes) {
        SCOPED_TRACE(node.type + " at " + std::to_string(node.start) + " size " + std::to_string(size));
        Bytes b = whole;
        PutU32Le(b, node.sizeField, size);
        WriteFile(dir / "AVI_0001F.AVI", b);
        ParseClean(dir / "AVI_0001F.AVI");
        RunCatalogue(dir.Folder(), "AVI_0001F.AVI", out.Folder());
      }
    }
  }
}

TEST(HostileAviFiles, MoviListClaimingMoreThanTheFileGivesNoFacts) {
  TempDir dir;
  TempDir out;
  const Bytes whole =
      recgen::BuildSyntheticRecording(ShortDrive(Container::kAvi, Placement::kBeforeMovi));
  std::vector<Node> nodes = WalkChunks(whole);
  const Node* movi = nullptr;
  for (const Node& n : nodes)
    if (n.type == "LIST" && std::string(whole.begin() + n.start + 8, whole.begin() + n.start + 12) == "movi")
      movi = &n;
  ASSERT_NE(movi, nullptr);
  const std::uint32_t honest = static_cast<std::uint32_t>(movi->end - movi->start - 8);
  const std::uint32_t beyond = static_cast<std::uint32_t>(whole.size() - movi->start);
  for (const std::uint32_t size : {beyond, beyond + 1000, 0x7FFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    ASSERT_GT(size, honest);
    Bytes b = whole;
    PutU32Le(b, movi->sizeField, size);
    WriteFile(dir / "AVI_0001F.AVI", b);
    EXPECT_EQ(ParseClean(dir / "AVI_0001F.AVI").result, -1);
    const CatalogueOutcome r = RunCatalogue(dir.Folder(), "AVI_0001F.AVI", out.Folder());
    ASSERT_EQ(r.added, 1);
    EXPECT_EQ(r.info.width, 0);
    EXPECT_EQ(r.info.durationMs, 0u);
    EXPECT_EQ(r.info.gpsSize, 0u);
  }
}

TEST(HostileMp4Files, DamagedDataTrackRecordingsThroughLibavformat) {
  TempDir dir;
  TempDir out;
  recgen::RecordingRecipe recipe = ShortDrive(Container::kMp4DataTrack, Placement::kTopLevel, 3);
  recipe.width = 64;
  recipe.height = 48;
  std::string error;
  if (!recgen::WriteRecording(recipe, dir / "whole.mp4", nullptr, &error))
    GTEST_SKIP() << "no data-track recording: " << error;
  const Bytes whole = ReadFile(dir / "whole.mp4");
  const std::string name = "VID_0001F.mp4";

  // Cuts spread over the file and at every top-level box boundary.
  std::vector<std::size_t> cuts;
  for (std::size_t n = 0; n <= whole.size(); n += whole.size() / 40 + 1) cuts.push_back(n);
  const std::vector<Node> nodes = WalkBoxes(whole);
  for (const Node& node : nodes) cuts.insert(cuts.end(), {node.start, node.start + 8});
  for (const std::size_t n : cuts) {
    if (n > whole.size()) continue;
    SCOPED_TRACE("cut at " + std::to_string(n));
    WriteFile(dir / name, Cut(whole, n));
    ParseClean(dir / name);
    EXPECT_EQ(RunCatalogue(dir.Folder(), name, out.Folder()).added, 1);
  }
  for (const Node& node : nodes) {
    if (node.depth > 2) continue;
    for (const std::uint32_t size : kOddSizes) {
      SCOPED_TRACE(node.type + " at " + std::to_string(node.start) + " size " + std::to_string(size));
      Bytes b = whole;
      PutU32Be(b, node.sizeField, size);
      WriteFile(dir / name, b);
      ParseClean(dir / name);
      RunCatalogue(dir.Folder(), name, out.Folder());
    }
  }
}
