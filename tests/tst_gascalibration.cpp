#include <QtTest>
#include <QRegularExpression>

#include "calibrationjournal.h"
#include "csvfile.h"
#include "dialogs.h"
#include "registermodel.h"
#include "windowonsimulator.h"

// Zero and span calibration on the gas calibration tab, end to end against
// the simulated detector: what each click enables and says, what the next
// tick sends, and how the detector's status bit ends the calibration.
class TestGasCalibration : public QObject
{
    Q_OBJECT
private slots:
    void calibrationRunsToCompletion_data();
    void calibrationRunsToCompletion();
    void calibrationEndsWhenDetectorFinishes();
    void startAndSaveInOneTick_data();
    void startAndSaveInOneTick();
    void cancel_data();
    void cancel();
    void completionRestoresTargetGas();
    void calibrationCutByLostConnection();
    void tabChangeWhileSavingKeepsState();
    void calibrationWaitsForTheGasSwitch();
    void spanValueReadAtServingTime_data();
    void spanValueReadAtServingTime();
    void spanBoundedOnDecode_data();
    void spanBoundedOnDecode();
    void modeButtons();
    void refusedCalibrationIsNotDone_data();
    void refusedCalibrationIsNotDone();
    void journalRecordsEveryEnd_data();
    void journalRecordsEveryEnd();
    void overdueToldOnConnecting_data();
    void overdueToldOnConnecting();
};

namespace {

// The detector keeps calibrating until the test clears its status bit.
const QStringList kSlowCalibration{"--fast", "--steady", "--calib-delay", "600000"};
const int kServiceMode = 0x0080;
const int kZeroCommand = 0x185D;
const int kSpanCommand = 0x64C4;
const int kSaveCommand = 0x7294;
const int kStatusRegister = 262;
// The simulator's span concentration is half its range of 50, at one decimal.
const int kDefaultSpanRaw = 250;

QVector<QWidget *> calibrationControls(Ui_MainWindow *ui)
{
    return {ui->Stop, ui->GazSet, ui->CalibZeroStart, ui->CalibZeroSet,
            ui->CalibZeroEsc, ui->CalibDiapStart, ui->CalibDiapSet, ui->CalibDiapEsc};
}

const QStringList kIdle{"Stop", "GazSet", "CalibZeroStart", "CalibDiapStart"};

QPushButton *button(WindowOnSimulator &rig, const QString &name)
{
    return rig.window.findChild<QPushButton *>(name);
}

void calibrationRows()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("esc");
    QTest::addColumn<int>("statusBit");
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QString>("savingText");
    QTest::addColumn<QString>("doneText");
    QTest::addColumn<QStringList>("startWrites");
    QTest::addColumn<QStringList>("saveWrites");
    QTest::addColumn<int>("state");

    QTest::newRow("zero") << "CalibZeroStart" << "CalibZeroSet" << "CalibZeroEsc" << 0x0100
                          << "Калибровка нуля началась" << "Калибровка нуля продолжается"
                          << "Калибровка нуля завершена"
                          << QStringList{wordWrite(3, kServiceMode), wordWrite(12, kZeroCommand)}
                          << QStringList{wordWrite(12, kSaveCommand)} << 1;
    QTest::newRow("span") << "CalibDiapStart" << "CalibDiapSet" << "CalibDiapEsc" << 0x0200
                          << "Калибровка диапазона началась" << "Калибровка диапазона продолжается"
                          << "Калибровка диапазона завершена" << QStringList{wordWrite(3, kServiceMode)}
                          << QStringList{wordWrite(13, kDefaultSpanRaw), wordWrite(12, kSpanCommand),
                                         wordWrite(12, kSaveCommand)}
                          << 2;
}

// Connected, on the gas calibration tab, and the main gas switched in by its
// block write when asked.
void onGasTab(WindowOnSimulator &rig, bool mainGas)
{
    QVERIFY2(rig.connect(kSlowCalibration), qPrintable(rig.errorText()));
    rig.showTab(GasCalibrationTab);
    if (mainGas) {
        rig.click(rig.ui->rbGazOsn);
        rig.click(rig.ui->GazSet);
        QCOMPARE(rig.tickWrites(), parameterBlockWrite());
    }
}

