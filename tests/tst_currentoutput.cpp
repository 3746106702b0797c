#include <QtTest>

#include "windowonsimulator.h"

// Calibrating the 4-20 mA output at its two points and driving it to a test
// current, end to end against the simulated detector.
class TestCurrentOutput : public QObject
{
    Q_OBJECT
private slots:
    void calibrationPoint_data();
    void calibrationPoint();
    void stopBeforeCalibrateSendsNoValue_data();
    void stopBeforeCalibrateSendsNoValue();
    void outputTest_data();
    void outputTest();
    void stopAndNewTestInOneTick();
    void tabChangeClearsOnlyStatusLine();
};

namespace {

const QStringList kSimulator{"--fast", "--steady"};
const int kServiceMode = 0x0080;
const int kSaveCommand = 0x7294;
const int kTestStartCommand = 0x3535;
const int kTestStopCommand = 0x0000;
const int kCurrentRegister = 17;

const QStringList kIdle{"Calib4maStart", "Calib20maStart", "Test4mA", "Test20mA", "TestIoutValue", "Test"};

QVector<QWidget *> currentControls(Ui_MainWindow *ui)
{
    return {ui->Calib4maStart,  ui->Calibr4mA_Value,  ui->Calib4maSet,   ui->Calib4maStop,
            ui->Calib20maStart, ui->Calibr20mA_Value, ui->Calib20maSet,  ui->Calib20maStop,
            ui->Test4mA,        ui->Test20mA,         ui->TestIoutValue, ui->Test,
            ui->TestStop};
}

QStringList stopWrites()
{
    return {wordWrite(12, kTestStopCommand), wordWrite(3, 0)};
}

template <typename T>
T *child(WindowOnSimulator &rig, const QString &name)
{
    return rig.window.findChild<T *>(name);
}

// "current value=N source=S" from the simulator's console.
QString outputCurrent(SimulatorProcess &sim)
{
    QStringList reply;
    if (!sim.command("current", &reply) || reply.size() != 1)
        return QString();
    return reply.first().mid(QString("current ").size());
}

void pointRows()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<int>("pointCommand");
    QTest::addColumn<QString>("entryText");
    QTest::addColumn<QString>("checkText");
    QTest::addColumn<QString>("point");
    QTest::newRow("4 mA") << "Calib4maStart" << "Calibr4mA_Value" << "Calib4maSet" << "Calib4maStop" << 0x5530
                          << "Калибровка 4 мА, ожидание ввода данных" << "Калибровка 4 мА завершена, тест 4мА"
                          << "4";
    QTest::newRow("20 mA") << "Calib20maStart" << "Calibr20mA_Value" << "Calib20maSet" << "Calib20maStop" << 0x55C3
                           << "Калибровка 20 мА, ожидание ввода данных"
                           << "Калибровка 20 мА завершена, тест 20 мА" << "20";
}

} // namespace

void TestCurrentOutput::calibrationPoint_data()
{
    pointRows();
}

// Start, the measured current entered and sent with the save command, then
// the end of the step with the output stopped and the detector working.
void TestCurrentOutput::calibrationPoint()
{
    QFETCH(QString, start);
    QFETCH(QString, box);
    QFETCH(QString, set);
    QFETCH(QString, stop);
    QFETCH(int, pointCommand);
    QFETCH(QString, entryText);
    QFETCH(QString, checkText);
    QFETCH(QString, point);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(CurrentOutputTab);
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(ui)), kIdle);

    rig.click(child<QPushButton>(rig, start));
    QCOMPARE(ui->calib_iout_stat->text(), entryText);
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(ui)), QStringList({box, set, stop}));
    QVERIFY(child<QPushButton>(rig, stop)->hasFocus());
    QCOMPARE(rig.tickWrites(), QStringList({wordWrite(3, kServiceMode), wordWrite(12, pointCommand)}));
    QCOMPARE(outputCurrent(rig.sim).section(' ', 1), QString("source=calib%1").arg(point));

    // The entry is read when the tick serves it, not at the click.
    child<QDoubleSpinBox>(rig, box)->setValue(3.5);
    rig.click(child<QPushButton>(rig, set));
    child<QDoubleSpinBox>(rig, box)->setValue(12.34);
    QCOMPARE(ui->calib_iout_stat->text(), checkText);
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(ui)), QStringList{stop});
    QVERIFY(child<QPushButton>(rig, stop)->hasFocus());
    rig.sim.clearEvents();
    QCOMPARE(rig.tickWrites(), QStringList({wordWrite(kCurrentRegister, 1234), wordWrite(12, kSaveCommand)}));
    const SimEvent calibrated = rig.sim.waitForEvent("current", 3000, "action", "calibrated");
    QCOMPARE(calibrated.value("point"), point);
    QCOMPARE(calibrated.value("value"), QString("1234"));

    rig.click(child<QPushButton>(rig, stop));
    QCOMPARE(ui->calib_iout_stat->text(), QString("Калибровка завершена"));
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(ui)), kIdle);
    QVERIFY(child<QPushButton>(rig, start)->hasFocus());
    QCOMPARE(rig.tickWrites(), stopWrites());
    QCOMPARE(outputCurrent(rig.sim).section(' ', 1), QString("source=measure"));
    // Nothing here guards the way out.
    QVERIFY(ui->Stop->isEnabled());
    QVERIFY(ui->Exit->isEnabled());
}

