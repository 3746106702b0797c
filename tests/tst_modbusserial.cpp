#include "libmodbusslave.h"
#include "logcapture.h"
#include "modbus.h"
#include "modbusanswers.h"
#include "modbusframes.h"
#include "openmaster.h"
#include "ptypair.h"

#include <QElapsedTimer>
#include <QtTest>

#include <algorithm>
#include <ctime>
#include <functional>

namespace {

qint64 threadCpuMs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

using Exchange = std::function<bool(Modbus &)>;

} // namespace

Q_DECLARE_METATYPE(Exchange)
Q_DECLARE_METATYPE(PtyReply)

class TestModbusSerial : public QObject
{
    Q_OBJECT

private slots:
    void answerTricklesPastTimeout();
    void gapInsideAnswer_data();
    void gapInsideAnswer();
    void runawayAnswerCut_data();
    void runawayAnswerCut();
    void noAnswer_data();
    void noAnswer();
    void wholeAnswerEndsAtItsLastByte_data();
    void wholeAnswerEndsAtItsLastByte();
    void lineKeptInStep_data();
    void lineKeptInStep();
    void staleBytesDiscarded();
    void portNotOpen_data();
    void portNotOpen();
    void writeStalls_data();
    void writeStalls();
    void peerHangsUp_data();
    void peerHangsUp();
    void openAppliesPortName();

    void libmodbusReads();
    void libmodbusWritesReadBack();
    void libmodbusRefusesIllegalAddress_data();
    void libmodbusRefusesIllegalAddress();
};

void TestModbusSerial::answerTricklesPastTimeout()
{
    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    const QVector<quint16> words = pattern(0x40, 40);
    const int timeout = readResponseTimeout(40);
    // Starts shortly before the time-out and ends well after it; every pause
    // is far below the 10 ms that end an answer.
    PtyResponder device(pty, {PtyReply::trickle(readAnswer(1, 0x04, words), timeout - 40, 5, 3)});

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(master.modbus.readInputRegisters(0x0100, 40), words);
    QVERIFY2(clock.elapsed() > timeout, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(device.requests(), {hex("01 04 01 00 00 28 f1 e8")});
}

void TestModbusSerial::gapInsideAnswer_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("joined");

    // About ten character times of silence end an answer: less is a pause
    // inside it, much more is its end.
    QTest::newRow("6 ms joined") << 6 << true;
    QTest::newRow("25 ms ends it") << 25 << false;
}

void TestModbusSerial::gapInsideAnswer()
{
    QFETCH(int, gapMs);
    QFETCH(bool, joined);

    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    const QByteArray answer = readAnswer(1, 0x04, {0x1234});
    PtyResponder device(pty, {{{{20, answer.left(3)}, {gapMs, answer.mid(3)}}}});

    const QByteArray received = master.modbus.sendRequest(hex("01 04 00 00 00 01 31 ca"), 300);
    QCOMPARE(received.toHex(' '), (joined ? answer : answer.left(3)).toHex(' '));
}

void TestModbusSerial::runawayAnswerCut_data()
{
    QTest::addColumn<PtyReply>("reply");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::addColumn<QString>("log");

    // The read time-out of 80 words, 360 ms, and the longest frame's 267 ms.
    const int bound = 627;
    QTest::newRow("more than the longest frame")
        << PtyReply::after(5, QByteArray(4000, '\x55')) << 0 << 100 << "Ответ длиннее 256 байт";
    // Never ten character times quiet, yet too slow to reach 256 bytes.
    QTest::newRow("never quiet") << PtyReply::trickle(QByteArray(400, '\x55'), 5, 1, 3) << bound << bound + 40
                                 << QString("Ответ не закончился за %1 мс").arg(bound);
}

