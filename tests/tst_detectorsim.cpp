// The simulated detector seen from independent masters: mbpoll (libmodbus)
// and raw frames written straight to its port.
#include "simulator.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QStringList steady{"--fast", "--steady"};

// "3:0x0080 6:500" -> {3: 128, 6: 500}
QMap<int, int> wordsOf(const QString &pairs)
{
    QMap<int, int> words;
    for (const QString &item : pairs.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(':');
        words.insert(parts[0].toInt(), parts[1].toInt(nullptr, 0));
    }
    return words;
}

QByteArray withCrc(QByteArray frame)
{
    quint16 crc = 0xFFFF;
    for (char c : frame) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

struct Mbpoll
{
    int exitCode = -1;
    QString output;
    QMap<int, int> values;  // register -> value, as printed by mbpoll
};

// One mbpoll run with 0-based register numbers against slave `slave`.
Mbpoll mbpoll(const QString &port, const QStringList &options, const QStringList &writeValues = {},
              int slave = 1)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("mbpoll", QStringList{"-m", "rtu", "-b", "9600", "-P", "none", "-0", "-1", "-o", "1",
                                  "-a", QString::number(slave)}
                          + options + QStringList{port} + writeValues);
    Mbpoll result;
    if (!p.waitForFinished(10000))
        return result;
    result.exitCode = p.exitCode();
    result.output = QString::fromLocal8Bit(p.readAll());
    const QRegularExpression line("^\\[(\\d+)\\]:\\s+(0x[0-9A-Fa-f]+|\\d+)",
                                  QRegularExpression::MultilineOption);
    auto it = line.globalMatch(result.output);
    while (it.hasNext()) {
        const auto m = it.next();
        result.values.insert(m.captured(1).toInt(), m.captured(2).toInt(nullptr, 0));
    }
    return result;
}

QMap<int, int> readRegisters(const QString &port, const QString &type, int first, int count,
                             int slave = 1)
{
    return mbpoll(port, {"-t", type, "-r", QString::number(first), "-c", QString::number(count)},
                  {}, slave).values;
}

// The port opened as a plain raw terminal, for frames no library would send.
class RawLine
{
public:
    explicit RawLine(const QString &path)
    {
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
        if (fd < 0)
            return;
        termios t;
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
        tcflush(fd, TCIOFLUSH);
    }
    ~RawLine()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool isOpen() const { return fd >= 0; }

    void send(const QByteArray &bytes) { QCOMPARE(::write(fd, bytes.constData(), bytes.size()), ssize_t(bytes.size())); }

    // Waits up to firstMs for a byte, then reads until quietMs pass without one.
    QByteArray receive(int firstMs = 500, int quietMs = 50)
    {
        QByteArray bytes;
        int wait = firstMs;
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, wait) > 0) {
            char buffer[512];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes.append(buffer, int(n));
            wait = quietMs;
        }
        return bytes;
    }

private:
    int fd = -1;
};

} // namespace

class TestDetectorSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void mbpollReadsHoldingBlock_data();
    void mbpollReadsHoldingBlock();
    void mbpollReadsInputBlock_data();
    void mbpollReadsInputBlock();
    void mbpollReadsGasTable();
    void mbpollWriteReadsBack_data();
    void mbpollWriteReadsBack();
    void mbpollOutOfRangeGetsException();
    void mbpollAtOtherAddressGetsNoAnswer();

    void rawRequestAnswers_data();
    void rawRequestAnswers();
    void framesBackToBackAndAfterJunk();
    void pauseInsideARequest_data();
    void pauseInsideARequest();
    void broadcastWriteIsCarriedOutSilently();
    void addressWriteMovesTheSlave();

    void consoleRegistersAndPins();
    void consoleRejectsBadCommands_data();
    void consoleRejectsBadCommands();
    void faultRulesAreListedAndCleared();
    void closeMakesPortVanishAndReopenBringsANewOne();
    void badOptionsExitWithMessage_data();
    void badOptionsExitWithMessage();
    void helpDocumentsOptionsAndCommands();
    void endsOnInputEofAndSignalRemovingLink();
    void logLinesParse_data();
    void logLinesParse();
};

void TestDetectorSim::initTestCase()
{
    if (QStandardPaths::findExecutable("mbpoll").isEmpty())
        QSKIP("mbpoll is not installed (scripts/test installs it)");
}

