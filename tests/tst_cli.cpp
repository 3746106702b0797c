// zorvel-cli end to end: the program itself, run as a field engineer runs it,
// against the simulated detector.
#include "calibrationjournal.h"
#include "simulator.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// With a reader, standard output goes through it in a shell pipe; an
// argument ">FILE" sends it to FILE.
CliRun runCli(QStringList arguments, const QString &workingDir = QString(), const QString &reader = QString(),
              const QString &locale = QString())
{
    const int timeoutMs = 30000;
    QProcess process;
    if (!locale.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", locale);
        process.setProcessEnvironment(environment);
    }
    for (const QString &argument : arguments.filter(QRegularExpression("^>"))) {
        process.setStandardOutputFile(argument.mid(1));
        arguments.removeOne(argument);
    }
    process.setWorkingDirectory(workingDir);
    if (reader.isEmpty())
        process.start(ZORVEL_CLI_PATH, arguments);
    else
        process.start("sh", QStringList{"-c", "\"$0\" \"$@\" | " + reader, ZORVEL_CLI_PATH} + arguments);
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

// Applies "word:value" edits to a settings file's content.
void editWords(QByteArray &content, const QString &edits)
{
    const QMap<int, quint16> words = wordsOf(edits);
    for (auto it = words.cbegin(); it != words.cend(); ++it)
        setFileWord(content, it.key(), it.value());
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

// A line of six detectors on one port: two at address 5, whose answers
// collide, one at 7 that answers only after some 300 ms, and one at 8 that
// answers at once.
const QStringList lineOfDetectors = steady + QStringList{
    "--detector", "address=1,serial=1001",
    "--detector", "address=2,serial=1002,unit=ppm,decimals=2,concentration=7",
    "--detector", "address=5,serial=1005",
    "--detector", "address=5,serial=2005",
    "--detector", "address=7,serial=1007,fault=delay 290 persist",
    "--detector", "address=8,serial=1008,device-type=TRIVAN"};

// "1.failure.kind" in a document: array indexes and object keys.
QJsonValue at(QJsonValue value, const QString &path)
{
    for (const QString &step : path.split('.')) {
        bool index = false;
        const int i = step.toInt(&index);
        value = index ? value.toArray().at(i) : value.toObject().value(step);
    }
    return value;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void info_data();
    void info();
    void writeSettings_data();
    void writeSettings();
    void monitorCsv();
    void scanFindsMovedDetector();
    void diffSettings_data();
    void diffSettings();
    void journal_data();
    void journal();
    void certificate_data();
    void certificate();
    void failures_data();
    void failures();
    void line_data();
    void line();
    void json_data();
    void json();
};

void TestCli::info_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("locale");   // LC_ALL; empty: the tests' own
    QTest::addColumn<QString>("unitShown");
    QTest::addColumn<QString>("statusShown");

    QTest::newRow("ppm") << "ppm" << "" << "ppm" << "Измерение";
    QTest::newRow("%НКПР") << "lel" << "ru_RU.UTF-8" << "%НКПР" << "Измерение";
    // The window's own texts in its English translation.
    QTest::newRow("%LEL under an English locale") << "lel" << "en_GB.UTF-8" << "%LEL" << "Measuring";
}

void TestCli::info()
{
    QFETCH(QString, unit);
    QFETCH(QString, locale);
    QFETCH(QString, unitShown);
    QFETCH(QString, statusShown);

    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady + QStringList{"--device-type", "PELMAR", "--serial", "3000000001",
                                             "--firmware", "4.5.67", "--unit", unit, "--decimals", "2",
                                             "--concentration", "2.5", "--target-gas", "3", "--main-gas", "1"}),
             qPrintable(sim.errorText()));
    const CliRun run = runCli({"--port", sim.portPath(), "info"}, QString(), QString(), locale);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    // The simulator's gas table starts CH4, C3H8, then the rest.
    const QString thirdGas = run.out.value(7).section(": ", 1);
    QVERIFY(!thirdGas.isEmpty() && thirdGas != "CH4" && thirdGas != "C3H8");
    QCOMPARE(run.out, QStringList({"device type: PELMAR", "serial number: 3000000001",
                                   "firmware version: 4.5.67", "unit: " + unitShown, "decimals: 2",
                                   "concentration: 2.50", "status: " + statusShown,
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
    QTest::newRow("another detector's file lends its settings only")
        << "" << "" << "1:0x0142 2:55 4:0x8130 7:0x80fa 20:0 21:7 22:7" << QStringList() << false << 0
        << "1:0x0100 2:1 4:0x4130 7:0x80fa 20:0x0134 21:0xd6f5 22:2024";
    QTest::newRow("another device type refused")
        << "" << "is from a TRIVAN, the detector is a VELOR: nothing was written" << "0:0x2000 20:0 21:7"
        << QStringList() << false << 2 << "-";
    QTest::newRow("identity written with --all") << "" << "" << "2:55 4:0x8130 20:0 21:7" << QStringList{"--all"}
                                                 << false << 0 << "2:55 4:0x8130 20:0 21:7";
    QTest::newRow("command register and mode as the window sends them")
        << "" << "" << "3:0x0001 12:0x185d" << QStringList{"--all"} << false << 0 << "3:0x0081 12:0";
    QTest::newRow("service mode stays") << "" << "" << "3:0 7:0x80fa" << QStringList() << true << 0
                                        << "3:0x0080 7:0x80fa";
    QTest::newRow("--all never moves the detector") << "" << "" << "1:0x0500" << QStringList{"--all"} << false << 0
                                                    << "1:0x0100";
    QTest::newRow("through an echoing adapter") << "echo persist" << "" << "7:0x80fa" << QStringList() << false << 0
                                                << "7:0x80fa";
    // Working mode is asked for again after a refusal.
    QTest::newRow("working mode refused once") << "exception fc=06 addr=3" << "" << "7:0x80fa" << QStringList()
                                               << false << 0 << "7:0x80fa";
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

    editWords(content, fileEdits);
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
    // An earlier run's log, its last row cut; this run's reader stops after
    // three lines, so the fourth poll's line ends the program.
    writeFile(csvPath, "time,concentration,unit,status\r\nearlier,cut");
    const CliRun run = runCli({"--port", sim.portPath(), "monitor", "--count", "4", "--interval", "0.3",
                               "--csv", csvPath}, QString(), "head -3");
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
    const QStringList rows = QString::fromUtf8(contentOf(csvPath)).split("\r\n");
    QCOMPARE(rows.size(), 7);
    QCOMPARE(rows.mid(0, 2), QStringList({"time,concentration,unit,status", "earlier,cut"}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(rows[2 + i], times[i] + ",3.00,%НКПР,Измерение");
    QVERIFY2(rows[5].endsWith(",3.00,%НКПР,Измерение"), qPrintable(rows[5]));
    QCOMPARE(rows[6], QString());

    // One poll each interval, and nothing written.
    QVector<double> polls;
    for (const SimRequest &r : sim.requests()) {
        QVERIFY2(r.isRead(), qPrintable("monitor wrote: " + r.line));
        if (r.function == 0x04)
            polls << r.time;
    }
    QCOMPARE(polls.size(), 4);
    QVERIFY2(polls[2] - polls[0] >= 0.55, "polls closer than --interval");
}

void TestCli::scanFindsMovedDetector()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady + QStringList{"--address", "37", "--serial", "4242", "--device-type", "TRIVAN"}),
             qPrintable(sim.errorText()));
    QElapsedTimer clock;
    clock.start();
    const CliRun run = runCli({"--port", sim.portPath(), "scan", "--to", "40", "--quick"});
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringList{"37: TRIVAN, serial number 4242, %НКПР, gas CH4 / C3H8, firmware 1.2.37"});
    // --quick: 247 addresses in well under a minute, under 0.2 s a silent address.
    QVERIFY2(elapsed < 40 * 200, qPrintable(QString("40 addresses took %1 ms").arg(elapsed)));

    // A refusal is an answer: something is at that address.
    QVERIFY2(sim.command("fault exception=2 persist"), qPrintable(sim.errorText()));
    const CliRun refused = runCli({"--port", sim.portPath(), "scan", "--from", "36", "--to", "38"});
    QCOMPARE(refused.exitCode, 0);
    QCOMPARE(refused.out, QStringList{"37: answers with exception 02 (illegal data address)"});
}

