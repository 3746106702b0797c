#include "gasnames.h"
#include "libmodbusslave.h"
#include "modbusanswers.h"
#include "modbuscrc.h"
#include "modbusoperations.h"
#include "ptypair.h"

#include <QtTest>

#include <functional>

namespace {

using Operation = std::function<bool(ModbusOperations &)>;

// Eight registers of a gas name, low byte first, padded with NULs.
QVector<quint16> nameWords(const QString &name)
{
    QByteArray bytes = name.toLatin1().leftJustified(2 * gasNameWords, '\0', true);
    QVector<quint16> words;
    for (int i = 0; i < gasNameWords; ++i)
        words.append(static_cast<quint16>(quint8(bytes[2 * i]) | quint8(bytes[2 * i + 1]) << 8));
    return words;
}

QStringList blockNames(int block)
{
    QStringList names;
    for (int i = 0; i < gasNamesPerBlock; ++i)
        names.append(QString("Gas %1.%2").arg(block).arg(i));
    return names;
}

QVector<quint16> blockWords(int block)
{
    QVector<quint16> words;
    for (const QString &name : blockNames(block))
        words += nameWords(name);
    return words;
}

QByteArray refusal(quint8 function)
{
    return exceptionAnswer(1, function, 4);
}

QByteArray echo(const QByteArray &request)
{
    return request;
}

QByteArray writeSingle(quint16 address, quint16 value)
{
    QByteArray frame;
    frame.append('\x01').append('\x06');
    frame.append(char(address >> 8)).append(char(address & 0xFF));
    frame.append(char(value >> 8)).append(char(value & 0xFF));
    return withCrc(frame);
}

// The operations object connected to a pty or a libmodbus slave, the way the
// window does it: a port list entry, then the address, then open.
struct Connected {
    explicit Connected(const QString &path)
    {
        operations.setNamePort(path + " (pty)");
        operations.setSlaveAddress(1);
        opened = operations.open();
    }
    ModbusOperations operations;
    bool opened = false;
};

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestModbusOperations : public QObject
{
    Q_OBJECT

private slots:
    void namePortCutAtBlank_data();
    void namePortCutAtBlank();
    void gasNameDecoding_data();
    void gasNameDecoding();

    void singleRegisterWrites_data();
    void singleRegisterWrites();
    void readsAtTheirAddresses();
    void holdingBlockWriteLandsInDevice();

    void holdingReadAlwaysBothHalves_data();
    void holdingReadAlwaysBothHalves();
    void holdingWriteSecondHalfOnlyAfterFirst_data();
    void holdingWriteSecondHalfOnlyAfterFirst();
    void holdingWriteOf96WordsSendsEmptySecondHalf();
    void calibCommandOnlyAfterItsValue_data();
    void calibCommandOnlyAfterItsValue();
    void gasNameTable_data();
    void gasNameTable();
};

void TestModbusOperations::namePortCutAtBlank_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("opens");

    QTest::newRow("port list entry") << "" << " (Prolific Technology Inc.)" << true;
    QTest::newRow("no blank") << "" << "" << true;
    QTest::newRow("several blanks") << "" << " a b " << true;
    QTest::newRow("tab is not a blank") << "" << "\t(x)" << false;
    QTest::newRow("leading blank") << " " << "" << false;
}

void TestModbusOperations::namePortCutAtBlank()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, opens);

    PtyPair pty;
    ModbusOperations operations;
    operations.setNamePort(before + pty.slavePath() + after);
    QCOMPARE(operations.open(), opens);
    operations.close();
    operations.setNamePort(QString());
    QVERIFY(!operations.open());
}

void TestModbusOperations::gasNameDecoding_data()
{
    QTest::addColumn<QVector<quint16>>("slot");
    QTest::addColumn<QString>("name");

    // Wire bytes 48 43 make the register 0x4843: C, then H.
    QTest::newRow("48 43 00 34") << QVector<quint16>{0x4843, 0x0034, 0, 0, 0, 0, 0, 0} << "CH4";
    QTest::newRow("first register 0") << QVector<quint16>{0x0000, 0x4142, 0, 0, 0, 0, 0, 0} << "";
    QTest::newRow("NUL in a low byte") << QVector<quint16>{0x4100, 0x4242, 0, 0, 0, 0, 0, 0} << "";
    QTest::newRow("NUL in a high byte") << QVector<quint16>{0x0041, 0x4242, 0, 0, 0, 0, 0, 0} << "A";
    QTest::newRow("16 characters")
        << QVector<quint16>{0x4241, 0x4443, 0x4645, 0x4847, 0x4A49, 0x4C4B, 0x4E4D, 0x504F} << "ABCDEFGHIJKLMNOP";
    QTest::newRow("bytes 80-ff") << QVector<quint16>{0xFF80, 0xB0E9, 0, 0, 0, 0, 0, 0}
                                 << QString::fromUtf8("\u0080\u00FF\u00E9\u00B0");
    QTest::newRow("blanks kept") << QVector<quint16>{0x2020, 0x2041, 0, 0, 0, 0, 0, 0} << "  A ";
}

