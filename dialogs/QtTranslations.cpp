#include "dialogs/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "app/Languages.h"

namespace {

struct QtLanguage {
  const char* code;
  const char* name;
};

// Portuguese is Portugal's; Slovenčina is Slovak.
constexpr QtLanguage kQtLanguages[] = {
    {"CHS", "zh_CN"}, {"CHT", "zh_TW"}, {"ESP", "es"}, {"RUS", "ru"}, {"POR", "pt_PT"},
    {"JPN", "ja"},    {"GER", "de"},    {"FRA", "fr"}, {"KOR", "ko"}, {"ITA", "it"},
    {"LAT", "lv"},    {"POL", "pl"},    {"ROM", "ro"}, {"SLV", "sk"}, {"UKR", "uk"},
};

// Whole-of-Qt catalogue first: for most languages "qt_xx" only names the
// module catalogues ("qtbase_xx" and others), for a few (Portugal's
// Portuguese) it is the only one there is. When it does not load (a module
// catalogue missing), "qtbase_xx" alone still gives the widgets' texts.
constexpr const char* kCatalogues[] = {"qt_", "qtbase_"};

// The one translator installed by Follow(), if any.
std::unique_ptr<QTranslator>& Installed() {
  static std::unique_ptr<QTranslator> translator;
  return translator;
}

void RemoveInstalled() {
  if (Installed()) QCoreApplication::removeTranslator(Installed().get());
  Installed().reset();
}

// Loads exactly `file` (no shorter fallback name), or nothing.
std::unique_ptr<QTranslator> LoadCatalogue(const QString& file, const QString& folder) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(file, folder, QStringLiteral("-"))) return nullptr;
  return translator;
}

}  // namespace

QString QtTranslations::QtLanguageName(std::string_view code) {
  for (const QtLanguage& language : kQtLanguages)
    if (code == language.code) return QString::fromLatin1(language.name);
  return {};
}

bool QtTranslations::Follow(int languageIndex) {
  RemoveInstalled();
  if (languageIndex < 0 || languageIndex >= kLanguageCount) return false;
  const QString name = QtLanguageName(g_languages[languageIndex].code);
  if (name.isEmpty()) return false;
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* catalogue : kCatalogues) {
    std::unique_ptr<QTranslator> translator = LoadCatalogue(QLatin1String(catalogue) + name, folder);
    if (!translator) continue;
    QCoreApplication::installTranslator(translator.get());
    Installed() = std::move(translator);
    return true;
  }
  return false;
}
