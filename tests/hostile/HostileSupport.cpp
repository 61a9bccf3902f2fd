#include "HostileSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "catalog/MediaCatalog.h"
#include "telemetry/ParserChoice.h"

namespace fs = std::filesystem;

namespace hostile {

namespace {

MediaInfo MarkedInfo() {
  MediaInfo m;
  m.gpsOffset = 0x1111;
  m.gpsSize = 0x2222;
  m.gsensorOffset = 0x3333;
  m.gsensorSize = 0x4444;
  m.width = 0x55;
  m.height = 0x66;
  m.startTime = 0x7777;
  m.length = 0x88;
  m.durationMs = 0x9999;
  m.fileSize = 0xAAAA;
  m.gpsAttr = {1, 2, 3, 4};
  m.gsensorAttr = {5, 6, 7, 8};
  return m;
}

bool SameFacts(const MediaInfo& a, const MediaInfo& b) {
  return a.gpsOffset == b.gpsOffset && a.gpsSize == b.gpsSize &&
         a.gsensorOffset == b.gsensorOffset && a.gsensorSize == b.gsensorSize &&
         a.width == b.width && a.height == b.height && a.startTime == b.startTime &&
         a.length == b.length && a.durationMs == b.durationMs && a.fileSize == b.fileSize &&
         a.gpsAttr == b.gpsAttr && a.gsensorAttr == b.gsensorAttr && a.gpsFixes.empty() &&
         a.gsensorSamples.empty();
}

std::uint32_t U32Be(const Bytes& b, std::uint64_t at) {
  return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 |
         b[at + 3];
}

std::uint32_t U32Le(const Bytes& b, std::uint64_t at) {
  return std::uint32_t(b[at + 3]) << 24 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 1]) << 8 | b[at];
}

