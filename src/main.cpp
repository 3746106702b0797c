#include <QApplication>
#include <QDir>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

#include "commandline.h"
#include "language.h"
#include "mainwindow.h"
#include "menufolder.h"

namespace {

QtMessageHandler toolkitHandler = nullptr;

// Without a display Qt ends the program with a fatal message and an abort;
// the program says why in one line and ends with status 1 instead.
void noDisplayHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        toolkitHandler(type, context, message);
        return;
    }
    std::fputs("zorvel-configurator: no display to show the window on (is DISPLAY or WAYLAND_DISPLAY set?)\n",
               stderr);
    std::_Exit(1);
}

int print(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
}

QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The menu's entry starts the window in a folder of its own, so that its
// files stay together and out of the home folder.
void enterMenuFolder()
{
    const QString folder = menuFolder();
    if (!QDir().mkpath(folder) || !QDir::setCurrent(folder))
        qWarning("zorvel-configurator: cannot work in %s; the working directory is kept", qPrintable(folder));
}

} // namespace

int main(int argc, char *argv[])
{
    const QStringList given = argumentList(argc, argv);
    if (asksForHelp(given))
        return print(helpText());
    if (asksForVersion(given))
        return print(versionText());

    toolkitHandler = qInstallMessageHandler(noDisplayHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(toolkitHandler);
    const WindowOptions options = windowOptions(QCoreApplication::arguments());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        return 2;
    }
    if (options.inMenuFolder)
        enterMenuFolder();

    app.setWindowIcon(QIcon(":/app.ico"));
    installTranslations(chosenLanguage(QProcessEnvironment::systemEnvironment()), translationFolders());
    MainWindow window;
    window.show();
    return app.exec();
}