void TestModbusOperations::gasNameDecoding()
{
    QFETCH(QVector<quint16>, slot);
    QFETCH(QString, name);

    // The slot in the middle of a block, so that it cannot borrow from its neighbours.
    QVector<quint16> block = nameWords("left") + slot + nameWords("right");
    block += pattern(0x41, gasNameBlockWords - block.size());
    const QVector<QString> names = decodeGasNameBlock(block);
    QCOMPARE(names.size(), gasNamesPerBlock);
    QCOMPARE(names[0], QString("left"));
    QCOMPARE(names[1], name);
    QCOMPARE(names[2], QString("right"));
}

void TestModbusOperations::singleRegisterWrites_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");

    QTest::newRow("setServiceMode") << Operation([](ModbusOperations &o) { return o.setServiceMode().taken(); }) << 3 << 0x0080;
    QTest::newRow("setWorkingMode") << Operation([](ModbusOperations &o) { return o.setWorkingMode().taken(); }) << 3 << 0x0000;
    QTest::newRow("setCalibZero") << Operation([](ModbusOperations &o) { return o.setCalibZero().taken(); }) << 12 << 0x185D;
    QTest::newRow("CalibrSave") << Operation([](ModbusOperations &o) { return o.CalibrSave().taken(); }) << 12 << 0x7294;
    QTest::newRow("IoutCalib_4maStart") << Operation([](ModbusOperations &o) { return o.IoutCalib_4maStart().taken(); }) << 12 << 0x5530;
    QTest::newRow("IoutCalib_20maStart") << Operation([](ModbusOperations &o) { return o.IoutCalib_20maStart().taken(); }) << 12 << 0x55C3;
    QTest::newRow("IoutTestStart") << Operation([](ModbusOperations &o) { return o.IoutTestStart().taken(); }) << 12 << 0x3535;
    QTest::newRow("IoutTestStop") << Operation([](ModbusOperations &o) { return o.IoutTestStop().taken(); }) << 12 << 0x0000;
    QTest::newRow("IoutCalibValueSet 4 mA")
        << Operation([](ModbusOperations &o) { return o.IoutCalibValueSet(400).taken(); }) << 17 << 400;
    QTest::newRow("IoutCalibValueSet 20 mA")
        << Operation([](ModbusOperations &o) { return o.IoutCalibValueSet(2000).taken(); }) << 17 << 2000;
}

void TestModbusOperations::singleRegisterWrites()
{
    QFETCH(Operation, operation);
    QFETCH(int, address);
    QFETCH(int, value);

    LibmodbusSlave slave;
    QVERIFY(slave.isValid());
    for (int i = 0; i < 180; ++i)
        slave.setHolding(i, 0x5A5A);
    Connected device(slave.portPath());
    QVERIFY(device.opened);

    QVERIFY(operation(device.operations));
    QCOMPARE(slave.replies(), 1);
    for (int i = 0; i < 180; ++i)
        QCOMPARE(slave.holding(i), quint16(i == address ? value : 0x5A5A));
}

void TestModbusOperations::readsAtTheirAddresses()
{
    LibmodbusSlave slave;
    QVERIFY(slave.isValid());
    const QVector<quint16> input = pattern(0x11, 640);
    const QVector<quint16> holding = pattern(0x22, 180);
    for (int i = 0; i < input.size(); ++i)
        slave.setInput(i, input[i]);
    for (int i = 0; i < holding.size(); ++i)
        slave.setHolding(i, holding[i]);
    Connected device(slave.portPath());
    QVERIFY(device.opened);

    QCOMPARE(device.operations.readInputValues(), input.mid(256, 80));
    QCOMPARE(device.operations.readInputValuesAll(), input.mid(256, 112));
    QCOMPARE(device.operations.readHOLDregs(), holding);
    QCOMPARE(slave.replies(), 4);
}

