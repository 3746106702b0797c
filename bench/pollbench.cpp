// The line benchmarks, each printed as a Markdown section:
//  - one 80-word poll at real 9600-baud pacing against the line's own limit,
//    and the same read by libmodbus against the same simulator, in turns;
//  - the first tick of a connection against its wire-time limit;
//  - steady polling of the connected window for a while: CPU and memory,
//    next to a libmodbus loop polling a second simulator at the same rate.
#include "benchsupport.h"
#include "mainwindowprobe.h"
#include "modbusoperations.h"
#include "simulator.h"
#include "testsupport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <modbus/modbus.h>

namespace {

QTextStream out(stdout);

// The simulator's default turnaround, and the silence Modbus keeps between
// frames, which the master waits after an answer before its next request.
const int turnaroundMs = 5;
const int interFrameMs = 4;

// Wire limit of one read of n registers: request and answer on the line and
// the slave's turnaround. The answer ends at its last byte.
double readLimitMs(int registers)
{
    return wireMs(8 + 5 + 2 * registers) + turnaroundMs;
}

struct Libmodbus
{
    modbus_t *ctx = nullptr;
    explicit Libmodbus(const QString &port)
    {
        ctx = modbus_new_rtu(port.toLocal8Bit().constData(), 9600, 'N', 8, 1);
        modbus_set_slave(ctx, 1);
        if (modbus_connect(ctx) != 0) {
            modbus_free(ctx);
            ctx = nullptr;
        }
    }
    ~Libmodbus()
    {
        if (ctx) {
            modbus_close(ctx);
            modbus_free(ctx);
        }
    }
    bool read80()
    {
        uint16_t words[80];
        return ctx && modbus_read_input_registers(ctx, 256, 80, words) == 80;
    }
};

bool launch(SimulatorProcess &sim)
{
    if (sim.launch({"--steady"}))
        return true;
    fprintf(stderr, "simulator: %s\n", qPrintable(sim.errorText()));
    return false;
}

// Our poll and libmodbus's, in turns, each with the port opened just for it.
bool onePoll(int rounds)
{
    SimulatorProcess sim;
    if (!launch(sim))
        return false;
    QVector<double> ours, theirs, ratios, oursCpu, theirsCpu;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        ModbusOperations ops;
        ops.setNamePort(sim.portPath());
        ops.setSlaveAddress(1);
        if (!ops.open())
            return false;
        double cpu = threadCpuSeconds();
        qint64 start = monotonicNs();
        failures += ops.readInputValues().size() != 80;
        ours << msSince(start);
        oursCpu << 1000 * (threadCpuSeconds() - cpu);
        ops.close();

        Libmodbus peer(sim.portPath());
        cpu = threadCpuSeconds();
        start = monotonicNs();
        failures += !peer.read80();
        theirs << msSince(start);
        theirsCpu << 1000 * (threadCpuSeconds() - cpu);
        ratios << ours.last() / theirs.last();
        sim.clearRequests();
    }
    const double limit = readLimitMs(80);
    const double mine = median(ours), peer = median(theirs);
    out << "## One poll: 80 input registers at 9600 baud\n\n"
        << "Line limit: (8 + 165) characters x 1.042 ms + " << turnaroundMs << " ms turnaround = **"
        << fixed(limit, 1) << " ms**. "
        << rounds << " rounds, the two masters taking turns on the same simulator; "
        << failures << " failed reads.\n\n"
        << "| master | median ms | p10 | p90 | median - limit |\n|---|---|---|---|---|\n"
        << "| configurator (`readInputValues`) | " << fixed(mine, 1) << " | " << fixed(percentile(ours, 10), 1)
        << " | " << fixed(percentile(ours, 90), 1) << " | " << fixed(mine - limit, 1) << " |\n"
        << "| libmodbus `modbus_read_input_registers` | " << fixed(peer, 1) << " | "
        << fixed(percentile(theirs, 10), 1) << " | " << fixed(percentile(theirs, 90), 1) << " | "
        << fixed(peer - limit, 1) << " |\n\n"
        << "Ratio configurator / libmodbus: median of the ratios per round **" << fixed(median(ratios), 3)
        << "**, ratio of the medians " << fixed(mine / peer, 3) << " (target <= 1.00). "
        << "Median within 3 ms of the limit: " << (qAbs(mine - limit) <= 3 ? "**yes**" : "**no**") << ".\n\n"
        << "Processor time of one read (the calling thread's, median): configurator " << fixed(median(oursCpu), 2)
        << " ms (p10 " << fixed(percentile(oursCpu, 10), 2) << ", p90 " << fixed(percentile(oursCpu, 90), 2)
        << "), libmodbus " << fixed(median(theirsCpu), 2) << " ms (p10 " << fixed(percentile(theirsCpu, 10), 2)
        << ", p90 " << fixed(percentile(theirsCpu, 90), 2) << ").\n\n";
    out.flush();
    return failures == 0;
}