// A second master or a floating RS-485 pair must not hold the window, nor
// make it keep whatever they send.
void TestModbusSerial::runawayAnswerCut()
{
    QFETCH(PtyReply, reply);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QFETCH(QString, log);

    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    PtyResponder device(pty, {reply});
    LogCapture capture;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(master.modbus.readInputRegisters(0x100, 80).isEmpty());
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= minMs && elapsed < maxMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(capture.debugLines(), (QStringList{log, "Неверный формат ответа"}));
}

void TestModbusSerial::noAnswer_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QString>("log");

    QTest::newRow("read 80 words") << Exchange([](Modbus &m) { return !m.readInputRegisters(0x100, 80).isEmpty(); })
                                   << 360 << "Неверный формат ответа";
    QTest::newRow("read 64 words") << Exchange([](Modbus &m) { return !m.readInputRegisters(0x180, 64).isEmpty(); })
                                   << 328 << "Неверный формат ответа";
    QTest::newRow("write one") << Exchange([](Modbus &m) { return m.writeSingleHoldingRegister(3, 0x80).taken(); })
                               << 360 << "Проверка CRC не пройдена:";
    QTest::newRow("write 96 words") << Exchange([](Modbus &m) { return m.writeHoldingRegisters(0, pattern(1, 96)).taken(); })
                                    << 392 << "Проверка CRC не пройдена:";
}

// Every failure costs its time-out: the median of three stays within 25 ms
// of it, so that a time-out even 30 ms too long shows.
void TestModbusSerial::noAnswer()
{
    QFETCH(Exchange, exchange);
    QFETCH(int, timeoutMs);
    QFETCH(QString, log);

    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    QVector<qint64> took;
    for (int trial = 0; trial < 3; ++trial) {
        QTest::qSleep(30);   // the line long quiet: the next request is not held back
        LogCapture capture;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!exchange(master.modbus));
        took << clock.elapsed();
        QCOMPARE(capture.debugLines(), {log});
    }
    std::sort(took.begin(), took.end());
    QVERIFY2(took[0] >= timeoutMs && took[1] < timeoutMs + 25, qPrintable(QString("%1 %2 %3").arg(took[0]).arg(took[1]).arg(took[2])));
}

void TestModbusSerial::wholeAnswerEndsAtItsLastByte_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");

    // The pty device answers 5 ms after the request; an answer that is not
    // one whole frame then waits the 10 ms of silence, so a silence of 20 ms
    // fails those rows, and a whole answer that waits for it fails the first.
    const QByteArray answer = readAnswer(1, 0x04, {0x1234});
    QTest::newRow("whole answer") << answer << 0 << 10;
    QTest::newRow("whole exception") << exceptionAnswer(1, 0x04, 2) << 0 << 10;
    QTest::newRow("a byte short") << answer.left(answer.size() - 1) << 13 << 22;
    QTest::newRow("a byte more") << answer + '\0' << 13 << 22;
}

// The exchange ends as soon as the answer is one whole frame of the form its
// request expects; anything else ends with the silence after it. The median
// of five.
void TestModbusSerial::wholeAnswerEndsAtItsLastByte()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);

    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    PtyResponder device(pty, QVector<PtyReply>(5, PtyReply::after(0, reply)));
    QVector<qint64> took;
    for (int trial = 0; trial < 5; ++trial) {
        QTest::qSleep(10);   // past the silence a request keeps after an answer
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(master.modbus.sendRequest(buildReadRequest(1, 0x04, 0x100, 1), 300).toHex(' '), reply.toHex(' '));
        took << clock.elapsed();
    }
    std::sort(took.begin(), took.end());
    QVERIFY2(took[2] >= minMs && took[2] < maxMs, qPrintable(QString::number(took[2])));
}