void TestDetectorSim::mbpollReadsHoldingBlock_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("slave");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults") << steady << 1
        << "0:0x1000 1:0x0100 2:1 3:0 4:0x4130 6:500 7:100 8:200 9:0x0202 12:0 13:250 "
           "15:200 16:300 17:400 20:308 21:55029 32:0x4843 33:0x0034 34:0 39:0 "
           "113:500 114:0 125:0 126:400 127:2";
    QTest::newRow("d=3 ppm PELMAR at 7")
        << (steady + QStringList{"--address", "7", "--decimals", "3", "--unit", "ppm",
                                 "--device-type", "PELMAR", "--serial", "65538", "--gas", "C3H8",
                                 "--range", "20", "--ble", "2", "--hart", "100"})
        << 7
        << "0:0x4000 1:0x0700 2:100 4:0x8310 6:20000 7:4000 8:8000 9:0xC8C8 13:10000 "
           "20:1 21:2 32:0x3343 33:0x3848 34:0 113:20000 114:0 126:16000 127:200";
    QTest::newRow("d=0 hysteresis one step")
        << (steady + QStringList{"--decimals", "0", "--range", "100", "--unit", "0"}) << 1
        << "4:0x4000 6:100 7:20 8:40 9:0x0101 113:100 127:1";
    QTest::newRow("20 mA point above 16 bits")
        << (steady + QStringList{"--decimals", "3", "--range", "100"}) << 1
        << "6:65535 113:34464 114:1";
}

void TestDetectorSim::mbpollReadsHoldingBlock()
{
    QFETCH(QStringList, options);
    QFETCH(int, slave);
    QFETCH(QString, expected);
    SimulatorProcess sim;
    QVERIFY2(sim.launch(options), qPrintable(sim.errorText()));
    QMap<int, int> words = readRegisters(sim.portPath(), "4", 0, 125, slave);
    const QMap<int, int> rest = readRegisters(sim.portPath(), "4", 125, 55, slave);
    for (auto it = rest.begin(); it != rest.end(); ++it)
        words.insert(it.key(), it.value());
    QCOMPARE(words.size(), 180);
    const QMap<int, int> want = wordsOf(expected);
    for (auto it = want.begin(); it != want.end(); ++it)
        QVERIFY2(words.value(it.key()) == it.value(),
                 qPrintable(QString("holding %1 is %2, expected %3")
                                .arg(it.key()).arg(words.value(it.key())).arg(it.value())));
}

void TestDetectorSim::mbpollReadsInputBlock_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults") << steady
        << "256:0x1000 259:0x0102 260:37 262:0 272:20 274:464 334:1 335:2";
    QTest::newRow("firmware, d=2, gas numbers")
        << (steady + QStringList{"--firmware", "3.14.1500", "--decimals", "2",
                                 "--concentration", "2.34", "--target-gas", "5", "--main-gas", "9"})
        << "259:0x030E 260:1500 262:0 272:234 334:5 335:9";
    QTest::newRow("thresholds 1 and 2 tripped")
        << (steady + QStringList{"--concentration", "30"}) << "262:0x0006 272:300 274:1360";
    QTest::newRow("above range, output capped")
        << (steady + QStringList{"--concentration", "60"}) << "262:0x0026 272:600 274:2100";
    QTest::newRow("just below threshold 1")
        << (steady + QStringList{"--concentration", "9.9"}) << "262:0 272:99";
}

void TestDetectorSim::mbpollReadsInputBlock()
{
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    SimulatorProcess sim;
    QVERIFY2(sim.launch(options), qPrintable(sim.errorText()));
    const QMap<int, int> words = readRegisters(sim.portPath(), "3", 256, 112);
    QCOMPARE(words.size(), 112);
    const QMap<int, int> want = wordsOf(expected);
    for (auto it = want.begin(); it != want.end(); ++it)
        QVERIFY2(words.value(it.key()) == it.value(),
                 qPrintable(QString("input %1 is %2, expected %3")
                                .arg(it.key()).arg(words.value(it.key())).arg(it.value())));
}