// A calibration started and saved on the gas tab, on the main gas when
// asked; the detector keeps calibrating until the test clears its status bit.
void startAndSave(WindowOnSimulator &rig, const QString &start, const QString &set, bool mainGas = false)
{
    onGasTab(rig, mainGas);
    if (QTest::currentTestFailed())
        return;
    rig.click(button(rig, start));
    rig.tick();
    rig.click(button(rig, set));
    rig.tick();
}

} // namespace

void TestGasCalibration::calibrationRunsToCompletion_data()
{
    calibrationRows();
}

void TestGasCalibration::calibrationRunsToCompletion()
{
    QFETCH(QString, start);
    QFETCH(QString, set);
    QFETCH(QString, esc);
    QFETCH(int, statusBit);
    QFETCH(QString, startText);
    QFETCH(QString, savingText);
    QFETCH(QString, doneText);
    QFETCH(QStringList, startWrites);
    QFETCH(QStringList, saveWrites);
    QFETCH(int, state);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSlowCalibration), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(GasCalibrationTab);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), kIdle);

    rig.click(button(rig, start));
    QCOMPARE(ui->calib_stat->text(), startText);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), QStringList({set, esc}));
    QVERIFY(button(rig, esc)->hasFocus());
    QCOMPARE(rig.tickWrites(), startWrites);
    QCOMPARE(rig.probe.calibState(), 0);

    rig.click(button(rig, set));
    QCOMPARE(ui->calib_stat->text(), savingText);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), QStringList());
    QCOMPARE(rig.tickWrites(), saveWrites);
    QCOMPARE(rig.probe.calibState(), state);

    // While the detector reports the calibration running there is no way
    // out of the tab's state, disconnecting included.
    for (int i = 0; i < 3; ++i) {
        QVERIFY(rig.sim.input(kStatusRegister).value(0) & statusBit);
        QCOMPARE(rig.tickWrites(), QStringList());
        QCOMPARE(rig.probe.calibState(), state);
        QCOMPARE(ui->calib_stat->text(), savingText);
        QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), QStringList());
    }

    QVERIFY(rig.sim.command(QString("status clear %1").arg(statusBit)));
    QCOMPARE(rig.tickWrites(), QStringList());
    QCOMPARE(ui->calib_stat->text(), doneText);
    QCOMPARE(rig.probe.calibState(), 0);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), kIdle);
    // Completing leaves the detector in service mode.
    QCOMPARE(rig.sim.holding(3).value(0), quint16(kServiceMode));
}

void TestGasCalibration::calibrationEndsWhenDetectorFinishes()
{
    WindowOnSimulator rig;
    QVERIFY2(rig.connect({"--fast", "--steady", "--calib-delay", "200"}), qPrintable(rig.errorText()));
    rig.showTab(GasCalibrationTab);
    rig.click(rig.ui->CalibZeroStart);
    rig.tick();
    rig.click(rig.ui->CalibZeroSet);
    rig.sim.clearEvents();
    rig.tick();
    QVERIFY(!rig.sim.waitForEvent("calib", 5000, "action", "done").name.isEmpty());
    rig.tick();
    QCOMPARE(rig.ui->calib_stat->text(), QString("Калибровка нуля завершена"));
    QCOMPARE(rig.probe.calibState(), 0);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(rig.ui)), kIdle);
}

void TestGasCalibration::startAndSaveInOneTick_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("statusBit");
    QTest::addColumn<QString>("endText");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<bool>("late");   // the bit comes one poll late; else never

    const QStringList zero{wordWrite(3, kServiceMode), wordWrite(12, kZeroCommand), wordWrite(12, kSaveCommand)};
    const QStringList span{wordWrite(3, kServiceMode), wordWrite(13, kDefaultSpanRaw), wordWrite(12, kSpanCommand),
                           wordWrite(12, kSaveCommand)};
    QTest::newRow("zero, bit late") << "CalibZeroStart" << "CalibZeroSet" << 0x0100 << "Калибровка нуля завершена"
                                    << zero << true;
    QTest::newRow("span, bit late") << "CalibDiapStart" << "CalibDiapSet" << 0x0200
                                    << "Калибровка диапазона завершена" << span << true;
    QTest::newRow("zero, bit never set") << "CalibZeroStart" << "CalibZeroSet" << 0x0100
                                         << "Датчик не сообщил о калибровке нуля, её итог неизвестен" << zero
                                         << false;
    QTest::newRow("span, bit never set") << "CalibDiapStart" << "CalibDiapSet" << 0x0200
                                         << "Датчик не сообщил о калибровке диапазона, её итог неизвестен" << span
                                         << false;
}

