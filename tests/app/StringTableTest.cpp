#include "app/StringTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "app/AppSettings.h"
#include "app/Languages.h"
#include "telemetry/Resolutions.h"
#include "platform/ScopedTempDir.h"

namespace {

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

bool IsValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += 1 + extra;
  }
  return true;
}

TEST(StringTables, EveryLanguageHasEveryIdWithEnglishPlaceholders) {
  ASSERT_EQ(StringTableIds().size(), 69u);
  for (const LanguageEntry& lang : g_languages) {
    for (int id : StringTableIds()) {
      const std::string text = FindStringResource(lang.LanguageId(), id);
      const std::string english = FindStringResource(0x0409, id);
      SCOPED_TRACE(std::string(lang.code) + " " + std::to_string(id));
      EXPECT_FALSE(text.empty());
      EXPECT_TRUE(IsValidUtf8(text));
      EXPECT_EQ(CountOf(text, "%"), CountOf(english, "%"));
      EXPECT_EQ(CountOf(text, "%s"), CountOf(english, "%s"));
      EXPECT_EQ(CountOf(text, "%1"), CountOf(english, "%1"));
      EXPECT_EQ(CountOf(text, "%2"), CountOf(english, "%2"));
      EXPECT_EQ(text.find_first_of("\t\r\n"), std::string::npos);
    }
    const std::string quoted = FindStringResource(lang.LanguageId(), 141);
    EXPECT_NE(quoted.find("\"%s\""), std::string::npos) << lang.code;
  }
}

TEST(StringTables, EnglishTextsAreTheReferenceTexts) {
  EXPECT_EQ(LoadLocalizedString(101, 0x0409), "&About ZEL...");
  EXPECT_EQ(LoadLocalizedString(102, 0x0409), "Media player encountered a error.");
  EXPECT_EQ(LoadLocalizedString(126, 0x0409), "Save KML file:%s Failed.");
  EXPECT_EQ(LoadLocalizedString(132, 0x0409), "Folder is not exist.");
  EXPECT_EQ(LoadLocalizedString(135, 0x0409),
            "No seletected files. Please select some files and try this operation again.");
  EXPECT_EQ(LoadLocalizedString(141, 0x0409),
            "File \"%s\" is already exist. Are you sure to overwrite it?");
  EXPECT_EQ(LoadLocalizedString(1065, 0x0409), "Yandex Map");
}

TEST(StringTables, TranslationsDifferFromEnglish) {
  // Korean shares no text with English; the other languages translate the
  // longer sentences at least.
  for (int id : StringTableIds())
    EXPECT_NE(FindStringResource(0x0412, id), FindStringResource(0x0409, id)) << id;
  for (const LanguageEntry& lang : g_languages) {
    if (lang.LanguageId() == 0x0409) continue;
    std::set<std::string> distinct;
    for (int id : {129, 132, 133, 135, 141, 143}) {
      EXPECT_NE(FindStringResource(lang.LanguageId(), id), FindStringResource(0x0409, id))
          << lang.code << " " << id;
      distinct.insert(FindStringResource(lang.LanguageId(), id));
    }
    EXPECT_EQ(distinct.size(), 6u) << lang.code;
  }
}

TEST(StringTables, SpanishAndItalianComeFromTheNeutralTables) {
  const std::string spanish = FindStringResource(0x000A, 125);
  ASSERT_FALSE(spanish.empty());
  EXPECT_EQ(FindStringResource(0x040A, 125), spanish);
  EXPECT_EQ(LoadLocalizedString(125, 0x040A), spanish);
  EXPECT_NE(spanish, LoadLocalizedString(125, 0x0409));
  // Mexican Spanish has no table of its own either.
  EXPECT_EQ(FindStringResource(0x080A, 125), spanish);
  EXPECT_EQ(FindStringResource(0x0410, 110), FindStringResource(0x0010, 110));
  EXPECT_EQ(FindStringResource(0x0410, 110), "Impostazioni");
  // Tables stored under a full identifier are not found by a sibling.
  EXPECT_EQ(FindStringResource(0x0416, 110), "");  // Portuguese (Brazil)
}

TEST(StringTables, FallbackToEnglishTextByText) {
  EXPECT_EQ(LoadLocalizedString(110, 0x0413), "Config");  // Dutch: no table
  EXPECT_EQ(LoadLocalizedString(110, 0x0416), "Config");
  EXPECT_EQ(LoadLocalizedString(110, 0x0000), "Config");
  EXPECT_EQ(LoadLocalizedString(999, 0x0412), "");  // no language has it
  EXPECT_EQ(LoadLocalizedString(61440, 0x0409), "");
}