void TestModbusSerial::lineKeptInStep_data()
{
    QTest::addColumn<QVector<PtyReply>>("replies");
    // r: read 2 words, q: read 2 other words, w: write one register, o: close
    // and open the port again, p300: a pause of 300 ms
    QTest::addColumn<QString>("steps");
    // Per step: the first word read in hex, ok, - for a failure, or unsent for
    // a request the master held back.
    QTest::addColumn<QString>("results");
    QTest::addColumn<int>("sent");          // requests that reached the line

    const QByteArray read = buildReadRequest(1, 0x04, 0x100, 2);
    const QByteArray write = buildWriteSingleRequest(1, 3, 0x80);
    const QByteArray first = readAnswer(1, 0x04, {0xAAAA, 1}), second = readAnswer(1, 0x04, {0xBBBB, 2});
    const QByteArray third = readAnswer(1, 0x04, {0xCCCC, 3});
    const QByteArray junk(30, '\x55');
    // An answer of another word count is not this read's, whatever it holds.
    QTest::newRow("three words for two asked")
        << QVector<PtyReply>{PtyReply::after(5, readAnswer(1, 0x04, {0xDDDD, 4, 5}))} << "r" << "-" << 1;
    // The read waits 60 ms; bytes that come later belong to no request.
    QTest::newRow("late bytes let pass before the next request")
        << QVector<PtyReply>{PtyReply::trickle(junk, 70, 1, 5), PtyReply::after(5, second)} << "r r" << "- bbbb" << 2;
    QTest::newRow("late answer drained, not taken")
        << QVector<PtyReply>{PtyReply::trickle(first, 70, 2, 5), PtyReply::after(5, second)} << "r r" << "- bbbb" << 2;
    // A slow detector answers every request it got, in order: the late answer
    // comes in the next request's wait, ahead of that request's own.
    QTest::newRow("late answer to a read skipped by the next write")
        << QVector<PtyReply>{PtyReply::after(90, first), PtyReply::after(30, write)} << "r w" << "- ok" << 2;
    QTest::newRow("late answer skipped by a retry of the read, which gets its own")
        << QVector<PtyReply>{PtyReply::after(90, first), PtyReply::after(20, second)} << "r r" << "- bbbb" << 2;
    QTest::newRow("a retry answered alone takes that answer")
        << QVector<PtyReply>{PtyReply::none(), PtyReply::after(5, first)} << "r r" << "- aaaa" << 2;
    // Bytes right after a taken answer are the line still talking: the next
    // request waits until it is quiet, and they are never its answer.
    QTest::newRow("a frame glued to a taken answer is not the next read's")
        << QVector<PtyReply>{{{{0, first}, {1, third}}}, PtyReply::after(5, second)} << "r r" << "aaaa bbbb" << 2;
    // The three requests that met silence are remembered, oldest first, and
    // a late answer to one forgets those before it: the detector answers in
    // order.
    QTest::newRow("two late answers ahead of a third read's own")
        << QVector<PtyReply>{PtyReply::none(), PtyReply::none(), PtyReply::after(5, first + second + third)}
        << "r r r" << "- - cccc" << 3;
    QTest::newRow("a late answer to a later request forgets the earlier one")
        << QVector<PtyReply>{PtyReply::none(), PtyReply::none(), PtyReply::after(5, write + second)} << "r w q"
        << "- - bbbb" << 3;
    QTest::newRow("a late answer 800 ms after its request is still told")
        << QVector<PtyReply>{PtyReply::none(), PtyReply::after(5, first + second)} << "r p800 r" << "- bbbb" << 2;
    // The line may talk for two longest frames after a failure, and a late
    // answer among it gives it that time again.
    QTest::newRow("a line that talks 450 ms still gets the next request")
        << QVector<PtyReply>{PtyReply::trickle(QByteArray(45, '\x55'), 70, 1, 10), PtyReply::after(5, second)}
        << "r r" << "- bbbb" << 2;
    QTest::newRow("a slow detector catching up while the line settles")
        << QVector<PtyReply>{PtyReply::none(), PtyReply::trickle(first + first + QByteArray(45, '\x55'), 65, 1, 10),
                             PtyReply::after(5, second)}
        << "r r r" << "- - bbbb" << 3;
    QTest::newRow("a line that never falls quiet gets no request")
        << QVector<PtyReply>{PtyReply::trickle(QByteArray(200, '\x55'), 70, 1, 5), PtyReply::none()} << "r r"
        << "- unsent" << 1;
    QTest::newRow("echo glued to the answer")
        << QVector<PtyReply>{PtyReply::after(1, read + first)} << "r" << "aaaa" << 1;
    QTest::newRow("echo 30 ms before the answer")
        << QVector<PtyReply>{{{{1, read}, {30, first}}}} << "r" << "aaaa" << 1;
    QTest::newRow("on an echoing line, the echo alone confirms no write")
        << QVector<PtyReply>{PtyReply::after(1, read + first), PtyReply::after(1, write)} << "r w" << "aaaa -" << 2;
    QTest::newRow("a port opened again forgets the echo")
        << QVector<PtyReply>{PtyReply::after(1, read + first), PtyReply::after(1, write)} << "r o w" << "aaaa ok" << 2;
    QTest::newRow("on an echoing line, echo and answer confirm a write")
        << QVector<PtyReply>{PtyReply::after(1, read + first), PtyReply::after(1, write + write)} << "r w" << "aaaa ok"
        << 2;
}