// Both clicks before one tick, the commands in the serving order. The poll
// right after the save does not show the calibration running yet: the
// calibration is done only once its bit has been seen set and then clear,
// and a bit never seen within five polls leaves its outcome unknown.
void TestGasCalibration::startAndSaveInOneTick()
{
    QFETCH(QString, start);
    QFETCH(QString, set);
    QFETCH(int, statusBit);
    QFETCH(QString, endText);
    QFETCH(QStringList, writes);
    QFETCH(bool, late);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSlowCalibration), qPrintable(rig.errorText()));
    QVERIFY(rig.sim.command(QString("fault hidebits=%1,fc=04,addr=256,%2").arg(statusBit).arg(late ? "once" : "persist")));
    rig.showTab(GasCalibrationTab);
    rig.click(button(rig, start));
    rig.click(button(rig, set));

    QVector<SimRequest> requests = rig.tick();
    const SimRequest poll = requests.takeLast();
    QCOMPARE(poll.function, 0x04);
    QCOMPARE(poll.address, 256);
    QStringList sent;
    for (const SimRequest &request : requests) {
        if (request.isWrite())
            sent << wordWrite(request.address, request.values.value(0));
    }
    QCOMPARE(sent, writes);
    const int polls = late ? 1 : 4;
    for (int i = 0; i < polls; ++i) {
        QVERIFY(rig.probe.calibState() != 0);
        QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(rig.ui)), QStringList());
        rig.tick();
    }
    if (late) {
        QVERIFY(rig.probe.calibState() != 0);
        QVERIFY(rig.sim.command(QString("status clear %1").arg(statusBit)));
        rig.tick();
    }
    QCOMPARE(rig.ui->calib_stat->text(), endText);
    QCOMPARE(rig.probe.calibState(), 0);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(rig.ui)), kIdle);
}

void TestGasCalibration::cancel_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("esc");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("mainGas");
    QTest::addColumn<bool>("tickBeforeCancel");
    for (bool mainGas : {false, true}) {
        const char *gas = mainGas ? "main gas" : "target gas";
        QTest::addRow("zero, %s", gas) << "CalibZeroStart" << "CalibZeroEsc" << "Калибровка нуля отменена" << mainGas
                                       << true;
        QTest::addRow("span, %s", gas) << "CalibDiapStart" << "CalibDiapEsc" << "Калибровка диапазона отменена"
                                       << mainGas << true;
    }
    // Only the service-mode request of the start is left to go out.
    QTest::addRow("zero, cancelled before the tick")
        << "CalibZeroStart" << "CalibZeroEsc" << "Калибровка нуля отменена" << false << false;
}

// Cancelling sends no command of its own; it only takes a switched-in main
// gas back, with one block write of the target name.
void TestGasCalibration::cancel()
{
    QFETCH(QString, start);
    QFETCH(QString, esc);
    QFETCH(QString, text);
    QFETCH(bool, mainGas);
    QFETCH(bool, tickBeforeCancel);

    WindowOnSimulator rig;
    onGasTab(rig, mainGas);
    if (QTest::currentTestFailed())
        return;
    Ui_MainWindow *ui = rig.ui;
    rig.click(button(rig, start));
    if (tickBeforeCancel)
        rig.tick();

    rig.click(button(rig, esc));
    QCOMPARE(ui->calib_stat->text(), text);
    // Held until the detector has taken its target gas back.
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), mainGas ? QStringList(kIdle.mid(1)) : kIdle);
    QCOMPARE(ui->Exit->isEnabled(), !mainGas);

    const QVector<SimRequest> requests = rig.tick();
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), kIdle);
    QVERIFY(ui->Exit->isEnabled());
    QVERIFY(ui->rbGazC->isChecked());
    QStringList names;
    int writes = 0;
    for (const SimRequest &request : requests) {
        writes += request.isWrite();
        if (!WindowOnSimulator::gasNameOf(request).isNull())
            names << WindowOnSimulator::gasNameOf(request);
    }
    QCOMPARE(writes, (mainGas ? 2 : 0) + (tickBeforeCancel ? 0 : 1));
    QCOMPARE(names, mainGas ? QStringList{"CH4"} : QStringList());
    QCOMPARE(rig.sim.holding(3).value(0), quint16(kServiceMode));
    QCOMPARE(rig.tickWrites(), QStringList());
}

