// The traffic log: off unless asked for, then one request line and one answer
// line per transaction, with the bytes, the time taken and the outcome.
#include "logcapture.h"
#include "modbus.h"
#include "modbusanswers.h"
#include "modbusframes.h"
#include "modbusoperations.h"
#include "openmaster.h"
#include "ptypair.h"
#include "simulator.h"
#include "traffic.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QtTest>

#include <functional>

namespace {

const QString category = "zorvel.traffic";

struct TrafficPair {
    QString request;   // hex as logged
    QString answer;    // hex, or "nothing"
    int ms = -1;
    QString outcome;
};

QStringList trafficLines(const LogCapture &capture)
{
    QStringList lines;
    for (const LogCapture::Entry &entry : capture.entries()) {
        if (entry.category == category)
            lines.append(entry.text);
    }
    return lines;
}

// The lines two by two; a line out of its place fails the test.
QVector<TrafficPair> trafficPairs(const QStringList &lines)
{
    static const QRegularExpression requestLine(R"(^\d\d:\d\d:\d\d\.\d{3} -> ([0-9a-f ]+)$)");
    static const QRegularExpression answerLine(R"(^\d\d:\d\d:\d\d\.\d{3} <- (nothing|[0-9a-f ]+) \((\d+) ms, (.+)\)$)");
    QVector<TrafficPair> pairs;
    for (int i = 0; i + 1 < lines.size(); i += 2) {
        const QRegularExpressionMatch sent = requestLine.match(lines.at(i));
        const QRegularExpressionMatch came = answerLine.match(lines.at(i + 1));
        if (!sent.hasMatch() || !came.hasMatch())
            return {};
        pairs.append({sent.captured(1), came.captured(1), came.captured(2).toInt(), came.captured(3)});
    }
    return lines.size() % 2 == 0 ? pairs : QVector<TrafficPair>{};
}

QString hexOf(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QString("nothing") : QString::fromLatin1(bytes.toHex(' '));
}

// Turns the traffic log on for one test and off again, whatever the test does.
struct TrafficOn {
    TrafficOn() { QLoggingCategory::setFilterRules("zorvel.traffic=true"); }
    ~TrafficOn() { QLoggingCategory::setFilterRules(QString()); }
};

using Exchange = std::function<void(Modbus &)>;

} // namespace

Q_DECLARE_METATYPE(Exchange)
Q_DECLARE_METATYPE(PtyReply)

class TestTrafficLog : public QObject
{
    Q_OBJECT

private slots:
    void offByDefault();
    void onePairPerExchange_data();
    void onePairPerExchange();
    void lineFaults_data();
    void lineFaults();
    void pairsMatchTheDetectorsLog();
};

// Off means not a single line, and the master's own lines exactly as ever.
void TestTrafficLog::offByDefault()
{
    QVERIFY(!zorvelTraffic().isDebugEnabled());
    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    PtyResponder device(pty, {PtyReply::after(5, readAnswer(1, 0x03, {7})), PtyReply::none()});

    LogCapture capture;
    QCOMPARE(master.modbus.readHoldingRegisters(0, 1), {7});
    QVERIFY(!master.modbus.writeSingleHoldingRegister(3, 0x80));
    QCOMPARE(trafficLines(capture), QStringList());
    QCOMPARE(capture.debugLines(), {"Проверка CRC не пройдена:"});
}

