#include "logcapture.h"
#include "modbus.h"
#include "modbusanswers.h"
#include "modbuscrc.h"
#include "modbusframes.h"
#include "ptypair.h"

#include <QtTest>

#include <modbus/modbus.h>

#include <functional>

namespace {

// Reads off the line the request libmodbus sends for the same operation; its
// frames and CRC are an implementation independent of ours.
QByteArray sentByLibmodbus(int slave, const std::function<void(modbus_t *)> &call)
{
    PtyPair pty;
    modbus_t *context = modbus_new_rtu(pty.slavePath().toLocal8Bit().constData(), 9600, 'N', 8, 1);
    if (!context)
        return {};
    QByteArray sent;
    if (modbus_connect(context) == 0) {
        modbus_set_slave(context, slave);
        // Nobody answers; the request is all we want.
        modbus_set_response_timeout(context, 0, 1000);
        call(context);
        sent = pty.readFromMaster(500);
        modbus_close(context);
    }
    modbus_free(context);
    return sent;
}

QVector<quint16> wordsFrom(int first, int count)
{
    QVector<quint16> words;
    for (int i = 0; i < count; ++i)
        words.append(static_cast<quint16>(first + 0x0101 * i));
    return words;
}

} // namespace

class TestModbusFrames : public QObject
{
    Q_OBJECT

private slots:
    void crcOfNothingIsInitialValue();
    void crcCheck_data();
    void crcCheck();
    void knownRequests_data();
    void knownRequests();
    void requestsMatchLibmodbus_data();
    void requestsMatchLibmodbus();
    void readEvaluation_data();
    void readEvaluation();
    void writeEvaluation_data();
    void writeEvaluation();
    void lateAnswerAtHead_data();
    void lateAnswerAtHead();
};

void TestModbusFrames::crcOfNothingIsInitialValue()
{
    QCOMPARE(modbusCrc(QByteArray()), quint16(0xFFFF));
    Modbus modbus;
    QCOMPARE(modbus.calculateCRC(QByteArray()), quint16(0xFFFF));
    QCOMPARE(modbus.calculateCRC(hex("01 04 01 00 00 50")), quint16(0xCAF1));
}

void TestModbusFrames::crcCheck_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("valid");

    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("one byte") << hex("ff") << false;
    // FF FF is the CRC of nothing, but there is nothing it could protect.
    QTest::newRow("ff ff") << hex("ff ff") << false;
    QTest::newRow("01 04 01 00 00 50 f1 ca") << hex("01 04 01 00 00 50 f1 ca") << true;
    QTest::newRow("crc bytes swapped") << hex("01 04 01 00 00 50 ca f1") << false;
    QTest::newRow("payload bit flipped") << hex("01 04 01 01 00 50 f1 ca") << false;
    QTest::newRow("exception 01 83 02 c0 f1") << hex("01 83 02 c0 f1") << true;
}

void TestModbusFrames::crcCheck()
{
    QFETCH(QByteArray, frame);
    QFETCH(bool, valid);
    QCOMPARE(modbusCrcMatches(frame), valid);
    Modbus modbus;
    QCOMPARE(modbus.verifyCRC(frame), valid);
}

void TestModbusFrames::knownRequests_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("read input 1/0x0100/80")
        << buildReadRequest(1, ModbusFunction::ReadInputRegisters, 0x0100, 80) << hex("01 04 01 00 00 50 f1 ca");
    QTest::newRow("read holding 1/0x0000/96")
        << buildReadRequest(1, ModbusFunction::ReadHoldingRegisters, 0x0000, 96) << hex("01 03 00 00 00 60 45 e2");
    QTest::newRow("write single 1/3/0x0080")
        << buildWriteSingleRequest(1, 3, 0x0080) << hex("01 06 00 03 00 80 78 6a");
    QTest::newRow("write multiple, no values")
        << buildWriteMultipleRequest(1, 0x0060, {}) << withCrc(hex("01 10 00 60 00 00 00"));
}