void TestDetectorSim::mbpollReadsGasTable()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(), qPrintable(sim.errorText()));
    QStringList names;
    for (int block = 0; block < 4; ++block) {
        const int first = 384 + 64 * block;
        const QMap<int, int> words = readRegisters(sim.portPath(), "3", first, 64);
        QCOMPARE(words.size(), 64);
        for (int entry = 0; entry < 8; ++entry) {
            QByteArray text;
            for (int w = 0; w < 8; ++w) {
                const int word = words.value(first + 8 * entry + w);
                text.append(char(word & 0xFF)).append(char(word >> 8));
            }
            names << QString::fromLatin1(text.left(text.indexOf('\0')));
        }
    }
    QCOMPARE(names.size(), 32);
    QCOMPARE(names[0], QString("CH4"));
    QCOMPARE(names[1], QString("C3H8"));
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 32);
    QVERIFY(!names.contains(QString()));
    // Reading the table is logged like any request, one line per block.
    QVERIFY(sim.waitForRequests(4));
    QCOMPARE(sim.requests()[3].line.section(' ', 1), QString("slave=1 fc=04 addr=576 count=64 fault=none reply=ok"));
}

void TestDetectorSim::mbpollWriteReadsBack_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("function");

    QTest::newRow("single register 14") << 14 << QStringList{"1234"} << 0x06;
    QTest::newRow("block 40-42") << 40 << QStringList{"1", "2", "65535"} << 0x10;
    QTest::newRow("block up to 179") << 176 << QStringList{"7", "8", "9", "10"} << 0x10;
}

void TestDetectorSim::mbpollWriteReadsBack()
{
    QFETCH(int, first);
    QFETCH(QStringList, values);
    QFETCH(int, function);
    SimulatorProcess sim;
    QVERIFY2(sim.launch(), qPrintable(sim.errorText()));
    QCOMPARE(mbpoll(sim.portPath(), {"-t", "4", "-r", QString::number(first)}, values).exitCode, 0);
    const QMap<int, int> back = readRegisters(sim.portPath(), "4", first, values.size());
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(back.value(first + i), values[i].toInt());
    QVERIFY(sim.waitForRequests(2));
    const SimRequest write = sim.requests().first();
    QCOMPARE(write.function, function);
    QCOMPARE(write.address, first);
    QCOMPARE(write.values.size(), values.size());
    QCOMPARE(write.values.last(), quint16(values.last().toUInt()));
    QCOMPARE(write.reply, QString("ok"));
}

void TestDetectorSim::mbpollOutOfRangeGetsException()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(), qPrintable(sim.errorText()));
    const Mbpoll holding = mbpoll(sim.portPath(), {"-t", "4", "-r", "170", "-c", "20"});
    QVERIFY(holding.exitCode != 0);
    QVERIFY2(holding.output.contains("Illegal data address"), qPrintable(holding.output));
    const Mbpoll input = mbpoll(sim.portPath(), {"-t", "3", "-r", "368", "-c", "1"});
    QVERIFY(input.output.contains("Illegal data address"));
    const Mbpoll write = mbpoll(sim.portPath(), {"-t", "4", "-r", "180"}, {"1"});
    QVERIFY(write.output.contains("Illegal data address"));
    QVERIFY(sim.waitForRequests(3));
    for (const SimRequest &r : sim.requests())
        QCOMPARE(r.reply, QString("exception:02"));
}

void TestDetectorSim::mbpollAtOtherAddressGetsNoAnswer()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch({"--fast", "--address", "9"}), qPrintable(sim.errorText()));
    const Mbpoll other = mbpoll(sim.portPath(), {"-t", "4", "-r", "0", "-o", "0.2"}, {}, 1);
    QVERIFY(other.output.contains("timed out"));
    QCOMPARE(readRegisters(sim.portPath(), "4", 1, 1, 9).value(1), 0x0900);
    QVERIFY(sim.waitForRequests(2));
    QCOMPARE(sim.requests()[0].reply, QString("ignored"));
    QCOMPARE(sim.requests()[0].slave, 1);
}

