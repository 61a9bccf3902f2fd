#include <cstdio>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/Languages.h"
#include "app/StringTable.h"
#include "cli/CliCommand.h"

namespace {

// Prints every id of one language's table after the fallback to English,
// one "id<TAB>text" line per id in id order. Without --lang the language
// chosen in "Zel.ini" of the current directory is used.
int RunStrings(const std::vector<std::string>& args) {
  std::uint16_t languageId = 0;
  bool haveLanguage = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--lang" || i + 1 >= args.size()) {
      std::fprintf(stderr, "vantrel-cli strings: unexpected argument '%s'\n", args[i].c_str());
      return 2;
    }
    const int index = FindLanguage(args[++i]);
    if (index < 0) {
      std::fprintf(stderr, "vantrel-cli strings: unknown language '%s'\n", args[i].c_str());
      return 2;
    }
    languageId = g_languages[index].LanguageId();
    haveLanguage = true;
  }
  if (!haveLanguage) languageId = GetSettings().GetLanguageId();
  for (int id : StringTableIds())
    std::printf("%d\t%s\n", id, LoadLocalizedString(id, languageId).c_str());
  return 0;
}

}  // namespace

VANTREL_CLI_COMMAND(strings, "strings", "strings [--lang CODE]   print a language's string table", RunStrings);
