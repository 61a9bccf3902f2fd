// KML and GPX documents of the current entry's route, checked byte for byte
// and read back by independent tools (GDAL, xmllint).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CatalogFakes.h"
#include "catalog/GpxWriter.h"
#include "catalog/KmlWriter.h"
#include "catalog/MediaCatalog.h"

namespace fs = std::filesystem;

namespace {

// 2023-01-02 10:11:12 UTC.
constexpr CalendarTime kStart = 1672654272;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs a shell command; returns its exit status and standard output.
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

std::vector<GpsFix> GoldenFixes() {
  GpsFix timed = Fix(Ddmm(22, 32.1), Ddmm(114, 3.25), true, 30, 36, 45);
  timed.year = 23;
  timed.month = 1;
  timed.day = 2;
  timed.hour = 10;
  timed.minute = 11;
  timed.second = 14;
  return {Fix(130, 245, true, -5), Fix(130, 245, false, 7), Fix(-130, -245, true, 12),
          Fix(20000, 100, true), timed};
}

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  // One loaded entry with the golden fixes.
  void LoadGolden(TempDir& dir, MediaCatalog& c, const std::string& name = "FILE0001.MOV") {
    MediaEntry e = PutRecording(dir.str() + "card/", "DCIM/", name, GoldenFixes());
    e.info.startTime = kStart;
    c.Entries() = {e};
    c.BuildGroups();
    ASSERT_EQ(c.Select(0), 1);
    ASSERT_EQ(c.LoadTelemetry(0), 1);
  }
};

}  // namespace

TEST_F(ExportTest, KmlDocumentIsByteExact) {
  TempDir dir("kml-golden");
  MediaCatalog c;
  LoadGolden(dir, c);
  const std::string out = dir.str() + "out";
  fs::create_directories(out);
  std::string path;
  ASSERT_TRUE(c.ExportKml(out, path));
  EXPECT_EQ(path, out + "/FILE0001_2023_01_02_10-11-12.KML");
  const fs::path golden =
      fs::path(VANTREL_SOURCE_DIR) / "tests/catalog/golden/FILE0001_2023_01_02_10-11-12.KML";
  EXPECT_EQ(ReadAll(path), ReadAll(golden));
  // Nothing else is left in the folder (no temporary file).
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);

  // A second export overwrites the first.
  std::string again;
  ASSERT_TRUE(c.ExportKml(out + "/", again));
  EXPECT_EQ(again, path);
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
}

TEST_F(ExportTest, KmlWithoutFixesHasOnlyTheEmptyLine) {
  TempDir dir("kml-empty");
  CKmlWriter w;
  const std::string path = dir.str() + "empty.kml";
  ASSERT_EQ(w.Open(path), 1);
  ASSERT_EQ(w.WriteHeader("X", "", ""), 1);
  ASSERT_EQ(w.WriteFooter(), 1);
  const std::string text = ReadAll(path);
  EXPECT_NE(text.find("<coordinates>\n\n        </coordinates>\n"), std::string::npos);
  EXPECT_EQ(w.WriteCoordinate(1, 2, 3), 0);  // closed
  EXPECT_EQ(RunCommand("xmllint --noout '" + path + "'"), 0);
}

