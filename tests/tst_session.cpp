#include <QtTest>

#include "detectorsession.h"
#include "registermodel.h"
#include "sessionview.h"
#include "simulator.h"
#include "wirelog.h"

using namespace RegisterModel;

// The detector session on its own, without a window, against the simulated
// detector: what goes on the wire at each tick, and the phases it moves
// through.
class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void phaseSteps_data();
    void phaseSteps();
    void zeroCalibrationEnds_data();
    void zeroCalibrationEnds();
    void gasSwitchAndBack_data();
    void gasSwitchAndBack();
    void mainGasMetInTheBlock();
    void restartEndsCurrentOperation_data();
    void restartEndsCurrentOperation();
    void lostConnectionDuringCurrentTest();
    void unconfirmedTestStopIsRetried_data();
    void unconfirmedTestStopIsRetried();
};

namespace {

// The values a user would have entered.
struct EnteredValues : SessionView
{
    double span = 25.0;
    double point4 = 4.0;
    double point20 = 20.0;
    double test = 12.0;

    double spanConcentration() const override { return span; }
    double currentPointValue(CalibrationKind point) const override
    {
        return point == CalibrationKind::Current4mA ? point4 : point20;
    }
    double testCurrent() const override { return test; }
    void encodeControls(quint16 *) override {}
};

// A session connected to a fresh simulated detector, its first tick served.
struct Rig
{
    SimulatorProcess sim;
    EnteredValues view;
    DetectorSession session{view};
    QVector<GasCalibrationEnd> gasEnds;
    QVector<LeftInDetector> left;
    int closed = 0;

    bool start(const QStringList &arguments)
    {
        QObject::connect(&session, &DetectorSession::gasCalibrationEnded,
                         [this](CalibrationKind, GasCalibrationEnd end) { gasEnds << end; });
        QObject::connect(&session, &DetectorSession::leftBehind,
                         [this](qint64, const LeftInDetector &kept, bool) { left << kept; });
        QObject::connect(&session, &DetectorSession::connectionClosed, [this] { ++closed; });
        return sim.launch(arguments) && connect();
    }

    bool connect()
    {
        if (!session.open(sim.portPath(), 1))
            return false;
        sim.clearRequests();
        const QStringList first = kReload + QStringList{kPoll} + kGasTable;
        return ticked(first.size()) == first;
    }

    // One tick and what it sent, once `count` requests have been logged.
    QStringList ticked(int count)
    {
        sim.clearRequests();
        session.tick();
        return logged(sim, count);
    }
};

const QStringList kFast{"--fast", "--steady"};

} // namespace

void TestSession::phaseSteps_data()
{
    QTest::addColumn<bool>("current");         // the current output's table, else the gas calibration's
    QTest::addColumn<QVector<int>>("steps");   // phases, from Idle
    QTest::addColumn<int>("illegal");
    using P = GasCalibrationPhase;
    QTest::newRow("zero in order") << false << QVector<int>{int(P::ZeroStarted), int(P::ZeroSaving), int(P::ZeroWaiting), int(P::Idle)} << 0;
    QTest::newRow("span in order") << false << QVector<int>{int(P::SpanStarted), int(P::SpanSending), int(P::SpanWaiting)} << 0;
    QTest::newRow("cancelled at any phase") << false << QVector<int>{int(P::SpanStarted), int(P::Idle), int(P::ZeroStarted), int(P::Idle)} << 0;
    QTest::newRow("save without a start") << false << QVector<int>{int(P::ZeroSaving)} << 1;
    QTest::newRow("waiting before the save") << false << QVector<int>{int(P::ZeroStarted), int(P::ZeroWaiting)} << 1;
    QTest::newRow("span value in a zero") << false << QVector<int>{int(P::ZeroStarted), int(P::SpanSending)} << 1;
    QTest::newRow("a second start") << false << QVector<int>{int(P::ZeroStarted), int(P::SpanStarted)} << 1;
    using C = CurrentPhase;
    QTest::newRow("current point in order, its stop unconfirmed")
        << true << QVector<int>{int(C::Point20maStarted), int(C::Point20maSet), int(C::StopUnconfirmed), int(C::Idle)} << 0;
    QTest::newRow("current value without its start") << true << QVector<int>{int(C::Point4maSet)} << 1;
    QTest::newRow("20 mA value in a 4 mA point") << true << QVector<int>{int(C::Point4maStarted), int(C::Point20maSet)} << 1;
    QTest::newRow("a test during a point") << true << QVector<int>{int(C::Point4maStarted), int(C::Testing)} << 1;
}