// However an answer comes late or doubled, a read returns its own words or
// none, and a write counts as done only on the detector's answer.
void TestModbusSerial::lineKeptInStep()
{
    QFETCH(QVector<PtyReply>, replies);
    QFETCH(QString, steps);
    QFETCH(QString, results);
    QFETCH(int, sent);

    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    master.modbus.setReadTimeout(60);
    PtyResponder device(pty, replies);
    QStringList got;
    for (const QString &step : steps.split(' ')) {
        if (step.startsWith('p')) {
            QTest::qSleep(step.mid(1).toInt());
            continue;
        }
        if (step == "o") {
            master.modbus.closePort();
            QVERIFY(master.modbus.openPort());
            continue;
        }
        QString result;
        if (step == "w") {
            result = master.modbus.writeSingleHoldingRegister(3, 0x80) ? "ok" : "";
        } else {
            const QVector<quint16> words = master.modbus.readInputRegisters(step == "q" ? 0x200 : 0x100, 2);
            result = words.isEmpty() ? QString() : QString::number(words.first(), 16);
        }
        if (result.isEmpty())
            result = master.modbus.lastOutcome().notSent() ? "unsent" : "-";
        got << result;
    }
    QCOMPARE(got.join(' '), results);
    QCOMPARE(device.requests().size(), sent);
}

void TestModbusSerial::staleBytesDiscarded()
{
    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    const QByteArray answer = readAnswer(1, 0x03, {0xCAFE});
    // The first answer's tail comes late, after the master gave up on it.
    PtyResponder device(pty, {{{{5, answer.left(3)}, {60, answer.mid(3)}}}, PtyReply::after(5, answer)});

    QVERIFY(master.modbus.readHoldingRegisters(0, 1).isEmpty());
    pty.writeToMaster("junk");
    QTest::qSleep(100);
    QCOMPARE(master.modbus.readHoldingRegisters(0, 1), {0xCAFE});
    QCOMPARE(device.requests().size(), 2);
    QCOMPARE(device.requests().at(1).toHex(' '), QByteArray("01 03 00 00 00 01 84 0a"));
}

void TestModbusSerial::portNotOpen_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("read holding") << Exchange([](Modbus &m) { return !m.readHoldingRegisters(0, 96).isEmpty(); })
                                  << QStringList{"Serial port not open", "Неверный формат ответа"};
    QTest::newRow("read input") << Exchange([](Modbus &m) { return !m.readInputRegisters(0x100, 80).isEmpty(); })
                                << QStringList{"Serial port not open", "Неверный формат ответа"};
    QTest::newRow("write one") << Exchange([](Modbus &m) { return m.writeSingleHoldingRegister(12, 0).taken(); })
                               << QStringList{"Serial port not open", "Проверка CRC не пройдена:"};
    QTest::newRow("write several") << Exchange([](Modbus &m) { return m.writeHoldingRegisters(0, {1, 2}).taken(); })
                                   << QStringList{"Serial port not open", "Проверка CRC не пройдена:"};
}