TEST_F(ExportTest, NamesAreEscapedAndBrokenBytesReplaced) {
  TempDir dir("kml-escape");
  MediaCatalog c;
  LoadGolden(dir, c, "R&D<0001.MOV");
  std::string path;
  ASSERT_TRUE(c.ExportKml(dir.str(), path));
  const std::string text = ReadAll(path);
  EXPECT_NE(text.find("<name>R&amp;D&lt;0001.MOV</name>"), std::string::npos);
  EXPECT_EQ(RunCommand("xmllint --noout '" + path + "'"), 0);
  EXPECT_EQ(XmlEscapeText("a\xFF" "b\x01" "c\xC3\xA9\xE2\x82"),
            "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(XmlEscapeText("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
}

TEST_F(ExportTest, DataTrackFixesAreExportedWhenThereIsNoPayload) {
  TempDir dir("kml-track");
  MediaEntry e = PutRecording(dir.str(), "", "FILE0001.mp4", {});
  e.info.gpsFixes = {Fix(130, 245, true, 1), Fix(131, 245, false)};
  MediaCatalog c;
  c.Entries() = {e};
  c.BuildGroups();
  ASSERT_EQ(c.LoadTelemetry(0), 1);
  EXPECT_EQ(c.ExportableFixCount(), 1);
  std::string path;
  ASSERT_TRUE(c.ExportKml(dir.str(), path));
  EXPECT_EQ(path, dir.str() + "FILE0001_1970_01_01_00-00-00.KML");
  EXPECT_NE(ReadAll(path).find("<coordinates>\n2.750000,1.500000,1\n\n"), std::string::npos);
  // A start time local time cannot show leaves the time out of the name.
  c.Entries()[0].info.startTime = INT64_MAX;
  ASSERT_TRUE(c.ExportKml(dir.str(), path));
  EXPECT_EQ(path, dir.str() + "FILE0001.KML");
}

TEST_F(ExportTest, FailedExportsLeaveNothingAndReportFailure) {
  TempDir dir("kml-fail");
  MediaCatalog empty;
  std::string path = "unchanged";
  EXPECT_FALSE(empty.ExportKml(dir.str(), path));
  EXPECT_EQ(path, "unchanged");

  MediaCatalog c;
  LoadGolden(dir, c);
  EXPECT_FALSE(c.ExportKml(dir.str() + "no/such/folder", path));
  EXPECT_FALSE(c.ExportGpx(dir.str() + "no/such/folder", path));
  EXPECT_EQ(path, "unchanged");

  // A writer dropped before its footer removes its temporary file.
  {
    CKmlWriter w;
    ASSERT_EQ(w.Open(dir.str() + "half.kml"), 1);
    w.WriteHeader("half", "", "");
  }
  EXPECT_FALSE(fs::exists(dir.str() + "half.kml"));
  for (const auto& item : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(item.path().filename().string().find(".part"), std::string::npos);
  }
}

TEST_F(ExportTest, GpxCarriesTimeElevationSpeedAndCourse) {
  TempDir dir("gpx");
  MediaCatalog c;
  LoadGolden(dir, c);
  std::string path;
  ASSERT_TRUE(c.ExportGpx(dir.str(), path));
  EXPECT_EQ(path, dir.str() + "FILE0001_2023_01_02_10-11-12.GPX");
  const std::string text = ReadAll(path);
  EXPECT_NE(text.find("<trkpt lat=\"22.535000\" lon=\"114.054167\">\n        <ele>30</ele>\n"
                      "        <time>2023-01-02T10:11:14Z</time>"),
            std::string::npos);
  EXPECT_NE(text.find("<gpxtpx:speed>10.000</gpxtpx:speed>"), std::string::npos);
  EXPECT_NE(text.find("<gpxtpx:course>90</gpxtpx:course>"), std::string::npos);
  EXPECT_EQ(RunCommand("xmllint --noout '" + path + "'"), 0);
}

TEST_F(ExportTest, GdalReadsOurCoordinatesBack) {
  TempDir dir("gdal");
  MediaCatalog c;
  LoadGolden(dir, c);
  std::string kml, gpx, out;
  ASSERT_TRUE(c.ExportKml(dir.str(), kml));
  ASSERT_TRUE(c.ExportGpx(dir.str(), gpx));

  ASSERT_EQ(RunCommand("ogr2ogr -f CSV /vsistdout/ '" + kml + "' -lco GEOMETRY=AS_WKT", &out), 0) << out;
  EXPECT_NE(out.find("LINESTRING Z (2.75 1.5 -5,-2.75 -1.5 12,114.054167 22.535 30)"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("CAR PATH"), std::string::npos);

  ASSERT_EQ(RunCommand("ogr2ogr -f CSV /vsistdout/ '" + gpx +
                    "' track_points -lco GEOMETRY=AS_XY -select ele,time",
                &out),
            0)
      << out;
  std::istringstream lines(out);
  std::string header, p0, p1, p2;
  std::getline(lines, header);
  std::getline(lines, p0);
  std::getline(lines, p1);
  std::getline(lines, p2);
  EXPECT_EQ(header, "X,Y,ele,time");
  EXPECT_EQ(p0, "2.75,1.5,-5,");
  EXPECT_EQ(p1, "-2.75,-1.5,12,");
  EXPECT_EQ(p2, "114.054167,22.535,30,2023/01/02 10:11:14+00");
}

// Places of note beside the route: GPX waypoints come before the track, as
// the schema orders them, KML point placemarks after the route's line with
// their styles before any placemark. GDAL reads both back.
TEST_F(ExportTest, WaypointsAndPointPlacemarksBesideTheRoute) {
  TempDir dir("marks");
  const std::string gpx = dir.str() + "marks.gpx", kml = dir.str() + "marks.kml";
  GpxWriter g;
  ASSERT_EQ(g.Open(gpx), 1);
  g.WriteHeader("drive 0", "");
  GpxWaypoint w{1.5, 2.75, 3, true, kStart, "braking", "peak 0.52 G, 48 \u2192 21 km/h", "event"};
  EXPECT_EQ(g.WriteWaypoint(w), 1);
  w.name = "impact";
  w.hasTime = false;
  EXPECT_EQ(g.WriteWaypoint(w), 1);
  g.WritePoint(GpxPoint{1.5, 2.75});
  EXPECT_EQ(g.WriteWaypoint(w), 0);  // the track has begun
  ASSERT_EQ(g.WriteFooter(), 1);
  const std::string gpxText = ReadAll(gpx);
  EXPECT_LT(gpxText.rfind("</wpt>"), gpxText.find("<trk>"));
  EXPECT_EQ(RunCommand("xmllint --noout '" + gpx + "'"), 0);
  std::string out;
  ASSERT_EQ(RunCommand("ogr2ogr -f CSV /vsistdout/ '" + gpx +
                           "' waypoints -lco GEOMETRY=AS_XY -select name,desc,type,time",
                       &out),
            0);
  EXPECT_EQ(out, "X,Y,name,desc,type,time\n"
                 "2.75,1.5,braking,\"peak 0.52 G, 48 \u2192 21 km/h\",event,2023/01/02 10:11:12+00\n"
                 "2.75,1.5,impact,\"peak 0.52 G, 48 \u2192 21 km/h\",event,\n");

  CKmlWriter k;
  ASSERT_EQ(k.Open(kml), 1);
  k.WriteHeader("drive 0", "", "", {{"event-braking", "ff1c19d7"}});
  k.WriteCoordinate(1.5, 2.75, 3);
  EXPECT_EQ(k.WritePointMark({1.25, -0.5, "braking", "08:30:11, peak 0.52 G", "event-braking"}), 1);
  EXPECT_EQ(k.WriteCoordinate(1, 2, 3), 0);  // the line has ended
  EXPECT_EQ(k.WriteBreak(), 0);
  ASSERT_EQ(k.WriteFooter(), 1);
  const std::string kmlText = ReadAll(kml);
  EXPECT_LT(kmlText.find("<Style id=\"event-braking\">"), kmlText.find("<Placemark>"));
  EXPECT_EQ(RunCommand("xmllint --noout '" + kml + "'"), 0);
  ASSERT_EQ(RunCommand("ogr2ogr -f CSV /vsistdout/ '" + kml + "' -lco GEOMETRY=AS_WKT", &out), 0);
  EXPECT_NE(out.find("\"POINT (-0.5 1.25)\",braking,\"08:30:11, peak 0.52 G\""), std::string::npos)
      << out;
  EXPECT_NE(out.find("LINESTRING Z (2.75 1.5 3)"), std::string::npos) << out;
}