void TestModbusOperations::holdingBlockWriteLandsInDevice()
{
    LibmodbusSlave slave;
    QVERIFY(slave.isValid());
    Connected device(slave.portPath());
    QVERIFY(device.opened);
    const QVector<quint16> block = pattern(0x33, 180);

    QVERIFY(device.operations.writeHOLDregs(block));
    QCOMPARE(slave.replies(), 2);
    for (int i = 0; i < block.size(); ++i)
        QCOMPARE(slave.holding(i), block[i]);
}

void TestModbusOperations::holdingReadAlwaysBothHalves_data()
{
    QTest::addColumn<bool>("firstAnswers");
    QTest::addColumn<bool>("secondAnswers");
    QTest::addColumn<QVector<quint16>>("block");

    const QVector<quint16> first = pattern(0x01, 96);
    const QVector<quint16> second = pattern(0x02, 84);
    QTest::newRow("both") << true << true << first + second;
    QTest::newRow("second fails") << true << false << first;
    QTest::newRow("first fails") << false << true << second;
    QTest::newRow("both fail") << false << false << QVector<quint16>();
}

void TestModbusOperations::holdingReadAlwaysBothHalves()
{
    QFETCH(bool, firstAnswers);
    QFETCH(bool, secondAnswers);
    QFETCH(QVector<quint16>, block);

    PtyPair pty;
    Connected device(pty.slavePath());
    QVERIFY(device.opened);
    PtyResponder responder(
        pty, {PtyReply::after(2, firstAnswers ? readAnswer(1, 0x03, pattern(0x01, 96)) : refusal(0x03)),
              PtyReply::after(2, secondAnswers ? readAnswer(1, 0x03, pattern(0x02, 84)) : refusal(0x03))});

    QCOMPARE(device.operations.readHOLDregs(), block);
    QCOMPARE(responder.requests(), (QVector<QByteArray>{hex("01 03 00 00 00 60 45 e2"),
                                                        withCrc(hex("01 03 00 60 00 54"))}));
}

void TestModbusOperations::holdingWriteSecondHalfOnlyAfterFirst_data()
{
    QTest::addColumn<bool>("afterMixed");   // an earlier write's second half failed
    QTest::addColumn<bool>("firstAnswers");
    QTest::addColumn<bool>("secondAnswers");
    QTest::addColumn<bool>("success");
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("mixed");        // words 0-95 written, 96-179 perhaps not

    QTest::newRow("both") << false << true << true << true << 2 << false;
    QTest::newRow("second fails") << false << true << false << false << 2 << true;
    QTest::newRow("first fails") << false << false << true << false << 1 << false;
    QTest::newRow("first fails after a mixed block") << true << false << true << false << 1 << false;
}

void TestModbusOperations::holdingWriteSecondHalfOnlyAfterFirst()
{
    QFETCH(bool, afterMixed);
    QFETCH(bool, firstAnswers);
    QFETCH(bool, secondAnswers);
    QFETCH(bool, success);
    QFETCH(int, requests);
    QFETCH(bool, mixed);

    PtyPair pty;
    Connected device(pty.slavePath());
    QVERIFY(device.opened);
    QVector<PtyReply> replies;
    if (afterMixed)
        replies << PtyReply::after(2, writeMultipleAnswer(1, 0, 96)) << PtyReply::after(2, refusal(0x10));
    // A second reply stands ready, so a second request would be seen.
    replies << PtyReply::after(2, firstAnswers ? writeMultipleAnswer(1, 0, 96) : refusal(0x10))
            << PtyReply::after(2, secondAnswers ? writeMultipleAnswer(1, 96, 84) : refusal(0x10));
    PtyResponder responder(pty, replies);
    const QVector<quint16> block = pattern(0x44, 180);
    if (afterMixed)
        QVERIFY(!device.operations.writeHOLDregs(block) && device.operations.blockWriteMixed());

    QCOMPARE(device.operations.writeHOLDregs(block).taken(), success);
    QCOMPARE(device.operations.blockWriteMixed(), mixed);
    const QVector<QByteArray> sent = responder.requests().mid(afterMixed ? 2 : 0);
    QCOMPARE(sent.size(), requests);
    QCOMPARE(sent[0].size(), 9 + 2 * 96);
    QCOMPARE(sent[0].left(7).toHex(' '), QByteArray("01 10 00 00 00 60 c0"));
    QCOMPARE(sent[0].mid(7, 2).toHex(), QByteArray("4400"));
    if (requests == 2) {
        QCOMPARE(sent[1].size(), 9 + 2 * 84);
        QCOMPARE(sent[1].left(7).toHex(' '), QByteArray("01 10 00 60 00 54 a8"));
        // Word 96 of the block leads the second request.
        QCOMPARE(sent[1].mid(7, 2).toHex(), QByteArray("4460"));
        QVERIFY(modbusCrcMatches(sent[1]));
    }
}