// Each row: the edits of the first file, or DETECTOR for the detector itself,
// the edits of the second file, both made on the block read from the
// detector; the options, the exit status and standard output, lines joined
// by "|" with their blanks simplified.
void TestCli::diffSettings_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");

    // The simulator's block: one decimal, %НКПР, threshold 1 at 10.0.
    const QString sameIdentity = "|identity, compared only with --all:|parameter A B|Modbus address 1 1"
                                 "|HART address 1 1|serial number 20240117 20240117";
    const QString otherIdentity = "1:0x0500 2:55 20:0 21:7";
    QTest::newRow("equal") << "DETECTOR" << "" << QStringList() << 0 << "no differences" + sameIdentity;
    QTest::newRow("threshold with its direction")
        << "DETECTOR" << "7:0x8096" << QStringList() << 3
        << "parameter A B|threshold 1 direction above below|threshold 1 level 10.0 %НКПР 15.0 %НКПР" + sameIdentity;
    // Every scaled value ten times its stored integer at two decimals, and
    // bytes after the gas name's end: the same settings.
    QTest::newRow("other decimal count, gas name as text")
        << "" << "4:0x4230 6:5000 7:1000 8:2000 9:0x1414 13:2500 14:1000 18:50 34:0x4141 113:5000 126:4000 127:20"
        << QStringList() << 3 << "parameter A B|decimals 1 2" + sameIdentity;
    QTest::newRow("identity apart without --all")
        << "DETECTOR" << otherIdentity << QStringList() << 0
        << "no differences|identity, compared only with --all:|parameter A B|Modbus address 1 5|HART address 1 55"
           "|serial number 20240117 7";
    QTest::newRow("identity with --all") << "DETECTOR" << otherIdentity << QStringList{"--all"} << 3
                                         << "parameter A B|Modbus address 1 5|HART address 1 55|serial number 20240117 7";
    QTest::newRow("two files, raw word, CSV")
        << "" << "16:301 50:0x1234" << QStringList{"--csv", "-"} << 3
        << "parameter,A,B|service mode current,3.00 mA,3.01 mA|word 50,0x0000,0x1234";
}