void TestGasCalibration::completionRestoresTargetGas()
{
    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSlowCalibration), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(GasCalibrationTab);
    rig.click(ui->rbGazOsn);
    rig.click(ui->GazSet);
    rig.tick();
    rig.click(ui->CalibZeroStart);
    rig.tick();
    rig.click(ui->CalibZeroSet);
    rig.tick();
    QVERIFY(rig.probe.mainGasActive());

    QVERIFY(rig.sim.command("status clear 256"));
    rig.tick();
    QCOMPARE(ui->calib_stat->text(), QString("Калибровка нуля завершена"));
    QVERIFY(rig.probe.mainGasActive());
    QVERIFY(!ui->Exit->isEnabled());

    rig.sim.clearEvents();
    const QVector<SimRequest> requests = rig.tick();
    QVERIFY(!rig.probe.mainGasActive());
    QVERIFY(ui->rbGazC->isChecked());
    QVERIFY(ui->Stop->isEnabled());
    QVERIFY(ui->Exit->isEnabled());
    QCOMPARE(WindowOnSimulator::gasNameOf(requests.value(0)), QString("CH4"));
    QVERIFY(requests.value(0).values.value(3) & kServiceMode);
    QCOMPARE(rig.sim.waitForEvent("gas").value("role"), QString("target"));
}

// The connection is lost while the detector saves a zero calibration; the
// next connection must not report as done what it never saw finish.
void TestGasCalibration::calibrationCutByLostConnection()
{
    WindowOnSimulator rig;
    startAndSave(rig, "CalibZeroStart", "CalibZeroSet");
    if (QTest::currentTestFailed())
        return;
    Ui_MainWindow *ui = rig.ui;
    QCOMPARE(rig.probe.calibState(), 1);

    QVERIFY(rig.sim.command("fault noanswer persist"));
    for (int i = 0; i < 3; ++i)
        rig.tick();
    QVERIFY(ui->Start->isEnabled());
    QVERIFY(rig.sim.command("fault clear"));
    QVERIFY(rig.sim.command("status clear 256"));

    rig.click(ui->Start);
    rig.tick();
    QCOMPARE(ui->calib_stat->text(), QString("Связь прервалась во время калибровки, её итог неизвестен"));
    QCOMPARE(rig.probe.calibState(), 0);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), kIdle);
}

// The calibration runs on the gas it began on: a look at another tab
// switches nothing back; its end does.
void TestGasCalibration::tabChangeWhileSavingKeepsState()
{
    WindowOnSimulator rig;
    startAndSave(rig, "CalibDiapStart", "CalibDiapSet", true);
    if (QTest::currentTestFailed())
        return;
    Ui_MainWindow *ui = rig.ui;

    rig.showTab(ParametersTab);
    QCOMPARE(ui->calib_stat->text(), QString());
    QCOMPARE(rig.probe.calibState(), 2);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), QStringList());
    QCOMPARE(rig.tickWrites(), QStringList());
    QVERIFY(rig.probe.mainGasActive());
    QVERIFY(ui->rbGazOsn->isChecked());

    rig.showTab(GasCalibrationTab);
    QCOMPARE(ui->calib_stat->text(), QString());
    QVERIFY(rig.sim.command("status clear 512"));
    rig.tick();
    QCOMPARE(ui->calib_stat->text(), QString("Калибровка диапазона завершена"));
    QCOMPARE(rig.probe.calibState(), 0);
    QCOMPARE(rig.tickWrites(), parameterBlockWrite());
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), kIdle);
}

// "Переключить газ", "Начать" and "Калибровать" within one second: the
// calibration commands wait for the block that switches the gas.
void TestGasCalibration::calibrationWaitsForTheGasSwitch()
{
    WindowOnSimulator rig;
    onGasTab(rig, false);
    if (QTest::currentTestFailed())
        return;
    rig.click(rig.ui->rbGazOsn);
    rig.click(rig.ui->GazSet);
    rig.click(rig.ui->CalibZeroStart);
    rig.click(rig.ui->CalibZeroSet);
    QCOMPARE(rig.tickWrites(), QStringList{wordWrite(3, kServiceMode)} + parameterBlockWrite());
    QVERIFY(rig.probe.mainGasActive());
    QCOMPARE(rig.tickWrites(), QStringList({wordWrite(12, kZeroCommand), wordWrite(12, kSaveCommand)}));
    QCOMPARE(rig.probe.calibState(), 1);
}