// The port the simulator made, picked in the list, and its slave address,
// as a user sets them before pressing Start.
void connectTo(MainWindowProbe &probe)
{
    probe.ui()->cComPort->setCurrentIndex(probe.ui()->cComPort->count() - 1);
    probe.ui()->sbMB_Adr->setValue(1);
}

int countUnanswered(const QVector<SimRequest> &requests)
{
    int unanswered = 0;
    for (const SimRequest &request : requests)
        unanswered += request.reply != "ok";
    return unanswered;
}

// The transactions of a connection's first tick: reload (holding 96 and 84,
// input 112), the poll (input 80), the gas name table (four times input 64),
// with the silence between frames before each but the first.
double firstTickLimitMs()
{
    double limit = -interFrameMs;
    for (const int n : {96, 84, 112, 80, 64, 64, 64, 64})
        limit += readLimitMs(n) + interFrameMs;
    return limit;
}

bool firstTick(int rounds)
{
    SimulatorProcess sim;
    if (!launch(sim))
        return false;
    qputenv("ZORVEL_EXTRA_PORTS", sim.portPath().toLocal8Bit());
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    connectTo(probe);
    QVector<double> ticks;
    int transactions = 0, unanswered = 0;
    for (int i = 0; i < rounds; ++i) {
        sim.clearRequests();
        probe.ui()->Start->click();
        if (!probe.timer().isActive())
            return false;
        const qint64 start = monotonicNs();
        probe.tick();
        ticks << msSince(start);
        probe.ui()->Stop->click();
        sim.waitForRequests(8);
        const QVector<SimRequest> requests = sim.requests();
        transactions = requests.size();
        unanswered += countUnanswered(requests);
    }
    const double limit = firstTickLimitMs();
    out << "## First tick of a connection\n\n"
        << "Reload (holding 96 + 84, input 112), poll (input 80) and gas name table (4 x input 64): "
        << transactions << " transactions seen by the simulator, " << unanswered
        << " of them not answered. Wire-time limit, each read as above and " << interFrameMs
        << " ms of silence between two: **"
        << fixed(limit, 1) << " ms**.\n\n"
        << "| | median ms | p10 | p90 | median - limit | per transaction | median / limit |\n"
        << "|---|---|---|---|---|---|---|\n"
        << "| first tick (" << rounds << " connections) | " << fixed(median(ticks), 1) << " | "
        << fixed(percentile(ticks, 10), 1) << " | " << fixed(percentile(ticks, 90), 1) << " | "
        << fixed(median(ticks) - limit, 1) << " | " << fixed((median(ticks) - limit) / 8, 2) << " | "
        << fixed(median(ticks) / limit, 3) << " |\n\n";
    out.flush();
    return transactions == 8 && unanswered == 0;
}

// libmodbus polling once a second on its own thread, for comparison.
class PeerLoop : public QThread
{
public:
    PeerLoop(const QString &port, int seconds) : port(port), seconds(seconds) {}
    double cpu = 0;
    int polls = 0, failures = 0;

protected:
    void run() override
    {
        Libmodbus peer(port);
        const double startCpu = threadCpuSeconds();
        const qint64 start = monotonicNs();
        for (int i = 0; i < seconds; ++i) {
            failures += !peer.read80();
            ++polls;
            const qint64 next = start + qint64(i + 1) * 1000000000LL;
            const qint64 wait = next - monotonicNs();
            if (wait > 0)
                QThread::usleep(quint64(wait / 1000));
        }
        cpu = threadCpuSeconds() - startCpu;
    }

private:
    QString port;
    int seconds;
};

// Processor time the window's thread spends inside its poll ticks: the
// timer's event arrives before the slot runs, and a connection made after the
// window's own runs after it.
class TickCpu : public QObject
{
public:
    explicit TickCpu(QTimer &timer)
    {
        timer.installEventFilter(this);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            if (startCpu >= 0)
                seconds += threadCpuSeconds() - startCpu;
            startCpu = -1;
            ++ticks;
        });
    }
    double seconds = 0;
    int ticks = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            startCpu = threadCpuSeconds();
        return false;
    }