void TestCurrentOutput::stopBeforeCalibrateSendsNoValue_data()
{
    pointRows();
}

void TestCurrentOutput::stopBeforeCalibrateSendsNoValue()
{
    QFETCH(QString, start);
    QFETCH(QString, stop);
    QFETCH(QString, point);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator), qPrintable(rig.errorText()));
    rig.showTab(CurrentOutputTab);
    rig.click(child<QPushButton>(rig, start));
    rig.tick();
    rig.click(child<QPushButton>(rig, stop));
    QCOMPARE(rig.ui->calib_iout_stat->text(), QString("Калибровка %1 мА отменена").arg(point));
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(rig.ui)), kIdle);
    QCOMPARE(rig.tickWrites(), stopWrites());
}

void TestCurrentOutput::outputTest_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<double>("atClick");
    QTest::addColumn<double>("atTick");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("text");
    // The value box matters only for "Тест"; the fixed tests ignore it.
    QTest::newRow("Тест 4 мА") << "Test4mA" << 7.0 << 7.0 << 400 << "Тестирование токового выхода на 4 мА";
    QTest::newRow("Тест 20 мА") << "Test20mA" << 7.0 << 7.0 << 2000 << "Тестирование токового выхода на 20 мА";
    QTest::newRow("Тест 0.00") << "Test" << 0.0 << 0.0 << 0 << "Тестирование токового выхода на 0.00 мА";
    QTest::newRow("Тест 30.00") << "Test" << 30.0 << 30.0 << 3000 << "Тестирование токового выхода на 30.00 мА";
    QTest::newRow("Тест 0.29") << "Test" << 0.29 << 0.29 << 29 << "Тестирование токового выхода на 0.29 мА";
    // The text tells the value at the click, the detector gets the one at the tick.
    QTest::newRow("Тест edited") << "Test" << 12.5 << 4.0 << 400 << "Тестирование токового выхода на 12.50 мА";
}

void TestCurrentOutput::outputTest()
{
    QFETCH(QString, button);
    QFETCH(double, atClick);
    QFETCH(double, atTick);
    QFETCH(int, sent);
    QFETCH(QString, text);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(CurrentOutputTab);
    ui->TestIoutValue->setValue(atClick);
    rig.click(child<QPushButton>(rig, button));
    ui->TestIoutValue->setValue(atTick);
    QCOMPARE(ui->calib_iout_stat->text(), text);
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(ui)), QStringList{"TestStop"});
    QVERIFY(ui->TestStop->hasFocus());
    QCOMPARE(rig.tickWrites(), QStringList({wordWrite(3, kServiceMode), wordWrite(kCurrentRegister, sent),
                                             wordWrite(12, kTestStartCommand)}));
    QCOMPARE(outputCurrent(rig.sim), QString("value=%1 source=test").arg(sent));
    QVERIFY2(!ui->mode_working->isEnabled(), "working mode offered while the output is forced");

    rig.click(ui->TestStop);
    QCOMPARE(ui->calib_iout_stat->text(), QString("Тест завершён"));
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(ui)), kIdle);
    QVERIFY(ui->Test->hasFocus());
    QCOMPARE(rig.tickWrites(), stopWrites());
    QCOMPARE(outputCurrent(rig.sim).section(' ', 1), QString("source=measure"));
}

// The stop is served last, so the detector ends the tick stopped and
// working: the poll after it shows that, and the new test is over.
void TestCurrentOutput::stopAndNewTestInOneTick()
{
    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(CurrentOutputTab);
    rig.click(ui->Test);
    rig.tick();

    rig.click(ui->TestStop);
    rig.click(ui->Test20mA);
    QCOMPARE(rig.tickWrites(), QStringList({wordWrite(3, kServiceMode), wordWrite(kCurrentRegister, 2000),
                                             wordWrite(12, kTestStartCommand)})
                                   + stopWrites());
    QCOMPARE(ui->calib_iout_stat->text(),
             QString("Датчик перезапустился или вышел из сервисного режима: тест токового выхода прерван"));
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(ui)), kIdle);
    QCOMPARE(outputCurrent(rig.sim).section(' ', 1), QString("source=measure"));
    QCOMPARE(rig.sim.holding(3).value(0), quint16(0));
}

// A test goes on behind another tab: only the status line is cleared.
void TestCurrentOutput::tabChangeClearsOnlyStatusLine()
{
    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(CurrentOutputTab);
    rig.click(ui->Test20mA);
    rig.tick();

    rig.showTab(ParametersTab);
    QCOMPARE(ui->calib_iout_stat->text(), QString());
    QCOMPARE(WindowOnSimulator::enabledOf(currentControls(ui)), QStringList{"TestStop"});
    QCOMPARE(rig.tickWrites(), QStringList());
    QCOMPARE(outputCurrent(rig.sim), QString("value=2000 source=test"));

    rig.showTab(CurrentOutputTab);
    rig.click(ui->TestStop);
    QCOMPARE(rig.tickWrites(), stopWrites());
}

QTEST_MAIN(TestCurrentOutput)
#include "tst_currentoutput.moc"
