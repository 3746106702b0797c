#include "lineoutput.h"
#include "options.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop normally, so that the symlink goes away.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int fail(const QString &message, int code)
{
    std::fprintf(stderr, "zorvel-detector-sim: %s\n", message.toLocal8Bit().constData());
    if (code == 2)
        std::fprintf(stderr, "Try 'zorvel-detector-sim --help' for the options.\n");
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);  // a vanished reader is seen as a failed write

    SimOptions options;
    QString error;
    if (!parseOptions(app.arguments(), options, error))
        return fail(error, 2);
    if (options.help) {
        std::fputs(helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("zorvel-detector-sim 0.04");
        return 0;
    }

    LineOutput out(STDOUT_FILENO);
    LineOutput *logFile = nullptr;
    if (!options.logPath.isEmpty()) {
        logFile = LineOutput::openFile(options.logPath, error, &app);
        if (!logFile)
            return fail(error, 1);
    }
    quitOnSignals(app);  // before the port path tells anyone that we are up
    Simulator simulator(options, &out, logFile);
    if (!simulator.start(error))
        return fail(error, 1);
    QObject::connect(&simulator, &Simulator::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    return app.exec();
}
