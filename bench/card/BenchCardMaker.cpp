// vantrel-bench-card: a memory card for the scan benchmark. One-minute
// front recordings of consecutive minutes, MOV, AVI and data-track MP4 in
// turn, spread over day and block folders, each with the apparent size of a
// real recording. The video data is a hole in the file, so a card of
// thousands of 150 MB recordings costs a few hundred kilobytes per file.
//
// MOV and AVI files carry their padding where the camera puts its video:
// inside mdat and movi, before the telemetry. The data-track MP4 files are
// copies of one generated template (ffmpeg makes them, which is slow) with
// their own start time written over the template's, and the padding in a
// trailing free box.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;
using namespace recgen;

namespace {

constexpr int kSecondsPerFile = 60;
constexpr int kGSensorRate = 10;
const DateTime kCardStart{2024, 5, 17, 8, 30, 0};

struct Options {
  fs::path out;
  int count = 100;
  std::uint64_t size = 150ull << 20;
  int gpsRate = 1;
  std::vector<Container> containers{Container::kMov, Container::kAvi, Container::kMp4DataTrack};
};

struct Fd {
  int fd;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

bool ParseContainers(const std::string& list, std::vector<Container>& out) {
  out.clear();
  std::size_t from = 0;
  while (from < list.size()) {
    std::size_t comma = list.find(',', from);
    if (comma == std::string::npos) comma = list.size();
    const std::string name = list.substr(from, comma - from);
    from = comma + 1;
    if (name == "mov") out.push_back(Container::kMov);
    else if (name == "avi") out.push_back(Container::kAvi);
    else if (name == "3gp") out.push_back(Container::kThreeGp);
    else if (name == "mp4data") out.push_back(Container::kMp4DataTrack);
    else return false;
  }
  return !out.empty();
}

bool ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--count" && hasValue) o.count = std::atoi(argv[++i]);
    else if (a == "--size" && hasValue) o.size = std::strtoull(argv[++i], nullptr, 10);
    else if (a == "--rate" && hasValue) o.gpsRate = std::atoi(argv[++i]);
    else if (a == "--containers" && hasValue) {
      if (!ParseContainers(argv[++i], o.containers)) return false;
    } else if (o.out.empty() && a.rfind("--", 0) != 0) o.out = a;
    else return false;
  }
  return !o.out.empty() && o.count > 0 && o.gpsRate > 0;
}

// DCIM/Movie/<day>/B<block>/F, as a camera that opens a folder per day and
// a new block every ten files.
fs::path FolderOf(const fs::path& root, int index, const DateTime& start) {
  char day[16], block[16];
  std::snprintf(day, sizeof day, "%04d_%02d%02d", start.year, start.month, start.day);
  std::snprintf(block, sizeof block, "B%03d", index / 10);
  return root / "DCIM" / "Movie" / day / block / "F";
}

RecordingRecipe RecipeOf(Container container, int index, const DateTime& start, int gpsRate) {
  RecordingRecipe rec;
  rec.container = container;
  rec.durationMs = kSecondsPerFile * 1000;
  rec.gpsRate = static_cast<std::uint8_t>(gpsRate);
  rec.gsensorRate = kGSensorRate;
  RouteProfile profile;
  profile.latitude += 0.01 * (index % 50);
  profile.start = start;
  profile.count = kSecondsPerFile * gpsRate;
  profile.rate = gpsRate;
  profile.speedKmh = 40 + 10 * (index % 3);
  profile.turnDegPerSecond = (index % 2) ? 0.5 : -0.3;
  rec.route = MakeRoute(profile);
  rec.gsensor = MakeGSensorSeries(kSecondsPerFile, kGSensorRate, rec.sensorRange, {},
                                  static_cast<unsigned>(index + 1));
  rec.mp4StartTimeMeta = start.ToText();
  return rec;
}

// Box and RIFF files: the padding goes into mdat or movi so that the whole
// file has the wanted size.
bool WriteSynthetic(RecordingRecipe rec, std::uint64_t size, const fs::path& file,
                    std::string& error) {
  const std::uint64_t natural = BuildSyntheticRecording(rec).size();
  rec.mdatPadding = size > natural ? size - natural : 0;
  return WriteRecording(rec, file, nullptr, &error) == 1;
}

