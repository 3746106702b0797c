#include <QtTest>

#include "registermodel.h"

using namespace RegisterModel;

class TestRegisterModel : public QObject
{
    Q_OBJECT
private slots:
    void statusText_data();
    void statusText();
    void formatWord_data();
    void formatWord();
    void encodeScaled_data();
    void encodeScaled();
    void point20maSplitsIntoHalves();
    void thresholdFields();
    void hysteresisWord();
    void addressFields();
    void text_data();
    void text();
    void textDecodeEndsAtNul();
    void firmwareVersion_data();
    void firmwareVersion();
    void deviceType_data();
    void deviceType();
};

void TestRegisterModel::statusText_data()
{
    QTest::addColumn<quint16>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("0x0000") << quint16(0x0000) << "Измерение";
    QTest::newRow("0x0480 fault before service") << quint16(0x0480) << "Неисправность";
    QTest::newRow("0x0088 sensor before service") << quint16(0x0088) << "Неиспр. сенсора";
    QTest::newRow("0x0408 fault before sensor") << quint16(0x0408) << "Неисправность";
    QTest::newRow("0x00C0 service before init") << quint16(0x00C0) << "Сервисн. режим";
    QTest::newRow("0x0060 init before range") << quint16(0x0060) << "Инициализация";
    QTest::newRow("0x0030 range before 3") << quint16(0x0030) << "Превыш. диапаз.";
    QTest::newRow("0x0014 3 before 2") << quint16(0x0014) << "Превыш. порог 3";
    QTest::newRow("0x0006 2 before 1") << quint16(0x0006) << "Превыш. порог 2";
    QTest::newRow("0x0102 1 before zero") << quint16(0x0102) << "Превыш. порог 1";
    QTest::newRow("0x0300 zero before span") << quint16(0x0300) << "Калибровка нуля";
    QTest::newRow("0x0200") << quint16(0x0200) << "Калибровка диапазона";
    QTest::newRow("0x0001") << quint16(0x0001) << "";
    QTest::newRow("0xF801") << quint16(0xF801) << "";
}

void TestRegisterModel::statusText()
{
    QFETCH(quint16, status);
    QFETCH(QString, text);
    QCOMPARE(RegisterModel::statusText(status), text);
}

void TestRegisterModel::formatWord_data()
{
    QTest::addColumn<quint16>("word");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("ble");
    QTest::newRow("0x0000") << quint16(0x0000) << 0 << 1 << 0 << 0;
    QTest::newRow("0x0150") << quint16(0x0150) << 1 << 10 << 5 << 0;
    QTest::newRow("0x0200") << quint16(0x0200) << 2 << 100 << 0 << 0;
    QTest::newRow("0x8330") << quint16(0x8330) << 3 << 1000 << 3 << 2;
    QTest::newRow("0xFCFF") << quint16(0xFCFF) << 0 << 1 << 7 << 3;
}

void TestRegisterModel::formatWord()
{
    QFETCH(quint16, word);
    QFETCH(int, decimals);
    QFETCH(int, scale);
    QFETCH(int, unit);
    QFETCH(int, ble);
    QCOMPARE(int(decimalCount(word)), decimals);
    QCOMPARE(int(scaleFactor(decimalCount(word))), scale);
    QCOMPARE(unitIndex(word), unit);
    QCOMPARE(bleMode(word), ble);
    // Writing the mode back touches bits 14..15 only, and a missing choice nothing.
    QCOMPARE(withBleMode(word, 1), quint16((word & 0x3FFF) | 0x4000));
    QCOMPARE(withBleMode(word, -1), word);
}

void TestRegisterModel::encodeScaled_data()
{
    QTest::addColumn<double>("shown");
    QTest::addColumn<int>("scale");
    QTest::addColumn<quint32>("fieldMax");
    QTest::addColumn<quint32>("stored");
    QTest::newRow("12.3 d=1") << 12.3 << 10 << kWordMax << quint32(123);
    QTest::newRow("4.35 mA") << 4.35 << 100 << kWordMax << quint32(435);
    QTest::newRow("20.00 mA") << 20.0 << 100 << kWordMax << quint32(2000);
    QTest::newRow("65.535 d=3") << 65.535 << 1000 << kWordMax << quint32(65535);
    QTest::newRow("255.0 hysteresis d=1 clamps") << 255.0 << 10 << kHysteresisMax << quint32(255);
    QTest::newRow("32767.0 level d=1 clamps") << 32767.0 << 10 << kLevelMax << quint32(32767);
    QTest::newRow("100.000 point d=3") << 100.0 << 1000 << kPoint20maMax << quint32(100000);
    QTest::newRow("negative") << -3.0 << 10 << kWordMax << quint32(0);
    QTest::newRow("nan") << qQNaN() << 10 << kWordMax << quint32(0);
}

void TestRegisterModel::encodeScaled()
{
    QFETCH(double, shown);
    QFETCH(int, scale);
    QFETCH(quint32, fieldMax);
    QFETCH(quint32, stored);
    QCOMPARE(RegisterModel::encodeScaled(shown, quint16(scale), fieldMax), stored);
    if (scale == kCurrentScale && fieldMax == kWordMax)
        QCOMPARE(encodeCurrent(shown), quint16(stored));
}

