#include <QtTest>

#include <QRandomGenerator>
#include <qcustomplot.h>

#include <array>

#include "customplotwidget.h"
#include "mainwindowprobe.h"
#include "registermodel.h"
#include "testsupport.h"

namespace {

using Block = std::array<quint16, 256>;

// A detector with one decimal: a TRIVAN-KT for methane in %НКПР.
Block deviceBlock()
{
    Block block{};
    block[0] = 0x2400;            // TRIVAN-KT
    block[1] = 0x34AB;            // Modbus address 0x34, low byte kept by the device
    block[2] = 0x0015;            // HART address 21
    block[3] = 0x0000;            // working mode
    block[4] = 0x4130;            // BLE off, one decimal, unit 3
    block[6] = 1000;              // display range 100.0
    block[7] = 0x8000 + 250;      // threshold 1 below 25.0
    block[8] = 400;               // threshold 2 above 40.0
    block[9] = 0x1432;            // hystereses 5.0 and 2.0
    block[12] = 0x7294;           // last command, sent back as read
    block[13] = 500;
    block[14] = 55;
    block[15] = 435;              // 4.35 mA
    block[16] = 300;
    block[17] = 2000;
    block[18] = 5;
    block[20] = 0x0001;
    block[21] = 0x0002;           // serial number 65538
    block[32] = 0x4843;           // "CH4"
    block[33] = 0x0034;
    block[113] = 1000;            // 20 mA point 100.0
    block[125] = 0x8000 | 0x0123; // threshold 3 on; the low bits are not ours
    block[126] = 900;
    block[127] = 15;
    for (int i = 180; i < 256; ++i)
        block[i] = quint16(0xB000 + i);
    return block;
}

// The reload step of the poll tick, without a device.
void reload(MainWindowProbe &probe, const Block &block)
{
    std::copy(block.begin(), block.end(), probe.regHold());
    probe.showDetectorBlock();
}

Block held(MainWindowProbe &probe)
{
    Block block;
    std::copy(probe.regHold(), probe.regHold() + 256, block.begin());
    return block;
}

QList<QDoubleSpinBox *> scaledBoxes(Ui_MainWindow *ui)
{
    return {ui->deadZone, ui->valueHigh, ui->magCalib, ui->point20ma, ui->limit1_level, ui->limit1_hyst,
            ui->limit2_level, ui->limit2_hyst, ui->limit3_level, ui->limit3_hyst, ui->CalibrValue};
}

// A block whose encoded words all fit the controls at d decimals, so that
// decoding and encoding it again must give every word back.
Block randomBlock(QRandomGenerator &random, quint8 d)
{
    const quint32 scale = quint32(std::pow(10, d));
    auto below = [&](quint32 limit) { return quint32(random.bounded(double(limit) + 1.0)); };
    Block block;
    for (quint16 &word : block)
        word = quint16(random.bounded(0x10000));
    block[4] = quint16((block[4] & ~0x0300) | (d << 8));
    block[15] = quint16(below(2400));   // the current boxes end at 24.00
    block[16] = quint16(below(2400));
    const quint32 point = below(65535 * scale);
    block[113] = quint16(point & 0xFFFF);
    block[114] = quint16(point >> 16);
    block[126] = quint16(below(std::min<quint32>(32767 * scale, 65535)));
    block[127] &= 0x00FF;                // the encoding clears the high byte
    const int length = random.bounded(17);
    for (int byte = 0; byte < 16; ++byte) {
        const quint16 value = byte < length ? quint16(1 + random.bounded(255)) : 0;
        quint16 &word = block[32 + byte / 2];
        word = byte % 2 ? quint16((word & 0x00FF) | (value << 8)) : value;
    }
    return block;
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT
private slots:
    void looks_data();
    void looks();
    void decodesTheDeviceBlock();
    void decodesAtEachDecimalCount_data();
    void decodesAtEachDecimalCount();
    void unknownCodesKeepTheirText();
    void roundTrip_data();
    void roundTrip();
    void boundedMaximaStayInTheirFields_data();
    void boundedMaximaStayInTheirFields();
    void freshWindowEncodesWithOneDecimal();
    void writeWithoutEditsSendsTheBlockBack_data();
    void writeWithoutEditsSendsTheBlockBack();
    void setParam();
    void setParamKeepsBleModeWithoutChoice();
};

void TestEditing::looks_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("colour");
    QTest::newRow("connected") << true << "#195eac";
    QTest::newRow("disconnected") << false << "#c8c8c8";
}

