// Prints the position that the configurator's port list gives to the entry of
// a device path, with that path in ZORVEL_EXTRA_PORTS; -1 when it is not listed.
// scripts/demo uses it to preselect the simulated detector.
#include <QCoreApplication>
#include <QTextStream>

#include "portlist.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: zorvel-port-index DEVICE-PATH\n";
        return 2;
    }
    const QStringList entries = portListEntries();
    int index = -1;
    for (int i = 0; i < entries.size() && index < 0; ++i)
        if (entries[i].section(' ', 0, 0) == args[1])
            index = i;
    QTextStream(stdout) << index << '\n';
    return 0;
}
