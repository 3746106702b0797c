#include <QtTest>

#include <qcustomplot.h>

#include <ctime>

#include "customplotwidget.h"
#include "dialogs.h"
#include "simwindow.h"
#include "wirelog.h"

// The poll tick against the simulated detector: what goes on the line, in
// which order, and what the window makes of the answers.
class TestPolling : public QObject
{
    Q_OBJECT
private slots:
    void firstTickOrder();
    void firstTickShowsTheDevice_data();
    void firstTickShowsTheDevice();
    void modeButtonsFollowServiceBit_data();
    void modeButtonsFollowServiceBit();
    void onePlotPointPerGoodPoll();
    void reloadGoesBeforeWrite();
    void writeReachesTheDevice();
    void threeSilentPollsDisconnect();
    void goodPollResetsTheCounter();
    void nextConnectionAfterAutomaticDisconnect_data();
    void nextConnectionAfterAutomaticDisconnect();
    void vanishedPortDisconnectsQuickly();
    void cutAnswerEndsTheTick();
    void halfWrittenBlockIsTold();
    void allRequestsInTheirOrder();
    void spanValueMustFitItsRegister_data();
    void spanValueMustFitItsRegister();
    void unreadBlockStaysHome_data();
    void unreadBlockStaysHome();
    void busyCursorDuringLongTicks_data();
    void busyCursorDuringLongTicks();
};

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

QCPGraph *line(SimWindow &w)
{
    return w.probe->plot()->plotArea()->graph(0);
}

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

#define SIM_WINDOW(w, ...)                         \
    SimWindow w{__VA_ARGS__};                       \
    QVERIFY2(w.failure().isEmpty(), qPrintable(w.failure()))

// Connected, the first tick run and its requests forgotten.
#define CONNECTED(w, ...)                          \
    SIM_WINDOW(w, __VA_ARGS__);                     \
    w.connectTo();                                  \
    QVERIFY(w.connected());                         \
    w.probe->tick();                                \
    QVERIFY(w.sim.waitForRequests(8));              \
    w.sim.clearRequests()

} // namespace

void TestPolling::firstTickOrder()
{
    SIM_WINDOW(w);
    w.connectTo();
    QVERIFY(w.connected());
    w.probe->tick();
    QCOMPARE(logged(w.sim, 8), kReload + QStringList{kPoll} + kGasTable);
    for (const SimRequest &r : w.sim.requests())
        QCOMPARE(r.reply, QString("ok"));
}

void TestPolling::firstTickShowsTheDevice_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("lcd");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("serial");

    QTest::newRow("defaults") << QStringList{} << "2" << "%НКПР" << "VELOR" << "1.2.37" << "50.0"
                              << "20240117";
    QTest::newRow("two decimals in ppm")
        << QStringList{"--decimals", "2", "--unit", "ppm", "--device-type", "TRIVAN_RM",
                       "--concentration", "12.34", "--range", "80", "--firmware", "3.10.205",
                       "--serial", "65538"}
        << "12.34" << "ppm" << "TRIVAN_RM" << "3.10.205" << "80.00" << "65538";
    QTest::newRow("whole numbers in mg/m3")
        << QStringList{"--decimals", "0", "--unit", "mg/m3", "--device-type", "PELMAR",
                       "--concentration", "173", "--range", "1000", "--firmware", "0.0.0"}
        << "173" << "мг/м3" << "PELMAR" << "0.0.0" << "1000" << "20240117";
    QTest::newRow("largest serial number") << QStringList{"--serial", "4294967295"} << "2" << "%НКПР" << "VELOR"
                                           << "1.2.37" << "50.0" << "4294967295";
    QTest::newRow("three decimals in percent by volume")
        << QStringList{"--decimals", "3", "--unit", "vol", "--device-type", "TRIVAN-KT",
                       "--concentration", "4.125", "--range", "25"}
        << "4.125" << "%Об.д" << "TRIVAN-KT" << "1.2.37" << "25.000" << "20240117";
}

