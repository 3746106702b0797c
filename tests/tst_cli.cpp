// zorvel-cli end to end: the program itself, run as a field engineer runs it,
// against the simulated detector.
#include "simulator.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QStringList steady{"--fast", "--steady"};

struct CliRun
{
    int exitCode = -1;
    QStringList out;   // standard output, a line each
    QString err;
};

// An argument ">FILE" sends standard output to FILE.
CliRun runCli(QStringList arguments, int timeoutMs = 30000)
{
    QProcess process;
    for (const QString &argument : arguments.filter(QRegularExpression("^>"))) {
        process.setStandardOutputFile(argument.mid(1));
        arguments.removeOne(argument);
    }
    process.start(ZORVEL_CLI_PATH, arguments);
    CliRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = "zorvel-cli did not finish";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

quint16 fileWord(const QByteArray &content, int word)
{
    return quint16(quint8(content[2 * word]) | (quint8(content[2 * word + 1]) << 8));
}

void setFileWord(QByteArray &content, int word, quint16 value)
{
    content[2 * word] = char(value & 0xFF);
    content[2 * word + 1] = char(value >> 8);
}

// "7:0x80fa 20:0" -> {7: 0x80fa, 20: 0}
QMap<int, quint16> wordsOf(const QString &pairs)
{
    QMap<int, quint16> words;
    for (const QString &item : pairs.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(':');
        words.insert(parts[0].toInt(), quint16(parts[1].toUInt(nullptr, 0)));
    }
    return words;
}

// The block that went out in Write Multiple Registers requests, word by word.
QMap<int, quint16> writtenWords(const QVector<SimRequest> &requests)
{
    QMap<int, quint16> words;
    for (const SimRequest &r : requests) {
        if (r.function != 0x10)
            continue;
        for (int i = 0; i < r.values.size(); ++i)
            words.insert(r.address + i, r.values[i]);
    }
    return words;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void info();
    void writeSettings_data();
    void writeSettings();
    void monitorCsv();
    void scanFindsMovedDetector();
    void failures_data();
    void failures();
};

void TestCli::info()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady + QStringList{"--device-type", "PELMAR", "--serial", "3000000001",
                                             "--firmware", "4.5.67", "--unit", "ppm", "--decimals", "2",
                                             "--concentration", "2.5", "--target-gas", "3", "--main-gas", "1"}),
             qPrintable(sim.errorText()));
    const CliRun run = runCli({"--port", sim.portPath(), "info"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    // The simulator's gas table starts CH4, C3H8, then the rest.
    const QString thirdGas = run.out.value(7).section(": ", 1);
    QVERIFY(!thirdGas.isEmpty() && thirdGas != "CH4" && thirdGas != "C3H8");
    QCOMPARE(run.out, QStringList({"device type: PELMAR", "serial number: 3000000001",
                                   "firmware version: 4.5.67", "unit: ppm", "decimals: 2",
                                   "concentration: 2.50", "status: Измерение",
                                   "target gas: " + thirdGas, "main gas: CH4"}));
    for (const SimRequest &r : sim.requests())
        QVERIFY2(r.isRead(), qPrintable("info wrote: " + r.line));
}

// Each row: what the file is changed to hold after it was read from the
// detector, the options, the detector's mode before, the exit status, and the
// words that must have gone out in the block write (none at all when the
// list is "-"). The detector ends in the mode it was in. A fault, if any, is
// put on the simulator before the write; what a failure must say follows.
void TestCli::writeSettings_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("fileEdits");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("serviceBefore");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("written");

    // The simulator starts at address 1, HART 1, BLE 1 (word 4 = 0x4130),
    // serial 20240117 = 0x0134:0xD6F5, threshold 1 at 10.0 (word 7 = 100).
    QTest::newRow("one word reaches the detector") << "" << "" << "7:0x80fa" << QStringList() << false << 0
                                                   << "7:0x80fa";
    QTest::newRow("identity kept without --all") << "" << "" << "1:0x0142 2:55 4:0x8130 20:0 21:7" << QStringList()
                                                 << false << 0 << "1:0x0142 2:1 4:0x4130 20:0x0134 21:0xd6f5";
    QTest::newRow("identity written with --all") << "" << "" << "2:55 4:0x8130 20:0 21:7" << QStringList{"--all"}
                                                 << false << 0 << "2:55 4:0x8130 20:0 21:7";
    QTest::newRow("command register and mode as the window sends them")
        << "" << "" << "3:0x0001 12:0x185d" << QStringList{"--all"} << false << 0 << "3:0x0081 12:0";
    QTest::newRow("service mode stays") << "" << "" << "3:0 7:0x80fa" << QStringList() << true << 0
                                        << "3:0x0080 7:0x80fa";
    QTest::newRow("--all never moves the detector") << "" << "" << "1:0x0500" << QStringList{"--all"} << false << 2
                                                    << "-";
    QTest::newRow("through an echoing adapter") << "echo persist" << "" << "7:0x80fa" << QStringList() << false << 0
                                                << "7:0x80fa";
    QTest::newRow("a word of the second half not taken")
        << "ignore=150 persist" << "the read-back differs at words 150 (wrote 4660, read 0)" << "150:0x1234"
        << QStringList() << false << 3 << "150:0x1234";
    QTest::newRow("second half unanswered: a mixed block")
        << "noanswer persist fc=10 addr=96"
        << "no answer to the write of words 96-179; words 0-95 were written, so the detector may now hold a mixed block"
        << "7:0x80fa 150:0x1234" << QStringList() << false << 1 << "7:0x80fa 150:0x1234";
}

