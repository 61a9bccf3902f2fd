#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/FileSystem.h"
#include "platform/ScopedTempDir.h"

namespace {

class PrivateProfileTest : public ::testing::Test {
 protected:
  ScopedTempDir dir;
  std::filesystem::path ini = dir / "test.ini";

  int Int(const char* section, const char* key, int def = -99) {
    return GetPrivateProfileInt(section, key, def, ini);
  }
  std::string Str(const char* section, const char* key, std::size_t size = 256) {
    return GetPrivateProfileString(section, key, "<default>", size, ini);
  }
};

TEST_F(PrivateProfileTest, MissingFileSectionOrKeyGivesDefaults) {
  EXPECT_EQ(Int("UI", "MAP", 7), 7);
  EXPECT_EQ(Str("UI", "Folder"), "<default>");
  WriteTextFile(ini, "[UI]\nMAP=1\n");
  EXPECT_EQ(Int("WINPOS", "LEFT", 3), 3);
  EXPECT_EQ(Int("UI", "MAP_ENABLE", 4), 4);
  EXPECT_EQ(Str("UI", "Folder"), "<default>");
}

TEST_F(PrivateProfileTest, IntegersParseLikeTheWindowsReader) {
  WriteTextFile(ini,
                "[N]\nplain=42\nneg= -50\nalpha=abc\nlead=12abc\nempty=\nquoted=\"5\"\n"
                "huge=99999999999\ntiny=-99999999999\nplus=+8\n");
  EXPECT_EQ(Int("N", "plain"), 42);
  EXPECT_EQ(Int("N", "neg"), -50);
  EXPECT_EQ(Int("N", "alpha"), 0);
  EXPECT_EQ(Int("N", "lead"), 12);
  EXPECT_EQ(Int("N", "empty", 17), 17);  // an empty value reads as missing
  EXPECT_EQ(Int("N", "quoted"), 5);
  EXPECT_EQ(Int("N", "huge"), INT_MAX);
  EXPECT_EQ(Int("N", "tiny"), INT_MIN);
  EXPECT_EQ(Int("N", "plus"), 8);
}

TEST_F(PrivateProfileTest, NamesIgnoreCaseAndBlanksValuesLoseQuotes) {
  WriteTextFile(ini, "[ ui ]\r\n  langid =  RUS \r\nPath='/a b/'\r\n; LANGID=GER\r\n");
  EXPECT_EQ(Str("UI", "LANGID"), "RUS");
  EXPECT_EQ(Str("Ui", "path"), "/a b/");
  EXPECT_EQ(Str("UI", "; LANGID"), "<default>");
}

TEST_F(PrivateProfileTest, OnlyTheNamedSectionIsSearched) {
  WriteTextFile(ini, "X=0\n[A]\nX=1\n[B]\nX=2\n[A]\nX=3\n");
  EXPECT_EQ(Int("A", "X"), 1);
  EXPECT_EQ(Int("B", "X"), 2);
  EXPECT_EQ(Int("C", "X", 9), 9);
}

TEST_F(PrivateProfileTest, StringReadHonoursTheBufferSizeWithoutCuttingCharacters) {
  WriteTextFile(ini, "[S]\nascii=abcdef\nwide=日本語テキスト\n");
  EXPECT_EQ(Str("S", "ascii", 4), "abc");
  EXPECT_EQ(Str("S", "ascii", 1), "");
  EXPECT_EQ(Str("S", "ascii", 0), "");
  EXPECT_EQ(Str("S", "wide", 3), "日本");
  EXPECT_EQ(GetPrivateProfileString("S", "none", "defaultvalue", 5, ini), "defa");
}

TEST_F(PrivateProfileTest, EveryReadSeesTheFileAsItIsNow) {
  WriteTextFile(ini, "[UI]\nMAP=1\n");
  EXPECT_EQ(Int("UI", "MAP"), 1);
  WriteTextFile(ini, "[UI]\nMAP=2\n");
  EXPECT_EQ(Int("UI", "MAP"), 2);
  std::filesystem::remove(ini);
  EXPECT_EQ(Int("UI", "MAP", 5), 5);
}

TEST_F(PrivateProfileTest, FirstWriteCreatesTheFile) {
  ASSERT_TRUE(WritePrivateProfileString("UI", "LANGID", "KOR", ini));
  EXPECT_EQ(ReadTextFile(ini), "[UI]\nLANGID=KOR\n");
  ASSERT_TRUE(WritePrivateProfileString("WINPOS", "LEFT", "10", ini));
  ASSERT_TRUE(WritePrivateProfileString("UI", "MAP", "2", ini));
  EXPECT_EQ(ReadTextFile(ini), "[UI]\nLANGID=KOR\nMAP=2\n[WINPOS]\nLEFT=10\n");
}

TEST_F(PrivateProfileTest, WriteKeepsEveryOtherLineAndItsOrder) {
  const std::string before =
      "\xEF\xBB\xBF; settings written by hand\r\n"
      "[UI]\r\n"
      "LANGID=GER\r\n"
      "Custom = keep me\r\n"
      "\r\n"
      "; window\r\n"
      "[WINPOS]\r\n"
      "Left=5\r\n"
      "[Other]\r\n"
      "MAP=9";  // no line break at the end
  WriteTextFile(ini, before);
  ASSERT_TRUE(WritePrivateProfileString("ui", "langid", "FRA", ini));
  ASSERT_TRUE(WritePrivateProfileString("UI", "MAP", "1", ini));
  ASSERT_TRUE(WritePrivateProfileString("WINPOS", "LEFT", "-50", ini));
  ASSERT_TRUE(WritePrivateProfileString("Other", "New", "x", ini));
  ASSERT_TRUE(WritePrivateProfileString("Extra", "A", "", ini));
  EXPECT_EQ(ReadTextFile(ini),
            "\xEF\xBB\xBF; settings written by hand\r\n"
            "[UI]\r\n"
            "LANGID=FRA\r\n"
            "Custom = keep me\r\n"
            "MAP=1\r\n"
            "\r\n"
            "; window\r\n"
            "[WINPOS]\r\n"
            "Left=-50\r\n"
            "[Other]\r\n"
            "MAP=9\r\n"
            "New=x\r\n"
            "[Extra]\r\n"
            "A=\r\n");
  EXPECT_EQ(Int("Other", "MAP"), 9);
  EXPECT_EQ(Int("WINPOS", "LEFT"), -50);
}

TEST_F(PrivateProfileTest, RefusedWritesChangeNothing) {
  WriteTextFile(ini, "[UI]\nMAP=1\n");
  EXPECT_FALSE(WritePrivateProfileString("UI", "MAP", "2\n[Evil]", ini));
  EXPECT_FALSE(WritePrivateProfileString("UI", "A=B", "1", ini));
  EXPECT_FALSE(WritePrivateProfileString("U]I", "MAP", "1", ini));
  EXPECT_FALSE(WritePrivateProfileString("", "MAP", "1", ini));
  EXPECT_FALSE(WritePrivateProfileString("UI", " ", "1", ini));

  ASSERT_TRUE(SetReadOnlyFile(ini, true));
  EXPECT_FALSE(WritePrivateProfileString("UI", "MAP", "2", ini));
  EXPECT_EQ(ReadTextFile(ini), "[UI]\nMAP=1\n");
  EXPECT_TRUE(IsReadOnlyFile(ini));

  // A folder in place of the file, and a file in a missing folder.
  EXPECT_FALSE(WritePrivateProfileString("UI", "MAP", "2", dir.path()));
  EXPECT_FALSE(WritePrivateProfileString("UI", "MAP", "2", dir / "missing/x.ini"));
}

TEST_F(PrivateProfileTest, WriteKeepsPermissionsAndFollowsLinks) {
  WriteTextFile(ini, "[UI]\nMAP=1\n");
  std::filesystem::permissions(ini, std::filesystem::perms(0640));
  const auto link = dir / "link.ini";
  std::filesystem::create_symlink(ini, link);
  ASSERT_TRUE(WritePrivateProfileString("UI", "MAP", "2", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Int("UI", "MAP"), 2);
  EXPECT_EQ(std::filesystem::status(ini).permissions(), std::filesystem::perms(0640));
  // No temporary file is left beside the settings.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 2);
}

}  // namespace
