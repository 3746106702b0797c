#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

bool installTranslator(const QString &name, const QString &folder)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(name, folder) && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace

QStringList translationFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder, programFolder + "/../share/zorvel-configurator/translations"};
}

namespace {

Language spoken = Language::Russian;

} // namespace

Language spokenLanguage()
{
    return spoken;
}

Language installTranslations(Language language, const QStringList &folders)
{
    if (language == Language::English) {
        for (const QString &folder : folders) {
            if (installTranslator("zorvel-configurator_en", folder))
                return spoken = Language::English;
        }
        qWarning("zorvel-configurator: no English translation in %s; the window stays Russian",
                 qPrintable(folders.join(", ")));
    }
    // Missing when the Qt translations package is not installed: the
    // toolkit's dialogs then stay English, as they always were.
    installTranslator("qtbase_ru", QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    return spoken = Language::Russian;
}
