#include "commands.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "stopsignal.h"
#include "textlanguage.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The serial layer explains every failed exchange in a debug line. A scan
// would print one per silent address, so they show only with --verbose, and
// so do Qt's own warnings (a seek on /dev/full): without --verbose every
// failure is the program's one line. The traffic log
// (QT_LOGGING_RULES="zorvel.traffic=true") shows whenever it is turned on.
void quietDebug(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool traffic = qstrcmp(context.category, "zorvel.traffic") == 0;
    if (traffic || type == QtCriticalMsg || type == QtFatalMsg)
        defaultHandler(type, context, message);
}

// Its own messages are English; the status texts and units it shares with
// the window are Russian unless the user's language is English.
void speakTheUsersLanguage(QCoreApplication &app)
{
    if (chosenLanguage(QProcessEnvironment::systemEnvironment()) != Language::English)
        return;
    auto *english = new QTranslator(&app);
    if (english->load(":/translations/zorvel-configurator_en.qm"))
        QCoreApplication::installTranslator(english);
}

// One line, as every failure: scripts log standard error line by line.
int usageError(const QString &reason)
{
    return fail(ExitUsage, reason + " (see zorvel-cli --help)");
}

// A certificate lays out text, which needs the fonts of a GUI application;
// with no display it is laid out off screen. Every other command runs
// without a display library.
std::unique_ptr<QCoreApplication> application(int &argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "certificate") == 0) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            // Its start warns of what a display session would set; the
            // certificate needs none of it.
            const QtMessageHandler previous = qInstallMessageHandler(
                [](QtMsgType type, const QMessageLogContext &, const QString &message) {
                    if (type == QtCriticalMsg || type == QtFatalMsg)
                        std::fprintf(stderr, "%s\n", qPrintable(message));
                });
            auto app = std::make_unique<QGuiApplication>(argc, argv);
            qInstallMessageHandler(previous);
            return app;
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> app = application(argc, argv);
    QCoreApplication::setApplicationName("zorvel-cli");
    QCoreApplication::setApplicationVersion(ZORVEL_VERSION);
    speakTheUsersLanguage(*app);

    CliOptions options;
    QString text;
    switch (parseCommandLine(QCoreApplication::arguments(), options, text)) {
    case ParseResult::Help:
    case ParseResult::Version:
        if (!printLine(text.trimmed()))
            return fail(ExitUsage, "cannot write standard output: " + outputError());
        return ExitOk;
    case ParseResult::Error:
        return usageError(text);
    case ParseResult::Run:
        break;
    }
    if (!options.verbose)
        defaultHandler = qInstallMessageHandler(quietDebug);
    catchStopSignals();
    // The parser has checked that the command exists.
    ModbusOperations device;
    const int status = findCommand(options.command)->run(device, options);
    if (!outputError().isEmpty())
        return fail(status == ExitOk ? ExitUsage : status, "cannot write standard output: " + outputError());
    return status;
}