bool ReadAll(const fs::path& file, std::vector<char>& bytes) {
  std::ifstream in(file, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.good() || in.eof();
}

// Writes `bytes` and grows the file to `size` with a free box whose body
// is a hole.
bool WriteWithTrailingFreeBox(const fs::path& file, const std::vector<char>& bytes,
                              std::uint64_t size) {
  Fd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.fd < 0) return false;
  if (::write(fd.fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    return false;
  std::uint64_t at = bytes.size();
  while (at + 8 <= size) {
    const std::uint64_t part = std::min<std::uint64_t>(size - at, 0xFFFFFFF0ull);
    const unsigned char header[8] = {static_cast<unsigned char>(part >> 24),
                                     static_cast<unsigned char>(part >> 16),
                                     static_cast<unsigned char>(part >> 8),
                                     static_cast<unsigned char>(part), 'f', 'r', 'e', 'e'};
    if (::pwrite(fd.fd, header, sizeof header, static_cast<off_t>(at)) != 8) return false;
    at += part;
  }
  return ::ftruncate(fd.fd, static_cast<off_t>(at)) == 0;
}

class DataTrackTemplate {
 public:
  bool Make(const fs::path& where, int gpsRate, std::string& error) {
    m_start = kCardStart.ToText();
    RecordingRecipe rec = RecipeOf(Container::kMp4DataTrack, 0, kCardStart, gpsRate);
    if (!WriteRecording(rec, where, nullptr, &error)) return false;
    const bool read = ReadAll(where, m_bytes);
    std::error_code ec;
    fs::remove(where, ec);
    const std::string image(m_bytes.begin(), m_bytes.end());
    m_textAt = image.find(m_start);
    if (!read || m_textAt == std::string::npos) {
      error = "the template has no start time text";
      return false;
    }
    return true;
  }

  bool WriteCopy(const fs::path& file, const DateTime& start, std::uint64_t size) {
    const std::string text = start.ToText();
    std::memcpy(m_bytes.data() + m_textAt, text.data(), m_start.size());
    return WriteWithTrailingFreeBox(file, m_bytes, size);
  }

 private:
  std::vector<char> m_bytes;
  std::string m_start;
  std::size_t m_textAt = 0;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArgs(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: vantrel-bench-card OUTDIR --count N [--size BYTES] [--rate FIXES_PER_S]\n"
                 "       [--containers mov,avi,3gp,mp4data]\n");
    return 2;
  }
  std::error_code ec;
  fs::create_directories(o.out, ec);
  DataTrackTemplate dataTrack;
  std::string error;
  bool needTemplate = false;
  for (Container c : o.containers) needTemplate = needTemplate || c == Container::kMp4DataTrack;
  if (needTemplate && !dataTrack.Make(o.out / ".template.mp4", o.gpsRate, error)) {
    std::fprintf(stderr, "vantrel-bench-card: %s\n", error.c_str());
    return 1;
  }
  for (int i = 0; i < o.count; ++i) {
    const DateTime start = kCardStart.Plus(static_cast<std::int64_t>(i) * kSecondsPerFile);
    const Container c = o.containers[static_cast<std::size_t>(i) % o.containers.size()];
    const fs::path dir = FolderOf(o.out, i, start);
    fs::create_directories(dir, ec);
    const fs::path file = dir / RecordingName(c, i + 1, false, false);
    const bool ok = c == Container::kMp4DataTrack
                        ? dataTrack.WriteCopy(file, start, o.size)
                        : WriteSynthetic(RecipeOf(c, i, start, o.gpsRate), o.size, file, error);
    if (!ok) {
      std::fprintf(stderr, "vantrel-bench-card: cannot write %s %s\n", file.c_str(),
                   error.c_str());
      return 1;
    }
  }
  std::printf("%d recordings below %s\n", o.count, o.out.c_str());
  return 0;
}
