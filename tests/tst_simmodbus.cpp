// The project's Modbus master and device operations against the simulated
// detector: its behaviours, its faults and its line timing.
#include "logcapture.h"
#include "modbus.h"
#include "modbusoperations.h"
#include "openmaster.h"
#include "simulator.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <functional>

namespace {

const QStringList steady{"--fast", "--steady"};

namespace Word {
const int status = 6, concentration = 16, outputCurrent = 18, mainGas = 79;
} // namespace Word

// A master on the simulator's port, through the device operations.
struct Bench
{
    SimulatorProcess sim;
    ModbusOperations ops;
    bool up(const QStringList &arguments)
    {
        if (!sim.launch(arguments))
            return false;
        ops.setNamePort(sim.portPath());
        ops.setSlaveAddress(1);
        return ops.open();
    }
    int status() { return ops.readInputValues().value(Word::status, -1); }
    int concentration() { return ops.readInputValues().value(Word::concentration, -1); }
};

void packName(QVector<quint16> &block, const QString &name)
{
    const QByteArray bytes = name.toLatin1().leftJustified(16, '\0', true);
    for (int j = 0; j < 8; ++j)
        block[32 + j] = quint16(quint8(bytes[2 * j]) | quint8(bytes[2 * j + 1]) << 8);
}

bool anyLineStartsWith(const QStringList &lines, const QString &start)
{
    for (const QString &line : lines) {
        if (line.startsWith(start))
            return true;
    }
    return false;
}

using Operation = std::function<bool(ModbusOperations &)>;

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestSimModbus : public QObject
{
    Q_OBJECT

private slots:
    void serviceModeBySingleAndBlockWrites();
    void calibrationRunsUntilSaveDelayEnds_data();
    void calibrationRunsUntilSaveDelayEnds();
    void blockWriteRoundTrip();
    void gasSwitchChangesReportedConcentration();
    void thresholdBitsFollowConcentration_data();
    void thresholdBitsFollowConcentration();
    void currentOutputFollowsCommands();
    void faultSeenAsFailure_data();
    void faultSeenAsFailure();
    void silentAfterRequests();
    void closedPortVanishes();
    void pacedReadTakesWireTime();
};

void TestSimModbus::serviceModeBySingleAndBlockWrites()
{
    Bench b;
    QVERIFY2(b.up(steady), qPrintable(b.sim.errorText()));
    QCOMPARE(b.status() & 0x80, 0);
    QVERIFY(b.ops.setServiceMode());
    QCOMPARE(b.status() & 0x80, 0x80);
    QCOMPARE(b.sim.waitForEvent("mode").value("value"), QString("service"));
    QVERIFY(b.ops.setWorkingMode());
    QCOMPARE(b.status(), 0);

    // The configurator's parameter write sets bit 7 of word 3 in the block.
    QVector<quint16> block = b.ops.readHOLDregs();
    QCOMPARE(block.size(), 180);
    block[3] |= 0x0080;
    QVERIFY(b.ops.writeHOLDregs(block));
    QCOMPARE(b.status(), 0x80);
    QCOMPARE(b.sim.holding(3), QVector<quint16>{0x0080});
    block[3] = 0;
    QVERIFY(b.ops.writeHOLDregs(block));
    QCOMPARE(b.status(), 0);
}

void TestSimModbus::calibrationRunsUntilSaveDelayEnds_data()
{
    QTest::addColumn<Operation>("start");
    QTest::addColumn<int>("bit");
    QTest::addColumn<int>("reading");  // while the calibration gas is on
    QTest::addColumn<QString>("kind");

    QTest::newRow("zero") << Operation([](ModbusOperations &o) { return o.setCalibZero().taken(); })
                          << 0x0100 << 0 << "zero";
    QTest::newRow("span at 8.0")
        << Operation([](ModbusOperations &o) { return o.setCalibValue(80).taken(); }) << 0x0200 << 80
        << "span";
}

void TestSimModbus::calibrationRunsUntilSaveDelayEnds()
{
    QFETCH(Operation, start);
    QFETCH(int, bit);
    QFETCH(int, reading);
    QFETCH(QString, kind);
    const int delayMs = 400;
    Bench b;
    QVERIFY2(b.up(steady + QStringList{"--calib-delay", QString::number(delayMs)}),
             qPrintable(b.sim.errorText()));
    QVERIFY(b.ops.setServiceMode());
    QVERIFY(start(b.ops));
    QVector<quint16> input = b.ops.readInputValues();
    QCOMPARE(input.value(Word::status), quint16(0x80 | bit));
    QCOMPARE(input.value(Word::concentration), quint16(reading));

    QElapsedTimer clock;
    QVERIFY(b.ops.CalibrSave());
    clock.start();
    QCOMPARE(b.status(), 0x80 | bit);  // still running right after the save
    while ((b.status() & bit) && clock.elapsed() < 5000)
        QThread::msleep(20);
    const qint64 took = clock.elapsed();
    QVERIFY2(took >= delayMs - 100 && took < 3000, qPrintable(QString::number(took)));
    QCOMPARE(b.status(), 0x80);
    QCOMPARE(b.concentration(), 20);
    QCOMPARE(b.sim.waitForEvent("calib", 1000, "action", "done").value("kind"), kind);

    // The span value travels in register 13 before the command.
    if (kind == "span") {
        const QVector<SimRequest> log = b.sim.requests();
        QCOMPARE(log[1].line.section(' ', 2, 4), QString("fc=06 addr=13 value=80"));
        QCOMPARE(log[2].line.section(' ', 2, 4), QString("fc=06 addr=12 value=25796"));
        QCOMPARE(b.ops.readHOLDregs().value(13), quint16(80));
    }
}

void TestSimModbus::blockWriteRoundTrip()
{
    Bench b;
    QVERIFY2(b.up(steady), qPrintable(b.sim.errorText()));
    const QVector<quint16> original = b.ops.readHOLDregs();
    QCOMPARE(original.size(), 180);
    QVector<quint16> block(180);
    for (int i = 0; i < 180; ++i)
        block[i] = quint16(i * 0x0101 + 0x8003);
    block[1] = original[1];  // the slave address stays where the master looks for it
    packName(block, "C3H8");
    QVERIFY(b.ops.writeHOLDregs(block));

    QVector<quint16> back = b.ops.readHOLDregs();
    QCOMPARE(back.size(), 180);
    QCOMPARE(back[12], quint16(0));  // the command register reads as 0 and ignores blocks
    back[12] = block[12];
    QCOMPARE(back, block);

    const QVector<SimRequest> log = b.sim.requests();
    QCOMPARE(log.size(), 6);  // two reads, two writes, two reads
    QCOMPARE(log[2].function, 0x10);
    QCOMPARE(log[2].address, 0);
    QCOMPARE(log[2].values, block.mid(0, 96));
    QCOMPARE(log[3].address, 96);
    QCOMPARE(log[3].count, 84);
    QCOMPARE(log[3].values, block.mid(96));
}

void TestSimModbus::gasSwitchChangesReportedConcentration()
{
    Bench b;
    QVERIFY2(b.up(steady + QStringList{"--concentration", "2", "--main-concentration", "7.5"}),
             qPrintable(b.sim.errorText()));
    const QVector<QString> names = b.ops.readGazNameTable();
    QCOMPARE(names.size(), 32);
    const QVector<quint16> input = b.ops.readInputValues();
    const QString mainGas = names.value(input.value(Word::mainGas) - 1);
    QCOMPARE(mainGas, QString("C3H8"));
    QCOMPARE(int(input.value(Word::concentration)), 20);

    QVector<quint16> block = b.ops.readHOLDregs();
    QCOMPARE(block.size(), 180);
    packName(block, mainGas);
    block[3] |= 0x0080;
    QVERIFY(b.ops.writeHOLDregs(block));
    QCOMPARE(b.concentration(), 75);
    QCOMPARE(b.sim.waitForEvent("gas").value("role"), QString("main"));

    b.sim.clearEvents();
    packName(block, "CH4");
    QVERIFY(b.ops.writeHOLDregs(block));
    QCOMPARE(b.concentration(), 20);
    QCOMPARE(b.sim.waitForEvent("gas").value("role"), QString("target"));
}

void TestSimModbus::thresholdBitsFollowConcentration_data()
{
    QTest::addColumn<QString>("setup");      // console command, may be empty
    QTest::addColumn<QStringList>("steps");  // concentration:expected status

    // Range 50.0, threshold 1 at 10.0, 2 at 20.0, hysteresis 0.2; 3 at 40.0, off.
    QTest::newRow("above, with hysteresis")
        << "" << QStringList{"9.9:0", "10.0:2", "9.9:2", "9.8:2", "9.7:0", "20:6", "19.7:2"};
    QTest::newRow("threshold 1 below 5.0")
        << "set holding 7 0x8032" << QStringList{"5.1:0", "5.0:2", "5.2:2", "5.3:0"};
    QTest::newRow("threshold 3 switched on")
        << "set holding 125 0x8000" << QStringList{"39.9:6", "40:22", "39.8:22", "39.7:6"};
    QTest::newRow("over range") << "" << QStringList{"50:6", "50.1:38"};
}

void TestSimModbus::thresholdBitsFollowConcentration()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, steps);
    Bench b;
    QVERIFY2(b.up(steady), qPrintable(b.sim.errorText()));
    if (!setup.isEmpty())
        QVERIFY(b.sim.command(setup));
    for (const QString &step : steps) {
        QVERIFY(b.sim.command("conc " + step.section(':', 0, 0)));
        QVERIFY2(b.status() == step.section(':', 1).toInt(),
                 qPrintable(QString("%1 -> %2").arg(step).arg(b.status())));
    }
}