void TestCli::writeSettings()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(QString, fileEdits);
    QFETCH(QStringList, options);
    QFETCH(bool, serviceBefore);
    QFETCH(int, exitCode);
    QFETCH(QString, written);

    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.bin");
    const CliRun read = runCli({"--port", sim.portPath(), "read-settings", path});
    QCOMPARE(read.exitCode, 0);
    QByteArray content = contentOf(path);
    QCOMPARE(content.size(), 512);
    const QVector<quint16> before = sim.holding(0, 180);
    for (int word = 0; word < 256; ++word)
        QCOMPARE(fileWord(content, word), word < 180 ? before[word] : quint16(0));

    const QMap<int, quint16> edits = wordsOf(fileEdits);
    for (auto it = edits.cbegin(); it != edits.cend(); ++it)
        setFileWord(content, it.key(), it.value());
    writeFile(path, content);
    if (serviceBefore)
        QVERIFY2(sim.command("set holding 3 128"), qPrintable(sim.errorText()));
    if (!fault.isEmpty())
        QVERIFY2(sim.command("fault " + fault), qPrintable(sim.errorText()));
    sim.clearRequests();
    sim.clearEvents();
    const CliRun write = runCli(QStringList{"--port", sim.portPath(), "write-settings", path} + options);
    QCOMPARE(write.exitCode, exitCode);
    QVERIFY2(write.err.contains(message), qPrintable(write.err));

    const QMap<int, quint16> sent = writtenWords(sim.requests());
    if (written == "-") {
        QVERIFY2(sent.isEmpty(), "a refused file was written");
        QCOMPARE(write.err.count('\n'), 1);
        return;
    }
    QCOMPARE(sent.size(), 180);
    const QMap<int, quint16> expected = wordsOf(written);
    const QVector<quint16> after = sim.holding(0, 180);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QCOMPARE(sent.value(it.key()), it.value());
        // The detector keeps its own mode register; the command register reads
        // 0; a word it ignores keeps its value.
        if (it.key() != 3 && it.key() != 12 && !fault.startsWith("ignore"))
            QCOMPARE(after[it.key()], it.value());
    }
    QCOMPARE(bool(after[3] & 0x80), serviceBefore);
    QCOMPARE(sim.events().isEmpty() ? QString() : sim.events().last().line.section(' ', 1),
             serviceBefore ? QString() : QString("event=mode value=working"));
}

