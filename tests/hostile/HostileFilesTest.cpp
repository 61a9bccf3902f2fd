// Files that are not recordings where recordings are expected: empty
// files, folders, FIFOs and dangling links under recording names, and
// names full of quotes, ampersands and bytes that are not UTF-8, through
// the folder scan, the single-file mode and the KML document.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "HostileSupport.h"
#include "catalog/MediaCatalog.h"

using namespace hostile;
namespace fs = std::filesystem;

namespace {

const char* const kRecordingNames[] = {"MOV_0001F.MOV", "MP4_0001F.MP4", "3GP_0001F.3GP",
                                       "AVI_0001F.AVI", "VID_0001F.mp4"};

bool IsEmptyFacts(const MediaInfo& i) {
  return i.width == 0 && i.height == 0 && i.durationMs == 0 && i.gpsSize == 0 &&
         i.gsensorSize == 0 && i.startTime == 0 && i.gpsFixes.empty();
}

// Runs `body` in a child process that a stuck call cannot hold past the
// alarm; true when the child finished normally.
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

// Strict UTF-8 check of a whole document.
bool IsValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
    if (n == 9 || i + n >= s.size()) return false;
    std::uint32_t cp = n == 0 ? c : c & (0x3F >> n);
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = cp << 6 | (t & 0x3F);
    }
    static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

std::string Slurp(const fs::path& file) {
  const Bytes b = ReadFile(file);
  return std::string(b.begin(), b.end());
}

}  // namespace

TEST(HostileFiles, EmptyFilesAreEntriesWithoutFacts) {
  TempDir dir;
  TempDir out;
  for (const char* name : kRecordingNames) {
    SCOPED_TRACE(name);
    WriteFile(dir / name, {});
    EXPECT_EQ(ParseClean(dir / name).result, -1);
    const CatalogueOutcome r = RunCatalogue(dir.Folder(), name, out.Folder());
    ASSERT_EQ(r.added, 1);
    EXPECT_TRUE(IsEmptyFacts(r.info));
  }
  MediaCatalog scan;
  ASSERT_EQ(scan.Load(dir.Folder(), ""), 1);
  ASSERT_EQ(scan.EntryCount(), static_cast<int>(std::size(kRecordingNames)));
  for (const MediaEntry& e : scan.Entries()) EXPECT_TRUE(IsEmptyFacts(e.info)) << e.name;
}

// Tests run as root, which reads any file whatever its permissions, so
// "unreadable" is a folder, a FIFO or a link to nothing under the name.
TEST(HostileFiles, FoldersFifosAndDanglingLinksUnderRecordingNames) {
  TempDir dir;
  TempDir out;
  for (const char* name : kRecordingNames) {
    const std::string base(name);
    ASSERT_TRUE(fs::create_directory(dir / ("D" + base.substr(1))));
    ASSERT_EQ(::mkfifo((dir / ("P" + base.substr(1))).c_str(), 0644), 0);
    fs::create_symlink(dir / "nowhere", dir / ("L" + base.substr(1)));
  }
  for (const char* name : kRecordingNames) {
    for (const char* kind : {"D", "P", "L"}) {
      const std::string entry = kind + std::string(name).substr(1);
      SCOPED_TRACE(entry);
      // A FIFO without a writer must not hold the parse or the catalogue.
      EXPECT_TRUE(FinishesInChild([&] {
        EXPECT_EQ(ParseClean(dir / entry).result, -1);
        const CatalogueOutcome r = RunCatalogue(dir.Folder(), entry, out.Folder());
        if (r.added == 1) {
          EXPECT_TRUE(IsEmptyFacts(r.info));
        }
      }));
    }
  }
  // The scan lists none of them: folders are walked into, the rest skipped.
  EXPECT_TRUE(FinishesInChild([&] {
    MediaCatalog scan;
    EXPECT_EQ(scan.Load(dir.Folder(), ""), 1);
    EXPECT_EQ(scan.EntryCount(), 0);
  }));
}

TEST(HostileFiles, NamesWithQuotesAmpersandsAndBrokenUtf8ReachAWellFormedKml) {
  TempDir card;
  TempDir out;
  const std::string folder = "A&B \"cam\" 'x' <1>/\xC0\xAF\xFF/";
  ASSERT_TRUE(fs::create_directories(card.path() / folder));
  const std::string names[] = {"MOV_0001F&\"'<>.MOV", "AVI_0002\xFF\xFE.AVI",
                               "MOV_0003\xED\xA0\x80\x01.MOV"};
  for (const std::string& name : names) {
    recgen::RecordingRecipe recipe = ShortDrive(
        name.ends_with(".AVI") ? recgen::Container::kAvi : recgen::Container::kMov,
        recgen::Placement::kTopLevel);
    WriteFile(card.path() / folder / name, recgen::BuildSyntheticRecording(recipe));
  }

  MediaCatalog scan;
  ASSERT_EQ(scan.Load(card.Folder(), ""), 1);
  ASSERT_EQ(scan.EntryCount(), static_cast<int>(std::size(names)));
  for (int i = 0; i < scan.EntryCount(); ++i) {
    const MediaEntry& e = scan.Entries()[i];
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.subPath, folder);
    EXPECT_NE(e.info.durationMs, 0u);
    ASSERT_EQ(scan.Select(i), 1);
    scan.LoadTelemetry(i);
    std::string written;
    ASSERT_TRUE(scan.ExportKml(out.Folder(), written));
    const std::string kml = Slurp(written);
    EXPECT_TRUE(IsValidUtf8(kml));
    // The document's own path holds quotes: xmllint reads a plainly named copy.
    const fs::path plain = out / "plain.kml";
    fs::copy_file(written, plain, fs::copy_options::overwrite_existing);
    if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
      EXPECT_EQ(std::system(("xmllint --noout " + plain.string() + " 2>/dev/null").c_str()), 0) << kml;
    }
    EXPECT_NE(kml.find("&amp;"), std::string::npos);
    EXPECT_EQ(kml.find("<1>"), std::string::npos);
  }
}
