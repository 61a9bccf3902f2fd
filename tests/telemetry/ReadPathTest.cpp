// The player (catalogue) and the command line read a recording's telemetry
// alike, also when its payloads are cut off by the end of the file, do not
// hold whole records, or are empty; and a further telemetry source is asked
// only when the parser's own layout holds nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ParserTestSupport.h"
#include "catalog/CatalogSinks.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetrySeries.h"

using namespace testing_support;

namespace {

const std::string kCli = std::string(VANTREL_BINARY_DIR) + "/cli/vantrel-cli";

// Counts what the catalogue hands the chart.
class CountingGSensor : public IGSensorSink {
 public:
  void ClearSamples() override { count = 0; }
  void Refresh() override {}
  void SetRange(double, double) override {}
  void SetSamples(const GSensorSample*, int n, const std::vector<GSensorWideSample>& wide) override {
    count = wide.empty() ? static_cast<std::size_t>(n) : wide.size();
  }
  void UpdateSpan() override {}
  void SetSampleRate(double) override {}
  void SetTimeScale(double) override {}
  void SetSpanMode(int) override {}
  void SetInactive(bool) override {}
  void SetPosition(std::int32_t) override {}
  std::size_t count = 0;
};

enum class Edit { kNone, kCutAfter, kPayloadSize };

struct Case {
  const char* name;
  recgen::Container container;
  unsigned payloads;
  int fixes;    // in the recipe
  int samples;  // in the recipe
  Edit edit;
  bool onGps;           // the edit applies to the GPS payload, else the G-sensor one
  std::uint32_t bytes;  // kCutAfter: file ends this far into the payload; kPayloadSize: new size
  std::size_t wantFixes;
  std::size_t wantSamples;
  bool wantCutOff;
};

void PutSize(const std::filesystem::path& file, std::uint64_t at, std::uint32_t size, bool bigEndian) {
  unsigned char b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(size >> (8 * (bigEndian ? 3 - i : i)));
  std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(at));
  f.write(reinterpret_cast<const char*>(b), 4);
}

std::filesystem::path MakeCase(const TempDir& dir, const Case& c) {
  recgen::RecordingRecipe recipe;
  recipe.container = c.container;
  recipe.payloads = c.payloads;
  recipe.route = TestRoute(c.fixes);
  recipe.gsensor = recgen::MakeGSensorSeries(c.samples, 1, 8);
  const bool avi = c.container == recgen::Container::kAvi;
  recgen::RecordingLayout layout;
  const auto path = WriteRec(dir / (std::string("FILE0001") + (avi ? ".AVI" : ".MOV")), recipe, &layout);
  const std::uint64_t offset = c.onGps ? layout.gpsOffset : layout.gsensorOffset;
  if (c.edit == Edit::kCutAfter) std::filesystem::resize_file(path, offset + c.bytes);
  // The size field sits right before the payload (boxes: size then type).
  if (c.edit == Edit::kPayloadSize) {
    if (avi) PutSize(path, offset - 4, c.bytes, false);
    else PutSize(path, offset - 8, 8 + c.bytes, true);
  }
  return path;
}

std::size_t CountLines(const std::string& text) {
  std::size_t n = 0;
  for (const char ch : text) n += ch == '\n';
  return n;
}

}  // namespace