void TestGasCalibration::spanValueReadAtServingTime_data()
{
    QTest::addColumn<QString>("decimals");
    QTest::addColumn<double>("atClick");
    QTest::addColumn<double>("atTick");
    QTest::addColumn<int>("raw");
    QTest::newRow("d=3, 1.5") << "3" << 2.0 << 1.5 << 1500;
    QTest::newRow("d=2, 0.29") << "2" << 0.5 << 0.29 << 29;
    QTest::newRow("d=1, 50.0") << "1" << 10.0 << 50.0 << 500;
    QTest::newRow("d=0, 100") << "0" << 7.0 << 100.0 << 100;
}

// The edit made between the click and the tick is what the detector gets,
// and the same value replaces word 13 for later parameter writes.
void TestGasCalibration::spanValueReadAtServingTime()
{
    QFETCH(QString, decimals);
    QFETCH(double, atClick);
    QFETCH(double, atTick);
    QFETCH(int, raw);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(QStringList(kSlowCalibration) << "--decimals" << decimals), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    QCOMPARE(ui->CalibrValue->decimals(), decimals.toInt());
    rig.showTab(GasCalibrationTab);
    rig.click(ui->CalibDiapStart);
    rig.tick();
    ui->CalibrValue->setValue(atClick);
    rig.click(ui->CalibDiapSet);
    ui->CalibrValue->setValue(atTick);

    rig.sim.clearEvents();
    QCOMPARE(rig.tickWrites(), QStringList({wordWrite(13, raw), wordWrite(12, kSpanCommand),
                                             wordWrite(12, kSaveCommand)}));
    QCOMPARE(rig.probe.regHold()[13], quint16(raw));
    QCOMPARE(rig.sim.waitForEvent("calib", 3000, "action", "span").value("value"), QString::number(raw));
    QCOMPARE(rig.probe.calibState(), 2);

    rig.click(ui->Write);
    rig.tick();
    QCOMPARE(rig.sim.holding(13).value(0), quint16(raw));
}

void TestGasCalibration::spanBoundedOnDecode_data()
{
    QTest::addColumn<QString>("decimals");
    QTest::addColumn<double>("maximum");
    QTest::newRow("d=0") << "0" << 65535.0;
    QTest::newRow("d=1") << "1" << 6553.5;
    QTest::newRow("d=2") << "2" << 655.35;
    QTest::newRow("d=3") << "3" << 65.535;
}

// The box cannot take a concentration whose raw form needs more than 16
// bits, and its largest value still goes out whole.
void TestGasCalibration::spanBoundedOnDecode()
{
    QFETCH(QString, decimals);
    QFETCH(double, maximum);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(QStringList(kSlowCalibration) << "--decimals" << decimals), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    QCOMPARE(ui->CalibrValue->maximum(), maximum);
    ui->CalibrValue->setValue(maximum * 2);
    QCOMPARE(ui->CalibrValue->value(), maximum);

    rig.showTab(GasCalibrationTab);
    rig.click(ui->CalibDiapStart);
    rig.tick();
    rig.click(ui->CalibDiapSet);
    QCOMPARE(rig.tickWrites().value(0), wordWrite(13, 65535));
}

// The mode buttons only raise their request; their enabled states follow
// the status word that the same tick polls.
void TestGasCalibration::modeButtons()
{
    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSlowCalibration), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    QVERIFY(ui->mode_service->isEnabled());
    QVERIFY(!ui->mode_working->isEnabled());

    rig.click(ui->mode_service);
    QCOMPARE(ui->calib_stat->text(), QString());
    QCOMPARE(rig.tickWrites(), QStringList{wordWrite(3, kServiceMode)});
    QVERIFY(!ui->mode_service->isEnabled());
    QVERIFY(ui->mode_working->isEnabled());

    rig.click(ui->mode_working);
    QCOMPARE(rig.tickWrites(), QStringList{wordWrite(3, 0)});
    QVERIFY(ui->mode_service->isEnabled());
    QVERIFY(!ui->mode_working->isEnabled());
}