void TestCli::diffSettings()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, out);

    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString base = dir.filePath("base.bin");
    QCOMPARE(runCli({"--port", sim.portPath(), "read-settings", base}).exitCode, 0);
    auto edited = [&](const QString &name, const QString &edits) {
        QByteArray content = contentOf(base);
        editWords(content, edits);
        writeFile(dir.filePath(name), content);
        return dir.filePath(name);
    };
    const QString secondFile = edited("second.bin", second);
    QStringList arguments{"diff-settings", secondFile};
    if (first == "DETECTOR") {
        arguments = QStringList{"--port", sim.portPath()} + arguments;
        out.replace(" A ", " detector ").replace(",A,", ",detector,");
    } else {
        const QString firstFile = edited("first.bin", first);
        arguments.insert(1, firstFile);
        out.replace(" A ", " " + firstFile + " ").replace(",A,", "," + firstFile + ",");
    }
    out.replace(QRegularExpression("([ ,])B(\\||$)"), "\\1" + secondFile + "\\2");

    const CliRun run = runCli(arguments + options);
    QCOMPARE(run.err, QString());
    QStringList lines;
    for (const QString &line : run.out)
        lines << line.simplified();
    QCOMPARE(lines.join('|'), out);
    QCOMPARE(run.exitCode, exitCode);
    for (const SimRequest &r : sim.requests())
        QVERIFY2(r.isRead(), qPrintable("diff-settings wrote: " + r.line));
}