void TestSimModbus::currentOutputFollowsCommands()
{
    Bench b;
    QVERIFY2(b.up(steady), qPrintable(b.sim.errorText()));
    QCOMPARE(b.ops.readInputValues().value(Word::outputCurrent), quint16(464));  // 2.0 of 50.0
    QVERIFY(b.ops.setServiceMode());
    QCOMPARE(b.ops.readInputValues().value(Word::outputCurrent), quint16(300));  // holding 16

    QVERIFY(b.ops.IoutCalib_4maStart());
    QCOMPARE(b.sim.waitForEvent("current").value("source"), QString("calib4"));
    QCOMPARE(b.ops.readInputValues().value(Word::outputCurrent), quint16(400));
    QVERIFY(b.ops.IoutCalibValueSet(412));
    QVERIFY(b.ops.CalibrSave());
    const SimEvent calibrated = b.sim.waitForEvent("current", 1000, "action", "calibrated");
    QCOMPARE(calibrated.value("point"), QString("4"));
    QCOMPARE(calibrated.value("value"), QString("412"));

    QVERIFY(b.ops.IoutCalib_20maStart());
    QCOMPARE(b.ops.readInputValues().value(Word::outputCurrent), quint16(2000));

    b.sim.clearEvents();
    QVERIFY(b.ops.IoutCalibValueSet(1250));
    QVERIFY(b.ops.IoutTestStart());
    QCOMPARE(b.sim.waitForEvent("current").value("value"), QString("1250"));
    QCOMPARE(b.ops.readInputValues().value(Word::outputCurrent), quint16(1250));
    QStringList reply;
    QVERIFY(b.sim.command("current", &reply));
    QCOMPARE(reply, QStringList{"current value=1250 source=test"});

    QVERIFY(b.ops.IoutTestStop());
    QVERIFY(b.ops.setWorkingMode());
    QCOMPARE(b.ops.readInputValues().value(Word::outputCurrent), quint16(464));
}

