#include "commandline.h"

namespace {

bool hasAny(const QStringList &arguments, const QStringList &names)
{
    for (int i = 1; i < arguments.size(); ++i) {
        if (names.contains(arguments[i]))
            return true;
    }
    return false;
}

const char *const kInMenuFolder = "--in-config-folder";

} // namespace

bool asksForHelp(const QStringList &arguments)
{
    return hasAny(arguments, {"-h", "--help"});
}

bool asksForVersion(const QStringList &arguments)
{
    return hasAny(arguments, {"-v", "--version"});
}

QString helpText()
{
    return QString::fromUtf8(R"(Usage: zorvel-configurator [OPTION]...

The configuration and service window for one gas detector on a serial port,
as a Modbus RTU master at 9600 8N1.

  --in-config-folder  keep the state file "ini" and the calibration journal
                      calibrations.csv in $XDG_CONFIG_HOME/zorvel-configurator
                      (~/.config/zorvel-configurator when XDG_CONFIG_HOME is
                      not set), made when missing, instead of the working
                      directory; the desktop menu's entry starts it so
  -h, --help          print this help and exit
  -v, --version       print the version and exit

Qt's own options, such as -platform and -style, are taken as well. The window
speaks English when ZORVEL_LANG=en is set or the locale is English.

Exit status: 0 when the window was closed or a text printed; 1 when no
display could be opened; 2 for an option it does not take.
)");
}

QString versionText()
{
    return QString("zorvel-configurator %1\n").arg(ZORVEL_VERSION);
}

WindowOptions windowOptions(const QStringList &arguments)
{
    WindowOptions options;
    for (const QString &argument : arguments.mid(1)) {
        if (argument == kInMenuFolder)
            options.inMenuFolder = true;
        else if (options.error.isEmpty())
            options.error = QString("zorvel-configurator: unknown option %1 (see zorvel-configurator --help)")
                                .arg(argument);
    }
    return options;
}