namespace {

// Every step through moveTo: the illegal ones counted, -1 if one moved the phase
// other than the table says.
template <typename P>
int stepThrough(Phase<P> &phase, const QVector<int> &steps)
{
    P expected = phase();
    for (int step : steps) {
        if (phase.moveTo(P(step)))
            expected = P(step);
        if (phase() != expected)
            return -1;
    }
    return phase.illegalSteps();
}

} // namespace

// An illegal step is refused and counted, and the phase stays where it was.
void TestSession::phaseSteps()
{
    QFETCH(bool, current);
    QFETCH(QVector<int>, steps);
    QFETCH(int, illegal);
    if (illegal > 0)
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^illegal phase step"));
    Phase<GasCalibrationPhase> gas(GasCalibrationPhase::Idle, gasCalibrationStepLegal);
    Phase<CurrentPhase> output(CurrentPhase::Idle, currentStepLegal);
    QCOMPARE(current ? stepThrough(output, steps) : stepThrough(gas, steps), illegal);
}

void TestSession::zeroCalibrationEnds_data()
{
    QTest::addColumn<QString>("idleFault");    // then an idle tick and half a second
    QTest::addColumn<QString>("saveFault");    // on the save's tick
    QTest::addColumn<QString>("runFault");     // after the save
    QTest::addColumn<QStringList>("saveTick");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("saved");
    const QStringList saving{kStatusRead, single(12, 0x7294), kPoll};
    const QString restart = "restart=400,fc=04,addr=256";
    const int done = int(GasCalibrationEnd::Done), interrupted = int(GasCalibrationEnd::Interrupted);
    QTest::newRow("bit set, then clear") << "" << "" << "" << saving << done << true;
    // The detector saved; only its answer was lost: its bit tells.
    QTest::newRow("the save's answer lost") << "" << "noanswer,fc=06,addr=12" << "" << saving << done << true;
    // Back in working mode with the calibration aborted: not done.
    QTest::newRow("a restart while it runs") << "" << "" << restart << saving << interrupted << true;
    // The status read before the save finds working mode: no save goes.
    QTest::newRow("a restart before the save")
        << restart << "" << "" << QStringList{kStatusRead, kPoll} << interrupted << false;
}

// Start, save, and how the detector's own status word ends it: its zero bit
// seen set and then clear, or service mode gone under it.
void TestSession::zeroCalibrationEnds()
{
    QFETCH(QString, idleFault);
    QFETCH(QString, saveFault);
    QFETCH(QString, runFault);
    QFETCH(QStringList, saveTick);
    QFETCH(int, end);
    QFETCH(bool, saved);
    Rig rig;
    QVERIFY2(rig.start(kFast + QStringList{"--calib-delay", "1500"}), qPrintable(rig.sim.errorText()));

    QVERIFY(rig.session.startZeroCalibration());
    QCOMPARE(rig.session.gasCalibrationPhase(), GasCalibrationPhase::ZeroStarted);
    QCOMPARE(rig.ticked(3), QStringList({single(3, 0x80), single(12, 0x185D), kPoll}));
    QCOMPARE(rig.session.gasCalibrationPhase(), GasCalibrationPhase::ZeroStarted);
    if (!idleFault.isEmpty()) {
        QVERIFY(rig.sim.command("fault " + idleFault));
        rig.ticked(1);
        QTest::qWait(500);
    }

    if (!saveFault.isEmpty())
        QVERIFY(rig.sim.command("fault " + saveFault));
    rig.sim.clearEvents();
    QVERIFY(rig.session.saveZeroCalibration());
    QCOMPARE(rig.session.gasCalibrationPhase(), GasCalibrationPhase::ZeroSaving);
    QCOMPARE(rig.ticked(saveTick.size()), saveTick);
    if (!runFault.isEmpty())
        QVERIFY(rig.sim.command("fault " + runFault));

    for (int tick = 0; tick < 20 && rig.gasEnds.isEmpty(); ++tick) {
        QTest::qWait(200);
        rig.ticked(1);
    }
    QCOMPARE(rig.gasEnds, QVector<GasCalibrationEnd>{GasCalibrationEnd(end)});
    QCOMPARE(!rig.sim.waitForEvent("calib", 0, "action", "save").name.isEmpty(), saved);
    QCOMPARE(rig.session.gasCalibrationPhase(), GasCalibrationPhase::Idle);
    QVERIFY(rig.session.isConnected());
    QCOMPARE(rig.session.connection().illegalSteps(), 0);
}