void TestCli::monitorCsv()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady + QStringList{"--decimals", "2", "--concentration", "3"}),
             qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString csvPath = dir.filePath("test.csv");
    const CliRun run = runCli({"--port", sim.portPath(), "monitor", "--count", "3", "--interval", "0.3",
                               "--csv", csvPath});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.size(), 3);
    const QRegularExpression line(
        "^(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d)) 3\\.00 %НКПР Измерение$");
    QStringList times;
    for (const QString &out : run.out) {
        const QRegularExpressionMatch match = line.match(out);
        QVERIFY2(match.hasMatch(), qPrintable(out));
        times << match.captured(1);
    }
    QCOMPARE(QString::fromUtf8(contentOf(csvPath)),
             QString("time,concentration,unit,status\r\n") + times[0] + ",3.00,%НКПР,Измерение\r\n" + times[1]
                 + ",3.00,%НКПР,Измерение\r\n" + times[2] + ",3.00,%НКПР,Измерение\r\n");

    // One poll each interval, and nothing written.
    QVector<double> polls;
    for (const SimRequest &r : sim.requests()) {
        QVERIFY2(r.isRead(), qPrintable("monitor wrote: " + r.line));
        if (r.function == 0x04)
            polls << r.time;
    }
    QCOMPARE(polls.size(), 3);
    QVERIFY2(polls[2] - polls[0] >= 0.55, "polls closer than --interval");
}

void TestCli::scanFindsMovedDetector()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady + QStringList{"--address", "37", "--serial", "4242", "--device-type", "TRIVAN"}),
             qPrintable(sim.errorText()));
    QElapsedTimer clock;
    clock.start();
    const CliRun run = runCli({"--port", sim.portPath(), "scan", "--to", "40"});
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringList{"37: TRIVAN, serial number 4242"});
    // 247 addresses in well under a minute: under 0.2 s a silent address.
    QVERIFY2(elapsed < 40 * 200, qPrintable(QString("40 addresses took %1 ms").arg(elapsed)));
}

// Each row: the simulator's fault, the arguments (PORT stands for the
// simulator's port, FIFO for a named pipe), the exit status, a part of the
// one line on standard error and the lines on standard output.
void TestCli::failures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("lines");

    QTest::newRow("silent address") << "" << QStringList{"--port", "PORT", "--address", "9", "info"} << 1
                                    << "address 9 on PORT: no answer" << 0;
    QTest::newRow("missing port") << "" << QStringList{"--port", "/dev/zorvel-none", "info"} << 2
                                  << "port /dev/zorvel-none does not exist" << 0;
    QTest::newRow("short settings file") << "" << QStringList{"--port", "PORT", "write-settings", "SHORT"} << 2
                                         << "SHORT is not a settings file" << 0;
    QTest::newRow("option of another command")
        << "" << QStringList{"--port", "PORT", "info", "--all"} << 2 << "--all does not apply to info" << 0;
    QTest::newRow("interval nan") << "" << QStringList{"--port", "PORT", "monitor", "--interval", "nan"} << 2
                                  << "--interval must be 0.1-86400 seconds" << 0;
    QTest::newRow("settings into a named pipe") << "" << QStringList{"--port", "PORT", "read-settings", "FIFO"} << 2
                                                << "FIFO is not a regular file; nothing was done" << 0;
    QTest::newRow("refusal named") << "exception=2,persist" << QStringList{"--port", "PORT", "info"} << 1
                                   << "address 1 on PORT: the read of the parameter block was refused: "
                                      "exception 02 (illegal data address)"
                                   << 0;
    QTest::newRow("monitor gives up at the third silent poll")
        << "noanswer,persist,fc=04" << QStringList{"--port", "PORT", "monitor", "--interval", "0.1"} << 1
        << "no answer to three polls in a row" << 3;
    QTest::newRow("standard output full") << "" << QStringList{"--port", "PORT", "info", ">/dev/full"} << 2
                                          << "cannot write standard output: No space left on device" << 0;
}

void TestCli::failures()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(int, lines);

    SimulatorProcess sim;
    QVERIFY2(sim.launch(fault.isEmpty() ? steady : steady + QStringList{"--fault", fault}),
             qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString shortFile = dir.filePath("short.bin");
    writeFile(shortFile, QByteArray(100, '\0'));
    const QString fifo = dir.filePath("pipe");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    arguments.replaceInStrings("PORT", sim.portPath()).replaceInStrings("SHORT", shortFile).replaceInStrings("FIFO", fifo);
    message.replace("PORT", sim.portPath()).replace("SHORT", shortFile).replace("FIFO", fifo);

    const CliRun run = runCli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.startsWith("zorvel-cli: ") && run.err.count('\n') == 1 && run.err.contains(message),
             qPrintable(run.err));
    QCOMPARE(run.out.size(), lines);
    QVERIFY(!QFileInfo(fifo).isFile());
    for (const SimRequest &r : sim.requests())
        QVERIFY2(r.isRead(), qPrintable("wrote after a failure: " + r.line));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