void TestPolling::firstTickShowsTheDevice()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, lcd);
    QFETCH(QString, unit);
    QFETCH(QString, type);
    QFETCH(QString, version);
    QFETCH(QString, range);
    QFETCH(QString, serial);

    SIM_WINDOW(w, QStringList{"--fast", "--steady"} + arguments);
    w.connectTo();
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));

    QCOMPARE(QString::number(w.ui->lcdValue->value()), lcd);
    QCOMPARE(w.ui->unit->text(), unit);
    QCOMPARE(w.ui->TypeDev->text(), type);
    QCOMPARE(w.ui->VersionFW->text(), version);
    QCOMPARE(w.ui->status->text(), QString("Измерение"));
    QCOMPARE(w.ui->valueHigh->text(), range);
    // The first point is drawn against the device's range, not the start one.
    QCOMPARE(w.probe->plot()->plotArea()->yAxis->range().upper, range.toDouble());
    QCOMPARE(w.ui->SerialNumDev->text(), serial);
    QCOMPARE(w.ui->gaz_c->text(), QString("CH4"));
    QCOMPARE(w.ui->gaz_osn->text(), QString("C3H8"));
    QVERIFY(w.probe->gasSwitchAllowed());
    QVERIFY(w.ui->GazSet->isEnabled());

    // The window's copies are the device's registers, word for word.
    const QVector<quint16> holding = w.sim.holding(0, 180);
    QCOMPARE(QVector<quint16>(w.probe->regHold(), w.probe->regHold() + 180), holding);
    const QVector<quint16> input = w.sim.input(256, 112);
    QCOMPARE(QVector<quint16>(w.probe->inputAll(), w.probe->inputAll() + 112), input);
    QCOMPARE(w.probe->gasTable().size(), 32);
    QCOMPARE(w.probe->failedPolls(), 0);
    QVERIFY(w.connected());
}

void TestPolling::modeButtonsFollowServiceBit_data()
{
    QTest::addColumn<quint16>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("serviceMode");

    QTest::newRow("measuring") << quint16(0) << "Измерение" << false;
    QTest::newRow("service mode") << quint16(0x0080) << "Сервисн. режим" << true;
    QTest::newRow("fault in service mode") << quint16(0x0480) << "Неисправность" << true;
    QTest::newRow("sensor fault in service mode") << quint16(0x0088) << "Неиспр. сенсора" << true;
    QTest::newRow("threshold 1, working") << quint16(0x0002) << "Превыш. порог 1" << false;
    QTest::newRow("no known bit") << quint16(0x0001) << "" << false;
}

void TestPolling::modeButtonsFollowServiceBit()
{
    QFETCH(quint16, status);
    QFETCH(QString, text);
    QFETCH(bool, serviceMode);

    CONNECTED(w);
    // From the opposite of what the row expects.
    QVERIFY(w.sim.command(QString("set input 262 %1").arg(serviceMode ? 0 : 0x0080)));
    w.probe->tick();
    QCOMPARE(w.ui->mode_service->isEnabled(), serviceMode);

    QVERIFY(w.sim.command(QString("set input 262 %1").arg(status)));
    w.probe->tick();
    QCOMPARE(w.ui->status->text(), text);
    QCOMPARE(w.ui->mode_service->isEnabled(), !serviceMode);
    QCOMPARE(w.ui->mode_working->isEnabled(), serviceMode);
}

