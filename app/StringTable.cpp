#include "app/StringTable.h"

#include <cstdlib>
#include <map>
#include <string_view>

#include "app/AppSettings.h"
#include "app/Languages.h"
#include "app/StringIds.h"
#include "app/StringTableData.h"

namespace {

// Texts the system's language governs rather than the chosen one.
constexpr int kFirstSystemStringId = kStrAboutMenu;
constexpr int kLastSystemStringId = kStrStartupFailed;

using Table = std::map<int, std::string>;
using TableSet = std::map<std::uint16_t, Table>;

bool ParseNumber(std::string_view s, int base, long& value) {
  if (s.empty()) return false;
  std::string text(s);
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, base);
  return end && *end == '\0';
}

// Parses one embedded table; lines that do not fit the format are skipped
// (the test suite checks every table is complete).
void ParseTable(std::string_view text, TableSet& tables) {
  Table table;
  long languageId = -1;
  while (!text.empty()) {
    const auto nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    const std::string_view head = line.substr(0, tab);
    const std::string_view body = line.substr(tab + 1);
    long number = 0;
    if (head == "langid") {
      if (ParseNumber(body, 16, number)) languageId = number;
    } else if (ParseNumber(head, 10, number)) {
      table.emplace(static_cast<int>(number), std::string(body));
    }
  }
  if (languageId < 0 || languageId > 0xFFFF) return;
  tables[static_cast<std::uint16_t>(languageId)] = std::move(table);
}

const TableSet& Tables() {
  static const TableSet tables = [] {
    TableSet set;
    for (std::size_t i = 0; i < kStringTableSourceCount; ++i) ParseTable(kStringTableSources[i].text, set);
    return set;
  }();
  return tables;
}

const Table* FindTable(std::uint16_t languageId) {
  const TableSet& tables = Tables();
  auto it = tables.find(languageId);
  if (it == tables.end()) it = tables.find(PrimaryLanguageOf(languageId));  // neutral sub-language
  return it == tables.end() ? nullptr : &it->second;
}

// Language part and region part of a locale name such as "pt_BR.UTF-8@euro".
void SplitLocale(std::string_view locale, std::string_view& language, std::string_view& region) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  const auto sep = locale.find_first_of("_-");
  language = locale.substr(0, sep);
  region = sep == std::string_view::npos ? std::string_view() : locale.substr(sep + 1);
}

struct LocaleLanguage {
  const char* iso;   // ISO 639-1 code
  const char* code;  // row of g_languages
};

constexpr LocaleLanguage kLocaleLanguages[] = {
    {"en", "ENG"}, {"zh", "CHS"}, {"es", "ESP"}, {"ru", "RUS"}, {"pt", "POR"}, {"ja", "JPN"},
    {"de", "GER"}, {"fr", "FRA"}, {"ko", "KOR"}, {"it", "ITA"}, {"lv", "LAT"}, {"pl", "POL"},
    {"ro", "ROM"}, {"sk", "SLV"}, {"uk", "UKR"},
};

}  // namespace

const std::vector<int>& StringTableIds() {
  static const std::vector<int> ids = [] {
    std::vector<int> v;
    for (int id = kStrAboutMenu; id <= kStrNoRecordingTitle; ++id) v.push_back(id);
    for (int id = kStrTipOpen; id <= kStrUnreadableFiles; ++id) v.push_back(id);
    v.push_back(kStrYandexMap);
    return v;
  }();
  return ids;
}

std::string FindStringResource(std::uint16_t languageId, int id) {
  const Table* table = FindTable(languageId);
  if (!table) return {};
  const auto it = table->find(id);
  return it == table->end() ? std::string() : it->second;
}

std::string LoadLocalizedString(int id, std::uint16_t languageId) {
  std::string text = FindStringResource(languageId, id);
  if (text.empty()) text = FindStringResource(CAppSettings::GetDefaultLanguageId(), id);
  return text;
}

std::string LoadLocalizedString(int id) {
  if (id >= kFirstSystemStringId && id <= kLastSystemStringId) return LoadSystemString(id);
  return LoadLocalizedString(id, GetSettings().GetLanguageId());
}

std::string LoadSystemString(int id) { return LoadLocalizedString(id, SystemLanguageId()); }

std::uint16_t SystemLanguageId() {
  const char* locale = nullptr;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      locale = value;
      break;
    }
  }
  if (!locale) return kEnglishLanguageId;
  std::string_view language, region;
  SplitLocale(locale, language, region);
  for (const LocaleLanguage& l : kLocaleLanguages) {
    if (language != l.iso) continue;
    std::string_view code = l.code;
    // Traditional script in Taiwan, Hong Kong and Macao.
    if (code == "CHS" && (region == "TW" || region == "HK" || region == "MO" || region == "Hant"))
      code = "CHT";
    return g_languages[FindLanguage(code)].LanguageId();
  }
  return kEnglishLanguageId;
}