TEST(StringTables, SystemLanguageFollowsTheLocaleVariables) {
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  ::unsetenv("LANG");
  EXPECT_EQ(SystemLanguageId(), 0x0409);
  const std::pair<const char*, int> cases[] = {
      {"C", 0x0409},           {"POSIX", 0x0409},      {"C.UTF-8", 0x0409},
      {"ko_KR.UTF-8", 0x0412}, {"zh_CN.UTF-8", 0x0804}, {"zh_TW.UTF-8", 0x0404},
      {"zh_HK", 0x0404},       {"es_MX.UTF-8", 0x040A}, {"pt_BR.UTF-8", 0x0816},
      {"sk_SK", 0x041B},       {"de_AT@euro", 0x0407},  {"nl_NL.UTF-8", 0x0409},
      {"uk", 0x0422},
  };
  for (const auto& [locale, id] : cases) {
    ::setenv("LANG", locale, 1);
    EXPECT_EQ(SystemLanguageId(), id) << locale;
  }
  ::setenv("LANG", "fr_FR.UTF-8", 1);
  ::setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
  EXPECT_EQ(SystemLanguageId(), 0x0411);
  ::setenv("LC_ALL", "", 1);  // empty: not set
  EXPECT_EQ(SystemLanguageId(), 0x0411);
  ::setenv("LC_ALL", "ru_RU.UTF-8", 1);
  EXPECT_EQ(SystemLanguageId(), 0x0419);
  ::setenv("LC_ALL", "C.UTF-8", 1);
  ::unsetenv("LC_MESSAGES");
  ::unsetenv("LANG");
}

TEST(StringTables, ChosenLanguageDrivesLoadedTextsButNotSystemTexts) {
  ScopedTempDir dir;
  ScopedChdir cwd(dir.path());
  ASSERT_TRUE(GetSettings().SetLanguage(FindLanguage("KOR")));
  EXPECT_EQ(LoadLocalizedString(110), "설정");
  EXPECT_EQ(LoadLocalizedString(999), "");

  ::setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(LoadLocalizedString(101), "&About ZEL...");
  EXPECT_EQ(LoadSystemString(103), "Windows sockets initialization failed.");
  EXPECT_EQ(LoadLocalizedString(104), "미디어 선택");
  ::setenv("LC_ALL", "ko_KR.UTF-8", 1);
  EXPECT_EQ(LoadLocalizedString(101), "ZEL 정보(&A)...");
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  EXPECT_EQ(LoadLocalizedString(102), FindStringResource(0x0407, 102));
  EXPECT_EQ(LoadLocalizedString(110), "설정");
  ::setenv("LC_ALL", "C.UTF-8", 1);

  ASSERT_TRUE(GetSettings().SetLanguage(FindLanguage("ESP")));
  EXPECT_EQ(LoadLocalizedString(125), FindStringResource(0x000A, 125));
  GetSettings().SetLanguage(0);
}

TEST(Languages, TableRowsAndCaseSensitiveLookup) {
  EXPECT_EQ(FindLanguage("ENG"), 0);
  EXPECT_EQ(FindLanguage("SLV"), 14);
  EXPECT_EQ(FindLanguage("UKR"), 15);
  EXPECT_EQ(FindLanguage("eng"), -1);
  EXPECT_EQ(FindLanguage("EN"), -1);
  EXPECT_EQ(FindLanguage(""), -1);
  EXPECT_EQ(g_languages[3].LanguageId(), 0x040A);
  EXPECT_EQ(g_languages[5].LanguageId(), 0x0816);
  EXPECT_EQ(g_languages[14].LanguageId(), 0x041B);
  std::set<std::string> codes;
  for (const auto& l : g_languages) codes.insert(l.code);
  EXPECT_EQ(codes.size(), 16u);
}

TEST(Languages, ResolutionNames) {
  EXPECT_EQ(FindResolutionName(1920, 1080), "FHD");
  EXPECT_EQ(FindResolutionName(2048, 1536), "QXGA");
  EXPECT_EQ(FindResolutionName(2048, 1600), "QXGA");
  EXPECT_EQ(FindResolutionName(320, 240), "CIF");
  EXPECT_EQ(FindResolutionName(1440, 1080), "1440x1080");
  EXPECT_EQ(FindResolutionName(65535, 65535), "65535x65535");
  EXPECT_EQ(FindResolutionName(0, 1080), "");
  EXPECT_EQ(FindResolutionName(1920, 0), "");
  EXPECT_EQ(FindResolutionName(-1, -1), "");  // the terminating row
  EXPECT_EQ(FindResolutionName(1920, 1080, 2), "FH");
  EXPECT_EQ(FindResolutionName(1440, 1080, 4), "1440");
  EXPECT_EQ(g_resolutions.back().id, 13);
}

}  // namespace