void TestSimModbus::faultSeenAsFailure_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("write");       // a single-register write, else a read of 80
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("logLine");  // what the master logs; empty: nothing
    QTest::addColumn<int>("minMs");        // the least the transaction must take

    const QString format = "Неверный формат ответа", crc = "Проверка CRC не пройдена:";
    const QString shortAnswer = "Ответ слишком короткий";
    QTest::newRow("noanswer read") << "noanswer" << false << false << format << 300;
    QTest::newRow("noanswer write") << "noanswer" << true << false << crc << 200;
    QTest::newRow("badcrc read") << "badcrc" << false << false << crc << 0;
    QTest::newRow("badcrc write") << "badcrc" << true << false << crc << 0;
    QTest::newRow("truncated read") << "truncate" << false << false << crc << 0;
    QTest::newRow("4 bytes read") << "truncate=4" << false << false << format << 0;
    QTest::newRow("exception read") << "exception=4" << false << false << shortAnswer << 0;
    const QString echo = "Линия возвращает каждый запрос (эхо адаптера): ответ берётся после него";
    QTest::newRow("echo glued to the answer") << "echo" << false << true << echo << 0;
    QTest::newRow("echo 40 ms before the answer") << "echo=40" << false << true << echo << 40;
    // A refused write is a failed write, whatever its CRC.
    QTest::newRow("exception write") << "exception=4" << true << false << "Modbus exception 04 (slave device failure)" << 0;
    QTest::newRow("delay past the timeout") << "delay=600" << false << false << format << 300;
    QTest::newRow("delay within the timeout") << "delay=150" << false << true << "" << 140;
    QTest::newRow("gap inside the answer") << "gap=60" << false << false << crc << 0;
    QTest::newRow("garbage before the answer") << "garbage=3" << false << false << crc << 0;
    QTest::newRow("other slave's answer read") << "wrongaddr" << false << false
                                               << "Ответ не на этот запрос: адрес 2, функция 04" << 0;
    QTest::newRow("other slave's answer write") << "wrongaddr=9" << true << false
                                                << "Ответ не на этот запрос: адрес 9, функция 06" << 0;
}