void TestDetectorSim::rawRequestAnswers_data()
{
    QTest::addColumn<QByteArray>("request");    // without CRC
    QTest::addColumn<QByteArray>("answer");     // without CRC; empty: none
    QTest::addColumn<QString>("reply");         // as logged
    QTest::addColumn<QString>("fault");         // a --fault rule; empty: none

    auto hex = [](const char *text) { return QByteArray::fromHex(text); };
    QTest::newRow("read 2 input words 259") << hex("010401030002") << hex("0104040102 0025") << "ok" << "";
    QTest::newRow("last gas table word") << hex("0104027f0001") << hex("01040200 00") << "ok" << "";
    QTest::newRow("holding 180") << hex("010300b40001") << hex("018302") << "exception:02" << "";
    QTest::newRow("holding 170+20 crosses the end") << hex("010300aa0014") << hex("018302") << "exception:02" << "";
    QTest::newRow("input 0") << hex("010400000001") << hex("018402") << "exception:02" << "";
    QTest::newRow("input 360+10 runs into the gap") << hex("01040168000a") << hex("018402") << "exception:02" << "";
    QTest::newRow("count 0") << hex("010300000000") << hex("018303") << "exception:03" << "";
    QTest::newRow("count 126") << hex("01030000007e") << hex("018303") << "exception:03" << "";
    QTest::newRow("0x10 with no words") << hex("01100060000000") << hex("019003") << "exception:03" << "";
    QTest::newRow("0x10 byte count mismatch") << hex("011000000002020001") << hex("019003") << "exception:03" << "";
    QTest::newRow("0x06 beyond 179") << hex("010600b40001") << hex("018602") << "exception:02" << "";
    QTest::newRow("unknown command code") << hex("0106000c1234") << hex("018603") << "exception:03" << "";
    QTest::newRow("0x06 echoes") << hex("0106000e0007") << hex("0106000e0007") << "ok" << "";
    QTest::newRow("0x10 answers address and count") << hex("0110002800020400010002") << hex("011000280002") << "ok" << "";
    QTest::newRow("read coils: unknown function") << hex("010100000008") << hex("018101") << "exception:01" << "";
    QTest::newRow("0x2B ends by silence") << hex("012b0e0100") << hex("01ab01") << "exception:01" << "";
    QTest::newRow("other slave") << hex("020300000001") << QByteArray() << "ignored" << "";
    // A detector that refuses every write of one register, alone or in a block.
    const QString refuse13 = "exception,persist,writeto=13";
    QTest::newRow("0x06 to the refused register") << hex("0106000d0007") << hex("018604") << "exception:04"
                                                  << refuse13;
    QTest::newRow("0x10 over the refused register") << hex("0110000c00020400010002") << hex("019004")
                                                    << "exception:04" << refuse13;
    QTest::newRow("0x10 beside the refused register") << hex("0110000e00020400010002") << hex("0110000e0002")
                                                      << "ok" << refuse13;
    QTest::newRow("read of the refused register") << hex("0103000d0001") << hex("01030200fa") << "ok"
                                                  << refuse13;
}

void TestDetectorSim::rawRequestAnswers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(QString, reply);
    QFETCH(QString, fault);
    SimulatorProcess sim;
    QVERIFY2(sim.launch(fault.isEmpty() ? steady : steady + QStringList{"--fault", fault}),
             qPrintable(sim.errorText()));
    RawLine line(sim.portPath());
    QVERIFY(line.isOpen());
    line.send(withCrc(request));
    const QByteArray received = line.receive(answer.isEmpty() ? 200 : 1000);
    QCOMPARE(received.toHex(), answer.isEmpty() ? QByteArray() : withCrc(answer).toHex());
    QVERIFY(sim.waitForRequests(1));
    QCOMPARE(sim.requests().first().reply, reply);
}

void TestDetectorSim::framesBackToBackAndAfterJunk()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady), qPrintable(sim.errorText()));
    RawLine line(sim.portPath());
    const QByteArray first = withCrc(QByteArray::fromHex("010300000001"));
    const QByteArray second = withCrc(QByteArray::fromHex("010300010001"));
    line.send(first + second);
    QCOMPARE(line.receive().toHex(), (withCrc(QByteArray::fromHex("0103021000"))
                                      + withCrc(QByteArray::fromHex("0103020100"))).toHex());

    // A frame with a bad CRC is dropped without an answer; the next one is served.
    QByteArray broken = withCrc(QByteArray::fromHex("010300020001"));
    broken[7] = char(broken[7] ^ 0x01);
    line.send(broken);
    QVERIFY(line.receive(200).isEmpty());
    line.send(QByteArray::fromHex("ff01"));  // line noise, ended by silence
    QVERIFY(line.receive(200).isEmpty());
    line.send(withCrc(QByteArray::fromHex("010300030001")));
    QCOMPARE(line.receive().toHex(), withCrc(QByteArray::fromHex("0103020000")).toHex());

    const SimEvent junk = sim.waitForEvent("badframe", 1000, "hex", "ff01");
    QCOMPARE(junk.name, QString("badframe"));
    QCOMPARE(sim.events().first().value("hex"), QString(broken.toHex()));
    QCOMPARE(sim.requests().size(), 3);
}