void TestGasCalibration::refusedCalibrationIsNotDone_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("fault");   // put on the detector before the start
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("mainGas");

    const QString zero = "Калибровка нуля не удалась", span = "Калибровка диапазона не удалась";
    const QString firstCommand = "exception,fc=06,addr=12", secondCommand = "exception,fc=06,addr=12,after=1";
    QTest::newRow("zero start refused") << "CalibZeroStart" << "CalibZeroSet" << firstCommand << zero << false;
    QTest::newRow("zero save refused") << "CalibZeroStart" << "CalibZeroSet" << secondCommand << zero << false;
    QTest::newRow("span value refused")
        << "CalibDiapStart" << "CalibDiapSet" << "exception,persist,writeto=13" << span << false;
    QTest::newRow("span command refused") << "CalibDiapStart" << "CalibDiapSet" << firstCommand << span << false;
    QTest::newRow("span save refused") << "CalibDiapStart" << "CalibDiapSet" << secondCommand << span << false;
    QTest::newRow("zero save refused, main gas")
        << "CalibZeroStart" << "CalibZeroSet" << secondCommand << zero << true;
    QTest::newRow("span save refused, main gas")
        << "CalibDiapStart" << "CalibDiapSet" << secondCommand << span << true;
}

// A calibration command the detector refuses ends the calibration as
// "Отменить" would and says so; nothing after it goes out,
// and the tab never reports it done.
void TestGasCalibration::refusedCalibrationIsNotDone()
{
    QFETCH(QString, start);
    QFETCH(QString, set);
    QFETCH(QString, fault);
    QFETCH(QString, text);
    QFETCH(bool, mainGas);

    WindowOnSimulator rig;
    onGasTab(rig, mainGas);
    if (QTest::currentTestFailed())
        return;
    Ui_MainWindow *ui = rig.ui;
    QVERIFY(rig.sim.command("fault " + fault));
    rig.click(button(rig, start));
    QStringList writes = rig.tickWrites();
    if (button(rig, set)->isEnabled()) {
        rig.click(button(rig, set));
        writes += rig.tickWrites();
    }

    QCOMPARE(ui->calib_stat->text(), text);
    QCOMPARE(rig.probe.calibState(), 0);
    QCOMPARE(WindowOnSimulator::enabledOf(calibrationControls(ui)), kIdle);
    // The save goes out only when it is the refused command itself, and no
    // span command follows a refused value.
    QCOMPARE(writes.contains(wordWrite(12, kSaveCommand)), fault.contains("after=1"));
    if (fault.contains("writeto=13"))
        QVERIFY(!writes.contains(wordWrite(12, kSpanCommand)));
    QVERIFY(!rig.probe.mainGasActive());
    QVERIFY(ui->rbGazC->isChecked());
    QVERIFY(ui->Exit->isEnabled());
    if (mainGas) {
        const QVector<quint16> name = rig.sim.holding(RegisterModel::GasNameWord, 8);
        QCOMPARE(RegisterModel::decodeText(name.constData(), RegisterModel::kGasNameBytes), QString("CH4"));
    }

    // Whatever the detector's status says later, the tab stays as it is.
    QVERIFY(rig.sim.command("status clear 768"));
    QCOMPARE(rig.tickWrites(), QStringList());
    QCOMPARE(ui->calib_stat->text(), text);
}

