#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QString>
#include <QStringList>

// The window program's own options. --help and --version are answered before
// any window is made, so they need no display; Qt's own options (-platform,
// -style, ...) are the toolkit's and are gone by the time the rest is read.
bool asksForHelp(const QStringList &arguments);
bool asksForVersion(const QStringList &arguments);
QString helpText();
QString versionText();

struct WindowOptions
{
    bool inMenuFolder = false;   // --in-config-folder: work in menuFolder()
    QString error;               // an option this program does not take
};
// The arguments Qt left, program name first.
WindowOptions windowOptions(const QStringList &arguments);

#endif // COMMANDLINE_H