void TestSession::gasSwitchAndBack_data()
{
    QTest::addColumn<QStringList>("faults");   // on the switch to the main gas
    QTest::addColumn<QStringList>("switchTick");
    QTest::addColumn<QStringList>("nextTick");
    const QStringList poll{kPoll};
    QTest::newRow("answered") << QStringList() << kWrite + poll << poll;
    // Taken, its answer lost: the block read back says so.
    QTest::newRow("answer lost") << QStringList{"noanswer,fc=10,addr=96"} << kWrite + kReadBack + poll << poll;
    // Until the block can be read, the detector may be on either gas.
    QTest::newRow("answer and read-back lost") << QStringList{"noanswer,fc=10,addr=96", "noanswer,fc=03,addr=0"}
                                               << kWrite + kReadBack + poll << kReadBack + poll;
}

// The main gas goes out in the detector's own block, and the session holds
// the user until the target gas is back, and while it does not know which
// gas the detector is on.
void TestSession::gasSwitchAndBack()
{
    QFETCH(QStringList, faults);
    QFETCH(QStringList, switchTick);
    QFETCH(QStringList, nextTick);
    Rig rig;
    QVERIFY2(rig.start(kFast), qPrintable(rig.sim.errorText()));
    const ConnectionState &conn = rig.session.connection();
    QVERIFY(conn.gasSwitchAllowed);
    QCOMPARE(conn.shownMainGas, QString("C3H8"));

    for (const QString &fault : faults)
        QVERIFY(rig.sim.command("fault " + fault));
    rig.session.requestGas(conn.shownMainGas, true);
    QCOMPARE(conn.gasSwitch(), GasSwitchPhase::ToMain);
    QVERIFY(rig.session.mainGasHeld());
    QCOMPARE(rig.ticked(switchTick.size()), switchTick);
    QVERIFY(rig.session.mainGasHeld());
    QCOMPARE(rig.ticked(nextTick.size()), nextTick);
    QCOMPARE(conn.gasSwitch(), GasSwitchPhase::None);
    QVERIFY(conn.gasChecked.isNull());
    QVERIFY(conn.mainGasActive);
    QCOMPARE(decodeText(rig.sim.holding(GasNameWord, 8).constData(), kGasNameBytes), QString("C3H8"));

    rig.session.returnToTargetGas();
    QCOMPARE(conn.gasSwitch(), GasSwitchPhase::ToTarget);
    QVERIFY(rig.session.mainGasHeld());
    QCOMPARE(rig.ticked(3), kWrite + QStringList{kPoll});
    QVERIFY(!rig.session.mainGasHeld());
    QCOMPARE(decodeText(rig.sim.holding(GasNameWord, 8).constData(), kGasNameBytes), QString("CH4"));
    QCOMPARE(conn.illegalSteps(), 0);
}

// A detector met on its main gas, a switch back lost with an earlier
// connection, say: the main gas is in, and the target gas is the table's.
void TestSession::mainGasMetInTheBlock()
{
    Rig rig;
    QVERIFY2(rig.start(kFast + QStringList{"--gas", "C3H8"}), qPrintable(rig.sim.errorText()));
    QVERIFY(rig.session.connection().mainGasActive);
    QVERIFY(rig.session.mainGasHeld());
    QCOMPARE(rig.session.connection().targetGasName, QString("CH4"));
}

void TestSession::restartEndsCurrentOperation_data()
{
    QTest::addColumn<bool>("point");   // a 4 mA calibration point, else a 20 mA test
    QTest::addColumn<QStringList>("backTick");   // the first tick after the restart
    QTest::addColumn<QStringList>("nextTick");
    const QStringList stop{single(12, 0), single(3, 0)};
    // "Калибровать" pressed after the restart: no value, no save.
    QTest::newRow("4 mA point") << true << QStringList{kStatusRead} + stop + QStringList{kPoll}
                                << QStringList{kPoll};
    QTest::newRow("20 mA test") << false << QStringList{kPoll} << stop + QStringList{kPoll};
}

// The detector comes back from a restart in working mode, its output
// measuring: the running step is over, and only the stop goes out.
void TestSession::restartEndsCurrentOperation()
{
    QFETCH(bool, point);
    QFETCH(QStringList, backTick);
    QFETCH(QStringList, nextTick);
    Rig rig;
    QVERIFY2(rig.start(kFast), qPrintable(rig.sim.errorText()));
    QVector<CurrentPointEnd> pointEnds;
    int testsInterrupted = 0;
    QObject::connect(&rig.session, &DetectorSession::currentPointEnded,
                     [&](CalibrationKind, CurrentPointEnd end) { pointEnds << end; });
    QObject::connect(&rig.session, &DetectorSession::currentTestInterrupted, [&] { ++testsInterrupted; });

    if (point) {
        QVERIFY(rig.session.startCurrentPoint(CalibrationKind::Current4mA));
        QCOMPARE(rig.ticked(3), QStringList({single(3, 0x80), single(12, 0x5530), kPoll}));
    } else {
        QVERIFY(rig.session.startCurrentTest(DetectorSession::TestCurrent::TwentyMilliamps));
        QCOMPARE(rig.ticked(4), QStringList({single(3, 0x80), single(17, 2000), single(12, 0x3535), kPoll}));
    }
    QVERIFY(rig.sim.command("fault restart=400,fc=04,addr=256"));
    rig.ticked(1);
    QTest::qWait(500);
    if (point)
        QVERIFY(rig.session.setCurrentPoint());
    QCOMPARE(rig.ticked(backTick.size()), backTick);
    QCOMPARE(rig.ticked(nextTick.size()), nextTick);

    QCOMPARE(rig.session.currentPhase(), CurrentPhase::Idle);
    QCOMPARE(pointEnds, point ? QVector<CurrentPointEnd>{CurrentPointEnd::Interrupted} : QVector<CurrentPointEnd>());
    QCOMPARE(testsInterrupted, point ? 0 : 1);
    QVERIFY(!rig.session.connection().currentForced);
    QCOMPARE(rig.session.connection().illegalSteps(), 0);
}