void TestRegisterModel::point20maSplitsIntoHalves()
{
    const quint32 stored = RegisterModel::encodeScaled(100.0, 1000, kPoint20maMax);
    QCOMPARE(lowHalf(stored), quint16(34464));
    QCOMPARE(highHalf(stored), quint16(1));
    QCOMPARE(decodeScaledSingle(joinWords(1, 34464), 1000), 100.0);
    QCOMPARE(joinWords(0x0001, 0x0002), quint32(65538));
}

void TestRegisterModel::thresholdFields()
{
    const quint16 word = 0x8000 + 250;
    QCOMPARE(flagBit15(word), 1);
    QCOMPARE(level15(word), quint16(250));
    QCOMPARE(decodeScaledSingle(level15(word), 10), double(25.0f));
    QCOMPARE(withFlagBit15(word, 0), quint16(250));
    QCOMPARE(withFlagBit15(250, 1), word);
    QCOMPARE(withFlagBit15(word, -1), word);
    // A level beyond 15 bits must not reach the direction bit.
    QCOMPARE(withLevel15(0x0000, 40000), quint16(0x7FFF));
    QCOMPARE(withLevel15(0x8123, 5), quint16(0x8005));
}

void TestRegisterModel::hysteresisWord()
{
    QCOMPARE(lowByte(0x1432), quint8(50));
    QCOMPARE(highByte(0x1432), quint8(20));
    QCOMPARE(packHysteresis(50, 20), quint16(0x1432));
    QCOMPARE(packHysteresis(2550, 0), quint16(0x00FF));
    QCOMPARE(packHysteresis(0, 256), quint16(0xFF00));
}

void TestRegisterModel::addressFields()
{
    QCOMPARE(withModbusAddress(0x34AB, 17), quint16(0x11AB));
    QCOMPARE(hartAddress(200), quint16(0x0048));
    QCOMPARE(hartAddress(0xFF7F), quint16(0x007F));
}

void TestRegisterModel::text_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVector<quint16>>("words");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("CH4") << "CH4" << QVector<quint16>{0x4843, 0x0034, 0, 0, 0, 0, 0, 0} << "CH4";
    QTest::newRow("empty") << "" << QVector<quint16>(8, 0) << "";
    QTest::newRow("16 kept") << "ABCDEFGHIJKLMNOP"
                             << QVector<quint16>{0x4241, 0x4443, 0x4645, 0x4847, 0x4A49, 0x4C4B, 0x4E4D, 0x504F}
                             << "ABCDEFGHIJKLMNOP";
    QTest::newRow("19 cut to 16") << "ABCDEFGHIJKLMNOPQRS"
                                  << QVector<quint16>{0x4241, 0x4443, 0x4645, 0x4847, 0x4A49, 0x4C4B, 0x4E4D, 0x504F}
                                  << "ABCDEFGHIJKLMNOP";
    QTest::newRow("Latin-1") << "NO\u00B2" << QVector<quint16>{0x4F4E, 0x00B2, 0, 0, 0, 0, 0, 0} << "NO\u00B2";
}

void TestRegisterModel::text()
{
    QFETCH(QString, name);
    QFETCH(QVector<quint16>, words);
    QFETCH(QString, decoded);
    QVector<quint16> field(8, 0xFFFF);   // old contents must not survive
    encodeText(name, field.data(), kGasNameBytes);
    QCOMPARE(field, words);
    QCOMPARE(decodeText(field.constData(), kGasNameBytes), decoded);
}

void TestRegisterModel::textDecodeEndsAtNul()
{
    const quint16 words[8] = {0x4843, 0x0034, 0x4141, 0x4141, 0x4141, 0x4141, 0x4141, 0x4141};
    QCOMPARE(decodeText(words, kGasNameBytes), QString("CH4"));
    const quint16 odd[8] = {0x0041, 0x4242, 0, 0, 0, 0, 0, 0};
    QCOMPARE(decodeText(odd, kGasNameBytes), QString("A"));
}

void TestRegisterModel::firmwareVersion_data()
{
    QTest::addColumn<quint16>("majorMinor");
    QTest::addColumn<quint16>("build");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.2.37") << quint16(0x0102) << quint16(37) << "1.2.37";
    QTest::newRow("10.0.0") << quint16(0x0A00) << quint16(0) << "10.0.0";
    QTest::newRow("255.255.65535") << quint16(0xFFFF) << quint16(65535) << "255.255.65535";
}

void TestRegisterModel::firmwareVersion()
{
    QFETCH(quint16, majorMinor);
    QFETCH(quint16, build);
    QFETCH(QString, text);
    QCOMPARE(firmwareVersionText(majorMinor, build), text);
}

void TestRegisterModel::deviceType_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0x10") << 0x10 << "VELOR";
    QTest::newRow("0x12") << 0x12 << "VELOR_KT";
    QTest::newRow("0x20") << 0x20 << "TRIVAN";
    QTest::newRow("0x24") << 0x24 << "TRIVAN-KT";
    QTest::newRow("0x40") << 0x40 << "PELMAR";
    QTest::newRow("0x11 unknown") << 0x11 << QString();
}

void TestRegisterModel::deviceType()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    const QString shown = deviceTypeText(quint8(code));
    QCOMPARE(shown, text);
    QCOMPARE(shown.isNull(), text.isNull());
}

QTEST_APPLESS_MAIN(TestRegisterModel)
#include "tst_registermodel.moc"