void TestGasCalibration::journalRecordsEveryEnd_data()
{
    // Steps: a button's name is clicked, "tick" runs one, "sim ..." is told
    // to the simulator.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("statusLine");
    QTest::addColumn<QString>("gas");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("valueSent");
    QTest::addColumn<QString>("readingAfter");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("unwritable");   // calibrations.csv is a directory
    // The codes after the shown texts: result, unit, test gas, as found, as left.
    QTest::addColumn<QString>("codes");

    const QStringList zeroDone{"CalibZeroStart", "tick", "CalibZeroSet", "tick", "sim status clear 256", "tick"};
    QTest::newRow("zero done") << zeroDone << "calib_stat" << "CH4" << "zero" << "" << "0.0 %НКПР"
                               << "Калибровка нуля завершена" << false << "done,%LEL,0,0,0";
    QTest::newRow("span done")
        << QStringList{"CalibDiapStart", "tick", "CalibDiapSet", "tick", "sim set input 272 249",
                       "sim status clear 512", "tick"}
        << "calib_stat" << "CH4" << "span" << "25.0 %НКПР" << "24.9 %НКПР" << "Калибровка диапазона завершена"
        << false << "done,%LEL,25,2,24.9";
    QTest::newRow("span refused")
        << QStringList{"CalibDiapStart", "tick", "sim fault exception,fc=06,addr=12", "CalibDiapSet", "tick"}
        << "calib_stat" << "CH4" << "span" << "25.0 %НКПР" << "2.0 %НКПР" << "Калибровка диапазона не удалась"
        << false << "refused,%LEL,25,,";
    // The gas is the one the command went out on: after the switch asked for
    // with the start, before the switch back at the end.
    QTest::newRow("zero on the main gas, cancelled")
        << QStringList{"rbGazOsn", "GazSet", "CalibZeroStart", "tick", "tick", "CalibZeroEsc", "tick"}
        << "calib_stat" << "C3H8" << "zero" << "" << "0.0 %НКПР" << "Калибровка нуля отменена" << false << "cancelled,%LEL,0,,";
    QTest::newRow("4 mA cancelled") << QStringList{"Calib4maStart", "tick", "Calib4maStop", "tick"}
                                    << "calib_iout_stat" << "CH4" << "4 mA" << "" << "2.0 %НКПР"
                                    << "Калибровка 4 мА отменена" << false << "cancelled,%LEL,,,";
    // The cancelled point's row is written when the next one begins. The
    // stop it owes is served after the new start, in the same tick, and
    // takes the detector out of service mode: the new point is over.
    QTest::newRow("4 mA cancelled, 20 mA begun before the tick")
        << QStringList{"Calib4maStart", "tick", "Calib4maStop", "Calib20maStart", "tick", "Calib20maStop", "tick"}
        << "calib_iout_stat" << "CH4" << "20 mA" << "" << "2.0 %НКПР"
        << "Датчик перезапустился или вышел из сервисного режима: калибровка тока прервана, её итог неизвестен"
        << false << "interrupted,%LEL,,,";
    QTest::newRow("20 mA done") << QStringList{"Calib20maStart", "tick", "Calib20maSet", "tick", "Calib20maStop",
                                               "tick"}
                                << "calib_iout_stat" << "CH4" << "20 mA" << "20.00 мА" << "2.0 %НКПР"
                                << "Калибровка завершена" << false << "done,%LEL,,,";
    QTest::newRow("20 mA cut off") << QStringList{"Calib20maStart", "tick", "Calib20maSet", "tick",
                                                  "sim fault noanswer,persist", "tick", "tick", "tick"}
                                   << "calib_iout_stat" << "CH4" << "20 mA" << "20.00 мА" << "2.0 %НКПР"
                                   << "Связь прервалась во время калибровки, её итог неизвестен" << false << "interrupted,%LEL,,,";
    QTest::newRow("4 mA refused")
        << QStringList{"Calib4maStart", "tick", "sim fault exception,fc=06,addr=17", "Calib4maSet", "tick"}
        << "calib_iout_stat" << "CH4" << "4 mA" << "4.00 мА" << "2.0 %НКПР" << "Калибровка 4 мА не удалась"
        << false << "unknown,%LEL,,,";
    // "Завершить" pressed before the tick that finds the value refused: the
    // row tells the later end, as the tab does.
    QTest::newRow("4 mA ended, then its value refused")
        << QStringList{"Calib4maStart", "tick", "sim fault exception,fc=06,addr=17", "Calib4maSet", "Calib4maStop",
                       "tick"}
        << "calib_iout_stat" << "CH4" << "4 mA" << "4.00 мА" << "2.0 %НКПР" << "Калибровка 4 мА не удалась"
        << false << "unknown,%LEL,,,";
    QTest::newRow("unwritable, two calibrations")
        << QStringList{"CalibZeroStart", "CalibZeroEsc", "tick"} + zeroDone << "calib_stat" << "CH4" << "zero"
        << "" << "0.0 %НКПР" << "Калибровка нуля завершена" << true << "";
}