void TestTrafficLog::onePairPerExchange_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<PtyReply>("reply");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<QStringList>("masterLog");

    const Exchange readInput = [](Modbus &m) { m.readInputRegisters(0x100, 2); };
    const Exchange readHolding = [](Modbus &m) { m.readHoldingRegisters(0, 2); };
    const Exchange writeOne = [](Modbus &m) { m.writeSingleHoldingRegister(3, 0x80); };
    const Exchange writeTwo = [](Modbus &m) { m.writeHoldingRegisters(0, {1, 2}); };
    const QByteArray inputRequest = buildReadRequest(1, 0x04, 0x100, 2);
    const QByteArray holdingRequest = buildReadRequest(1, 0x03, 0, 2);
    const QByteArray writeOneRequest = buildWriteSingleRequest(1, 3, 0x80);
    const QByteArray writeTwoRequest = buildWriteMultipleRequest(1, 0, {1, 2});
    const QByteArray twoWords = readAnswer(1, 0x04, {0x1234, 0x5678});
    QByteArray badCrc = twoWords;
    badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x01);
    const QByteArray cut = withCrc(twoWords.left(5));   // announces 4 bytes, carries 2

    QTest::newRow("read ok") << readInput << inputRequest << PtyReply::after(5, twoWords) << "ok" << 0
                             << QStringList();
    QTest::newRow("read, more words than asked")
        << readHolding << holdingRequest << PtyReply::after(5, readAnswer(1, 0x03, {1, 2, 3})) << "ok, 3 words for 2 asked"
        << 0 << QStringList();
    QTest::newRow("read, no answer") << readInput << inputRequest << PtyReply::none() << "no answer"
                                     << readResponseTimeout(2) << QStringList{"Неверный формат ответа"};
    QTest::newRow("read, four bytes") << readInput << inputRequest << PtyReply::after(5, twoWords.left(4))
                                      << "incomplete answer (4 bytes)" << 0 << QStringList{"Неверный формат ответа"};
    QTest::newRow("read, CRC mismatch")
        << readInput << inputRequest << PtyReply::after(5, badCrc) << "CRC mismatch" << 0
        << QStringList{"Проверка CRC не пройдена: " + QString::fromLatin1(badCrc.toHex(' '))};
    QTest::newRow("read, shorter than its byte count")
        << readInput << inputRequest << PtyReply::after(5, cut) << "shorter than its byte count 4" << 0
        << QStringList{"Ответ слишком короткий"};
    QTest::newRow("read, exception") << readHolding << holdingRequest << PtyReply::after(5, exceptionAnswer(1, 0x03, 2))
                                     << "exception 02 (illegal data address)" << 0
                                     << QStringList{"Ответ слишком короткий"};
    QTest::newRow("read, other slave's answer")
        << readInput << inputRequest << PtyReply::after(5, readAnswer(9, 0x04, {0x1234, 0x5678}))
        << "answer from slave 9 with function 04" << 0
        << QStringList{"Ответ не на этот запрос: адрес 9, функция 04"};
    QTest::newRow("write one ok") << writeOne << writeOneRequest << PtyReply::after(5, writeOneRequest) << "ok" << 0
                                  << QStringList();
    QTest::newRow("write one, no answer") << writeOne << writeOneRequest << PtyReply::none() << "no answer"
                                          << writeSingleResponseTimeout() << QStringList{"Проверка CRC не пройдена:"};
    QTest::newRow("write several ok") << writeTwo << writeTwoRequest << PtyReply::after(5, writeMultipleAnswer(1, 0, 2))
                                      << "ok" << 0 << QStringList();
    QTest::newRow("write several, exception")
        << writeTwo << writeTwoRequest << PtyReply::after(5, exceptionAnswer(1, 0x10, 4))
        << "exception 04 (slave device failure)" << 0 << QStringList{"Modbus exception 04 (slave device failure)"};
}