void TestSimModbus::faultSeenAsFailure()
{
    QFETCH(QString, fault);
    QFETCH(bool, write);
    QFETCH(bool, succeeds);
    QFETCH(QString, logLine);
    QFETCH(int, minMs);
    SimulatorProcess sim;
    QVERIFY2(sim.launch({"--fast", "--fault", fault}), qPrintable(sim.errorText()));
    OpenMaster master(sim.portPath());
    QVERIFY(master.opened);
    auto transaction = [&] {
        return write ? master.modbus.writeSingleHoldingRegister(14, 77).taken()
                     : master.modbus.readInputRegisters(256, 80).size() == 80;
    };
    LogCapture capture;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(transaction(), succeeds);
    QVERIFY2(clock.elapsed() >= minMs, qPrintable(QString::number(clock.elapsed())));
    const QStringList lines = capture.debugLines();
    if (logLine.isEmpty())
        QVERIFY2(lines.isEmpty(), qPrintable(lines.join('\n')));
    else
        QVERIFY2(anyLineStartsWith(lines, logLine), qPrintable(lines.join('\n')));
    QVERIFY(sim.waitForRequests(1));
    QCOMPARE(sim.requests().first().fault.section(':', 0, 0), fault.section('=', 0, 0));

    // The fault was for one request only; once a late answer is over, all is well.
    QThread::msleep(300);
    QVERIFY(transaction());
    QCOMPARE(sim.requests().last().fault, QString("none"));
}

void TestSimModbus::silentAfterRequests()
{
    Bench b;
    QVERIFY2(b.up({"--fast", "--silent-after", "2"}), qPrintable(b.sim.errorText()));
    QCOMPARE(b.ops.readInputValues().size(), 80);
    QVERIFY(b.ops.setServiceMode());
    QVERIFY(b.ops.readInputValues().isEmpty());
    QVERIFY(!b.ops.setWorkingMode());
    QVERIFY(b.ops.readInputValues().isEmpty());
    // Silent, not deaf: the lost answers' requests were carried out.
    QCOMPARE(b.sim.holding(3), QVector<quint16>{0});
    QVERIFY(b.sim.command("fault clear"));
    QCOMPARE(b.ops.readInputValues().size(), 80);
    QStringList faults;
    for (const SimRequest &r : b.sim.requests())
        faults << r.fault;
    QCOMPARE(faults, (QStringList{"none", "none", "noanswer", "noanswer", "noanswer", "none"}));
}

// Through the simulator's link, which goes with its port: the pty's own
// /dev/pts number is free once it closes, and a test running beside this one
// may be given it at once, which made opening the old path succeed.
void TestSimModbus::closedPortVanishes()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("detector");
    Bench b;
    QVERIFY2(b.up({"--fast", "--fault", "close,after=1", "--link", link}), qPrintable(b.sim.errorText()));
    b.ops.close();
    b.ops.setPortPath(link);
    QVERIFY(b.ops.open());
    QCOMPARE(b.ops.readInputValues().size(), 80);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(b.ops.readInputValues().isEmpty());
    QVERIFY(b.ops.readInputValues().isEmpty());
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!b.sim.waitForEvent("closed").name.isEmpty());
    b.ops.close();
    QVERIFY(!b.ops.open());
}

void TestSimModbus::pacedReadTakesWireTime()
{
    // 80 words come back in 165 characters: about 172 ms at 9600 baud, plus
    // the turnaround and the master's 10 ms of trailing silence.
    SimulatorProcess paced;
    QVERIFY2(paced.launch({"--steady"}), qPrintable(paced.errorText()));
    SimulatorProcess fast;
    QVERIFY2(fast.launch(steady), qPrintable(fast.errorText()));
    OpenMaster onPaced(paced.portPath()), onFast(fast.portPath());
    QVERIFY(onPaced.opened && onFast.opened);
    qint64 bestPaced = 1 << 30, bestFast = 1 << 30;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(onPaced.modbus.readInputRegisters(256, 80).size(), 80);
        const qint64 pacedMs = clock.elapsed();
        QVERIFY2(pacedMs >= 160, qPrintable(QString::number(pacedMs)));  // never faster than the line
        bestPaced = qMin(bestPaced, pacedMs);
        clock.restart();
        QCOMPARE(onFast.modbus.readInputRegisters(256, 80).size(), 80);
        bestFast = qMin(bestFast, clock.elapsed());
    }
    QVERIFY2(bestPaced <= 350, qPrintable(QString::number(bestPaced)));
    QVERIFY2(bestFast <= 100, qPrintable(QString::number(bestFast)));
}

QTEST_MAIN(TestSimModbus)
#include "tst_simmodbus.moc"
