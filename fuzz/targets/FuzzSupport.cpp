#include "fuzz/targets/FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalog/CatalogSinks.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/ZelVideoParser.h"

namespace fs = std::filesystem;

namespace {

std::string ScratchBase() {
  std::error_code ec;
  if (fs::is_directory("/dev/shm", ec)) return "/dev/shm";
  return fs::temp_directory_path(ec).string();
}

bool AllZero(const MediaInfo& a) {
  const MediaInfo z;
  return a.gpsOffset == z.gpsOffset && a.gpsSize == z.gpsSize &&
         a.gsensorOffset == z.gsensorOffset && a.gsensorSize == z.gsensorSize &&
         a.width == z.width && a.height == z.height && a.startTime == z.startTime &&
         a.length == z.length && a.durationMs == z.durationMs && a.fileSize == z.fileSize &&
         a.gpsAttr == z.gpsAttr && a.gsensorAttr == z.gsensorAttr && a.gpsFixes.empty() &&
         a.gsensorSamples.empty();
}

// The map and the G-sensor chart as the catalogue sees them: coordinates
// must be numbers, and every sample the catalogue claims to hand over is
// read, so a short buffer shows up under AddressSanitizer.
class CheckingMap : public IMapSink {
 public:
  void RunScript(const std::string& script) override {
    FuzzCheck(script.find("nan") == std::string::npos && script.find("inf") == std::string::npos,
              "a map script holds a coordinate that is not a number");
  }
  void MovePos(double latitude, double longitude, int) override {
    FuzzCheck(std::isfinite(latitude) && std::isfinite(longitude),
              "the map marker moved to a coordinate that is not a number");
  }
  bool IsAlive() const override { return true; }
};

class CheckingGSensor : public IGSensorSink {
 public:
  void ClearSamples() override {}
  void Refresh() override {}
  void SetRange(double, double) override {}
  void SetSamples(const GSensorSample* raw, int count,
                  const std::vector<GSensorWideSample>& wide) override {
    FuzzCheck(count >= 0, "a negative sample count");
    if (!wide.empty()) {
      for (const GSensorWideSample& w : wide) m_sum += w.x ^ w.y ^ w.z;
      return;
    }
    FuzzCheck(raw != nullptr || count == 0, "samples promised without a buffer");
    for (int i = 0; i < count; ++i) m_sum += raw[i].x ^ raw[i].y ^ raw[i].z;
  }
  void UpdateSpan() override {}
  void SetSampleRate(double samplesPerMs) override {
    FuzzCheck(std::isfinite(samplesPerMs) && samplesPerMs >= 0, "a sample rate that is not a number");
  }
  void SetTimeScale(double) override {}
  void SetSpanMode(int) override {}
  void SetInactive(bool) override {}
  void SetPosition(std::int32_t) override {}

 private:
  long long m_sum = 0;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

FuzzScratch::FuzzScratch() {
  m_folder = ScratchBase() + "/vantrel-fuzz-" + std::to_string(::getpid()) + "/";
  std::error_code ec;
  fs::create_directories(m_folder, ec);
  FuzzCheck(!ec, "cannot create the scratch folder");
}

FuzzScratch::~FuzzScratch() {
  std::error_code ec;
  fs::remove_all(m_folder, ec);
}

std::string FuzzScratch::Write(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = m_folder + name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  FuzzCheck(fd >= 0, "cannot write the input file");
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  FuzzCheck(done == size, "short write of the input file");
  return path;
}

void FuzzCheck(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

void ParseWithContract(CZelVideoParser& parser, const std::uint8_t* data, std::size_t size,
                       bool needsPictureFacts) {
  const ParseResult result = parser.ParseMemory({data, size});
  switch (result.status) {
    case ParseStatus::kOk:
    case ParseStatus::kNotThisFormat:
    case ParseStatus::kDamaged:
      break;
    case ParseStatus::kIoError:
      FuzzCheck(false, "a parse from memory reported an I/O error");
      break;
    default:
      FuzzCheck(false, "a parse status outside the four");
  }
  if (!result.Ok()) {
    FuzzCheck(AllZero(result.info), "a failed parse carries facts");
    FuzzCheck(!result.error.empty(), "a failed parse does not say why");
    return;
  }
  FuzzCheck(result.info.fileSize == size, "the parse reported a wrong file size");
  if (needsPictureFacts)
    FuzzCheck(result.info.width != 0 && result.info.height != 0 && result.info.durationMs != 0,
              "a passed parse lacks the picture size or the duration");
}

void RunCatalogue(const FuzzScratch& scratch, const std::string& name) {
  CheckingMap map;
  CheckingGSensor gsensor;
  MediaCatalog catalog;
  catalog.Attach(nullptr, nullptr, &gsensor, &map, nullptr);
  if (catalog.AddFile(scratch.Folder(), name) != 1) return;
  FuzzCheck(catalog.EntryCount() == 1, "single-file mode added other than one entry");
  catalog.BuildGroups();
  catalog.Select(0);
  catalog.LoadTelemetry(0);
  const std::uint32_t duration = catalog.Entries()[0].info.durationMs;
  for (const std::int64_t t : {std::int64_t{0}, std::int64_t{duration / 2}, std::int64_t{duration},
                               std::int64_t{duration} + 5000})
    catalog.SyncToTime(t, true);
  catalog.DrawDrivenPath(duration / 2);

  std::string out;
  if (!catalog.ExportKml(scratch.Folder(), out)) return;
  const std::string kml = ReadWhole(out);
  FuzzCheck(kml.find("</kml>") != std::string::npos, "the KML document is not complete");
  const auto first = kml.find("<coordinates>");
  const auto last = kml.find("</coordinates>");
  FuzzCheck(first != std::string::npos && last != std::string::npos && first < last,
            "the KML document has no coordinates element");
  const std::string coordinates = kml.substr(first, last - first);
  FuzzCheck(coordinates.find("nan") == std::string::npos &&
                coordinates.find("inf") == std::string::npos,
            "the KML document holds a coordinate that is not a number");
  std::error_code ec;
  fs::remove(out, ec);
}