void TestDetectorSim::pauseInsideARequest_data()
{
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<bool>("answered");

    // At 1200 baud a character takes 8.3 ms: 3.5 of them are 29 ms, 1.5 are 12.5 ms.
    QTest::newRow("20 ms, under 3.5 characters") << 20 << true;
    QTest::newRow("45 ms, over 3.5 characters") << 45 << false;
}

// Only 3.5 character times of silence end a frame: a shorter pause inside a
// request leaves it whole, a longer one cuts it into two bad frames.
void TestDetectorSim::pauseInsideARequest()
{
    QFETCH(int, pauseMs);
    QFETCH(bool, answered);

    SimulatorProcess sim;
    QVERIFY2(sim.launch({"--fast", "--steady", "--baud", "1200"}), qPrintable(sim.errorText()));
    RawLine line(sim.portPath());
    const QByteArray request = withCrc(QByteArray::fromHex("010300000001"));
    line.send(request.left(3));
    QTest::qSleep(pauseMs);
    line.send(request.mid(3));
    const QByteArray answer = withCrc(QByteArray::fromHex("0103021000"));
    QCOMPARE(line.receive(300).toHex(), answered ? answer.toHex() : QByteArray());
}

void TestDetectorSim::broadcastWriteIsCarriedOutSilently()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(), qPrintable(sim.errorText()));
    RawLine line(sim.portPath());
    line.send(withCrc(QByteArray::fromHex("0006000e0007")));
    QVERIFY(line.receive(200).isEmpty());
    QCOMPARE(sim.holding(14), QVector<quint16>{7});
    QCOMPARE(sim.requests().first().reply, QString("broadcast"));
}

void TestDetectorSim::addressWriteMovesTheSlave()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(), qPrintable(sim.errorText()));
    // 0x0500: address 5 in the high byte; the answer still comes from address 1.
    QCOMPARE(mbpoll(sim.portPath(), {"-t", "4", "-r", "1"}, {"1280"}).exitCode, 0);
    QCOMPARE(sim.waitForEvent("address").value("value"), QString("5"));
    QCOMPARE(readRegisters(sim.portPath(), "4", 1, 1, 5).value(1), 0x0500);
    // An address outside 1-247 is stored but not taken.
    QCOMPARE(mbpoll(sim.portPath(), {"-t", "4", "-r", "1"}, {"0"}, 5).exitCode, 0);
    QCOMPARE(readRegisters(sim.portPath(), "4", 1, 1, 5).value(1), 0);
}

void TestDetectorSim::consoleRegistersAndPins()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch(steady), qPrintable(sim.errorText()));
    QVERIFY(sim.command("set holding 40 1 0x00FF 65535"));
    QCOMPARE(sim.holding(40, 3), (QVector<quint16>{1, 255, 65535}));
    QCOMPARE(readRegisters(sim.portPath(), "4", 40, 3).value(41), 255);

    // Live words are pinned by "set input" and follow the detector after "unpin".
    QCOMPARE(sim.input(272), QVector<quint16>{20});
    QVERIFY(sim.command("set input 272 999"));
    QCOMPARE(readRegisters(sim.portPath(), "3", 272, 1).value(272), 999);
    QVERIFY(sim.command("unpin 272"));
    QCOMPARE(sim.input(272), QVector<quint16>{20});
    QVERIFY(sim.command("conc 12.5"));
    QCOMPARE(sim.input(272), QVector<quint16>{125});

    QVERIFY(sim.command("status set 0x0408"));
    QCOMPARE(sim.input(262), QVector<quint16>{0x0408 | 0x0002});
    QVERIFY(sim.command("status clear 0x0002"));
    QStringList reply;
    QVERIFY(sim.command("status", &reply));
    QCOMPARE(reply, QStringList{"status 0x0408 on=0x0408 off=0x0002"});
    QVERIFY(sim.command("status auto"));
    QCOMPARE(sim.input(262), QVector<quint16>{0x0002});

    QVERIFY(sim.command("dump", &reply));
    QVERIFY(reply.contains("holding 32 18499 52 0 0 0 0 0 0 1 255 65535 0 0 0 0 0"));
    QVERIFY(reply.contains("gas name=CH4 role=target"));
    QVERIFY(reply.contains("current value=800 source=measure"));
    QVERIFY(sim.requests().size() == 2);  // console commands are not requests
}

