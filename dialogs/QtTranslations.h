// QtTranslations: Qt's own texts (file dialogs, standard buttons) in the chosen language.
#pragma once

#include <QString>
#include <string_view>

// Qt's catalogues come from its translations folder (the Debian package
// qt6-translations-l10n). Follow() replaces the translators it installed
// before, so a language chosen in the configuration dialog takes effect at
// once; languages without a catalogue, and English, leave Qt's texts in
// English.
class QtTranslations {
 public:
  // Qt's name of the language with this code of g_languages ("GER" gives
  // "de", "CHT" "zh_TW"); empty for English and unknown codes.
  static QString QtLanguageName(std::string_view code);
  // Installs the catalogues of language row `languageIndex` in place of the
  // previous ones; true when a catalogue was loaded.
  static bool Follow(int languageIndex);
};