private:
    double startCpu = -1;
};

// The window's own event loop, as the program runs it, for a while.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool steadyPolling(int seconds)
{
    SimulatorProcess sim, peerSim;
    if (!launch(sim) || !launch(peerSim))
        return false;
    qputenv("ZORVEL_EXTRA_PORTS", sim.portPath().toLocal8Bit());
    ScratchWorkingDir scratch;
    MainWindow window;
    window.show();
    MainWindowProbe probe(window);
    connectTo(probe);
    probe.ui()->Start->click();
    // The first tick (reload and gas table) is connection set-up, not steady polling.
    runEventLoop(2500);
    sim.clearRequests();

    TickCpu tickCpu(probe.timer());
    PeerLoop peer(peerSim.portPath(), seconds);
    QVector<long> rss;
    const double startCpu = threadCpuSeconds();
    const qint64 start = monotonicNs();
    peer.start();
    rss << residentKib();
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&rss] { rss << residentKib(); });
    sampler.start(5000);
    runEventLoop(seconds * 1000);
    sampler.stop();
    const double cpu = threadCpuSeconds() - startCpu;
    const double wall = msSince(start) / 1000.0;
    peer.wait();
    const QVector<SimRequest> requests = sim.requests();
    const int polls = requests.size(), unanswered = countUnanswered(requests);
    const bool connected = probe.timer().isActive();
    probe.ui()->Stop->click();

    QStringList samples;
    for (const long kib : rss)
        samples << QString::number(kib / 1024.0, 'f', 1);
    out << "## Steady polling\n\n"
        << "The connected window (offscreen) polling once a second for " << seconds
        << " s after its first tick, its thread's CPU time against the wall clock; beside it, in the "
           "same run, libmodbus polling a second simulator once a second on another thread.\n\n"
        << "| | polls | CPU s | share of one core |\n|---|---|---|---|\n"
        << "| configurator window | " << polls << " (" << unanswered << " unanswered) | " << fixed(cpu, 3) << " | **"
        << fixed(100 * cpu / wall, 2) << " %** |\n"
        << "| libmodbus loop | " << peer.polls << " (" << peer.failures << " failed) | " << fixed(peer.cpu, 3)
        << " | " << fixed(100 * peer.cpu / wall, 2) << " % |\n\n"
        << "Of the window's " << fixed(cpu, 3) << " s, " << fixed(tickCpu.seconds, 3) << " s were spent inside its "
        << tickCpu.ticks << " poll ticks (" << fixed(1000 * tickCpu.seconds / qMax(1, tickCpu.ticks), 2)
        << " ms a tick: the exchange, decoding, the LCD and the plot's data); the rest is the event loop, painting "
           "and this benchmark's own reading of the simulators' logs.\n\n"
        << "Resident memory of the process (MiB), every 5 s: " << samples.join(", ")
        << "; change over the run " << fixed((rss.last() - rss.first()) / 1024.0, 2) << " MiB, largest minus "
        << "smallest " << fixed((*std::max_element(rss.begin(), rss.end()) - *std::min_element(rss.begin(), rss.end())) / 1024.0, 2)
        << " MiB. "
        << "Target: under 1 % of one core: " << (100 * cpu / wall < 1 ? "**met**" : "**missed**")
        << (connected ? "" : " (the window disconnected during the run)") << ".\n\n";
    out.flush();
    return connected && unanswered == 0 && peer.failures == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QCommandLineParser parser;
    parser.setApplicationDescription("Line benchmarks of the configurator against the simulated detector.");
    parser.addHelpOption();
    const QCommandLineOption rounds("rounds", "rounds of the one-poll benchmark", "N", "40");
    const QCommandLineOption connections("connections", "connections for the first-tick benchmark", "N", "10");
    const QCommandLineOption steady("steady-seconds", "length of the steady polling run", "S", "60");
    const QCommandLineOption only("only", "run one benchmark alone (poll, tick or steady), e.g. under a profiler",
                                  "NAME");
    parser.addOptions({rounds, connections, steady, only});
    parser.process(app);

    const QString alone = parser.value(only);
    bool ok = true;
    if (alone.isEmpty() || alone == "poll")
        ok = onePoll(parser.value(rounds).toInt()) && ok;
    if (alone.isEmpty() || alone == "tick")
        ok = firstTick(parser.value(connections).toInt()) && ok;
    if (alone.isEmpty() || alone == "steady")
        ok = steadyPolling(parser.value(steady).toInt()) && ok;
    return ok ? 0 : 1;
}
