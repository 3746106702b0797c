#ifndef LANGUAGE_H
#define LANGUAGE_H

#include <QProcessEnvironment>
#include <QStringList>

#include "textlanguage.h"

// Beside the program (a build tree), then the share folder of its install
// prefix: where the window's own translations are looked for.
QStringList translationFolders();

// Installs what the window needs in `language`: for Russian, Qt's own Russian
// texts, so that file dialogs and context menus match the window; for
// English, the window's translation from the first of `folders` that has it.
// Returns the language the window will speak: Russian when the English
// translation cannot be found, which is said on standard error.
Language installTranslations(Language language, const QStringList &folders);
// The language the last installTranslations left the window in; Russian
// before one.
Language spokenLanguage();

#endif // LANGUAGE_H
