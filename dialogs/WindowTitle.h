// WindowTitle: a text of the string tables shown as a window title, without mnemonic markers.
#pragma once

#include <QString>

// Some texts serve both a menu item and a window title ("&About ZEL...").
// A title has no keyboard mnemonic, so the marker goes: "&X" gives "X",
// the East Asian form "(&X)" goes whole, and "&&" stays a literal "&".
QString StripMnemonic(const QString& text);

// Text `stringId` of the chosen language, stripped as above.
QString WindowTitle(int stringId);