// Each row: where the journal is (here: the working directory; menu: the
// menu's folder in XDG_CONFIG_HOME; both, the menu's with no row; nowhere),
// the options, the exit status and standard output (lines joined by "|",
// blanks simplified, the time of each row as TIME, FILE for the journal's
// path) or, on failure, a part of standard error. The journal holds a zero
// and a span calibration of two detectors, written as the window writes them.
void TestCli::journal_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");

    const QString header = "journal FILE:|time serial number device type firmware Modbus address gas kind "
                           "value sent reading before reading after outcome result";
    const QString zero =
        "TIME 20240117 VELOR 1.2.37 1 CH4 zero 0.3 %НКПР 0.0 %НКПР Калибровка нуля выполнена done";
    const QString span =
        "TIME 4242 TRIVAN 2.0.1 7 C3H8, \"test\" span 50.0 %НКПР 0.1 %НКПР 49.8 %НКПР Отменено cancelled";
    QTest::newRow("newest last") << "here" << QStringList() << 0 << header + "|" + zero + "|" + span;
    QTest::newRow("one detector") << "here" << QStringList{"--serial", "4242"} << 0 << header + "|" + span;
    QTest::newRow("no rows of that detector") << "here" << QStringList{"--serial", "5"} << 0
                                              << "no calibrations of serial number 5 in FILE";
    QTest::newRow("the menu's, none here") << "menu" << QStringList() << 0 << header + "|" + zero + "|" + span;
    QTest::newRow("the working directory's first") << "both" << QStringList() << 0
                                                   << header + "|" + zero + "|" + span;
    QTest::newRow("a foreign line with an unclosed quote passed over")
        << "damaged" << QStringList() << 0 << header + "|" + zero + "|" + span;
    // The span calibration was cancelled: its detector has none on record.
    QTest::newRow("due dates") << "here" << QStringList{"--due"} << 0
                               << "due dates in FILE (calibration every 6 months, bump test every 30 days):|"
                                  "serial number device type last calibration calibration due last bump test "
                                  "bump test due|4242 TRIVAN now (none on record) now (none on record)|"
                                  "20240117 VELOR DATE DATE now (none on record)";
    QTest::newRow("due dates as JSON")
        << "here" << QStringList{"--due", "--json", "--months", "12"} << 0
        << "[{\"bumpTestDue\":\"\",\"bumpTestOverdue\":true,\"calibrationDue\":\"\",\"calibrationOverdue\":true,"
           "\"deviceType\":\"TRIVAN\",\"lastBumpTest\":\"\",\"lastCalibration\":\"\",\"serialNumber\":4242},"
           "{\"bumpTestDue\":\"\",\"bumpTestOverdue\":true,\"calibrationDue\":\"DUE12\",\"calibrationOverdue\":false,"
           "\"deviceType\":\"VELOR\",\"lastBumpTest\":\"\",\"lastCalibration\":\"DATE\",\"serialNumber\":20240117}]";
    // Numbers as numbers, the fraction's included, and none made of a text.
    QTest::newRow("rows as JSON")
        << "lot" << QStringList{"--serial", "4242", "--json"} << 0
        << "[{\"Modbus address\":7,\"T50 s\":null,\"T90 s\":null,\"as found\":null,\"as left\":null,"
           "\"cylinder expiry\":\"\",\"cylinder lot\":\"0042\",\"device type\":\"TRIVAN\",\"engineer\":\"\","
           "\"firmware\":\"2.0.1\",\"gas\":\"C3H8, \\\"test\\\"\",\"kind\":\"span\",\"outcome\":\"Отменено\","
           "\"peak\":null,\"reading after\":\"49.8 %НКПР\",\"reading before\":\"0.1 %НКПР\",\"recovery s\":null,"
           "\"result\":\"cancelled\",\"serial number\":4242,\"test gas\":49.5,\"threshold 1 s\":null,"
           "\"threshold 2 s\":null,\"threshold 3 s\":null,\"time\":\"DATE\",\"unit\":\"\",\"value sent\":\"50.0 %НКПР\"}]";
    QTest::newRow("nowhere") << "nowhere" << QStringList() << 2
                             << "no calibrations.csv in the working directory";
    QTest::newRow("missing file") << "here" << QStringList{"--file", "none.csv"} << 2
                                  << "cannot open none.csv: No such file or directory";
}

