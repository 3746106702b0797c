#include "commands.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "stopsignal.h"

#include <QCoreApplication>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The serial layer explains every failed exchange in a debug line. A scan
// would print one per silent address, so they show only with --verbose; the
// traffic log (QT_LOGGING_RULES="zorvel.traffic=true") is not a debug line
// and shows whenever it is turned on.
void quietDebug(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg)
        defaultHandler(type, context, message);
}

// One line, as every failure: scripts log standard error line by line.
int usageError(const QString &reason)
{
    return fail(ExitUsage, reason + " (see zorvel-cli --help)");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zorvel-cli");
    QCoreApplication::setApplicationVersion(ZORVEL_VERSION);

    CliOptions options;
    QString text;
    switch (parseCommandLine(QCoreApplication::arguments(), options, text)) {
    case ParseResult::Help:
    case ParseResult::Version:
        printLine(text.trimmed());
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
    return findCommand(options.command)->run(device, options);
}