// One row for every calibration, however it ended, with the words the tab
// showed. A journal that cannot be written leaves the calibration as it is
// and is told once on the connection.
void TestGasCalibration::journalRecordsEveryEnd()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, statusLine);
    QFETCH(QString, gas);
    QFETCH(QString, kind);
    QFETCH(QString, valueSent);
    QFETCH(QString, readingAfter);
    QFETCH(QString, outcome);
    QFETCH(bool, unwritable);
    QFETCH(QString, codes);

    WindowOnSimulator rig;
    QVERIFY(!unwritable || QDir().mkdir(kJournalFileName));
    QVERIFY2(rig.connect(kSlowCalibration), qPrintable(rig.errorText()));
    DialogDriver dialogs;
    if (unwritable)
        dialogs.closeMessage();
    // Entered once on the tab, carried by every row after.
    rig.ui->engineerName->setText("Petrov P. P.");
    rig.ui->cylinderLot->setText("A-1742");
    rig.ui->cylinderExpiry->setDate(QDate(2027, 3, 31));
    for (const QString &step : steps) {
        if (step == "tick")
            rig.tick();
        else if (step.startsWith("sim "))
            QVERIFY(rig.sim.command(step.mid(4)));
        else
            rig.click(rig.window.findChild<QAbstractButton *>(step));
        QCoreApplication::processEvents();
    }
    QCOMPARE(rig.window.findChild<QLineEdit *>(statusLine)->text(), outcome);
    QCOMPARE(dialogs.unexpected(), QStringList());
    if (unwritable) {
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages().first().text.contains(QDir::current().absoluteFilePath(kJournalFileName)));
        return;
    }
    QCOMPARE(dialogs.messages().size(), 0);
    QFile file(kJournalFileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVector<QStringList> rows;
    QString error;
    QVERIFY(parseCsv(file.readAll(), rows, error));
    // A row for every calibration begun, the last one's last.
    QCOMPARE(rows.size(), 1 + steps.filter(QRegularExpression("^Calib.*Start$")).size());
    const QStringList expected{"20240117", "VELOR", "1.2.37", "1", gas, kind, valueSent, "2.0 %НКПР",
                               readingAfter, outcome};
    QCOMPARE(rows.last().mid(1, expected.size()).join(" | "), expected.join(" | "));
    QCOMPARE(rows.last().mid(kJournalResultColumn, 5).join(','), codes);
    QCOMPARE(rows.last().mid(kJournalResultColumn + 5, 3).join(','), QString("A-1742,2027-03-31,Petrov P. P."));
}

// Each row: the journal's rows of the simulated detector before connecting
// (months ago, result), the status line after the first tick; DUE and LAST
// stand for the dates.
void TestGasCalibration::overdueToldOnConnecting_data()
{
    QTest::addColumn<QVector<int>>("monthsAgo");
    QTest::addColumn<QVector<int>>("results");
    QTest::addColumn<QString>("told");

    const int done = int(JournalResult::Done), cancelled = int(JournalResult::Cancelled);
    QTest::newRow("overdue") << QVector<int>{8} << QVector<int>{done}
                             << "Калибровка датчика 20240117 просрочена: последняя LAST, следующая была нужна до DUE";
    QTest::newRow("not yet due") << QVector<int>{9, 1} << QVector<int>{done, done} << "";
    QTest::newRow("none done") << QVector<int>{1} << QVector<int>{cancelled}
                               << "В журнале нет выполненной калибровки датчика 20240117";
    QTest::newRow("no journal") << QVector<int>() << QVector<int>() << "";
}

void TestGasCalibration::overdueToldOnConnecting()
{
    QFETCH(QVector<int>, monthsAgo);
    QFETCH(QVector<int>, results);
    QFETCH(QString, told);

    WindowOnSimulator rig;
    QDate last;
    for (int i = 0; i < monthsAgo.size(); ++i) {
        JournalEntry e;
        e.serialNumber = "20240117";
        e.kind = CalibrationKind::Zero;
        e.result = JournalResult(results[i]);
        e.time = QDateTime::currentDateTime().addMonths(-monthsAgo[i]);
        last = e.time.date();
        QString error;
        QVERIFY2(appendJournalEntry(kJournalFileName, e, error), qPrintable(error));
    }
    QVERIFY2(rig.connect(kSlowCalibration), qPrintable(rig.errorText()));
    told.replace("LAST", last.toString(Qt::ISODate)).replace("DUE", last.addMonths(6).toString(Qt::ISODate));
    QCOMPARE(rig.window.statusBar()->currentMessage(), told);
}

QTEST_MAIN(TestGasCalibration)
#include "tst_gascalibration.moc"