void TestModbusFrames::knownRequests()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void TestModbusFrames::requestsMatchLibmodbus_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("slave");
    QTest::addColumn<int>("address");
    // The count for reads, the value for 0x06, the values for 0x10.
    QTest::addColumn<QVector<quint16>>("values");

    QTest::newRow("03 slave 1 at 0 x96") << 0x03 << 1 << 0 << QVector<quint16>{96};
    QTest::newRow("03 slave 1 at 96 x84") << 0x03 << 1 << 96 << QVector<quint16>{84};
    QTest::newRow("03 slave 247 at 0xffff x1") << 0x03 << 247 << 0xFFFF << QVector<quint16>{1};
    QTest::newRow("04 slave 1 at 256 x80") << 0x04 << 1 << 256 << QVector<quint16>{80};
    QTest::newRow("04 slave 1 at 256 x112") << 0x04 << 1 << 256 << QVector<quint16>{112};
    QTest::newRow("04 slave 17 at 0x1c0 x64") << 0x04 << 17 << 0x1C0 << QVector<quint16>{64};
    QTest::newRow("04 slave 200 at 0x240 x125") << 0x04 << 200 << 0x240 << QVector<quint16>{125};
    QTest::newRow("06 slave 1 at 12 0x64c4") << 0x06 << 1 << 12 << QVector<quint16>{0x64C4};
    QTest::newRow("06 slave 99 at 0x8000 0xffff") << 0x06 << 99 << 0x8000 << QVector<quint16>{0xFFFF};
    QTest::newRow("06 slave 5 at 17 0") << 0x06 << 5 << 17 << QVector<quint16>{0};
    QTest::newRow("10 slave 1 at 0 x1") << 0x10 << 1 << 0 << QVector<quint16>{0xABCD};
    QTest::newRow("10 slave 1 at 0 x96") << 0x10 << 1 << 0 << wordsFrom(0x0102, 96);
    QTest::newRow("10 slave 3 at 96 x84") << 0x10 << 3 << 96 << wordsFrom(0xF00D, 84);
    QTest::newRow("10 slave 247 at 0x1234 x123") << 0x10 << 247 << 0x1234 << wordsFrom(0, 123);
}

void TestModbusFrames::requestsMatchLibmodbus()
{
    QFETCH(int, function);
    QFETCH(int, slave);
    QFETCH(int, address);
    QFETCH(QVector<quint16>, values);

    const auto id = static_cast<quint8>(slave);
    const auto start = static_cast<quint16>(address);
    QByteArray ours;
    std::function<void(modbus_t *)> call;
    QVector<uint16_t> into(values.value(0) + 1);
    switch (function) {
    case 0x03:
    case 0x04:
        ours = buildReadRequest(id, static_cast<quint8>(function), start, values[0]);
        call = [&](modbus_t *context) {
            if (function == 0x03)
                modbus_read_registers(context, address, values[0], into.data());
            else
                modbus_read_input_registers(context, address, values[0], into.data());
        };
        break;
    case 0x06:
        ours = buildWriteSingleRequest(id, start, values[0]);
        call = [&](modbus_t *context) { modbus_write_register(context, address, values[0]); };
        break;
    default:
        ours = buildWriteMultipleRequest(id, start, values);
        call = [&](modbus_t *context) { modbus_write_registers(context, address, values.size(), values.constData()); };
    }
    const QByteArray theirs = sentByLibmodbus(slave, call);
    QVERIFY2(!theirs.isEmpty(), "libmodbus sent nothing");
    QCOMPARE(ours.toHex(' '), theirs.toHex(' '));
}

void TestModbusFrames::readEvaluation_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QVector<quint16>>("words");
    QTest::addColumn<QStringList>("log");

    const QStringList silent;
    const QStringList badFormat{"Неверный формат ответа"};
    const QStringList tooShort{"Ответ слишком короткий"};

    QTest::newRow("nothing") << QByteArray() << QVector<quint16>() << badFormat;
    QTest::newRow("4 bytes") << hex("01 03 02 00") << QVector<quint16>() << badFormat;
    QTest::newRow("bad crc") << hex("01 03 02 00 2a 00 00") << QVector<quint16>()
                             << QStringList{"Проверка CRC не пройдена: 01 03 02 00 2a 00 00"};
    QTest::newRow("one byte missing (b + 4)") << withCrc(hex("01 03 04 00 01 02")) << QVector<quint16>()
                                              << tooShort;
    QTest::newRow("count far beyond the data") << withCrc(hex("01 03 a0 00 01 02 03")) << QVector<quint16>()
                                               << tooShort;
    QTest::newRow("complete (b + 5)") << withCrc(hex("01 03 04 00 01 02 03"))
                                      << QVector<quint16>{0x0001, 0x0203} << silent;
    QTest::newRow("odd count 5") << withCrc(hex("01 03 05 00 01 00 02 07")) << QVector<quint16>{1, 2} << silent;
    QTest::newRow("count 0") << withCrc(hex("01 03 00")) << QVector<quint16>() << silent;
    QTest::newRow("count 1") << withCrc(hex("01 03 01 07")) << QVector<quint16>() << silent;
    QTest::newRow("trailing bytes beyond the count") << withCrc(hex("01 03 02 ff fe 11 22"))
                                                     << QVector<quint16>{0xFFFE} << silent;
    for (int code = 1; code <= 4; ++code) {
        QTest::addRow("exception %d", code) << exceptionAnswer(1, 0x03, static_cast<quint8>(code))
                                            << QVector<quint16>() << tooShort;
    }
    QTest::newRow("exception with a body") << withCrc(hex("01 83 04 00 01 02 03")) << QVector<quint16>()
                                           << QStringList{"Modbus exception 04 (slave device failure)"};
    // A good frame answering another request is no answer to this one.
    QTest::newRow("other slave") << readAnswer(9, 0x03, {0x1234}) << QVector<quint16>()
                                 << QStringList{"Ответ не на этот запрос: адрес 9, функция 03"};
    QTest::newRow("other function") << readAnswer(1, 0x04, {0x1234}) << QVector<quint16>()
                                    << QStringList{"Ответ не на этот запрос: адрес 1, функция 04"};
    QTest::newRow("other function's exception") << exceptionAnswer(1, 0x04, 2) << QVector<quint16>()
                                                << QStringList{"Ответ не на этот запрос: адрес 1, функция 84"};
}