void TestEditing::looks()
{
    QFETCH(bool, connected);
    QFETCH(QString, colour);
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    Ui_MainWindow *ui = probe.ui();

    // Start from the other look, with points on the plot and on the LCD.
    probe.CtrlEnable(!connected);
    probe.plot()->AddPnt(5.0, 0);
    probe.plot()->AddPnt(6.0, 1);
    xPos = 2;
    ui->lcdValue->display(12.5);
    probe.CtrlEnable(connected);

    QCOMPARE(ui->Start->isEnabled(), !connected);
    for (QWidget *widget : {static_cast<QWidget *>(ui->Stop), static_cast<QWidget *>(ui->tabWidget),
                            static_cast<QWidget *>(ui->frame_info), static_cast<QWidget *>(ui->frame_cmd),
                            static_cast<QWidget *>(ui->frame_mode)})
        QVERIFY2(widget->isEnabled() == connected, qPrintable(widget->objectName()));
    QVERIFY(ui->cComPort->isEnabled() && ui->sbMB_Adr->isEnabled() && ui->PortScan->isEnabled());
    QCOMPARE(probe.plot()->isHidden(), !connected);
    QCOMPARE(ui->lcdValue->styleSheet(), "color: " + colour + ";");
    for (QLineEdit *text : {ui->TypeDev, ui->unit, ui->status}) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            QCOMPARE(text->palette().color(group, QPalette::Text).name(), colour);
    }
    const int points = probe.plot()->plotArea()->graph(0)->dataCount();
    if (connected) {
        QCOMPARE(xPos, 2);
        QCOMPARE(points, 2);
        QCOMPARE(ui->lcdValue->value(), 12.5);
    } else {
        QCOMPARE(xPos, 0);
        QCOMPARE(points, 0);
        QCOMPARE(probe.plot()->plotArea()->xAxis->range(), QCPRange(-60, 0));
        QCOMPARE(ui->lcdValue->value(), 0.0);
    }
}

void TestEditing::decodesTheDeviceBlock()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    Ui_MainWindow *ui = probe.ui();
    ui->rbGazOsn->setChecked(true);
    reload(probe, deviceBlock());

    QCOMPARE(int(probe.decimals()), 1);
    QCOMPARE(int(probe.scale()), 10);
    QCOMPARE(ui->TypeDev->text(), QString("TRIVAN-KT"));
    QCOMPARE(ui->unit->text(), QString("%НКПР"));
    QCOMPARE(ui->i_init->value(), 4.35);
    QCOMPARE(ui->limit1_opt->currentText(), QString("< Понижение"));
    QCOMPARE(ui->limit1_level->text(), QString("25.0"));
    QCOMPARE(ui->limit2_opt->currentText(), QString("> Превышение"));
    QCOMPARE(ui->limit1_hyst->text(), QString("5.0"));
    QCOMPARE(ui->limit2_hyst->text(), QString("2.0"));
    QCOMPARE(ui->limit3_opt->currentText(), QString("Включен"));
    QCOMPARE(ui->limit3_level->text(), QString("90.0"));
    QCOMPARE(ui->CalibrValue->text(), QString("50.0"));
    QCOMPARE(probe.targetGasName(), QString("CH4"));
    QCOMPARE(probe.activeGasName(), QString("CH4"));
    QVERIFY(ui->rbGazC->isChecked());
    QVERIFY(!ui->rbGazOsn->isChecked());
    QCOMPARE(ui->SerialNumDev->text(), QString("65538"));
    QCOMPARE(ui->sbMB_AdrSet->value(), 0x34);
    QCOMPARE(ui->sbMB_AdrHART->value(), 21);
    QCOMPARE(ui->cBLE->currentText(), QString("Выключен"));
}

