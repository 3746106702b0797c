// Soak run: the configurator window (offscreen) against the simulated
// detector for a chosen time, with faults put on a share of the answers
// (corrupted CRC, truncation, gaps, garbage, silence, wrong slave, and the
// pty closed, after which a new simulator is started, another detector with
// its own serial number and decimal count). Start is clicked again after
// each automatic disconnect, and now and then the parameters are edited and
// written, reloaded, or the mode switched, as a user would.
// Around every poll tick it checks that
//  - the LCD shows exactly the concentration of this tick's answer, in the
//    simulator's own decimal count, when the poll succeeded and the block
//    has been read on this connection; no concentration before that; and
//    keeps its value when the poll failed; so every value it ever showed is
//    one the simulator sent, in the count the simulator has;
//  - no block reaches the simulator before its own block has been read on
//    this connection, and every block carries its serial number and count;
//  - a poll succeeds or fails as the fault on its answer says it must;
//  - every write the simulator received is one the window meant to send,
//    and a write carries the value the user typed;
//  - a reload whose answers came through holds the simulator's registers.
// It reports polls, failures, reconnects and resident memory over time.
#include "benchsupport.h"
#include "mainwindowprobe.h"
#include "registermodel.h"
#include "soakchecks.h"
#include "testsupport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDoubleSpinBox>
#include <QLCDNumber>
#include <QMap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTextStream>
#include <QTimer>

#include <cmath>
#include <memory>

using namespace RegisterModel;

namespace {

struct Settings
{
    int seconds = 600;
    double rate = 0.05;
    int intervalMs = 1000;
    quint32 seed = 1;
    bool fast = false;
    bool closing = true;
};

const QStringList kFaultKinds{"badcrc", "truncate", "gap=30", "garbage", "noanswer", "wrongaddr", "close"};

// An edit the user made before clicking Write, and the word it must give.
struct Edit
{
    QDoubleSpinBox *box;
    int word;
    quint16 mask;
};

class Soak : public QObject
{
public:
    Soak(const Settings &s, const QString &linkPath) : s(s), link(linkPath), random(s.seed)
    {
        window = std::make_unique<MainWindow>();
        probe = std::make_unique<MainWindowProbe>(*window);
        ui = probe->ui();
        ui->cComPort->setCurrentIndex(ui->cComPort->findText(link, Qt::MatchStartsWith));
        // A fresh working directory holds no "ini": the address would be 0,
        // the broadcast one, to which no detector answers.
        ui->sbMB_Adr->setValue(1);
        // The soak takes the timer's ticks itself, to look before and after each.
        QObject::disconnect(&probe->timer(), &QTimer::timeout, window.get(), nullptr);
        QObject::connect(&probe->timer(), &QTimer::timeout, this, [this] { tick(); });
        QObject::connect(&supervisor, &QTimer::timeout, this, [this] { supervise(); });
        QObject::connect(&sampler, &QTimer::timeout, this, [this] { sample(); });
    }

    int run(QTextStream &out);

private:
    bool startSimulator();
    void supervise();
    void userActs();
    void tick();
    void checkPoll(const TickRequests &requests, double lcdBefore, bool disconnected);
    void checkReload(const TickRequests &requests, const QVector<quint16> &before, bool wrote);
    void checkEdits(bool reloaded);
    void checkShown(double shown, int conc);
    void sample();
    void problem(const QString &text);
    void report(QTextStream &out);

    Settings s;
    QString link;
    QRandomGenerator random;
    std::unique_ptr<SimulatorProcess> sim;
    DetectorIdentity detector;   // of the simulator now running
    BlockRead blockRead = BlockRead::No;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowProbe> probe;
    Ui_MainWindow *ui = nullptr;
    QTimer supervisor, sampler;
    qint64 startNs = 0;

    MeantWrites meant;
    QVector<QPair<Edit, quint16>> pendingEdits;
    QSet<int> concentrationsSent;
    QSet<double> concentrationsShown;

