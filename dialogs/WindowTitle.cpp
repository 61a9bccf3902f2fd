#include "dialogs/WindowTitle.h"

#include "app/StringTable.h"

namespace {

// "(&X)" at `i`, the mnemonic appended in Chinese, Japanese and Korean texts.
bool IsBracketedMnemonic(const QString& text, qsizetype i) {
  return i + 3 < text.size() && text[i] == u'(' && text[i + 1] == u'&' && text[i + 2] != u'&' &&
         text[i + 3] == u')';
}

}  // namespace

QString StripMnemonic(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (IsBracketedMnemonic(text, i)) {
      i += 3;
      continue;
    }
    if (text[i] != u'&') {
      out += text[i];
      continue;
    }
    // "&&" is one literal '&'; a lone '&' marks the next character.
    if (i + 1 < text.size() && text[i + 1] == u'&') {
      out += u'&';
      ++i;
    }
  }
  return out;
}

QString WindowTitle(int stringId) {
  return StripMnemonic(QString::fromStdString(LoadLocalizedString(stringId)));
}