void TestEditing::decodesAtEachDecimalCount_data()
{
    QTest::addColumn<quint16>("format");
    QTest::addColumn<quint16>("range");
    QTest::addColumn<quint32>("point");
    QTest::addColumn<QString>("rangeText");
    QTest::addColumn<QString>("pointText");
    QTest::newRow("d=0") << quint16(0x0000) << quint16(10000) << quint32(12345) << "10000" << "12345";
    QTest::newRow("d=2") << quint16(0x0200) << quint16(10000) << quint32(12345) << "100.00" << "123.45";
    QTest::newRow("d=3") << quint16(0x0300) << quint16(65535) << quint32(100000) << "65.535" << "100.000";
    QTest::newRow("d=3 above 24 bits") << quint16(0x0300) << quint16(1) << quint32(65534999) << "0.001"
                                       << "65534.999";
}

void TestEditing::decodesAtEachDecimalCount()
{
    QFETCH(quint16, format);
    QFETCH(quint16, range);
    QFETCH(quint32, point);
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    Block block = deviceBlock();
    block[4] = format;
    block[6] = range;
    block[113] = quint16(point & 0xFFFF);
    block[114] = quint16(point >> 16);
    reload(probe, block);

    QTEST(probe.ui()->valueHigh->text(), "rangeText");
    QTEST(probe.ui()->point20ma->text(), "pointText");
    QCOMPARE(probe.ui()->limit3_hyst->decimals(), int(format >> 8));
}

void TestEditing::unknownCodesKeepTheirText()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    Block block = deviceBlock();
    reload(probe, block);
    block[0] = 0x1100;                    // not a known device type
    block[4] = (block[4] & ~0x0070) | 0x0060;   // unit index 6
    block[4] |= 0xC000;                   // BLE mode 3
    reload(probe, block);
    QCOMPARE(probe.ui()->TypeDev->text(), QString("TRIVAN-KT"));
    QCOMPARE(probe.ui()->unit->text(), QString(""));
    QCOMPARE(probe.ui()->cBLE->currentIndex(), -1);
}

void TestEditing::roundTrip_data()
{
    QTest::addColumn<int>("decimals");
    for (int d = 0; d <= 3; ++d)
        QTest::newRow(qPrintable(QString("d=%1").arg(d))) << d;
}

void TestEditing::roundTrip()
{
    QFETCH(int, decimals);
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    QRandomGenerator random(0x5EED0000u + quint32(decimals));
    for (int run = 0; run < 40; ++run) {
        const Block original = randomBlock(random, quint8(decimals));
        reload(probe, original);
        probe.MemSetRegHold(probe.regHold());
        const Block encoded = held(probe);
        for (int word = 0; word < 256; ++word) {
            if (encoded[word] != original[word])
                QFAIL(qPrintable(QString("run %1, word %2: %3 became %4")
                                     .arg(run).arg(word).arg(original[word]).arg(encoded[word])));
        }
    }
}

void TestEditing::boundedMaximaStayInTheirFields_data()
{
    roundTrip_data();
}

void TestEditing::boundedMaximaStayInTheirFields()
{
    QFETCH(int, decimals);
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    Ui_MainWindow *ui = probe.ui();
    const quint32 scale = quint32(std::pow(10, decimals));

    // First a decode at another count, so a stale bound would show.
    Block block{};
    block[4] = quint16((3 - decimals) << 8);
    reload(probe, block);
    block[4] = quint16(decimals << 8);
    reload(probe, block);
    for (QDoubleSpinBox *box : scaledBoxes(ui))
        box->setValue(box->maximum() + 1000);
    probe.MemSetRegHold(probe.regHold());
    const Block encoded = held(probe);

    const quint16 fullWord = quint16(std::min<quint32>(65535 * scale, 65535));
    QCOMPARE(encoded[6], fullWord);
    QCOMPARE(encoded[14], fullWord);
    QCOMPARE(encoded[18], fullWord);
    QCOMPARE(encoded[7], quint16(0x7FFF));      // the direction bit stays clear
    QCOMPARE(encoded[8], quint16(0x7FFF));
    QCOMPARE(encoded[9], quint16(0xFFFF));      // each hysteresis keeps to its byte
    QCOMPARE(encoded[126], quint16(std::min<quint32>(32767 * scale, 65535)));
    QCOMPARE(encoded[127], quint16(0x00FF));
    QCOMPARE(RegisterModel::joinWords(encoded[114], encoded[113]), 65535 * scale);
    QCOMPARE(RegisterModel::encodeScaled(ui->CalibrValue->value(), quint16(scale), 0xFFFFFFFFu),
             std::min<quint32>(65535, 65535 * scale));
}