void TestModbusSerial::portNotOpen()
{
    QFETCH(Exchange, exchange);
    QFETCH(QStringList, log);

    PtyPair pty;
    Modbus modbus;
    modbus.portName = pty.slavePath();
    LogCapture capture;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!exchange(modbus));
    QVERIFY(clock.elapsed() < 50);
    QCOMPARE(capture.debugLines(), log);
    QVERIFY(pty.readFromMaster(20).isEmpty());
}

void TestModbusSerial::writeStalls_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("read") << Exchange([](Modbus &m) { return !m.readInputRegisters(0x100, 80).isEmpty(); })
                          << QStringList{"Write timeout", "Неверный формат ответа"};
    QTest::newRow("write") << Exchange([](Modbus &m) { return m.writeSingleHoldingRegister(3, 0).taken(); })
                           << QStringList{"Write timeout", "Проверка CRC не пройдена:"};
}

void TestModbusSerial::writeStalls()
{
    QFETCH(Exchange, exchange);
    QFETCH(QStringList, log);

    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    pty.setSlaveOutputStopped(true);
    LogCapture capture;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!exchange(master.modbus));
    const qint64 elapsed = clock.elapsed();
    pty.setSlaveOutputStopped(false);
    QVERIFY2(elapsed >= 490 && elapsed < 800, qPrintable(QString::number(elapsed)));
    QCOMPARE(capture.debugLines(), log);
}

void TestModbusSerial::peerHangsUp_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<QByteArray>("partial");

    // A write to a port that has gone fails at once, and must say why.
    QTest::newRow("before the request") << "request" << QByteArray();
    QTest::newRow("before the answer") << "answer" << QByteArray();
    QTest::newRow("mid-answer") << "answer" << readAnswer(1, 0x04, pattern(1, 80)).left(40);
    QTest::newRow("between polls") << "idle" << QByteArray();
}

// An adapter pulled out makes every wait return at once: the exchange must
// end there rather than spin until its deadline, and the event loop must
// not spin on the dead port until the next poll a second later. That poll
// fails as on a closed port.
void TestModbusSerial::peerHangsUp()
{
    QFETCH(QString, when);
    QFETCH(QByteArray, partial);

    PtyPair pty;
    OpenMaster master(pty.slavePath());
    QVERIFY(master.opened);
    LogCapture capture;
    const qint64 cpuBefore = threadCpuMs();
    QElapsedTimer clock;
    clock.start();
    if (when == "request") {
        pty.closeMaster();
        QVERIFY(master.modbus.sendRequest(buildReadRequest(1, 0x04, 0x100, 80), 360).isEmpty());
        QVERIFY2(clock.elapsed() < 50, qPrintable(QString::number(clock.elapsed())));
    } else if (when == "answer") {
        PtyReply reply = PtyReply::after(30, partial);
        // A moment for the bytes to cross the pty before the line goes down.
        reply.chunks.append({5, QByteArray()});
        reply.hangUp = true;
        PtyResponder device(pty, {reply});
        const QByteArray received = master.modbus.sendRequest(buildReadRequest(1, 0x04, 0x100, 80), 360);
        QCOMPARE(received.toHex(' '), partial.toHex(' '));
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
    } else {
        pty.closeMaster();
    }
    QTest::qWait(1000);
    const qint64 cpu = threadCpuMs() - cpuBefore;
    QVERIFY2(cpu < 100, qPrintable(QString::number(cpu)));
    QVERIFY2(capture.debugLines().size() == 1 && capture.debugLines().first().startsWith("Serial port failed: "),
             qPrintable(capture.debugLines().join('\n')));

    capture.clear();
    clock.restart();
    QVERIFY(master.modbus.readInputRegisters(0x100, 80).isEmpty());
    QVERIFY(clock.elapsed() < 50);
    QCOMPARE(capture.debugLines(), (QStringList{"Serial port not open", "Неверный формат ответа"}));
}