void TestDetectorSim::consoleRejectsBadCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown") << "frobnicate" << "unknown command";
    QTest::newRow("holding beyond 179") << "set holding 179 1 2" << "out of range";
    QTest::newRow("input in the gap") << "get input 370" << "out of range";
    QTest::newRow("value too big") << "set holding 3 65536" << "bad value";
    QTest::newRow("unknown fault") << "fault sneeze" << "unknown fault";
    QTest::newRow("rate above 1") << "fault noanswer rate 2" << "probability";
    QTest::newRow("stray fault word") << "fault delay 100 sometimes" << "unknown fault word";
    QTest::newRow("negative concentration") << "conc -1" << "usage";
    QTest::newRow("status without mask") << "status set" << "usage";
}

void TestDetectorSim::consoleRejectsBadCommands()
{
    QFETCH(QString, command);
    QFETCH(QString, error);
    SimulatorProcess sim;
    QVERIFY2(sim.launch(), qPrintable(sim.errorText()));
    QVERIFY(!sim.command(command));
    QVERIFY2(sim.errorText().startsWith("error ") && sim.errorText().contains(error),
             qPrintable(sim.errorText()));
    // Still serving after the rejected command.
    QVERIFY(sim.command("get holding 0"));
}

void TestDetectorSim::faultRulesAreListedAndCleared()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch({"--fast", "--fault", "noanswer,persist,fc=03", "--silent-after", "5"}),
             qPrintable(sim.errorText()));
    QStringList reply;
    QVERIFY(sim.command("fault delay 250 count 2 after 1 fc 04 addr 256", &reply));
    QCOMPARE(reply, QStringList{"fault delay=250,count=2,after=1,fc=04,addr=256"});
    QVERIFY(sim.command("faults", &reply));
    QCOMPARE(reply, (QStringList{"fault noanswer,persist,fc=03", "fault noanswer,persist,after=5",
                                 "fault delay=250,count=2,after=1,fc=04,addr=256"}));
    QVERIFY(sim.command("fault clear"));
    QVERIFY(sim.command("faults", &reply));
    QVERIFY(reply.isEmpty());
    QCOMPARE(readRegisters(sim.portPath(), "4", 0, 1).value(0), 0x1000);
}

void TestDetectorSim::closeMakesPortVanishAndReopenBringsANewOne()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("detector");
    SimulatorProcess sim;
    QVERIFY2(sim.launch({"--fast", "--link", link}), qPrintable(sim.errorText()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.portPath());
    QCOMPARE(readRegisters(link, "4", 0, 1).value(0), 0x1000);

    QVERIFY(sim.command("close"));
    QVERIFY(!sim.waitForEvent("closed").name.isEmpty());
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!RawLine(sim.portPath()).isOpen());

    QStringList reply;
    QVERIFY(sim.command("reopen", &reply));
    QCOMPARE(reply.size(), 1);
    const QString path = reply.first().section(' ', 1);
    QVERIFY(path.startsWith("/dev/"));
    QCOMPARE(sim.waitForEvent("reopened").value("path"), path);
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);
    QCOMPARE(readRegisters(link, "4", 0, 1).value(0), 0x1000);

    // The close fault does the same on a request, which gets no answer.
    QVERIFY(sim.command("fault close"));
    QVERIFY(mbpoll(link, {"-t", "4", "-r", "0", "-o", "0.3"}).exitCode != 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(sim.waitForRequests(3));
    QCOMPARE(sim.requests().last().fault, QString("close"));
}