void TestCli::journal()
{
    QFETCH(QString, where);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    QTemporaryDir dir, config;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString menu = config.filePath("zorvel-configurator");
    QVERIFY(QDir().mkpath(menu));
    const QString path = QDir(where == "menu" ? menu : dir.path()).filePath(kJournalFileName);
    if (where == "both")
        writeFile(QDir(menu).filePath(kJournalFileName), journalHeader().join(',').toUtf8() + "\r\n");
    if (where != "nowhere") {
        CalibrationJournal written(path);
        QString error;
        written.begin({"20240117", "VELOR", "1.2.37", 1, "CH4", CalibrationKind::Zero, "", "0.3 %НКПР"});
        QVERIFY2(written.finish(JournalResult::Done, "Калибровка нуля выполнена", "0.0 %НКПР", error), qPrintable(error));
        if (where == "damaged")
            writeFile(path, contentOf(path) + "foreign,\"unclosed\r\n");
        JournalEntry span{"4242", "TRIVAN", "2.0.1", 7, "C3H8, \"test\"", CalibrationKind::Span, "50.0 %НКПР",
                          "0.1 %НКПР"};
        if (where == "lot") {
            span.testGas = 49.5;
            span.cylinderLot = "0042";
        }
        written.begin(span);
        QVERIFY2(written.finish(JournalResult::Cancelled, "Отменено", "49.8 %НКПР", error), qPrintable(error));
    }

    const CliRun run = runCli(QStringList{"journal"} + options, dir.path());
    qputenv("XDG_CONFIG_HOME", configHome);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QVERIFY2(run.err.contains(output), qPrintable(run.err));
        return;
    }
    // The line the writer closed is passed over as well.
    QCOMPARE(run.err, where == "damaged" ? QString("zorvel-cli: %1 line 3: a quoted field is not closed; passed over\n"
                                                  "zorvel-cli: %1 line 4: a quoted field is not closed; passed over\n")
                                                  .arg(path)
                                            : QString());
    // Due dates and JSON have their dates anywhere in a line, and no table.
    const bool dated = options.contains("--due") || options.contains("--json");
    // Aligned: each row's second column starts under the header's.
    for (const QString &line : run.out.mid(2))
        QVERIFY(dated || line.indexOf(QRegularExpression("  \\S")) == run.out[1].indexOf("  serial number"));
    const QRegularExpression time("^\\d{4}-\\d\\d-\\d\\dT\\S+");
    const QRegularExpression date("\\d{4}-\\d\\d-\\d\\d(T[^\"\\s]*)?");
    const QString due12 = QDate::currentDate().addMonths(12).toString(Qt::ISODate);
    QStringList lines;
    for (const QString &line : run.out)
        lines << (dated ? QString(line).replace(due12, "DUE12").replace(date, "DATE")
                      : QString(line).replace(time, "TIME")).simplified();
    QCOMPARE(lines.join('|'), output.replace("FILE", path));
}