std::string Code(const Bytes& b, std::uint64_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

bool IsBoxContainer(const std::string& type) {
  return type == "moov" || type == "trak" || type == "mdia" || type == "minf" || type == "stbl" ||
         type == "udta";
}

void WalkBoxRange(const Bytes& b, std::uint64_t at, std::uint64_t end, int depth,
                  std::vector<Node>& out) {
  while (at + 8 <= end) {
    Node n;
    n.start = at;
    n.sizeField = at;
    n.type = Code(b, at + 4);
    n.depth = depth;
    const std::uint32_t size = U32Be(b, at);
    if (size < 8 || at + size > end) return;  // the generator writes plain 32-bit sizes
    n.end = at + size;
    out.push_back(n);
    if (IsBoxContainer(n.type)) WalkBoxRange(b, at + 8, n.end, depth + 1, out);
    if (n.type == "stsd") WalkBoxRange(b, at + 16, n.end, depth + 1, out);
    at = n.end;
  }
}

void WalkChunkRange(const Bytes& b, std::uint64_t at, std::uint64_t end, int depth,
                    std::vector<Node>& out) {
  while (at + 8 <= end) {
    Node n;
    n.start = at;
    n.sizeField = at + 4;
    n.type = Code(b, at);
    n.depth = depth;
    const std::uint64_t size = U32Le(b, at + 4);
    n.end = std::min<std::uint64_t>(at + 8 + size, end);
    out.push_back(n);
    if (n.type == "LIST" && size >= 4) WalkChunkRange(b, at + 12, n.end, depth + 1, out);
    at = n.end;  // the camera writes no pad bytes
  }
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "vantrel-hostile-XXXXXX").string();
  if (::mkdtemp(pattern.data())) m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(m_path, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (!it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(m_path, ec);
}

void WriteFile(const fs::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << file;
}

Bytes ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ParseOutcome ParseClean(const fs::path& file) {
  ParseOutcome out;
  const ParserKind kind = ChooseParser(file);
  auto parser = CreateParser(kind);
  const MediaInfo marked = MarkedInfo();
  out.info = marked;
  FileStatus status;
  parser->SetInfoTarget(&out.info);
  parser->SetStatusTarget(&status);
  out.result = parser->Parse(file);
  out.targetUntouched = SameFacts(out.info, marked);
  EXPECT_TRUE(out.result == 0 || out.result == -1) << file << ": result " << out.result;
  if (out.result != 0) {
    EXPECT_TRUE(out.targetUntouched) << file << ": a failed parse changed its target";
    return out;
  }
  std::error_code ec;
  const auto size = fs::file_size(file, ec);
  EXPECT_EQ(out.info.fileSize, ec ? 0 : size) << file;
  if (kind != ParserKind::kMp4) {
    EXPECT_TRUE(out.info.width && out.info.height && out.info.durationMs)
        << file << ": a passed parse without picture size or duration";
  }
  return out;
}

void CheckingMap::RunScript(const std::string& script) {
  scripts.push_back(script);
  EXPECT_EQ(script.find("nan"), std::string::npos) << script;
  EXPECT_EQ(script.find("inf"), std::string::npos) << script;
}

void CheckingMap::MovePos(double latitude, double longitude, int) {
  ++moves;
  EXPECT_TRUE(std::isfinite(latitude) && std::isfinite(longitude)) << latitude << ", " << longitude;
}

void CheckingGSensor::SetSamples(const GSensorSample* raw, int count,
                                 const std::vector<GSensorWideSample>& wide) {
  ASSERT_GE(count, 0);
  if (!wide.empty()) {
    for (const GSensorWideSample& s : wide) sum += s.x + s.y + s.z;
    return;
  }
  ASSERT_TRUE(raw != nullptr || count == 0);
  for (int i = 0; i < count; ++i) sum += raw[i].x + raw[i].y + raw[i].z;
}

void CheckingGSensor::SetSampleRate(double samplesPerMs) {
  EXPECT_TRUE(std::isfinite(samplesPerMs) && samplesPerMs >= 0) << samplesPerMs;
}

CatalogueOutcome RunCatalogue(const std::string& folder, const std::string& name,
                              const std::string& exportFolder) {
  CatalogueOutcome out;
  CheckingMap map;
  CheckingGSensor gsensor;
  MediaCatalog catalog;
  catalog.Attach(nullptr, nullptr, &gsensor, &map, nullptr);
  out.added = catalog.AddFile(folder, name);
  if (out.added != 1) return out;
  EXPECT_EQ(catalog.EntryCount(), 1);
  catalog.BuildGroups();
  catalog.Select(0);
  catalog.LoadTelemetry(0);
  out.info = catalog.Entries()[0].info;
  out.fixes = catalog.LoadedFixes().size();
  const std::int64_t duration = out.info.durationMs;
  for (const std::int64_t t : {std::int64_t{0}, duration / 2, duration, duration + 5000})
    catalog.SyncToTime(t, true);
  catalog.DrawDrivenPath(static_cast<std::uint32_t>(duration / 2));

  std::string written;
  out.kmlWritten = catalog.ExportKml(exportFolder, written);
  if (!out.kmlWritten) return out;
  std::ifstream in(written, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  out.kml = text.str();
  EXPECT_NE(out.kml.find("</kml>"), std::string::npos) << written;
  const auto first = out.kml.find("<coordinates>");
  const auto last = out.kml.find("</coordinates>");
  EXPECT_TRUE(first != std::string::npos && last != std::string::npos && first < last);
  if (first != std::string::npos && last != std::string::npos && first < last) {
    const std::string coordinates = out.kml.substr(first, last - first);
    EXPECT_EQ(coordinates.find("nan"), std::string::npos) << coordinates;
    EXPECT_EQ(coordinates.find("inf"), std::string::npos) << coordinates;
  }
  std::error_code ec;
  fs::remove(written, ec);
  return out;
}

std::vector<Node> WalkBoxes(const Bytes& file) {
  std::vector<Node> out;
  WalkBoxRange(file, 0, file.size(), 0, out);
  return out;
}

std::vector<Node> WalkChunks(const Bytes& file) {
  std::vector<Node> out;
  if (file.size() < 12) return out;
  Node riff{0, 4, file.size(), "RIFF", 0};
  out.push_back(riff);
  WalkChunkRange(file, 12, file.size(), 1, out);
  return out;
}

void PutU32Be(Bytes& b, std::uint64_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

void PutU32Le(Bytes& b, std::uint64_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

recgen::RecordingRecipe ShortDrive(recgen::Container container, recgen::Placement placement,
                                 int count) {
  recgen::RecordingRecipe recipe;
  recipe.container = container;
  recipe.placement = placement;
  recgen::RouteProfile route;
  route.count = count;
  route.start = recgen::DateTime{2024, 5, 17, 8, 30, 14};
  recipe.route = recgen::MakeRoute(route);
  recipe.gsensor = recgen::MakeGSensorSeries(count, 5, 8);
  recipe.gsensorRate = 5;
  recipe.idit = "2024-05-17 08:30:14";
  recipe.durationMs = static_cast<std::uint32_t>(count) * 1000;
  recipe.width = 640;
  recipe.height = 360;
  return recipe;
}

}  // namespace hostile
