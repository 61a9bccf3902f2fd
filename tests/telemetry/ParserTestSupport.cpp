#include "ParserTestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "telemetry/ParserChoice.h"
#include "telemetry/TelemetryUtil.h"

namespace testing_support {

TempDir::TempDir(const std::string& tag) {
  m_path = std::filesystem::temp_directory_path() /
           ("vantrel-" + tag + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(m_path);
  std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

ParseOutcome ParseFile(const std::filesystem::path& path) {
  ParseOutcome out;
  auto parser = CreateParser(ChooseParser(path));
  parser->SetInfoTarget(&out.info);
  parser->SetStatusTarget(&out.status);
  out.result = parser->Parse(path);
  return out;
}

std::filesystem::path WriteFile(const std::filesystem::path& path, const recgen::Bytes& bytes) {
  std::string error;
  EXPECT_EQ(recgen::WriteBytes(path, bytes, &error), 1) << error;
  return path;
}

std::filesystem::path WriteRec(const std::filesystem::path& path, const recgen::RecordingRecipe& recipe,
                               recgen::RecordingLayout* layout) {
  std::string error;
  EXPECT_EQ(recgen::WriteRecording(recipe, path, layout, &error), 1) << error;
  return path;
}

std::vector<GpsFix> TestRoute(int count, int rate) {
  recgen::RouteProfile p;
  p.start = {2024, 5, 17, 8, 30, 0};
  p.count = count;
  p.rate = rate;
  p.turnDegPerSecond = 3;
  return recgen::MakeRoute(p);
}

CalendarTime Local(int y, int mo, int d, int h, int mi, int s) {
  CalendarTime t = 0;
  EXPECT_TRUE(LocalDateTimeToCalendar(y, mo, d, h, mi, s, t));
  return t;
}

bool SameFix(const GpsFix& a, const GpsFix& b) {
  std::uint8_t x[32], y[32];
  a.Encode(x);
  b.Encode(y);
  return std::equal(x, x + 30, y);
}

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  const int rc = ::pclose(p);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

unsigned long long ProcessReadBytes() {
  std::ifstream io("/proc/self/io");
  std::string key;
  unsigned long long value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

}  // namespace testing_support