// Each row: the options after "certificate --output OUT.pdf", the exit
// status, texts the PDF holds (pdftotext, blanks simplified) or a part of
// standard error, and texts it must not hold. The journal holds detector
// 20240117's visit on 2026-01-10 (a zero and a span calibration, a bump
// test), an earlier span of it on 2025-12-01 and another detector's zero.
void TestCli::certificate_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("English, the last day's visit")
        << QStringList{"--serial", "20240117", "--lang", "en", "--months", "12"} << 0
        << QStringList{"Gas detector calibration certificate", "Serial number 20240117", "Firmware 1.2.37",
                       "Modbus address 3", "Gas CH4", "Unit %LEL", "zero 0 %LEL 0.4 %LEL 0 %LEL A-1742, 2027-03-31 done",
                       "span 50 %LEL 47.5 %LEL 50.1 %LEL A-1742, 2027-03-31 done", "Peak reading 49.2 %LEL",
                       "T50 3.5 s", "T90 9.0 s", "Threshold 1 2.0 s", "Threshold 2 6.5 s", "Threshold 3 never",
                       "Recovery after gas removed 21.0 s", "Verdict passed", "Engineer Petrov P. P.",
                       "Next calibration due 2027-01-10 (interval 12 months)"}
        << QStringList{"33.3", "4242"};
    QTest::newRow("Russian, from an earlier day")
        << QStringList{"--serial", "20240117", "--lang", "ru", "--from", "2025-12-01"} << 0
        << QStringList{"Сертификат калибровки газоанализатора", "Заводской номер 20240117", "Единица измерения %НКПР",
                       "33.3 %НКПР", "отклонена датчиком", "нуль 0 %НКПР 0.4 %НКПР 0 %НКПР", "Заключение пройдена",
                       "Следующая калибровка 2026-07-10 (интервал 6 мес.)"}
        << QStringList{"4242"};
    QTest::newRow("no visit of that detector")
        << QStringList{"--serial", "5"} << 2 << QStringList{"no rows of serial number 5 in"} << QStringList();
    QTest::newRow("a date that is none") << QStringList{"--serial", "5", "--from", "2026-02-30"} << 2
                                         << QStringList{"--from must be a date yyyy-MM-dd"} << QStringList();
}

void TestCli::certificate()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    QTemporaryDir dir;
    const QString journal = dir.filePath(kJournalFileName);
    auto row = [&](const char *serial, const char *time, CalibrationKind kind, JournalResult result) {
        JournalEntry e;
        e.serialNumber = serial;
        e.deviceType = "VELOR";
        e.firmware = "1.2.37";
        e.modbusAddress = 3;
        e.gas = "CH4";
        e.unit = "%LEL";
        e.kind = kind;
        e.result = result;
        e.time = QDateTime::fromString(time, Qt::ISODate);
        e.cylinderLot = "A-1742";
        e.cylinderExpiry = QDate(2027, 3, 31);
        e.engineer = "Petrov P. P.";
        return e;
    };
    QVector<JournalEntry> rows;
    rows << row("20240117", "2025-12-01T09:00:00+03:00", CalibrationKind::Span, JournalResult::Refused);
    rows.last().asFound = 33.3;
    rows << row("4242", "2026-01-10T09:00:00+03:00", CalibrationKind::Zero, JournalResult::Done);
    rows << row("20240117", "2026-01-10T10:00:00+03:00", CalibrationKind::Zero, JournalResult::Done);
    rows.last().testGas = 0;
    rows.last().asFound = 0.4;
    rows.last().asLeft = 0;
    rows << row("20240117", "2026-01-10T10:20:00+03:00", CalibrationKind::Span, JournalResult::Done);
    rows.last().testGas = 50;
    rows.last().asFound = 47.5;
    rows.last().asLeft = 50.1;
    rows << row("20240117", "2026-01-10T10:40:00+03:00", CalibrationKind::Bump, JournalResult::Passed);
    JournalEntry &bump = rows.last();
    bump.testGas = 50;
    bump.asFound = 0.1;
    bump.bump.peak = 49.2;
    bump.bump.t50 = 3.5;
    bump.bump.t90 = 9;
    bump.bump.threshold[0] = 2;
    bump.bump.threshold[1] = 6.5;
    bump.bump.recovery = 21;
    for (const JournalEntry &e : rows) {
        QString error;
        QVERIFY2(appendJournalEntry(journal, e, error), qPrintable(error));
    }

    const QString pdf = dir.filePath("OUT.pdf");
    const CliRun run = runCli(QStringList{"certificate", "--output", pdf} + options, dir.path());
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QVERIFY2(run.err.contains(present.first()), qPrintable(run.err));
        QVERIFY(!QFile::exists(pdf));
        return;
    }
    QCOMPARE(run.err, QString());
    QVERIFY2(run.out.join('\n').contains(" from " + journal + " written to "), qPrintable(run.out.join('\n')));
    QProcess text;
    text.start("pdftotext", {"-raw", pdf, "-"});   // each cell whole, in the order drawn
    QVERIFY2(text.waitForFinished(30000) && text.exitCode() == 0, "pdftotext (poppler-utils) did not read the PDF");
    const QString shown = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    for (const QString &part : present)
        QVERIFY2(shown.contains(part), qPrintable(part + " not in: " + shown));
    for (const QString &part : absent)
        QVERIFY2(!shown.contains(part), qPrintable(part + " in: " + shown));
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
    QTest::newRow("monitor on a full disk")
        << "" << QStringList{"--port", "PORT", "monitor", "--count", "2", "--csv", "/dev/full"} << 2
        << "cannot write /dev/full: No space left on device" << 0;
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
        << "three polls in a row failed (the last: no answer)" << 3;
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