void TestModbusOperations::holdingWriteOf96WordsSendsEmptySecondHalf()
{
    PtyPair pty;
    Connected device(pty.slavePath());
    QVERIFY(device.opened);
    PtyResponder responder(pty, {PtyReply::after(2, writeMultipleAnswer(1, 0, 96)),
                                 PtyReply::after(2, writeMultipleAnswer(1, 96, 0))});

    QVERIFY(device.operations.writeHOLDregs(pattern(0x55, 96)));
    QCOMPARE(responder.requests().size(), 2);
    QCOMPARE(responder.requests().at(1).toHex(' '), withCrc(hex("01 10 00 60 00 00 00")).toHex(' '));
}

void TestModbusOperations::calibCommandOnlyAfterItsValue_data()
{
    QTest::addColumn<bool>("valueAnswers");
    QTest::addColumn<bool>("commandAnswers");
    QTest::addColumn<bool>("success");
    QTest::addColumn<bool>("commandSent");

    QTest::newRow("both") << true << true << true << true;
    // The detector would start a span calibration on its old value.
    QTest::newRow("value refused") << false << true << false << false;
    QTest::newRow("command refused") << true << false << false << true;
}

void TestModbusOperations::calibCommandOnlyAfterItsValue()
{
    QFETCH(bool, valueAnswers);
    QFETCH(bool, commandAnswers);
    QFETCH(bool, success);
    QFETCH(bool, commandSent);

    PtyPair pty;
    Connected device(pty.slavePath());
    QVERIFY(device.opened);
    const QByteArray value = writeSingle(13, 0x0102);
    const QByteArray command = writeSingle(12, 0x64C4);
    PtyResponder responder(pty, {PtyReply::after(2, valueAnswers ? echo(value) : refusal(0x06)),
                                 PtyReply::after(2, commandAnswers ? echo(command) : refusal(0x06))});

    QCOMPARE(device.operations.setCalibValue(0x0102).taken(), success);
    const QVector<QByteArray> sent = commandSent ? QVector<QByteArray>{value, command} : QVector<QByteArray>{value};
    QCOMPARE(responder.requests(), sent);
}

void TestModbusOperations::gasNameTable_data()
{
    QTest::addColumn<QVector<bool>>("answered");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("all four") << QVector<bool>{true, true, true, true}
                              << blockNames(0) + blockNames(1) + blockNames(2) + blockNames(3);
    QTest::newRow("second fails") << QVector<bool>{true, false, true, true}
                                  << blockNames(0) + blockNames(2) + blockNames(3);
    QTest::newRow("first and last fail") << QVector<bool>{false, true, true, false}
                                         << blockNames(1) + blockNames(2);
    QTest::newRow("none") << QVector<bool>{false, false, false, false} << QStringList();
}

void TestModbusOperations::gasNameTable()
{
    QFETCH(QVector<bool>, answered);
    QFETCH(QStringList, names);

    PtyPair pty;
    Connected device(pty.slavePath());
    QVERIFY(device.opened);
    QVector<PtyReply> replies;
    for (int block = 0; block < 4; ++block) {
        // A failed block is refused, or one word short, which counts the same.
        const QByteArray failed = block % 2 ? refusal(0x04) : readAnswer(1, 0x04, blockWords(block).mid(1));
        replies.append(PtyReply::after(2, answered[block] ? readAnswer(1, 0x04, blockWords(block)) : failed));
    }
    PtyResponder responder(pty, replies);

    QCOMPARE(QStringList(device.operations.readGazNameTable().toList()), names);
    QCOMPARE(responder.requests(),
             (QVector<QByteArray>{withCrc(hex("01 04 01 80 00 40")), withCrc(hex("01 04 01 c0 00 40")),
                                  withCrc(hex("01 04 02 00 00 40")), withCrc(hex("01 04 02 40 00 40"))}));
}

QTEST_GUILESS_MAIN(TestModbusOperations)
#include "tst_modbusoperations.moc"