void TestDetectorSim::badOptionsExitWithMessage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown option") << QStringList{"--colour"} << "colour";
    QTest::newRow("decimals 4") << QStringList{"--decimals", "4"} << "--decimals";
    QTest::newRow("address 0") << QStringList{"--address", "0"} << "--address";
    QTest::newRow("address 248") << QStringList{"--address", "248"} << "--address";
    QTest::newRow("unit") << QStringList{"--unit", "furlongs"} << "--unit";
    QTest::newRow("device type") << QStringList{"--device-type", "toaster"} << "--device-type";
    QTest::newRow("firmware") << QStringList{"--firmware", "1.2"} << "--firmware";
    QTest::newRow("negative concentration") << QStringList{"--concentration", "-3"} << "--concentration";
    QTest::newRow("fault") << QStringList{"--fault", "delay=abc"} << "--fault";
    QTest::newRow("gas name too long") << QStringList{"--gas", "ABCDEFGHIJKLMNOPQ"} << "--gas";
    QTest::newRow("missing value") << QStringList{"--address"} << "address";
    QTest::newRow("stray argument") << QStringList{"/dev/ttyS0"} << "/dev/ttyS0";
}

void TestDetectorSim::badOptionsExitWithMessage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess p;
    p.start(ZORVEL_SIM_PATH, arguments);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardOutput().isEmpty());  // no port was made
    const QString error = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(error.contains(message), qPrintable(error));
}

void TestDetectorSim::helpDocumentsOptionsAndCommands()
{
    QProcess p;
    p.start(ZORVEL_SIM_PATH, {"--help"});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    for (const char *word : {"--address", "--link", "--fast", "--log", "--fault", "--calib-delay",
                             "--concentration", "--decimals", "--unit", "--device-type",
                             "noanswer", "wrongaddr", "silent", "rate=P", "writeto=N", "event=calib",
                             "fault clear", "reopen", "status set MASK"})
        QVERIFY2(help.contains(word), word);
}

void TestDetectorSim::endsOnInputEofAndSignalRemovingLink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("port");
    {
        SimulatorProcess sim;
        QVERIFY2(sim.launch({"--fast", "--link", link}), qPrintable(sim.errorText()));
        QVERIFY(QFileInfo(link).isSymLink());
        sim.closeWriteChannel();
        QVERIFY(sim.waitForFinished(2000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }
    SimulatorProcess sim;
    QVERIFY2(sim.launch({"--fast", "--link", link}), qPrintable(sim.errorText()));
    sim.terminate();
    QVERIFY(sim.waitForFinished(2000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestDetectorSim::logLinesParse_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("values");

    QTest::newRow("read") << "1.250 slave=1 fc=04 addr=256 count=80 fault=none reply=ok" << 4 << 256 << 80 << "";
    QTest::newRow("single write") << "2.000 slave=1 fc=06 addr=3 value=128 fault=delay:500 reply=ok" << 6 << 3 << 1 << "128";
    QTest::newRow("block write") << "3.5 slave=1 fc=10 addr=96 count=2 values=7,65535 fault=none reply=ok" << 16 << 96 << 2 << "7,65535";
    QTest::newRow("unknown function") << "4.000 slave=1 fc=2B fault=none reply=exception:01" << 0x2B << -1 << -1 << "";
}

void TestDetectorSim::logLinesParse()
{
    QFETCH(QString, line);
    QFETCH(int, function);
    QFETCH(int, address);
    QFETCH(int, count);
    QFETCH(QString, values);
    SimRequest r;
    QVERIFY(parseSimLogLine(line, &r, nullptr));
    QCOMPARE(r.function, function);
    QCOMPARE(r.address, address);
    QCOMPARE(r.count, count);
    QStringList got;
    for (quint16 v : r.values)
        got << QString::number(v);
    QCOMPARE(got.join(','), values);
    QCOMPARE(r.line, line);
    SimEvent e;
    QVERIFY(!parseSimLogLine(line, nullptr, &e));
    QVERIFY(parseSimLogLine("9.000 event=calib action=done kind=zero", nullptr, &e));
    QCOMPARE(e.name, QString("calib"));
    QCOMPARE(e.value("kind"), QString("zero"));
    QVERIFY(!parseSimLogLine("ok", &r, nullptr));
}

QTEST_MAIN(TestDetectorSim)
#include "tst_detectorsim.moc"