// Each row: the arguments on the line of detectors (DIR: a folder that holds
// line-1-1001.bin and line-2-1002.bin, read from detectors 1 and 2 with one
// read-settings first), the exit status, standard output (lines joined by
// "|", blanks simplified, each time stamp as TIME), a part of standard error
// and whether anything may be written.
void TestCli::line_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<bool>("writes");

    const QString gases = "CH4 C3H8";
    QTest::newRow("info on a list, one silent")
        << QStringList{"--address", "1,2,3", "info"} << 1
        << "address device type serial number firmware version unit decimals concentration status target gas main gas"
           "|1 VELOR 1001 1.2.37 %НКПР 1 2.0 Измерение " + gases + "|2 VELOR 1002 1.2.37 ppm 2 7.00 Измерение " + gases
        << "address 3 on PORT: no answer to the read of the parameter block" << false;
    QTest::newRow("scan identifies, names a collision, waits for a slow detector")
        << QStringList{"scan", "--to", "8"} << 0
        << "1: VELOR, serial number 1001, %НКПР, gas CH4 / C3H8, firmware 1.2.37"
           "|2: VELOR, serial number 1002, ppm, gas CH4 / C3H8, firmware 1.2.37"
           "|5: garbled answers (two devices at one address, or noise)"
           "|7: VELOR, serial number 1007, %НКПР, gas CH4 / C3H8, firmware 1.2.37"
           "|8: TRIVAN, serial number 1008, %НКПР, gas CH4 / C3H8, firmware 1.2.37"
        << "" << false;
    // The slow detector's answer comes while 8 is asked, and 8 still answers.
    QTest::newRow("a quick scan keeps today's pace")
        << QStringList{"scan", "--from", "2", "--to", "8", "--quick"} << 0
        << "2: VELOR, serial number 1002, ppm, gas CH4 / C3H8, firmware 1.2.37"
           "|5: garbled answers (two devices at one address, or noise)"
           "|8: TRIVAN, serial number 1008, %НКПР, gas CH4 / C3H8, firmware 1.2.37"
        << "" << false;
    QTest::newRow("monitor round-robin, the silent one not polled")
        << QStringList{"--address", "1,2,3", "monitor", "--count", "2", "--interval", "0.1"} << 1
        << "TIME 1 1001 2.0 %НКПР Измерение|TIME 2 1002 7.00 ppm Измерение"
           "|TIME 1 1001 2.0 %НКПР Измерение|TIME 2 1002 7.00 ppm Измерение"
        << "address 3 on PORT: no answer to the read of the parameter block" << false;
    QTest::newRow("one file to many: its own restored, another unit refused, a collision failed")
        << QStringList{"--address", "1,2,5", "write-settings", "DIR/line-1-1001.bin"} << 1
        << "DIR/line-1-1001.bin written to address 1 and read back"
           "|DIR/line-1-1001.bin now held by address 1; not by address 2 and 5"
        << "address 2: DIR/line-1-1001.bin holds its levels in %НКПР, the detector measures in ppm" << true;
    QTest::newRow("set-address refused where two answer")
        << QStringList{"set-address", "5"} << 1 << ""
        << "address 1 on PORT: something answers at address 5 already" << false;
    QTest::newRow("set-address to a free address, confirmed")
        << QStringList{"set-address", "9"} << 0 << "serial number 1001: address 1 -> 9, confirmed" << "" << true;
    QTest::newRow("an address list that runs backwards")
        << QStringList{"--address", "1,4-3", "info"} << 2 << "" << "--address range 4-3 runs backwards" << false;
}