void TestPolling::onePlotPointPerGoodPoll()
{
    CONNECTED(w, QStringList{"--fast", "--steady", "--concentration", "3.5", "--range", "40"});
    QCOMPARE(line(w)->data()->size(), 1);
    QCOMPARE(xPos, 1);
    QCOMPARE(w.probe->plot()->upperBound, 40.0);

    QVERIFY(w.sim.command("fault noanswer fc=04 addr=256"));
    w.probe->tick();   // fails: no point
    QVERIFY(w.sim.command("conc 7.5"));
    w.probe->tick();
    w.probe->tick();

    QCOMPARE(logged(w.sim, 3), QStringList({kPoll, kPoll, kPoll}));
    const QSharedPointer<QCPGraphDataContainer> points = line(w)->data();
    QCOMPARE(points->size(), 3);
    QCOMPARE(xPos, 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(points->at(i)->key, double(i));
    QCOMPARE(points->at(0)->value, 3.5);
    QCOMPARE(points->at(2)->value, 7.5);
    QCOMPARE(w.ui->lcdValue->value(), 7.5);
}

void TestPolling::reloadGoesBeforeWrite()
{
    CONNECTED(w);
    const quint16 deviceRange = w.sim.holding(6).value(0);
    w.ui->valueHigh->setValue(12.3);   // lost: the reload comes first
    w.probe->reqWrite() = true;
    w.probe->reqReload() = true;
    w.probe->tick();

    QCOMPARE(logged(w.sim, 8), kReload + kWrite + kReadBack + QStringList{kPoll});
    const QVector<SimRequest> requests = w.sim.requests();
    QCOMPARE(requests[3].values.value(6), deviceRange);
    QCOMPARE(w.ui->valueHigh->value(), deviceRange / 10.0);
    QCOMPARE(w.sim.holding(6).value(0), deviceRange);
}

void TestPolling::writeReachesTheDevice()
{
    CONNECTED(w);
    QCOMPARE(w.sim.holding(3).value(0) & 0x0080, 0);
    w.ui->valueHigh->setValue(42.7);
    w.ui->limit2_hyst->setValue(3.5);
    QTest::mouseClick(w.ui->Write, Qt::LeftButton);
    w.probe->tick();
    QCOMPARE(logged(w.sim, 5), kWrite + kReadBack + QStringList{kPoll});

    QCOMPARE(w.sim.holding(6).value(0), quint16(427));
    QCOMPARE(w.sim.holding(9).value(0) >> 8, 35);
    QVERIFY(w.sim.holding(3).value(0) & 0x0080);
    // The device went into service mode with the block, and the same tick's
    // poll shows it.
    QCOMPARE(w.ui->status->text(), QString("Сервисн. режим"));

    w.ui->valueHigh->setValue(1.0);
    QTest::mouseClick(w.ui->Reload, Qt::LeftButton);
    w.probe->tick();
    QCOMPARE(w.ui->valueHigh->value(), 42.7);
    QCOMPARE(w.ui->limit2_hyst->value(), 3.5);
}

void TestPolling::threeSilentPollsDisconnect()
{
    CONNECTED(w);
    w.probe->plot()->show();
    QVERIFY(w.sim.command("fault noanswer persist"));
    for (int failed = 1; failed <= 2; ++failed) {
        w.probe->tick();
        QCOMPARE(w.probe->failedPolls(), failed);
        QVERIFY(w.connected());
    }
    QCOMPARE(w.ui->lcdValue->value(), 2.0);   // failed polls leave the display
    QCOMPARE(line(w)->data()->size(), 1);

    w.probe->tick();
    QCOMPARE(w.probe->failedPolls(), 3);
    QVERIFY(!w.probe->timer().isActive());
    QVERIFY(w.ui->Start->isEnabled());
    QVERIFY(!w.ui->Stop->isEnabled());
    QVERIFY(!w.ui->tabWidget->isEnabled());
    QVERIFY(!w.probe->plot()->isVisible());
    QCOMPARE(xPos, 0);
    QCOMPARE(line(w)->data()->size(), 0);
    QCOMPARE(w.ui->lcdValue->value(), 0.0);

    // The port is closed: a stray tick puts nothing on the line.
    QVERIFY(w.sim.command("fault clear"));
    w.sim.clearRequests();
    w.probe->tick();
    QVERIFY(!w.sim.waitForRequests(1, 300));
}

void TestPolling::goodPollResetsTheCounter()
{
    CONNECTED(w);
    QVERIFY(w.sim.command("fault noanswer count=2 fc=04"));
    w.probe->tick();
    w.probe->tick();
    QCOMPARE(w.probe->failedPolls(), 2);
    w.probe->tick();
    QCOMPARE(w.probe->failedPolls(), 0);

    QVERIFY(w.sim.command("fault noanswer count=2 fc=04"));
    w.probe->tick();
    w.probe->tick();
    QCOMPARE(w.probe->failedPolls(), 2);
    QVERIFY(w.connected());
}

void TestPolling::nextConnectionAfterAutomaticDisconnect_data()
{
    QTest::addColumn<bool>("firstPollFails");
    QTest::addColumn<bool>("byStop");   // "Отключить" after two failed polls
    QTest::newRow("first poll fails") << true << false;
    QTest::newRow("first poll answered") << false << false;
    // The count survives "Отключить" too: one more failure is the third.
    QTest::newRow("Отключить, first poll fails") << true << true;
}

void TestPolling::nextConnectionAfterAutomaticDisconnect()
{
    QFETCH(bool, firstPollFails);
    QFETCH(bool, byStop);
    CONNECTED(w);
    QApplication::setActiveWindow(w.window.get());
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    QVERIFY(w.sim.command("fault noanswer persist fc=04 addr=256"));   // polls only
    const int failures = byStop ? 2 : 3;
    for (int i = 0; i < failures; ++i)
        w.probe->tick();
    QCOMPARE(w.connected(), byStop);
    if (byStop)
        QTest::mouseClick(w.ui->Stop, Qt::LeftButton);
    QVERIFY(!w.connected());
    QCOMPARE(w.probe->failedPolls(), failures);
    QVERIFY(w.ui->Start->hasFocus());

    if (!firstPollFails)
        QVERIFY(w.sim.command("fault clear"));
    w.connectTo();
    QVERIFY(w.connected());
    w.probe->tick();
    QCOMPARE(w.connected(), !firstPollFails);
    QCOMPARE(w.probe->failedPolls(), firstPollFails ? failures + 1 : 0);
}

// The detector's end of the line disappears (an adapter pulled out): the
// window must neither block nor burn the processor while it gives up, over
// its real one-second ticks, the event loop running in between.
void TestPolling::vanishedPortDisconnectsQuickly()
{
    CONNECTED(w);
    QVERIFY(w.sim.command("close"));
    QVERIFY(w.sim.waitForEvent("closed").name == "closed");

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = processCpuSeconds();
    w.probe->timer().start(1000);
    QTRY_VERIFY_WITH_TIMEOUT(!w.connected(), 10000);
    const double cpu = processCpuSeconds() - cpuBefore;
    const qint64 elapsed = wall.elapsed();

    QCOMPARE(w.probe->failedPolls(), 3);
    // Under Valgrind every instruction costs many times over: the timings
    // say nothing there, what the memory check wants is the path itself.
    if (!qEnvironmentVariableIsSet("ZORVEL_UNDER_VALGRIND")) {
        QVERIFY2(elapsed < 3 * 1000 + 800, qPrintable(QString("%1 ms").arg(elapsed)));
        // A quiet line costs a few milliseconds a tick; with AddressSanitizer
        // every tick of the window costs several times that, so the plain
        // build alone judges the processor.
        if (!kSanitized)
            QVERIFY2(cpu < 0.05 * elapsed / 1000.0,
                     qPrintable(QString("%1 s of processor in %2 ms").arg(cpu).arg(elapsed)));
    }
    QTest::qWait(100);   // and nothing left behind that wakes the loop
}

// Every flag raised before one tick: served in the order of the table, then
// the poll, then the gas table, each command with its values read from the
// controls when it is served. Working mode, served early, leaves nothing to
// calibrate: each value and save is held back by the status read before it.
void TestPolling::allRequestsInTheirOrder()
{
    CONNECTED(w);
    w.ui->CalibrValue->setValue(31.4);
    w.ui->Calibr4mA_Value->setValue(4.35);
    w.ui->Calibr20mA_Value->setValue(19.87);
    w.ui->TestIoutValue->setValue(12.34);
    for (bool *flag : {&w.probe->reqServiceMode(), &w.probe->reqWorkingMode(), &w.probe->reqZeroStart(),
                       &w.probe->reqZeroSave(), &w.probe->reqSpanValue(), &w.probe->req4maStart(),
                       &w.probe->req4maValue(), &w.probe->req20maStart(), &w.probe->req20maValue(),
                       &w.probe->req4maTest(), &w.probe->req20maTest(), &w.probe->reqCurrentTest(),
                       &w.probe->reqTestStop(), &w.probe->reqReload(), &w.probe->reqWrite(),
                       &w.probe->reqGasTable()})
        *flag = true;
    w.probe->tick();

    const int testStart = 0x3535;
    const QStringList expected = QStringList{
        single(3, 0x0080),                                        // service mode
        single(3, 0),                                             // working mode
        single(12, 0x185D),                                       // zero start
        kStatusRead,                                              // zero save
        kStatusRead,                                              // span value
        single(12, 0x5530),                                       // 4 mA start
        kStatusRead,                                              // 4 mA value
        single(12, 0x55C3),                                       // 20 mA start
        kStatusRead,                                              // 20 mA value
        single(17, 400), single(12, testStart),                   // 4 mA test
        single(17, 2000), single(12, testStart),                  // 20 mA test
        single(17, 1234), single(12, testStart),                  // current test
        single(12, 0), single(3, 0)}                              // test stop
        + kReload + kWrite + kReadBack + QStringList{kPoll} + kGasTable;
    QCOMPARE(logged(w.sim, expected.size()), expected);

    for (bool flag : {w.probe->reqServiceMode(), w.probe->reqWorkingMode(), w.probe->reqZeroStart(),
                      w.probe->reqZeroSave(), w.probe->reqSpanValue(), w.probe->req4maStart(),
                      w.probe->req4maValue(), w.probe->req20maStart(), w.probe->req20maValue(),
                      w.probe->req4maTest(), w.probe->req20maTest(), w.probe->reqCurrentTest(),
                      w.probe->reqTestStop(), w.probe->reqReload(), w.probe->reqWrite(),
                      w.probe->reqGasTable()})
        QVERIFY(!flag);
}

void TestPolling::spanValueMustFitItsRegister_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("sent");   // -1: refused

    QTest::newRow("largest that fits") << 65.535 << 65535;
    QTest::newRow("one step above") << 65.536 << -1;
    QTest::newRow("far above") << 70.0 << -1;
}

