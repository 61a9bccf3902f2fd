// A damaged, binary, read-only or misplaced "Zel.ini" never stops the
// program: the settings store reads defaults or sane clamped values, and
// writes either land and read back or are refused without harm.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "HostileSupport.h"
#include "app/AppSettings.h"
#include "platform/Environment.h"
#include "platform/PrivateProfile.h"

using namespace hostile;
namespace fs = std::filesystem;

namespace {

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

void WriteText(const fs::path& file, const std::string& text) {
  WriteFile(file, Bytes(text.begin(), text.end()));
}

// What every reader of the settings must give whatever the file holds.
void ExpectSaneReads(CAppSettings& s) {
  const int provider = s.GetMapProvider();
  EXPECT_GE(provider, 0);
  EXPECT_LE(provider, 2);
  EXPECT_GE(s.GetLanguageIndex(), 0);
  EXPECT_LT(s.GetLanguageIndex(), CAppSettings::GetLanguageCount());
  s.IsMapEnabled();
  s.IsGSensorEnabled();
  EXPECT_LT(s.GetMediaFolder().size(), 1024u * 4);
  EXPECT_LT(s.GetMapUrl().size(), 1024u * 4);
  const WindowRect r = s.LoadWindowPos();
  const ScreenSize screen = GetScreenSize();
  EXPECT_GE(r.left, 0);
  EXPECT_GE(r.top, 0);
  EXPECT_LE(r.right, screen.width);
  EXPECT_LE(r.bottom, screen.height);
  EXPECT_GT(r.Width(), 0);
  EXPECT_GT(r.Height(), 0);
}

// Writes go through and read back.
void ExpectWritesLand(CAppSettings& s) {
  EXPECT_TRUE(s.SetMapEnabled(false));
  EXPECT_FALSE(s.IsMapEnabled());
  EXPECT_TRUE(s.SetGSensorEnabled(true));
  EXPECT_TRUE(s.IsGSensorEnabled());
  EXPECT_TRUE(s.SetMapProvider(2));
  EXPECT_EQ(s.GetMapProvider(), 2);
  EXPECT_TRUE(s.SaveWindowPos({10, 20, 1010, 720}));
  const WindowRect r = s.LoadWindowPos();
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 720);
}

template <typename F>
bool FinishesInChild(F body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only the failures the body adds count: the child inherits the rest.
    const ::testing::TestResult* result =
        ::testing::UnitTest::GetInstance()->current_test_info()->result();
    const int before = result->total_part_count();
    ::alarm(60);
    body();
    bool failed = false;
    for (int i = before; i < result->total_part_count(); ++i)
      failed = failed || result->GetTestPartResult(i).failed();
    std::fflush(nullptr);
    std::_Exit(failed ? 1 : 0);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(HostileSettings, CorruptTextReadsSaneValuesAndStillTakesWrites) {
  const std::string cases[] = {
      "[UI\nMAP=7\nLANGID=\nFolder\n[WINPOS]]\nLEFT=-99999999999999999999\nTOP=+-3\n"
      "RIGHT=2147483647\nBOTTOM=-2147483648\n",
      "\xEF\xBB\xBF[UI]\r\nMAP=-1\r\nMAP_ENABLE=abc\r\n[UI]\r\nMAP=2\r\n=\r\n==\r\n[]\r\n",
      "[WINPOS]\nLEFT=5e9\nRIGHT=0x7FFFFFFF\nTOP=\"\nBOTTOM='\n[UI]\nLANGID=\"\xFF\xFE\"\n",
      std::string("[UI]\nMAP=1\0garbage\nLANGID=DEU\n", 27) + std::string(200000, 'x') + "\n",
      "\r\r\r[UI]\rMAP=1\r\r",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text.substr(0, 40));
    TempDir dir;
    WriteText(dir / "Zel.ini", text);
    CAppSettings s(dir.path());
    ExpectSaneReads(s);
    ExpectWritesLand(s);
    ExpectSaneReads(s);
  }
}

