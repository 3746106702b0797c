#ifndef TEXTLANGUAGE_H
#define TEXTLANGUAGE_H

#include <QProcessEnvironment>

// The program's own texts (the window's, the status texts and units the
// command line prints too) are Russian. A service team that reads no Russian
// gets them in English: when ZORVEL_LANG is "en", or, without ZORVEL_LANG,
// when the user's language is English.
enum class Language { Russian, English };

// ZORVEL_LANG, LANGUAGE, LC_ALL, LC_MESSAGES, LANG: the first one set and not
// empty decides, English when its language code is "en".
Language chosenLanguage(const QProcessEnvironment &environment);

#endif // TEXTLANGUAGE_H