void TestPolling::spanValueMustFitItsRegister()
{
    QFETCH(double, value);
    QFETCH(int, sent);

    CONNECTED(w, QStringList{"--fast", "--steady", "--decimals", "3", "--range", "50"});
    const quint16 wordBefore = w.probe->regHold()[13];
    w.ui->CalibrValue->setMaximum(100.0);   // the decode bounds it to what fits
    w.ui->CalibrValue->setValue(value);
    QVERIFY(w.probe->session().startSpanCalibration());
    QVERIFY(w.probe->session().sendSpanCalibration());
    w.probe->tick();

    if (sent < 0) {
        QCOMPARE(logged(w.sim, 2), QStringList({single(3, 0x80), kPoll}));
        QCOMPARE(w.ui->calib_stat->text(), QString("Калибровочная концентрация вне диапазона"));
        QCOMPARE(w.probe->regHold()[13], wordBefore);
        QCOMPARE(w.probe->calibState(), 0);
    } else {
        QCOMPARE(logged(w.sim, 6), QStringList({single(3, 0x80), kStatusRead, single(13, sent),
                                                single(12, 0x64C4), single(12, 0x7294), kPoll}));
        QCOMPARE(int(w.probe->regHold()[13]), sent);
        QCOMPARE(w.probe->calibState(), 2);
    }
}

