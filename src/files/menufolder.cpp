#include "menufolder.h"

#include <QDir>
#include <QFile>

QString menuFolder()
{
    const QString configHome = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    const QString base = QDir::isAbsolutePath(configHome) ? configHome : QDir::homePath() + "/.config";
    return QDir::cleanPath(base + "/zorvel-configurator");
}