void TestEditing::freshWindowEncodesWithOneDecimal()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    QVERIFY(std::all_of(probe.regHold(), probe.regHold() + 256, [](quint16 w) { return w == 0; }));
    QVERIFY(std::all_of(probe.inputAll(), probe.inputAll() + 128, [](quint16 w) { return w == 0; }));

    // An export before any reload: the form's one decimal and scale 10 agree.
    probe.MemSetRegHold(probe.regHold());
    const Block encoded = held(probe);
    QCOMPARE(encoded[6], quint16(1000));        // valueHigh 100.0
    QCOMPARE(encoded[18], quint16(20));         // deadZone 2.0
    QCOMPARE(encoded[7], quint16(1000));        // limit1_level 100.0
    // 100.0 does not fit a byte at scale 10; it stays within it.
    QCOMPARE(encoded[9], quint16(0xFFFF));
    QCOMPARE(encoded[127], quint16(0x00FF));
}

void TestEditing::writeWithoutEditsSendsTheBlockBack_data()
{
    QTest::addColumn<int>("mode");   // word 3 as read
    QTest::newRow("working mode") << 0x0000;
    // Only the service-mode bit is added; the device's other bits stay.
    QTest::newRow("service mode with bit 0") << 0x0081;
}

void TestEditing::writeWithoutEditsSendsTheBlockBack()
{
    QFETCH(int, mode);
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    probe.CtrlEnable(true);
    Block block = deviceBlock();
    block[3] = quint16(mode);
    reload(probe, block);

    probe.ui()->Reload->click();
    QVERIFY(probe.reqReload());
    QVERIFY(held(probe) == block);

    probe.ui()->Write->click();
    QVERIFY(probe.reqWrite());
    probe.MemSetRegHold(probe.regHold());
    block[3] |= 0x0080;
    QVERIFY(held(probe) == block);

    // A device value above a control's range comes back at the maximum.
    block[15] = 2500;
    reload(probe, block);
    QCOMPARE(probe.ui()->i_init->value(), 24.0);
    probe.MemSetRegHold(probe.regHold());
    QCOMPARE(probe.regHold()[15], quint16(2400));
}

void TestEditing::setParam()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    probe.CtrlEnable(true);
    const Block block = deviceBlock();
    reload(probe, block);
    probe.ui()->sbMB_AdrSet->setValue(17);
    probe.ui()->sbMB_AdrHART->setValue(200);
    probe.ui()->cBLE->setCurrentText("Включен");
    probe.ui()->SetParam->click();

    QVERIFY(probe.reqWrite());
    QCOMPARE(probe.regHold()[1], block[1]);   // the new address goes out alone, after the block
    QCOMPARE(probe.regHold()[2], quint16(0x0048));
    QCOMPARE(probe.regHold()[4], quint16((block[4] & 0x3FFF) | 0x8000));
    QCOMPARE(probe.regHold()[3], block[3]);    // no service-mode bit
}

void TestEditing::setParamKeepsBleModeWithoutChoice()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    probe.CtrlEnable(true);
    Block block = deviceBlock();
    block[4] |= 0xC000;
    reload(probe, block);
    probe.ui()->SetParam->click();
    QCOMPARE(probe.regHold()[4], block[4]);
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