void TestPolling::unreadBlockStaysHome_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("afterAnotherDetector");

    QTest::newRow("Записать") << "Write" << false;
    QTest::newRow("Применить") << "SetParam" << false;
    QTest::newRow("Переключить газ") << "GazSet" << false;
    QTest::newRow("span Калибровать") << "CalibDiapSet" << false;
    QTest::newRow("Экспорт") << "Export" << false;
    QTest::newRow("Записать after another detector") << "Write" << true;
    // A write request no slot could refuse: only the tick stands in its way.
    QTest::newRow("a raised write request") << "" << false;
}

// A detector that refuses to have its block read: nothing the window holds,
// the zeros of a fresh window or an earlier detector's block, goes to it or
// into a file, the user is told why, no concentration is shown in a guessed
// decimal count, and the read is tried again at every tick until it answers.
void TestPolling::unreadBlockStaysHome()
{
    QFETCH(QString, button);
    QFETCH(bool, afterAnotherDetector);

    SIM_WINDOW(w, QStringList{"--fast", "--steady", "--decimals", "2", "--concentration", "10.02"});
    if (afterAnotherDetector) {
        w.connectTo();
        w.probe->tick();
        QVERIFY(w.sim.waitForRequests(8));
        QCOMPARE(w.ui->lcdValue->value(), 10.02);
        QTest::mouseClick(w.ui->Stop, Qt::LeftButton);
        // Another detector on the same port: one decimal, another serial number.
        const quint16 format = w.sim.holding(4).value(0);
        QVERIFY(w.sim.command(QString("set holding 4 %1").arg((format & ~0x0300) | 0x0100)));
        QVERIFY(w.sim.command("set holding 20 0 99"));
    }
    QVERIFY(w.sim.command("fault exception=2,fc=03,persist"));
    w.connectTo();
    QVERIFY(w.connected());
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    QCOMPARE(w.ui->lcdValue->value(), 0.0);
    QCOMPARE(line(w)->data()->size(), 0);

    auto *pressed = button.isEmpty() ? nullptr : w.window->findChild<QPushButton *>(button);
    if (button == "GazSet") {
        w.ui->tabWidget->setCurrentIndex(2);
        QVERIFY(w.ui->GazSet->isEnabled());
        QTest::mouseClick(w.ui->rbGazOsn, Qt::LeftButton);
    } else if (button == "CalibDiapSet") {
        w.ui->tabWidget->setCurrentIndex(2);
        QTest::mouseClick(w.ui->CalibDiapStart, Qt::LeftButton);
        w.probe->tick();
    }
    const QVector<quint16> deviceBlock = w.sim.holding(0, 180);
    DialogDriver dialogs;   // an export that went ahead would open its file dialog
    if (button != "CalibDiapSet" && pressed)
        dialogs.closeMessage();
    if (pressed)
        QTest::mouseClick(pressed, Qt::LeftButton);
    else
        w.probe->reqWrite() = true;

    if (!pressed) {
        QCOMPARE(dialogs.messages().size(), 0);
    } else if (button == "CalibDiapSet") {
        QCOMPARE(w.ui->calib_stat->text(), QString("Параметры датчика ещё не прочитаны, концентрация не отправлена"));
        QVERIFY(w.ui->CalibDiapSet->isEnabled());   // may be pressed again once read
    } else {
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages().first().text.startsWith("Параметры ещё не прочитаны из подключённого датчика"));
    }
    QCOMPARE(dialogs.unexpected(), QStringList());
    QVERIFY(w.ui->Exit->isEnabled());

    w.sim.clearRequests();
    w.probe->tick();
    const QStringList expected = kReload + QStringList{kPoll};
    QCOMPARE(logged(w.sim, expected.size()), expected);
    QCOMPARE(w.sim.holding(0, 180), deviceBlock);
    QCOMPARE(w.ui->lcdValue->value(), 0.0);

    // Once the detector answers, its block and its decimal count are shown.
    QVERIFY(w.sim.command("fault clear"));
    w.probe->tick();
    QCOMPARE(w.ui->lcdValue->value(), afterAnotherDetector ? 10.0 : 10.02);
    QCOMPARE(line(w)->data()->size(), 1);
}

