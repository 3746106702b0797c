// The exchange on a hostile line, one case per run, printed as one Markdown
// table row for docs/robustness.md:
//   flood-slow  a line that never goes quiet: a byte every 3 ms for 5 s
//   flood-fast  bytes as fast as the pty takes them, for 5 s
//   quiet       the window polling a detector that has stopped answering
//   pull        the window polling a detector whose pty has just been closed
//   babble      the window connected to a line that babbles (a byte every
//               3 ms) from before "Подключить": each tick timed
// A flood case times one 80-word read; the window cases run the real
// one-second tick until the window disconnects itself.
#include "benchsupport.h"
#include "modbus.h"
#include "openmaster.h"
#include "ptypair.h"
#include "simwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

QTextStream out(stdout);

const int floodMs = 5000;
// Long enough for a window that gives up on its own.
const int babbleMs = 15000;

struct LoggedLines {
    int count = 0;
    qint64 longest = 0;
    QString first;
};
LoggedLines logged;

void countLine(QtMsgType, const QMessageLogContext &, const QString &text)
{
    if (logged.count++ == 0)
        logged.first = text.left(40);
    logged.longest = qMax<qint64>(logged.longest, text.size());
}

// Writes to the device's end of the pty for durationMs, or until told to stop:
// one byte every 3 ms, or as much as the pty takes.
void flood(int fd, bool fast, const std::atomic<bool> &stop, int durationMs)
{
    // Pauses of 3 ms must hold on a busy machine, or the line goes quiet.
    sched_param param{};
    param.sched_priority = 1;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    const QByteArray block(fast ? 4096 : 1, '\x55');
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; !stop && clock.elapsed() < durationMs; ++i) {
        pollfd pfd{fd, POLLOUT, 0};
        if (::poll(&pfd, 1, 20) > 0)
            (void)::write(fd, block.constData(), size_t(block.size()));
        if (!fast)
            QThread::usleep(quint64(qMax<qint64>(0, 3000 * (i + 1) - clock.nsecsElapsed() / 1000)));
    }
}

int floodCase(bool fast)
{
    PtyPair pty;
    OpenMaster master(pty.slavePath());
    if (!master.opened)
        return 1;
    fcntl(pty.master(), F_SETFL, fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
    std::atomic<bool> stop{false};
    std::thread device(flood, pty.master(), fast, std::cref(stop), floodMs);
    qInstallMessageHandler(countLine);
    out << "| " << (fast ? "flood, as fast as the pty takes it" : "flood, a byte every 3 ms") << " | ";
    out.flush();
    QElapsedTimer clock;
    clock.start();
    const int words = master.modbus.readInputRegisters(0x100, 80).size();
    const qint64 elapsed = clock.elapsed();
    stop = true;
    device.join();
    qInstallMessageHandler(nullptr);
    out << elapsed << " ms | " << words << " words | " << logged.count << " lines, longest "
        << logged.longest << " characters, first \"" << logged.first << "\" | " << residentKib() / 1024
        << " MiB |\n";
    return 0;
}

int windowCase(bool pull)
{
    SimWindow w;
    if (!w.failure().isEmpty()) {
        fprintf(stderr, "%s\n", qPrintable(w.failure()));
        return 1;
    }
    w.connectTo();
    w.probe->tick();
    if (pull) {
        w.sim.command("close");
        w.sim.waitForEvent("closed");
    } else {
        w.sim.command("fault noanswer persist");
    }
    qInstallMessageHandler(countLine);
    QElapsedTimer clock;
    clock.start();
    const double cpu = threadCpuSeconds();
    w.probe->timer().start(1000);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (!w.connected() || clock.elapsed() > 10000)
            loop.quit();
    });
    check.start(20);
    loop.exec();
    const double spent = threadCpuSeconds() - cpu;
    const qint64 elapsed = clock.elapsed();
    qInstallMessageHandler(nullptr);
    out << "| " << (pull ? "pty closed (adapter pulled)" : "detector silent") << " | "
        << (w.connected() ? "still connected" : "disconnected") << " after " << w.probe->failedPolls()
        << " failed polls, " << elapsed << " ms | " << fixed(1000 * spent, 0) << " ms | "
        << fixed(100 * spent / (elapsed / 1000.0), 1) << " % |\n";
    return 0;
}

// The window's ticks, run one after the other as the timer would, on a
// line that never falls quiet, until the window disconnects itself.
int babbleCase()
{
    PtyPair pty;
    SimWindow w({"--fast", "--steady"}, {pty.slavePath()});
    if (!w.failure().isEmpty()) {
        fprintf(stderr, "%s\n", qPrintable(w.failure()));
        return 1;
    }
    fcntl(pty.master(), F_SETFL, fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
    std::atomic<bool> stop{false};
    std::thread device(flood, pty.master(), false, std::cref(stop), babbleMs);
    qInstallMessageHandler(countLine);
    w.connectTo(1, pty.slavePath());
    QStringList ticks;
    QElapsedTimer clock;
    clock.start();
    while (w.connected() && ticks.size() < 10) {
        QElapsedTimer tick;
        tick.start();
        w.probe->tick();
        ticks << QString::number(tick.elapsed());
    }
    const qint64 elapsed = clock.elapsed();
    stop = true;
    device.join();
    qInstallMessageHandler(nullptr);
    out << "| line babbling from before the connection | ticks of " << ticks.join(", ") << " ms; "
        << (w.connected() ? "still connected" : "disconnected") << " after " << w.probe->failedPolls()
        << " failed polls, " << elapsed << " ms of ticks |\n";
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString which = app.arguments().value(1);
    if (which == "flood-slow" || which == "flood-fast")
        return floodCase(which == "flood-fast");
    if (which == "quiet" || which == "pull")
        return windowCase(which == "pull");
    if (which == "babble")
        return babbleCase();
    fprintf(stderr, "usage: zorvel-bench-line flood-slow|flood-fast|quiet|pull|babble\n");
    return 2;
}