void TestCli::line()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(bool, writes);

    SimulatorProcess sim;
    QVERIFY2(sim.launch(lineOfDetectors), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const CliRun read = runCli({"--port", sim.portPath(), "--address", "1,2", "read-settings",
                                dir.filePath("line-{address}-{serial}.bin")});
    QCOMPARE(read.exitCode, 0);
    QCOMPARE(contentOf(dir.filePath("line-2-1002.bin")).size(), 512);
    sim.clearRequests();

    arguments.replaceInStrings("DIR", dir.path());
    const CliRun run = runCli(QStringList{"--port", sim.portPath()} + arguments);
    QStringList lines;
    for (const QString &line : run.out)
        lines << QString(line).replace(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\S+"), "TIME").simplified();
    QCOMPARE(lines.join('|'), out.replace("DIR", dir.path()));
    QVERIFY2(run.err.contains(err.replace("PORT", sim.portPath()).replace("DIR", dir.path())), qPrintable(run.err));
    QCOMPARE(run.exitCode, exitCode);
    if (!writes) {
        for (const SimRequest &r : sim.requests())
            QVERIFY2(r.isRead(), qPrintable("wrote: " + r.line));
    }
}

// Each row: the arguments on the line of detectors and what the output,
// parsed as JSON, must hold: PATH=VALUE with PATH as for at(). Output of
// several lines is one document a line, taken as an array.
void TestCli::json_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("holds");

    QTest::newRow("info, values as numbers, the status word with its bits")
        << QStringList{"--address", "1,2", "info", "--json"}
        << QStringList{"0.serialNumber=1001", "1.unit=ppm", "1.concentration=7", "1.decimals=2", "1.status.word=0",
                       "1.status.text=Измерение", "1.targetGas=CH4"};
    QTest::newRow("info, a silent detector's failure")
        << QStringList{"--address", "3", "info", "--json"}
        << QStringList{"address=3", "failure.kind=no-answer", "failure.message=no answer to the read of the parameter block"};
    QTest::newRow("info, a collision's failure garbled")
        << QStringList{"--address", "5", "info", "--json"}
        << QStringList{"address=5", "failure.kind=garbled"};
    QTest::newRow("scan, a collision garbled")
        << QStringList{"scan", "--to", "6", "--json"}
        << QStringList{"0.address=1", "1.serialNumber=1002", "2.address=5", "2.failure.kind=garbled"};
    QTest::newRow("monitor, one object a poll, one for a detector not polled")
        << QStringList{"--address", "1,2,3", "monitor", "--count", "1", "--json"}
        << QStringList{"0.address=3", "0.failure.kind=no-answer", "1.address=1", "1.concentration=2",
                       "2.serialNumber=1002", "2.unit=ppm", "2.status.word=0"};
    QTest::newRow("diff-settings")
        << QStringList{"--address", "1", "diff-settings", "DIR/line-2-1002.bin", "--json"}
        << QStringList{"address=1", "differences.0.parameter=unit", "differences.0.detector=%НКПР",
                       "differences.0.file=ppm"};
}

void TestCli::json()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, holds);

    SimulatorProcess sim;
    QVERIFY2(sim.launch(lineOfDetectors), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    QCOMPARE(runCli({"--port", sim.portPath(), "--address", "2", "read-settings", dir.filePath("line-2-1002.bin")})
                 .exitCode,
             0);
    const CliRun run = runCli(QStringList{"--port", sim.portPath()} + arguments.replaceInStrings("DIR", dir.path()));
    QVERIFY2(!run.out.isEmpty(), qPrintable(run.err));
    QJsonArray lines;
    for (const QString &line : run.out) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + ": " + line));
        lines << (document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object()));
    }
    const QJsonValue document = lines.size() == 1 ? lines.first() : QJsonValue(lines);
    for (const QString &hold : holds) {
        const QString path = hold.section('=', 0, 0), value = hold.section('=', 1);
        QCOMPARE(at(document, path).toVariant().toString(), value);
    }
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