void TestTrafficLog::onePairPerExchange()
{
    QFETCH(Exchange, exchange);
    QFETCH(QByteArray, request);
    QFETCH(PtyReply, reply);
    QFETCH(QString, outcome);
    QFETCH(int, minMs);
    QFETCH(QStringList, masterLog);

    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    PtyResponder device(pty, {reply});
    TrafficOn on;
    LogCapture capture;
    exchange(master.modbus);

    QByteArray answer;
    for (const PtyReply::Chunk &chunk : reply.chunks)
        answer += chunk.bytes;
    const QStringList lines = trafficLines(capture);
    const QVector<TrafficPair> pairs = trafficPairs(lines);
    QVERIFY2(pairs.size() == 1, qPrintable(lines.join('\n')));
    QCOMPARE(pairs[0].request, hexOf(request));
    QCOMPARE(pairs[0].answer, hexOf(answer));
    QCOMPARE(pairs[0].outcome, outcome);
    QVERIFY2(pairs[0].ms >= minMs && pairs[0].ms < minMs + 400, qPrintable(QString::number(pairs[0].ms)));
    QCOMPARE(device.requests(), {request});
    // The traffic log comes on top; the master's own lines stay as they are.
    QCOMPARE(capture.debugLines(), masterLog);
}

void TestTrafficLog::lineFaults_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("stalled");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QStringList>("masterLog");

    QTest::newRow("port not open") << false << false << "port not open"
                                   << QStringList{"Serial port not open", "Неверный формат ответа"};
    QTest::newRow("write stalls") << true << true << "write timeout"
                                  << QStringList{"Write timeout", "Неверный формат ответа"};
}

// Failures on the line itself, before any answer could be judged.
void TestTrafficLog::lineFaults()
{
    QFETCH(bool, open);
    QFETCH(bool, stalled);
    QFETCH(QString, outcome);
    QFETCH(QStringList, masterLog);

    PtyPair pty;
    Modbus modbus;
    modbus.portName = pty.slavePath();
    modbus.setSlaveAddress(1);
    if (open)
        QVERIFY(modbus.openPort());
    pty.setSlaveOutputStopped(stalled);
    TrafficOn on;
    LogCapture capture;
    QVERIFY(modbus.readInputRegisters(0x100, 80).isEmpty());
    pty.setSlaveOutputStopped(false);

    const QVector<TrafficPair> pairs = trafficPairs(trafficLines(capture));
    QCOMPARE(pairs.size(), 1);
    QCOMPARE(pairs[0].request, hexOf(buildReadRequest(1, 0x04, 0x100, 80)));
    QCOMPARE(pairs[0].answer, QString("nothing"));
    QCOMPARE(pairs[0].outcome, outcome);
    QCOMPARE(capture.debugLines(), masterLog);
}

// A run of device operations against the simulated detector: its own log of
// the requests it saw and the traffic log tell the same story.
void TestTrafficLog::pairsMatchTheDetectorsLog()
{
    SimulatorProcess sim;
    QVERIFY2(sim.launch({"--fast", "--fault", "noanswer,fc=03,addr=96"}), qPrintable(sim.errorText()));
    ModbusOperations ops;
    ops.setNamePort(sim.portPath());
    ops.setSlaveAddress(1);
    QVERIFY(ops.open());
    TrafficOn on;
    LogCapture capture;

    QCOMPARE(ops.readInputValues().size(), 80);
    QCOMPARE(ops.readHOLDregs().size(), 96);   // the second half is not answered
    QVERIFY(!ops.readGazNameTable().isEmpty());
    QVERIFY(ops.setServiceMode());

    const QVector<TrafficPair> pairs = trafficPairs(trafficLines(capture));
    QVERIFY(sim.waitForRequests(pairs.size()));
    const QVector<SimRequest> seen = sim.requests();
    QCOMPARE(pairs.size(), seen.size());
    QVERIFY(pairs.size() >= 5);
    for (int i = 0; i < pairs.size(); ++i) {
        const QByteArray request = QByteArray::fromHex(pairs[i].request.toLatin1());
        QCOMPARE(int(quint8(request.at(1))), seen[i].function);
        QCOMPARE(int(quint8(request.at(2))) << 8 | quint8(request.at(3)), seen[i].address);
        const bool answered = seen[i].fault == "none" && seen[i].reply == "ok";
        QCOMPARE(pairs[i].outcome, QString(answered ? "ok" : "no answer"));
    }
}

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"
