// Every input a fuzz run ever found trouble with, kept under
// regressions/<target>/, goes through the same code as in the fuzz target.
#include <gtest/gtest.h>

#include "HostileSupport.h"
#include "app/AppSettings.h"
#include "platform/PrivateProfile.h"
#include "catalog/KmlWriter.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/ByteReader.h"
#include "telemetry/GpmfReader.h"

using namespace hostile;
namespace fs = std::filesystem;

namespace {

const fs::path kRegressions = fs::path(VANTREL_SOURCE_DIR) / "tests/hostile/regressions";

std::vector<fs::path> InputsOf(const std::string& target) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(kRegressions / target, ec))
    if (e.is_regular_file()) out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

// The INI fuzzer's input: section, key and value, each ended by a
// backslash and one more character (two backslashes stand for one), then
// the file's text, with the last byte taken for the buffer size.
struct IniInput {
  std::string section, key, value, content;
};

IniInput DecodeIniInput(const Bytes& b) {
  std::size_t at = 0, end = b.size();
  auto take = [&](std::size_t most) {
    std::string s;
    for (std::size_t i = 0; i < most && at < end; ++i) {
      char c = static_cast<char>(b[at++]);
      if (c == '\\' && at < end) {
        c = static_cast<char>(b[at++]);
        if (c != '\\') break;
      }
      s += c;
    }
    return s;
  };
  IniInput in;
  in.section = take(24);
  in.key = take(24);
  in.value = take(80);
  if (at < end) --end;  // the buffer size
  in.content.assign(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(end));
  return in;
}

bool IsPlain(const std::string& s) {
  return !s.empty() && s.front() != ' ' && s.back() != ' ' &&
         s.find_first_of("\r\n\t=[];#\"'") == std::string::npos;
}

}  // namespace

TEST(RegressionInputs, RecordingsParseCleanlyAndPassTheCatalogue) {
  const std::pair<const char*, const char*> targets[] = {
      {"box", "MOV_0001F.MOV"}, {"avi", "AVI_0001F.AVI"}, {"mp4", "VID_0001F.mp4"}};
  TempDir dir;
  TempDir out;
  for (const auto& [target, name] : targets) {
    for (const fs::path& input : InputsOf(target)) {
      SCOPED_TRACE(input);
      WriteFile(dir / name, ReadFile(input));
      ParseClean(dir / name);
      EXPECT_EQ(RunCatalogue(dir.Folder(), name, out.Folder()).added, 1);
    }
  }
}

TEST(RegressionInputs, SettingsFilesAndNames) {
  for (const fs::path& input : InputsOf("ini")) {
    SCOPED_TRACE(input);
    TempDir dir;
    const IniInput in = DecodeIniInput(ReadFile(input));
    WriteFile(dir / "Zel.ini", Bytes(in.content.begin(), in.content.end()));
    const fs::path ini = dir / "Zel.ini";
    if (IsPlain(in.section) && IsPlain(in.key) && IsPlain(in.value)) {
      EXPECT_TRUE(WritePrivateProfileString(in.section, in.key, in.value, ini));
      EXPECT_EQ(GetPrivateProfileString(in.section, in.key, "", 4096, ini), in.value);
    }
    CAppSettings s(dir.path());
    const int provider = s.GetMapProvider();
    EXPECT_TRUE(provider >= 0 && provider <= 2);
    s.LoadWindowPos();
    EXPECT_TRUE(s.SetMapEnabled(false));
    EXPECT_FALSE(s.IsMapEnabled());
  }
  for (const fs::path& input : InputsOf("scan_name")) {
    SCOPED_TRACE(input);
    const Bytes b = ReadFile(input);
    const std::string name(b.begin(), b.end());
    bool gMark = false, readOnly = false;
    MediaCatalog::CheckScanName("/nonexistent/", name, gMark, readOnly);
    EXPECT_EQ(XmlEscapeText(name).find_first_of("<>"), std::string::npos);
  }
}

// GPMF payloads whose numbers overflowed a conversion: decoded as the fuzz
// target does, under the sanitizers of the core's sanitizer run.
TEST(RegressionInputs, GpmfPayloads) {
  for (const fs::path& input : InputsOf("gpmf")) {
    SCOPED_TRACE(input);
    const Bytes b = ReadFile(input);
    GpmfData direct;
    DecodeGpmfPayload({b.data(), b.size()}, 1.0, direct);
    ByteReader file(b.data(), b.size());
    GpmfTrack track;
    EXPECT_NE(FindGpmfTrack(file, track), ParseStatus::kIoError);
  }
}