void TestModbusSerial::openAppliesPortName()
{
    PtyPair pty;
    Modbus modbus;
    modbus.portName = pty.slavePath() + "-missing";
    QVERIFY(!modbus.openPort());
    modbus.portName = pty.slavePath();
    QVERIFY(modbus.openPort());
    modbus.closePort();
    modbus.closePort();
    QVERIFY(modbus.openPort());
}

void TestModbusSerial::libmodbusReads()
{
    LibmodbusSlave slave;
    QVERIFY(slave.isValid());
    const QVector<quint16> input = pattern(0x7A, 112);
    const QVector<quint16> holding = pattern(0x3C, 96);
    for (int i = 0; i < input.size(); ++i)
        slave.setInput(0x100 + i, input[i]);
    for (int i = 0; i < holding.size(); ++i)
        slave.setHolding(i, holding[i]);
    OpenMaster master(slave.portPath());
    QVERIFY(master.opened);

    QCOMPARE(master.modbus.readInputRegisters(0x100, 112), input);
    QCOMPARE(master.modbus.readInputRegisters(0x100 + 80, 32), input.mid(80));
    QCOMPARE(master.modbus.readHoldingRegisters(0, 96), holding);
    QCOMPARE(master.modbus.readHoldingRegisters(95, 1), holding.mid(95));
}

void TestModbusSerial::libmodbusWritesReadBack()
{
    LibmodbusSlave slave;
    QVERIFY(slave.isValid());
    OpenMaster master(slave.portPath());
    QVERIFY(master.opened);

    QVERIFY(master.modbus.writeSingleHoldingRegister(5, 0xBEEF));
    QCOMPARE(slave.holding(5), quint16(0xBEEF));
    QCOMPARE(master.modbus.readHoldingRegisters(5, 1), {0xBEEF});

    const QVector<quint16> values = pattern(0xE1, 84);
    QVERIFY(master.modbus.writeHoldingRegisters(96, values));
    QCOMPARE(master.modbus.readHoldingRegisters(96, 84), values);
    QCOMPARE(slave.holding(179), values.last());
    QCOMPARE(slave.replies(), 4);
}

void TestModbusSerial::libmodbusRefusesIllegalAddress_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<QString>("log");

    QTest::newRow("read holding past the map")
        << Exchange([](Modbus &m) { return !m.readHoldingRegisters(170, 20).isEmpty(); }) << "Ответ слишком короткий";
    QTest::newRow("read input past the map")
        << Exchange([](Modbus &m) { return !m.readInputRegisters(640, 1).isEmpty(); }) << "Ответ слишком короткий";
    QTest::newRow("write one past the map")
        << Exchange([](Modbus &m) { return m.writeSingleHoldingRegister(180, 1).taken(); }) << "Modbus exception 02 (illegal data address)";
    QTest::newRow("write several across the end")
        << Exchange([](Modbus &m) { return m.writeHoldingRegisters(170, pattern(1, 20)).taken(); })
        << "Modbus exception 02 (illegal data address)";
}

void TestModbusSerial::libmodbusRefusesIllegalAddress()
{
    QFETCH(Exchange, exchange);
    QFETCH(QString, log);

    LibmodbusSlave slave;
    QVERIFY(slave.isValid());
    OpenMaster master(slave.portPath());
    QVERIFY(master.opened);
    LogCapture capture;
    QVERIFY(!exchange(master.modbus));
    QCOMPARE(capture.debugLines(), {log});
    QCOMPARE(slave.replies(), 1);
    QCOMPARE(slave.holding(170), quint16(0));
}

QTEST_GUILESS_MAIN(TestModbusSerial)
#include "tst_modbusserial.moc"
