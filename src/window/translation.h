// The window's words in the user's language: its messages, questions and menu
// entries through Qt's translation system, from translations/hexpane_LANG.ts,
// built into the program. The captions of the window's controls are the same
// in every language; the command-line programs install no translation, so
// their output stays as written.
#pragma once

#include <QLocale>

namespace hexpane {

// Installs hexpane's translation for locale in place of any installed before,
// and Qt's own for its dialogs where the system has it; false when hexpane
// has none for that language, which leaves the words as written.
bool installTranslation(const QLocale& locale);

}  // namespace hexpane