namespace {

// For every transaction on the line, whether the busy pointer was up.
QVector<bool> busyAtTransactions;

void noteCursor(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    if (QLatin1String(context.category) == QLatin1String("zorvel.traffic") && text.contains("->")) {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        busyAtTransactions << (cursor && cursor->shape() == Qt::WaitCursor);
    }
}

// The traffic log, each of its request lines noting the pointer.
class CursorWatch
{
public:
    CursorWatch() : previous(qInstallMessageHandler(noteCursor))
    {
        busyAtTransactions.clear();
        QLoggingCategory::setFilterRules("zorvel.traffic.debug=true");
    }
    ~CursorWatch()
    {
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(previous);
    }

private:
    QtMessageHandler previous;
};

} // namespace

// A babbling line: once an answer has been cut for its length, the tick
// sends nothing more, since every further request would cost as much; the
// next tick, on a quiet line, does its work.
void TestPolling::cutAnswerEndsTheTick()
{
    CONNECTED(w);
    QVERIFY(w.sim.command("fault garbage=256 once"));
    w.probe->reqReload() = true;
    w.probe->tick();
    QTest::qWait(100);
    QCOMPARE(logged(w.sim, 1), QStringList{kReload.first()});
    QCOMPARE(w.probe->failedPolls(), 1);
    w.sim.clearRequests();
    w.probe->tick();
    QCOMPARE(logged(w.sim, 4), kReload + QStringList{kPoll});
    QCOMPARE(w.probe->failedPolls(), 0);
}

