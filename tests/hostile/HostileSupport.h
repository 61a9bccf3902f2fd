#pragma once

// Helpers for the hostile-file tests: the parser's contract checked on any
// file, the catalogue driven over a file the way the player drives it, and
// the box and chunk layout of generated recordings for mutation.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/CatalogSinks.h"
#include "telemetry/TelemetryTypes.h"
#include "tools/recgen/RecordingGenerator.h"

namespace hostile {

using recgen::Bytes;

// A fresh folder below the temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return m_path; }
  // With a trailing '/', as the catalogue wants folders.
  std::string Folder() const { return m_path.string() + "/"; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& file, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& file);

// What a parse gave: its result and the target, which held marker values
// before the parse.
struct ParseOutcome {
  int result = 0;
  MediaInfo info;
  bool targetUntouched = false;  // the facts still equal the markers
};

// Parses with the parser the name selects. Records a test failure unless
// the result is 0 or -1, a failed parse left its target alone, and a
// passed parse names the file's size (and, for box and AVI files, a
// picture size and a duration).
ParseOutcome ParseClean(const std::filesystem::path& file);

// Map and G-sensor stand-ins that check what the catalogue hands them:
// finite coordinates, and sample counts the samples really have (every
// sample is read, so a short buffer shows under AddressSanitizer).
class CheckingMap : public IMapSink {
 public:
  void RunScript(const std::string& script) override;
  void MovePos(double latitude, double longitude, int headingDegrees) override;
  bool IsAlive() const override { return true; }
  int moves = 0;
  std::vector<std::string> scripts;
};

class CheckingGSensor : public IGSensorSink {
 public:
  void ClearSamples() override {}
  void Refresh() override {}
  void SetRange(double, double) override {}
  void SetSamples(const GSensorSample* raw, int count,
                  const std::vector<GSensorWideSample>& wide) override;
  void UpdateSpan() override {}
  void SetSampleRate(double samplesPerMs) override;
  void SetTimeScale(double) override {}
  void SetSpanMode(int) override {}
  void SetInactive(bool) override {}
  void SetPosition(std::int32_t) override {}
  long long sum = 0;  // keeps the sample reads from being optimised away
};

// What the catalogue made of one file.
struct CatalogueOutcome {
  int added = 0;        // AddFile's result
  MediaInfo info;       // the entry's facts
  std::size_t fixes = 0;  // fixes loaded for the route
  bool kmlWritten = false;
  std::string kml;      // the exported document when written
};

// Adds folder/name in single-file mode, makes it current, loads its
// telemetry, follows playback through the recording and past its end and
// exports the route as KML into `exportFolder`. Records a failure when a
// written document is incomplete or holds a coordinate that is not a
// number.
CatalogueOutcome RunCatalogue(const std::string& folder, const std::string& name,
                              const std::string& exportFolder);

// A box or chunk of a generated file: where its header starts, where its
// 32-bit size field lies, and where it ends by that size.
struct Node {
  std::uint64_t start = 0;
  std::uint64_t sizeField = 0;
  std::uint64_t end = 0;
  std::string type;
  int depth = 0;
};
// Boxes of a MOV/MP4/3GP file, containers entered (moov, trak, mdia, minf,
// stbl, udta, and the entries of stsd).
std::vector<Node> WalkBoxes(const Bytes& file);
// Chunks and lists of a RIFF file (lists entered).
std::vector<Node> WalkChunks(const Bytes& file);

void PutU32Be(Bytes& b, std::uint64_t at, std::uint32_t v);
void PutU32Le(Bytes& b, std::uint64_t at, std::uint32_t v);

// A short drive of `count` fixes in the given container and placement.
recgen::RecordingRecipe ShortDrive(recgen::Container container, recgen::Placement placement,
                                 int count = 4);

}  // namespace hostile