// The detector falls silent under a 20 mA test: the session gives up after
// three polls, keeps what it owes that detector, and when it answers again
// stops the test and returns it to working mode.
void TestSession::lostConnectionDuringCurrentTest()
{
    Rig rig;
    QVERIFY2(rig.start(kFast), qPrintable(rig.sim.errorText()));

    QVERIFY(rig.session.startCurrentTest(DetectorSession::TestCurrent::TwentyMilliamps));
    QCOMPARE(rig.session.currentPhase(), CurrentPhase::Testing);
    QCOMPARE(rig.ticked(4), QStringList({single(3, 0x80), single(17, 2000), single(12, 0x3535), kPoll}));

    QVERIFY(rig.sim.command("fault noanswer persist"));
    for (int tick = 0; tick < 3; ++tick)
        QCOMPARE(rig.ticked(1), QStringList{kPoll});
    QCOMPARE(rig.closed, 1);
    QVERIFY(!rig.session.isConnected());
    QCOMPARE(rig.session.currentPhase(), CurrentPhase::Idle);
    QCOMPARE(rig.left.size(), 1);
    QVERIFY(rig.left.first().currentForced);

    QVERIFY(rig.sim.command("fault clear"));
    QVERIFY(rig.connect());
    QCOMPARE(rig.ticked(3), QStringList({single(12, 0), single(3, 0), kPoll}));
    QVERIFY(!rig.session.connection().currentForced);
}

void TestSession::unconfirmedTestStopIsRetried_data()
{
    QTest::addColumn<QString>("fault");   // on the first stop only
    QTest::addColumn<int>("kind");
    QTest::newRow("refused") << "exception=4,fc=06,addr=12,count=1" << int(ExchangeOutcome::Kind::Refused);
    QTest::newRow("not answered") << "noanswer,fc=06,addr=12,count=1" << int(ExchangeOutcome::Kind::NoAnswer);
}

// A stop the detector did not confirm leaves the output forced, as far as
// anyone knows: it is said, and the stop goes out again until it is taken.
void TestSession::unconfirmedTestStopIsRetried()
{
    QFETCH(QString, fault);
    QFETCH(int, kind);
    Rig rig;
    QVERIFY2(rig.start(kFast), qPrintable(rig.sim.errorText()));
    QVector<ExchangeOutcome> unconfirmed;
    int stopped = 0;
    QObject::connect(&rig.session, &DetectorSession::testStopNotConfirmed,
                     [&](const ExchangeOutcome &outcome) { unconfirmed << outcome; });
    QObject::connect(&rig.session, &DetectorSession::currentTestStopped, [&] { ++stopped; });

    QVERIFY(rig.session.startCurrentTest(DetectorSession::TestCurrent::FourMilliamps));
    QCOMPARE(rig.ticked(4), QStringList({single(3, 0x80), single(17, 400), single(12, 0x3535), kPoll}));
    QVERIFY(rig.sim.command("fault " + fault));
    rig.session.stopCurrentTest();
    QCOMPARE(rig.ticked(3), QStringList({single(12, 0), single(3, 0), kPoll}));
    QCOMPARE(unconfirmed.size(), 1);
    QCOMPARE(int(unconfirmed.first().kind()), kind);
    QCOMPARE(rig.session.currentPhase(), CurrentPhase::StopUnconfirmed);
    QVERIFY(rig.session.connection().currentForced);

    stopped = 0;
    QCOMPARE(rig.ticked(3), QStringList({single(12, 0), single(3, 0), kPoll}));
    QCOMPARE(rig.session.currentPhase(), CurrentPhase::Idle);
    QCOMPARE(stopped, 1);
    QVERIFY(!rig.session.connection().currentForced);
    QCOMPARE(rig.ticked(1), QStringList{kPoll});
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