TEST(HostileSettings, BinaryFileReadsSaneValuesAndStillTakesWrites) {
  std::mt19937 random(12);
  for (int round = 0; round < 20; ++round) {
    TempDir dir;
    Bytes noise(1 + random() % 70000);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    // Some rounds carry setting-like lines inside the noise.
    if (round % 2) {
      const std::string lines = "\n[UI]\nMAP=9\n[WINPOS]\nLEFT=-5\n";
      noise.insert(noise.begin() + static_cast<long>(noise.size() / 2), lines.begin(), lines.end());
    }
    WriteFile(dir / "Zel.ini", noise);
    CAppSettings s(dir.path());
    ExpectSaneReads(s);
    ExpectWritesLand(s);
  }
}

TEST(HostileSettings, ReadOnlyFileIsReadAndLeftAlone) {
  TempDir dir;
  const std::string text = "[UI]\nMAP=1\nMAP_ENABLE=1\n[WINPOS]\nLEFT=0\nTOP=0\nRIGHT=900\nBOTTOM=600\n";
  WriteText(dir / "Zel.ini", text);
  fs::permissions(dir / "Zel.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  CAppSettings s(dir.path());
  ExpectSaneReads(s);
  EXPECT_EQ(s.GetMapProvider(), 1);
  EXPECT_FALSE(s.SetMapEnabled(false));
  EXPECT_TRUE(s.IsMapEnabled());
  EXPECT_FALSE(s.SetLanguage(3));
  s.SetMapProvider(2);
  s.SaveWindowPos({1, 2, 3, 4});
  EXPECT_EQ(Text(ReadFile(dir / "Zel.ini")), text);
}

TEST(HostileSettings, FolderFifoAndDanglingLinkInPlaceOfTheFile) {
  TempDir folder, fifo, link;
  ASSERT_TRUE(fs::create_directory(folder / "Zel.ini"));
  ASSERT_EQ(::mkfifo((fifo / "Zel.ini").c_str(), 0644), 0);
  fs::create_symlink(link / "elsewhere.ini", link / "Zel.ini");

  for (const TempDir* dir : {&folder, &fifo}) {
    SCOPED_TRACE(dir->path());
    // Nobody writes into the FIFO: reading it must not wait for anybody.
    EXPECT_TRUE(FinishesInChild([&] {
      CAppSettings s(dir->path());
      ExpectSaneReads(s);
      EXPECT_EQ(s.GetMapProvider(), 0);
      EXPECT_TRUE(s.IsMapEnabled());
      EXPECT_FALSE(s.SetMapEnabled(false));
      EXPECT_FALSE(s.SetLanguage(1));
    }));
  }
  EXPECT_TRUE(fs::is_directory(folder / "Zel.ini"));
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo / "Zel.ini")));

  // A link to nothing reads as no file; a write lands and reads back.
  CAppSettings s(link.path());
  ExpectSaneReads(s);
  EXPECT_EQ(s.GetMapProvider(), 0);
  ExpectWritesLand(s);
}

// A file whose last line is an unclosed section name ended by a lone CR:
// once the write puts a line feed behind it, the CR must not turn the line
// into a different section than the writer saw.
TEST(HostileSettings, WriteAfterALastLineEndingInALoneCarriageReturnReadsBack) {
  for (const std::string text : {"[UI\r", "[UI]\r", "[UI]\r\nMAP=1\r", "[WINPOS]\nLEFT=3\r"}) {
    SCOPED_TRACE(text);
    TempDir dir;
    WriteText(dir / "Zel.ini", text);
    const fs::path ini = dir / "Zel.ini";
    ASSERT_TRUE(WritePrivateProfileString("UI", "Folder", "/media/x", ini));
    EXPECT_EQ(GetPrivateProfileString("UI", "Folder", "", 256, ini), "/media/x");
    CAppSettings s(dir.path());
    ExpectWritesLand(s);
  }
}