    int ticks = 0, polls = 0, pollsReached = 0, failedPolls = 0, reconnects = 0, simulators = 0;
    int autoDisconnects = 0, startRetries = 0, writesChecked = 0, reloadsChecked = 0, editsChecked = 0;
    int shownChecked = 0, blankChecked = 0, originsChecked = 0;
    QMap<QString, int> faultsOnPolls;
    QStringList problems;
    int problemCount = 0;
    QVector<QPair<double, long>> rss;
};

bool Soak::startSimulator()
{
    sim = std::make_unique<SimulatorProcess>();
    // Each new simulator is another detector: the window must read it anew.
    detector.serial = 20240000u + quint32(simulators);
    detector.decimals = (2 + simulators) % 4;
    QStringList args{"--link", link, "--exit-on-close", "--seed", QString::number(s.seed + simulators),
                     "--decimals", QString::number(detector.decimals), "--serial", QString::number(detector.serial),
                     "--concentration", "25", "--drift", "10", "--drift-period", "37", "--noise", "0.3"};
    if (s.fast)
        args << "--fast";
    // Several rules at rate q each fire on about rate of the answers together.
    const int kinds = s.closing ? kFaultKinds.size() : kFaultKinds.size() - 1;
    const double q = 1 - std::pow(1 - s.rate, 1.0 / kinds);
    for (int i = 0; i < kinds; ++i)
        args << "--fault" << QString("%1,rate=%2").arg(kFaultKinds[i]).arg(q, 0, 'f', 6);
    ++simulators;
    if (sim->launch(args))
        return true;
    problem("simulator did not start: " + sim->errorText());
    return false;
}

// Between ticks: a vanished simulator is replaced, and a window that
// disconnected itself is connected again.
void Soak::supervise()
{
    if (!sim || sim->state() != QProcess::Running) {
        sim.reset();
        if (!startSimulator())
            return;
    }
    if (probe->timer().isActive())
        return;
    ui->Start->click();
    if (probe->timer().isActive()) {
        probe->timer().setInterval(s.intervalMs);
        blockRead = BlockRead::No;
        ++reconnects;
    } else {
        ++startRetries;
    }
}

// Now and then what a user does between two ticks: edit a value and write
// the block, reload, or switch the mode. Right after connecting, before the
// block has been read, Write is tried far more often, even with the read
// still being retried: that is when an earlier detector's block could go
// out. It is pressed only while the window
// holds the block as the detector's; otherwise it would answer with a
// message box that nobody here closes.
void Soak::userActs()
{
    const quint32 dice = random.bounded(100);
    const quint32 writeChance = blockRead == BlockRead::No ? 50 : 4;
    const bool reloadAhead = probe->reqReload() && blockRead != BlockRead::No;
    if (dice < writeChance && !reloadAhead && !probe->reqWrite() && probe->blockIsDetectors()) {
        const Edit edits[] = {{ui->deadZone, DeadZoneWord, 0xFFFF},
                              {ui->limit1_level, Threshold1Word, 0x7FFF},
                              {ui->limit3_level, Threshold3LevelWord, 0xFFFF},
                              {ui->magCalib, MagneticCalibrationWord, 0xFFFF}};
        const Edit &edit = edits[random.bounded(4)];
        const double value = edit.box->minimum() + random.generateDouble() * (qMin(edit.box->maximum(), 200.0) - edit.box->minimum());
        edit.box->setValue(value);
        pendingEdits.append({edit, quint16(encodeScaled(edit.box->value(), probe->scale(), edit.mask))});
        ui->Write->click();
    } else if (dice < writeChance + 2) {
        ui->Reload->click();
    } else if (dice < writeChance + 4 && ui->mode_service->isEnabled()) {
        ui->mode_service->click();
    } else if (dice < writeChance + 6 && ui->mode_working->isEnabled()) {
        ui->mode_working->click();
    }
}

void Soak::tick()
{
    if (!sim)
        return;
    userActs();
    meant = MeantWrites();
    const bool reloadPending = probe->reqReload();
    meant.block = probe->reqWrite();
    if (probe->reqServiceMode())
        meant.singleMode << kServiceModeBit;
    if (probe->reqWorkingMode())
        meant.singleMode << 0;
    const QVector<quint16> holdBefore(probe->regHold(), probe->regHold() + kDeviceWords);
    const double lcdBefore = ui->lcdValue->value();
    sim->clearRequests();

    QMetaObject::invokeMethod(window.get(), "Timer", Qt::DirectConnection);
    ++ticks;

    // The simulator logs a request before it answers: everything this tick
    // sent is in its pipe by now.
    sim->waitForRequests(1, 200);
    const TickRequests requests = splitTick(sim->requests());
    const bool disconnected = !probe->timer().isActive();
    if (disconnected) {
        ++autoDisconnects;
        if (probe->failedPolls() <= 2)
            problem(QString("disconnected after %1 failed polls").arg(probe->failedPolls()));
    }
    if (meant.block)
        meant.words = QVector<quint16>(probe->regHold(), probe->regHold() + kDeviceWords);
    // The reload comes before the write in a tick.
    blockRead = afterReload(blockRead, requests.reloadOutcome());
    writesChecked += checkWrites(requests.all, meant, &problems);
    originsChecked += checkBlockOrigin(requests.all, blockRead, detector, &problems);
    problemCount = problems.size();
    checkPoll(requests, lcdBefore, disconnected);
    if (reloadPending)
        checkReload(requests, holdBefore, meant.block);
    if (meant.block)
        checkEdits(reloadPending);
    sim->clearRequests();
    sim->clearEvents();
}

void Soak::checkPoll(const TickRequests &requests, double lcdBefore, bool disconnected)
{
    ++polls;
    const bool succeeded = probe->failedPolls() == 0;
    failedPolls += !succeeded;
    const double shown = ui->lcdValue->value();
    const SimRequest *poll = requests.poll();
    if (!poll) {
        if (succeeded)
            problem("a poll succeeded that the simulator never saw");
        return;
    }
    ++pollsReached;
    ++faultsOnPolls[faultKind(poll->fault)];
    const int conc = loggedConcentration(*poll);
    if (conc >= 0)
        concentrationsSent.insert(conc);
    const PollExpectation expected = expectationFor(poll->fault);
    if (expected == PollExpectation::Fails && succeeded)
        problem("a spoilt answer was taken: " + poll->line);
    if (expected == PollExpectation::Succeeds && !succeeded && !requests.spillBeforePoll())
        problem("a clean answer was refused: " + poll->line);
    if (succeeded) {
        checkShown(shown, conc);
    } else if (!disconnected && shown != lcdBefore) {
        problem(QString("LCD changed from %1 to %2 on a failed poll").arg(lcdBefore).arg(shown));
    }
}

// Shown in the simulator's decimal count once its block has been read on
// this connection, and not at all before. The simulator's concentration
// never comes near 0, which is what the LCD's value is without a number.
void Soak::checkShown(double shown, int conc)
{
    if (blockRead == BlockRead::No) {
        ++blankChecked;
        if (shown != 0.0)
            problem(QString("LCD shows %1 before the block was read").arg(shown));
        return;
    }
    if (blockRead == BlockRead::Undecided && shown == 0.0)
        return;
    ++shownChecked;
    concentrationsShown.insert(shown);
    if (conc < 0 || std::fabs(shown - conc / std::pow(10.0, detector.decimals)) > 1e-9)
        problem(QString("LCD shows %1, the answer carried %2 at %3 decimals").arg(shown).arg(conc).arg(detector.decimals));
}

// A reload whose two answers came through holds the simulator's registers;
// one that failed leaves the block as it was.
void Soak::checkReload(const TickRequests &requests, const QVector<quint16> &before, bool wrote)
{
    const int outcome = requests.reloadOutcome();
    if (outcome < 0 || outcome == 2 || wrote)
        return;
    const QVector<quint16> now(probe->regHold(), probe->regHold() + kDeviceWords);
    ++reloadsChecked;
    if (outcome == 1) {
        if (now != before)
            problem("a spoilt reload changed the parameter block");
        return;
    }
    const QVector<quint16> device = sim->holding(0, kDeviceWords);
    if (device.size() == kDeviceWords && now != device)
        problem("a clean reload does not hold the simulator's registers");
}

// The block written carries what the user typed, unless a reload served in
// the same tick replaced the controls first, as it must.
void Soak::checkEdits(bool reloaded)
{
    if (!reloaded) {
        for (const auto &edit : pendingEdits) {
            ++editsChecked;
            const quint16 word = meant.words[edit.first.word] & edit.first.mask;
            if (word != edit.second)
                problem(QString("word %1 written as %2, typed %3").arg(edit.first.word).arg(word).arg(edit.second));
        }
    }
    pendingEdits.clear();
}

void Soak::sample()
{
    rss.append({msSince(startNs) / 1000.0, residentKib()});
}

void Soak::problem(const QString &text)
{
    problems << text;
    problemCount = problems.size();
}

int Soak::run(QTextStream &out)
{
    startNs = monotonicNs();
    sample();
    supervise();
    supervisor.start(200);
    sampler.start(qMax(1000, s.seconds * 1000 / 30));
    QEventLoop loop;
    QTimer::singleShot(s.seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    supervisor.stop();
    sampler.stop();
    sample();
    if (probe->timer().isActive())
        ui->Stop->click();
    report(out);
    return problems.isEmpty() ? 0 : 1;
}

void Soak::report(QTextStream &out)
{
    // Growth is judged from the end of the first fifth of the run, when the
    // window has shown every kind of answer and the plot window is full.
    const double warm = s.seconds / 5.0;
    long warmKib = rss.first().second;
    for (const auto &point : rss) {
        if (point.first <= warm)
            warmKib = point.second;
    }
    long peakAfter = warmKib;
    for (const auto &point : rss) {
        if (point.first > warm)
            peakAfter = qMax(peakAfter, point.second);
    }
    QStringList kinds;
    for (auto it = faultsOnPolls.cbegin(); it != faultsOnPolls.cend(); ++it)
        kinds << QString("%1 %2").arg(it.key()).arg(it.value());
    QStringList series;
    for (const auto &point : rss)
        series << QString("%1 s: %2").arg(point.first, 0, 'f', 0).arg(point.second / 1024.0, 0, 'f', 1);

    out << "| figure | value |\n|---|---|\n"
        << "| run | " << s.seconds << " s, tick every " << s.intervalMs << " ms, faults on " << s.rate * 100
        << " % of the answers, seed " << s.seed << (s.fast ? ", unpaced line" : ", 9600-baud pacing") << " |\n"
        << "| poll ticks | " << polls << " (" << pollsReached << " reached the simulator) |\n"
        << "| failed polls | " << failedPolls << " |\n"
        << "| faults on the polls | " << kinds.join(", ") << " |\n"
        << "| automatic disconnects / reconnects | " << autoDisconnects << " / " << reconnects
        << " (Start found no port " << startRetries << " times) |\n"
        << "| simulators started (pty closed) | " << simulators << " |\n"
        << "| LCD values checked against the answer | " << shownChecked << " (" << concentrationsShown.size()
        << " distinct shown, " << concentrationsSent.size() << " distinct sent) |\n"
        << "| LCD checked blank before the block was read | " << blankChecked << " |\n"
        << "| writes checked against the meant block or mode | " << writesChecked << " |\n"
        << "| blocks checked as read from the simulator they reached | " << originsChecked << " |\n"
        << "| typed values checked in written blocks | " << editsChecked << " |\n"
        << "| reloads checked against the simulator | " << reloadsChecked << " |\n"
        << "| resident memory after warm-up (" << fixed(warm, 0) << " s) / peak later | "
        << fixed(warmKib / 1024.0, 1) << " / " << fixed(peakAfter / 1024.0, 1) << " MiB |\n"
        << "| problems | " << problems.size() << " |\n\n"
        << "Resident memory (MiB): " << series.join(", ") << "\n\n";
    for (const QString &p : problems.mid(0, 20))
        out << "- " << p << "\n";
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir portDir;
    const QString link = portDir.path() + "/ttyDETECTOR";
    qputenv("ZORVEL_EXTRA_PORTS", link.toLocal8Bit());
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    QCommandLineParser parser;
    parser.setApplicationDescription("Soak run of the configurator window against a faulty simulated detector.");
    parser.addHelpOption();
    const QCommandLineOption seconds("seconds", "length of the run", "S", "600");
    const QCommandLineOption rate("rate", "share of the answers that get a fault, 0-1", "P", "0.05");
    const QCommandLineOption interval("interval", "poll tick period in ms (the program's is 1000)", "MS", "1000");
    const QCommandLineOption seed("seed", "seed for the faults and the user's actions", "N", "1");
    const QCommandLineOption fast("fast", "simulator without line pacing");
    const QCommandLineOption noClose("no-close", "never close the pty");
    parser.addOptions({seconds, rate, interval, seed, fast, noClose});
    parser.process(app);

    Settings s;
    s.seconds = parser.value(seconds).toInt();
    s.rate = parser.value(rate).toDouble();
    s.intervalMs = parser.value(interval).toInt();
    s.seed = parser.value(seed).toUInt();
    s.fast = parser.isSet(fast);
    s.closing = !parser.isSet(noClose);

    ScratchWorkingDir scratch;
    QTextStream out(stdout);
    Soak soak(s, link);
    return soak.run(out);
}
