#include "textlanguage.h"

#include <QRegularExpression>

namespace {

// "en", "en_GB.UTF-8", "en_US@euro", "en:ru" are English; "C.UTF-8", "ru_RU",
// "ru:en" and a code that only begins with the letters "en" are not.
bool isEnglish(const QString &value)
{
    const int end = value.indexOf(QRegularExpression("[_.@:]"));
    return value.left(end) == QLatin1String("en");
}

} // namespace

Language chosenLanguage(const QProcessEnvironment &environment)
{
    for (const char *variable : {"ZORVEL_LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = environment.value(variable);
        if (!value.isEmpty())
            return isEnglish(value) ? Language::English : Language::Russian;
    }
    return Language::Russian;
}
