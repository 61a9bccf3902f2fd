#include "app/AppSettings.h"

#include <gtest/gtest.h>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTempDir.h"

namespace {

// Every test runs in its own empty current directory, where the settings
// file lives, with a known screen and documents folder.
class AppSettingsTest : public ::testing::Test {
 protected:
  ScopedTempDir dir;
  ScopedChdir cwd{dir.path()};
  std::filesystem::path ini = dir / "Zel.ini";

  void SetUp() override {
    SetScreenSizeProvider([] { return ScreenSize{1920, 1080}; });
    SetDocumentsFolderProvider([this] { return (dir / "Docs").string(); });
  }
  void TearDown() override {
    SetScreenSizeProvider(nullptr);
    SetDocumentsFolderProvider(nullptr);
  }

  WindowRect FittedFrom(const std::string& winpos) {
    WriteTextFile(ini, "[WINPOS]\n" + winpos);
    return CAppSettings().LoadWindowPos();
  }
};

void ExpectRect(const WindowRect& r, int left, int top, int right, int bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

TEST_F(AppSettingsTest, FirstRunWithoutFileUsesDefaultsAndCreatesNothing) {
  CAppSettings s;
  EXPECT_EQ(s.GetIniPath(), (dir / "Zel.ini").string());
  EXPECT_EQ(s.GetLanguageIndex(), 0);
  EXPECT_EQ(s.GetLanguageId(), 0x0409);
  EXPECT_EQ(s.GetMapProvider(), 0);
  EXPECT_TRUE(s.IsMapEnabled());
  EXPECT_TRUE(s.IsGSensorEnabled());
  ExpectRect(s.LoadWindowPos(), 0, 0, 800, 560);
  EXPECT_EQ(s.GetMediaFolder(), "");
  EXPECT_EQ(s.GetMapUrl(), "");
  EXPECT_FALSE(FileExists(ini));

  EXPECT_TRUE(s.SetMapEnabled(false));
  EXPECT_TRUE(FileExists(ini));
  EXPECT_FALSE(s.IsMapEnabled());
}

TEST_F(AppSettingsTest, WindowPositionIsFittedToTheScreen) {
  ExpectRect(FittedFrom("LEFT=100\nTOP=100\nRIGHT=300\nBOTTOM=300\n"), 100, 100, 900, 660);
  ExpectRect(FittedFrom("LEFT=-50\nTOP=20\nRIGHT=950\nBOTTOM=720\n"), 0, 20, 1000, 720);
  // Beyond the right and bottom edges: shifted back onto the screen.
  ExpectRect(FittedFrom("LEFT=1500\nTOP=900\nRIGHT=2300\nBOTTOM=1460\n"), 1120, 520, 1920, 1080);
  // Larger than the screen: shrunk to it.
  ExpectRect(FittedFrom("LEFT=-10\nTOP=-10\nRIGHT=5000\nBOTTOM=5000\n"), 0, 0, 1920, 1080);
  // Damaged values neither overflow nor leave the screen.
  ExpectRect(FittedFrom("LEFT=-2147483648\nTOP=abc\nRIGHT=2147483647\nBOTTOM=x\n"), 0, 0, 1920, 560);

  SetScreenSizeProvider([] { return ScreenSize{640, 480}; });
  ExpectRect(FittedFrom("LEFT=100\nTOP=100\nRIGHT=300\nBOTTOM=300\n"), 0, 0, 640, 480);
}

TEST_F(AppSettingsTest, SavedWindowPositionReadsBack) {
  CAppSettings s;
  EXPECT_TRUE(s.SaveWindowPos({30, 40, 1030, 840}));
  EXPECT_EQ(ReadTextFile(ini), "[WINPOS]\nLEFT=30\nTOP=40\nRIGHT=1030\nBOTTOM=840\n");
  ExpectRect(s.LoadWindowPos(), 30, 40, 1030, 840);
}

TEST_F(AppSettingsTest, MapProviderIsClampedOnReadButStoredAsGiven) {
  CAppSettings s;
  for (const auto& [text, expected] :
       {std::pair{"7", 2}, {"-1", 0}, {"abc", 0}, {"1", 1}, {"2", 2}, {"", 0}}) {
    WriteTextFile(ini, std::string("[UI]\nMAP=") + text + "\n");
    EXPECT_EQ(s.GetMapProvider(), expected) << "MAP=" << text;
    EXPECT_EQ(s.GetLastMapProvider(), expected);
  }
  EXPECT_TRUE(s.SetMapProvider(5));
  EXPECT_EQ(s.GetLastMapProvider(), 5);
  EXPECT_EQ(ReadTextFile(ini), "[UI]\nMAP=5\n");
  EXPECT_EQ(s.GetMapProvider(), 2);
}

TEST_F(AppSettingsTest, LanguageCodeIsMatchedExactly) {
  WriteTextFile(ini, "[UI]\nLANGID=eng\n");
  EXPECT_EQ(CAppSettings().GetLanguageIndex(), 0);
  WriteTextFile(ini, "[UI]\nLANGID=rus\n");
  EXPECT_EQ(CAppSettings().GetLanguageId(), 0x0409);
  WriteTextFile(ini, "[UI]\nLANGID=XYZ\n");
  EXPECT_EQ(CAppSettings().GetLanguageIndex(), 0);

  WriteTextFile(ini, "[UI]\nLANGID=RUS\n");
  CAppSettings s;
  EXPECT_EQ(s.GetLanguageIndex(), 4);
  EXPECT_EQ(s.GetLanguageId(), 0x0419);
  // The language is read once, when the store is created.
  WriteTextFile(ini, "[UI]\nLANGID=GER\n");
  EXPECT_EQ(s.GetLanguageIndex(), 4);
}

TEST_F(AppSettingsTest, SetLanguageOutOfRangeChangesAndWritesNothing) {
  CAppSettings s;
  EXPECT_FALSE(s.SetLanguage(16));
  EXPECT_FALSE(s.SetLanguage(-1));
  EXPECT_EQ(s.GetLanguageIndex(), 0);
  EXPECT_FALSE(FileExists(ini));

  EXPECT_TRUE(s.SetLanguage(14));
  EXPECT_EQ(s.GetLanguageId(), 0x041B);
  EXPECT_EQ(ReadTextFile(ini), "[UI]\nLANGID=SLV\n");
  EXPECT_EQ(CAppSettings().GetLanguageIndex(), 14);
}

TEST_F(AppSettingsTest, LanguageTableQueries) {
  EXPECT_EQ(CAppSettings::GetLanguageCount(), 16);
  EXPECT_EQ(CAppSettings::GetDefaultLanguageId(), 0x0409);
  EXPECT_EQ(CAppSettings::GetLanguageCode(9), "KOR");
  EXPECT_EQ(CAppSettings::GetLanguageCode(16), "");
  EXPECT_EQ(CAppSettings::GetLanguageCode(-1), "");
  EXPECT_EQ(CAppSettings::GetLanguageName("UKR"), "Українська");
  EXPECT_EQ(CAppSettings::GetLanguageName("ukr"), "");
}

TEST_F(AppSettingsTest, MediaFolderThatNoLongerExistsReadsEmpty) {
  CAppSettings s;
  const auto card = dir / "card";
  std::filesystem::create_directory(card);
  std::string folder = card.string();
  EXPECT_TRUE(s.SetMediaFolder(folder));
  EXPECT_EQ(folder, card.string());
  EXPECT_EQ(s.GetMediaFolder(), card.string());

  std::filesystem::remove(card);
  EXPECT_EQ(s.GetMediaFolder(), "");

  std::string missing = (dir / "gone").string();
  EXPECT_TRUE(s.SetMediaFolder(missing));
  EXPECT_EQ(missing, "");
  EXPECT_EQ(ReadTextFile(ini), "[UI]\nFolder=\n");
}

TEST_F(AppSettingsTest, KmlFolderIsCreatedBelowTheDocumentsFolder) {
  CAppSettings s;
  std::string folder;
  EXPECT_TRUE(s.GetKmlFolder(folder));
  EXPECT_EQ(folder, (dir / "Docs").string() + "/ZEL/KML/");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Docs/ZEL/KML"));
  EXPECT_TRUE(s.GetKmlFolder(folder));  // existing folder

  SetDocumentsFolderProvider([this] { return (dir / "Docs2").string() + "/"; });
  EXPECT_TRUE(s.GetKmlFolder(folder));
  EXPECT_EQ(folder, (dir / "Docs2").string() + "/ZEL/KML/");

  SetDocumentsFolderProvider([] { return std::string(); });
  EXPECT_FALSE(s.GetKmlFolder(folder));

  WriteTextFile(dir / "NotAFolder", "x");
  SetDocumentsFolderProvider([this] { return (dir / "NotAFolder").string(); });
  EXPECT_FALSE(s.GetKmlFolder(folder));
}

TEST_F(AppSettingsTest, HandEditShowsOnTheNextRead) {
  CAppSettings s;
  EXPECT_TRUE(s.SetGSensorEnabled(false));
  EXPECT_FALSE(s.IsGSensorEnabled());
  WriteTextFile(ini, "[UI]\nGSNR_ENABLE=1\nMAP_URL=http://maps.example/vantrel/\n");
  EXPECT_TRUE(s.IsGSensorEnabled());
  EXPECT_EQ(s.GetMapUrl(), "http://maps.example/vantrel/");
  WriteTextFile(ini, "[UI]\nGSNR_ENABLE=abc\n");
  EXPECT_FALSE(s.IsGSensorEnabled());
}

TEST_F(AppSettingsTest, SplitterPositionsReadBackAndDamagedKeysReadZero) {
  CAppSettings s;
  EXPECT_EQ(s.LoadSplitters(), SplitterPositions{});  // no file yet
  EXPECT_TRUE(s.SaveSplitters({2500, 4000, 1800, 1500}));
  EXPECT_EQ(ReadTextFile(ini), "[UI]\nSPLIT_COLUMN=2500\nSPLIT_MAP=4000\nSPLIT_LIST=1800\nSPLIT_CHART=1500\n");
  EXPECT_EQ(CAppSettings().LoadSplitters(), (SplitterPositions{2500, 4000, 1800, 1500}));
  // Hand-damaged: not a number reads 0, a number with junk its digits; the
  // window replaces what it cannot use.
  WriteTextFile(ini, "[UI]\nSPLIT_COLUMN=abc\nSPLIT_MAP=-7\nSPLIT_LIST=12px\nSPLIT_CHART=\n");
  EXPECT_EQ(s.LoadSplitters(), (SplitterPositions{0, -7, 12, 0}));
}

TEST_F(AppSettingsTest, WritesKeepOtherKeysAndFailOnReadOnlyFile) {
  const std::string before = "; kept\n[UI]\nLANGID=GER\nMAP=1\nUnknown=yes\n[Mine]\nA=1\n";
  WriteTextFile(ini, before);
  CAppSettings s;
  EXPECT_TRUE(s.SetMapEnabled(false));
  EXPECT_TRUE(s.SaveWindowPos({1, 2, 801, 562}));
  EXPECT_EQ(ReadTextFile(ini),
            "; kept\n[UI]\nLANGID=GER\nMAP=1\nUnknown=yes\nMAP_ENABLE=0\n[Mine]\nA=1\n"
            "[WINPOS]\nLEFT=1\nTOP=2\nRIGHT=801\nBOTTOM=562\n");

  const std::string written = ReadTextFile(ini);
  ASSERT_TRUE(SetReadOnlyFile(ini, true));
  EXPECT_FALSE(s.SetMapEnabled(true));
  EXPECT_FALSE(s.SetLanguage(3));
  EXPECT_EQ(ReadTextFile(ini), written);
}

TEST_F(AppSettingsTest, ProcessStoreUsesTheFirstCurrentDirectory) {
  WriteTextFile(ini, "[UI]\nLANGID=JPN\n");
  CAppSettings& s = GetSettings();
  EXPECT_EQ(&s, &GetSettings());
  EXPECT_EQ(s.GetIniPath(), ini.string());
  EXPECT_EQ(s.GetLanguageIndex(), 6);
}

}  // namespace