TEST(TelemetryReadPath, CatalogueAndCommandLineAgree) {
  using recgen::Container;
  const unsigned gps = recgen::kPayloadGps, gsen = recgen::kPayloadGSensor;
  const Case cases[] = {
      {"complete", Container::kMov, gps | gsen, 10, 30, Edit::kNone, true, 0, 10, 30, false},
      {"box gps cut off", Container::kMov, gps, 10, 0, Edit::kCutAfter, true, 6 * 32 + 5, 6, 0, true},
      {"box gsensor cut off", Container::kMov, gsen, 0, 30, Edit::kCutAfter, false, 7 * 3 + 2, 0, 7, true},
      {"avi gps cut off", Container::kAvi, gps, 10, 0, Edit::kCutAfter, true, 3 * 32 + 31, 3, 0, true},
      {"box gps odd size", Container::kMov, gps, 10, 0, Edit::kPayloadSize, true, 4 * 32 + 7, 4, 0, false},
      {"avi gsensor odd size", Container::kAvi, gsen, 0, 30, Edit::kPayloadSize, false, 7 * 3 + 2, 0, 7, false},
      {"box empty payloads", Container::kMov, gps | gsen, 0, 0, Edit::kNone, true, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir("readpath");
    const auto path = MakeCase(dir, c);

    CountingGSensor chart;
    MediaCatalog catalog;
    catalog.Attach(nullptr, nullptr, &chart, nullptr, nullptr);
    ASSERT_EQ(catalog.AddFile(dir.path().string(), path.filename().string()), 1);
    ASSERT_NE(catalog.Entries()[0].info.width, 0) << "the parse failed";
    ASSERT_EQ(catalog.LoadTelemetry(0), 1);
    EXPECT_EQ(catalog.LoadedFixes().size(), c.wantFixes);
    EXPECT_EQ(chart.count, c.wantSamples);

    int status = -1;
    const std::string csv = RunCommand(kCli + " fixes '" + path.string() + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(CountLines(csv), c.wantFixes + 1) << csv;  // with the header line
    const std::string json = RunCommand(kCli + " info --json '" + path.string() + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(json.find("\"gpsFixCount\":" + std::to_string(c.wantFixes) + ","), std::string::npos) << json;
    EXPECT_NE(json.find("\"gsensorSampleCount\":" + std::to_string(c.wantSamples) + ","),
              std::string::npos) << json;
    EXPECT_NE(json.find(std::string("\"status\":\"ok\",\"error\":\"\",\"cutOff\":") +
                        (c.wantCutOff ? "true" : "false")),
              std::string::npos) << json;
  }
}

// A stand-in for a further reader: it reads one fix whenever it is asked.
int g_sourceReads = 0;
const TelemetrySource kOneFixSource[] = {{
    "one-fix",
    [](ByteReader&, const std::filesystem::path&, const MediaInfo&) { return true; },
    [](ByteReader&, const std::filesystem::path&, const MediaInfo&, TelemetrySeries& out) {
      ++g_sourceReads;
      out.fixes.resize(1);
      return true;
    },
}};

TEST(TelemetryReadPath, FurtherSourcesOnlyWhenTheParserFoundNothing) {
  TempDir dir("sources");
  recgen::RecordingRecipe recipe;
  recipe.route = TestRoute(5);
  recipe.gsensor = recgen::MakeGSensorSeries(5, 10, 8);
  const auto with = WriteRec(dir / "WITH0001.MOV", recipe);
  recipe.payloads = 0;
  const auto without = WriteRec(dir / "NONE0001.MOV", recipe);

  const ParseOutcome w = ParseFile(with);
  const ParseOutcome n = ParseFile(without);
  ASSERT_EQ(w.result, 0);
  ASSERT_EQ(n.result, 0);
  g_sourceReads = 0;
  const TelemetrySeries own = ReadTelemetry(with, w.info, kOneFixSource);
  EXPECT_EQ(own.fixes.size(), 5u);
  EXPECT_EQ(own.source, nullptr);
  const TelemetrySeries further = ReadTelemetry(without, n.info, kOneFixSource);
  EXPECT_EQ(further.fixes.size(), 1u);
  EXPECT_STREQ(further.source, "one-fix");
  EXPECT_EQ(g_sourceReads, 1);

  const TelemetrySeries gone = ReadTelemetry(dir / "GONE0001.MOV", w.info, kOneFixSource);
  EXPECT_EQ(gone.status, ParseStatus::kIoError);
  EXPECT_EQ(gone.error, "No such file or directory");
  EXPECT_TRUE(gone.Empty());
}