// The second half of the block not answered: the detector may hold words
// 0-95 new and 96-179 old, and the user must hear it.
void TestPolling::halfWrittenBlockIsTold()
{
    CONNECTED(w);
    QVERIFY(w.sim.command("fault noanswer persist fc=10 addr=96"));
    QVERIFY(w.sim.command("fault noanswer persist fc=03 addr=96"));   // and no read-back
    w.probe->reqWrite() = true;
    w.probe->tick();
    QVERIFY2(w.window->statusBar()->currentMessage().startsWith("Записана только первая часть параметров (слова 0–95)"),
             qPrintable(w.window->statusBar()->currentMessage()));
}

void TestPolling::busyCursorDuringLongTicks_data()
{
    QTest::addColumn<QString>("before");   // what happens before the watched tick
    QTest::addColumn<bool>("busy");
    QTest::newRow("first tick of a connection") << "connect" << true;
    QTest::newRow("reload") << "Reload" << true;
    QTest::newRow("write") << "Write" << true;
    QTest::newRow("polling a silent detector") << "silent" << true;
    QTest::newRow("an answered poll") << "" << false;
    QTest::newRow("a mode command") << "mode_service" << false;
}

// A tick that blocks the window for half a second or more shows the busy
// pointer for its whole length, and puts it back when it ends.
void TestPolling::busyCursorDuringLongTicks()
{
    QFETCH(QString, before);
    QFETCH(bool, busy);

    SIM_WINDOW(w);
    w.connectTo();
    if (before != "connect") {
        w.probe->tick();
        QVERIFY(w.sim.waitForRequests(8));
    }
    if (before == "silent") {
        QVERIFY(w.sim.command("fault noanswer persist"));
        w.probe->tick();   // the first silence cannot be foreseen
    } else if (before == "Reload" || before == "Write" || before == "mode_service") {
        QTest::mouseClick(w.window->findChild<QPushButton *>(before), Qt::LeftButton);
    }

    {
        CursorWatch watch;
        w.probe->tick();
    }
    QVERIFY(!busyAtTransactions.isEmpty());
    QCOMPARE(busyAtTransactions, QVector<bool>(busyAtTransactions.size(), busy));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestPolling)
#include "tst_polling.moc"
