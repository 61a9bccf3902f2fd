#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "telemetry/TelemetryTypes.h"
#include "telemetry/ZelVideoParser.h"
#include "tools/recgen/RecordingGenerator.h"

namespace testing_support {

// A fresh folder below the temporary directory, removed at destruction.
class TempDir {
 public:
  explicit TempDir(const std::string& tag);
  ~TempDir();
  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

struct ParseOutcome {
  int result = -1;
  MediaInfo info;
  FileStatus status;
};

// Parses with the parser the file name chooses.
ParseOutcome ParseFile(const std::filesystem::path& path);

// Writes bytes (or a generated recording) and returns the path.
std::filesystem::path WriteFile(const std::filesystem::path& path, const recgen::Bytes& bytes);
std::filesystem::path WriteRec(const std::filesystem::path& path, const recgen::RecordingRecipe& recipe,
                               recgen::RecordingLayout* layout = nullptr);

// A route of `count` valid timed fixes from 2024-05-17 08:30:00.
std::vector<GpsFix> TestRoute(int count, int rate = 1);
CalendarTime Local(int y, int mo, int d, int h, int mi, int s);

bool SameFix(const GpsFix& a, const GpsFix& b);

// Runs a command and returns its standard output; `status` gets the exit code.
std::string RunCommand(const std::string& command, int* status = nullptr);

// Bytes this process has read through system calls so far.
unsigned long long ProcessReadBytes();

}  // namespace testing_support