void TestModbusFrames::readEvaluation()
{
    QFETCH(QByteArray, answer);
    QFETCH(QVector<quint16>, words);
    QFETCH(QStringList, log);

    LogCapture capture;
    QCOMPARE(evaluateReadAnswer(buildReadRequest(1, 0x03, 0, 2), answer), words);
    QCOMPARE(capture.debugLines(), log);
}

void TestModbusFrames::writeEvaluation_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("success");
    QTest::addColumn<QStringList>("log");

    const QStringList silent;
    const QByteArray single = buildWriteSingleRequest(1, 3, 0x80);
    const QByteArray multiple = buildWriteMultipleRequest(1, 0x60, QVector<quint16>(84));
    QTest::newRow("nothing") << single << QByteArray() << false << QStringList{"Проверка CRC не пройдена:"};
    QTest::newRow("ff ff") << single << hex("ff ff") << false << QStringList{"Проверка CRC не пройдена: ff ff"};
    QTest::newRow("bad crc") << single << hex("01 06 00 03 00 80 78 6b") << false
                             << QStringList{"Проверка CRC не пройдена: 01 06 00 03 00 80 78 6b"};
    QTest::newRow("echo of 0x06") << single << hex("01 06 00 03 00 80 78 6a") << true << silent;
    QTest::newRow("answer to 0x10") << multiple << writeMultipleAnswer(1, 0x60, 84) << true << silent;
    QTest::newRow("exception 2 to 0x06") << single << exceptionAnswer(1, 0x06, 2) << false
                                         << QStringList{"Modbus exception 02 (illegal data address)"};
    QTest::newRow("exception 4 to 0x10") << multiple << exceptionAnswer(1, 0x10, 4) << false
                                         << QStringList{"Modbus exception 04 (slave device failure)"};
    QTest::newRow("echo from another slave") << single << withCrc(hex("07 06 00 03 00 80")) << false
                                             << QStringList{"Ответ не на этот запрос: адрес 7, функция 06"};
    // A well-formed answer that confirms another write confirms nothing.
    QTest::newRow("0x06 answer with another value") << single << withCrc(hex("01 06 00 03 00 81")) << false
                                                    << QStringList{"Ответ не подтверждает запись: 01 06 00 03 00 81 b9 aa"};
    QTest::newRow("0x10 answer with another quantity") << multiple << writeMultipleAnswer(1, 0x60, 83) << false
                                                       << QStringList{"Ответ не подтверждает запись: 01 10 00 60 00 53 80 2a"};
    QTest::newRow("0x06 echo to 0x10") << multiple << hex("01 06 00 03 00 80 78 6a") << false
                                       << QStringList{"Ответ не на этот запрос: адрес 1, функция 06"};
}

void TestModbusFrames::writeEvaluation()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(bool, success);
    QFETCH(QStringList, log);

    LogCapture capture;
    QCOMPARE(evaluateWriteAnswer(request, answer), success);
    QCOMPARE(capture.debugLines(), log);
}

QTEST_GUILESS_MAIN(TestModbusFrames)
void TestModbusFrames::lateAnswerAtHead_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("length");

    const QByteArray read = buildReadRequest(1, 0x03, 0, 2);
    const QByteArray write = buildWriteSingleRequest(1, 3, 0x80);
    const QByteArray block = buildWriteMultipleRequest(1, 0, {1, 2});
    const QByteArray next = readAnswer(1, 0x03, {7});
    QTest::newRow("read answer, the next glued to it") << read << readAnswer(1, 0x03, {1, 2}) + next << 9;
    QTest::newRow("byte count of one word") << read << withCrc(hex("01 03 02 00 01 00 02")) << 0;
    QTest::newRow("bad CRC") << read << readAnswer(1, 0x03, {1, 2}).left(8) + "x" << 0;
    QTest::newRow("its exception") << read << exceptionAnswer(1, 0x03, 2) + next << 5;
    QTest::newRow("another slave's") << read << readAnswer(2, 0x03, {1, 2}) << 0;
    QTest::newRow("the write repeated") << write << write + next << 8;
    QTest::newRow("another value written") << write << buildWriteSingleRequest(1, 3, 0x81) << 0;
    QTest::newRow("the block confirmed") << block << withCrc(block.left(6)) << 8;
    QTest::newRow("another block confirmed") << block << withCrc(hex("01 10 00 00 00 03")) << 0;
}

// A late answer is dropped only whole and only in the form its request's
// answer has: anything else may be the current request's answer.
void TestModbusFrames::lateAnswerAtHead()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, bytes);
    QFETCH(int, length);

    QCOMPARE(answerAtHead(request, bytes), length);
}

#include "tst_modbusframes.moc"
