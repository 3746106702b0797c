#include <QtTest>

#include "bumptest.h"
#include "calibrationjournal.h"
#include "csvfile.h"
#include "registermap.h"
#include "windowonsimulator.h"

// The bump test: its verdicts from the polls alone, and on the simulated
// detector, a test that sends nothing but reads.
class TestBumpTest : public QObject
{
    Q_OBJECT
private slots:
    void verdictFromPolls_data();
    void verdictFromPolls();
    void onTheDetectorOnlyReads_data();
    void onTheDetectorOnlyReads();
};

namespace {

QString seconds(const std::optional<double> &time)
{
    return time ? QString::number(*time) : QString();
}

QString figuresText(const BumpTest &test)
{
    const BumpTestFigures &f = test.figures();
    return QString("before=%1 peak=%2 t50=%3 t90=%4 thr=%5,%6,%7 recovery=%8")
        .arg(f.readingBefore)
        .arg(f.peak)
        .arg(seconds(f.t50), seconds(f.t90), seconds(f.thresholdTripped[0]), seconds(f.thresholdTripped[1]),
             seconds(f.thresholdTripped[2]), seconds(f.recovery));
}

// "T:READING[/STATUS]" is a good poll at T seconds, "R T" the gas removed at
// T, "X" a failed poll, "L" the connection lost, "F" the user's "Завершить".
void play(BumpTest &test, const QString &polls)
{
    for (const QString &step : polls.split(' ', Qt::SkipEmptyParts)) {
        if (step == "X")
            test.pollFailed();
        else if (step == "L")
            test.connectionLost();
        else if (step == "F")
            test.finish();
        else if (step.startsWith('R'))
            test.gasRemoved(step.mid(1).toDouble());
        else {
            const QStringList parts = step.split(QRegularExpression("[:/]"));
            test.sample(parts[0].toDouble(), parts[1].toDouble(), quint16(parts.value(2, "0").toUInt(nullptr, 16)));
        }
    }
}

} // namespace

// Thresholds as the simulated detector has them at range 50: 1 at 10 and 2
// at 20, both rising; threshold 3 at `level3` when on. Test gas 25, the
// default criteria: half of it within 30 s. Status bits: 02 threshold 1,
// 04 threshold 2, 10 threshold 3, 40 initialising, 80 service mode.
void TestBumpTest::verdictFromPolls_data()
{
    QTest::addColumn<double>("level3");   // below 0: threshold 3 off
    QTest::addColumn<QString>("polls");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<int>("detail");      // the silent threshold, or the interruption
    QTest::addColumn<QString>("figures");
    const int none = 0;
    auto row = [](const char *name, double level3, const char *polls, BumpVerdict verdict, int detail,
                  const char *figures) {
        QTest::newRow(name) << level3 << QString(polls) << int(verdict) << detail << QString(figures);
    };
    row("passes", -1, "3:8 6:13/2 9:20/6 12:23/6 R14 15:12/2 18:4", BumpVerdict::Passed, none,
        "before=2 peak=23 t50=6 t90=12 thr=6,9, recovery=4");
    row("threshold 3 above the test gas need not trip", 40, "3:13/2 6:23/6 R8 10:3", BumpVerdict::Passed, none,
        "before=2 peak=23 t50=3 t90=6 thr=3,6, recovery=2");
    row("threshold 3 below the test gas trips", 22, "3:13/2 6:23/16 R8 10:3", BumpVerdict::Passed, none,
        "before=2 peak=23 t50=3 t90=6 thr=3,6,6 recovery=2");
    row("threshold 3 below the test gas must trip", 22, "3:13/2 6:23/6 R8 10:3", BumpVerdict::ThresholdSilent, 3,
        "before=2 peak=23 t50=3 t90=6 thr=3,6, recovery=2");
    row("reaches half only after 30 s", -1, "10:6 20:9 33:13/2 36:21/6 R40 43:3", BumpVerdict::SlowRise, none,
        "before=2 peak=21 t50=33 t90= thr=33,36, recovery=3");
    row("never reaches half", -1, "10:6 20:9/0 R30 33:3", BumpVerdict::SlowRise, none,
        "before=2 peak=9 t50= t90= thr=,, recovery=3");
    row("threshold 2 silent", -1, "3:13/2 6:23/2 R8 10:3", BumpVerdict::ThresholdSilent, 2,
        "before=2 peak=23 t50=3 t90=6 thr=3,, recovery=2");
    row("threshold 2 only after the gas came off", -1, "3:13/2 R5 6:23/6 8:3", BumpVerdict::ThresholdSilent, 2,
        "before=2 peak=23 t50=3 t90=6 thr=3,6, recovery=3");
    row("detector fault", -1, "3:13/0A 6:23/0E R8 10:3", BumpVerdict::DetectorFault, none,
        "before=2 peak=23 t50=3 t90=6 thr=3,6, recovery=2");
    row("finished before the reading fell back", -1, "3:13/2 6:23/6 R8 10:15/2 F", BumpVerdict::Passed, none,
        "before=2 peak=23 t50=3 t90=6 thr=3,6, recovery=");
    row("cancelled with the gas on", -1, "3:13/2 F 6:23/6", BumpVerdict::Cancelled, none,
        "before=2 peak=13 t50=3 t90= thr=3,, recovery=");
    row("poll failed", -1, "3:13/2 X 6:23/6", BumpVerdict::Interrupted, int(BumpInterruption::PollFailed),
        "before=2 peak=13 t50=3 t90= thr=3,, recovery=");
    row("connection lost after the gas came off", -1, "3:13/2 6:23/6 R8 L 10:3", BumpVerdict::Interrupted,
        int(BumpInterruption::ConnectionLost), "before=2 peak=23 t50=3 t90=6 thr=3,6, recovery=");
    row("detector restarted", -1, "3:13/2 6:0/40 9:23/6", BumpVerdict::Interrupted,
        int(BumpInterruption::DetectorRestarted), "before=2 peak=13 t50=3 t90= thr=3,, recovery=");
    row("service mode", -1, "3:13/2 6:23/86", BumpVerdict::Interrupted, int(BumpInterruption::ServiceMode),
        "before=2 peak=13 t50=3 t90= thr=3,, recovery=");
}

void TestBumpTest::verdictFromPolls()
{
    QFETCH(double, level3);
    QFETCH(QString, polls);
    QFETCH(int, verdict);
    QFETCH(int, detail);
    QFETCH(QString, figures);

    RegisterModel::AlarmThresholds thresholds;
    thresholds[0] = {true, true, 10};
    thresholds[1] = {true, true, 20};
    thresholds[2] = {level3 >= 0, true, level3};
    BumpTest test;
    test.start({25, 0.5, 30}, thresholds, 2);
    play(test, polls);

    QCOMPARE(test.stage(), BumpTest::Stage::Ended);
    QCOMPARE(int(test.verdict()), verdict);
    const bool interrupted = test.verdict() == BumpVerdict::Interrupted;
    QCOMPARE(interrupted ? int(test.interruption()) : test.silentThreshold(), detail);
    QCOMPARE(figuresText(test), figures);
}

// The simulated detector: range 50 with one decimal, thresholds 1 and 2 at
// 10 and 20 with a hysteresis of 0.2, threshold 3 off, a reading of 2.0 in
// clean air, and a test gas of 25.0 that reaches the sensor with a time
// constant of 0.3 s.
void TestBumpTest::onTheDetectorOnlyReads_data()
{
    QTest::addColumn<QString>("meanwhile");   // a console command while the gas is on, or none
    QTest::addColumn<QString>("outcome");
    QTest::newRow("passes") << "" << "Проверка пройдена";
    QTest::newRow("detector restarts") << "status set 0x40" << "Проверка прервана: датчик перезапустился";
    QTest::newRow("detector stops answering")
        << "fault noanswer,persist" << "Проверка прервана: датчик не ответил на опрос";
    QTest::newRow("refused in service mode")
        << "set holding 3 128" << "Датчик в сервисном режиме: переведите его в рабочий режим";
}

void TestBumpTest::onTheDetectorOnlyReads()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, outcome);
    WindowOnSimulator w;
    QVERIFY2(w.connect({"--fast", "--steady", "--gas-time-constant", "0.3"}), qPrintable(w.errorText()));
    w.showTab(BumpTestTab);
    QCOMPARE(w.ui->bump_unit->text(), QString("%НКПР"));
    w.ui->BumpGas->setValue(25.0);
    const bool refusal = meanwhile.startsWith("set holding 3");
    if (refusal) {
        QVERIFY(w.sim.command(meanwhile));
        w.tick();
    }

    QVector<SimRequest> duringTest;
    w.click(w.ui->BumpStart);
    if (meanwhile.isEmpty()) {
        // A start that reaches the window past its disabled button begins
        // nothing while the test runs, and says nothing either.
        const QStringList texts{w.ui->calib_stat->text(), w.ui->calib_iout_stat->text()};
        for (const char *slot : {"on_CalibZeroStart_clicked", "on_CalibDiapStart_clicked", "on_Calib4maStart_clicked",
                                 "on_Test20mA_clicked"})
            QVERIFY(QMetaObject::invokeMethod(&w.window, slot));
        QCOMPARE(QStringList({w.ui->calib_stat->text(), w.ui->calib_iout_stat->text()}), texts);
        QVERIFY(w.probe.session().gasCalibrationPhase() == GasCalibrationPhase::Idle);
        QVERIFY(w.probe.session().currentPhase() == CurrentPhase::Idle);
    }
    QVERIFY(w.sim.command("testgas 25"));
    bool gasOff = false;
    QElapsedTimer clock;
    clock.start();
    while (w.probe.session().bumpTestRunning() && clock.elapsed() < 20000) {
        QTest::qWait(100);
        duringTest += w.tick();
        const BumpTestFigures &seen = w.probe.session().bumpTest().figures();
        if (!meanwhile.isEmpty() && seen.t50) {
            QVERIFY(w.sim.command(meanwhile));
            meanwhile.clear();
        }
        if (!gasOff && seen.t90 && seen.thresholdTripped[1]) {
            w.click(w.ui->BumpGasOff);
            QVERIFY(w.sim.command("testgas off"));
            gasOff = true;
        }
    }
    QCOMPARE(w.ui->bump_stat->text(), outcome);
    QVERIFY(!duringTest.isEmpty() || refusal);
    for (const SimRequest &request : duringTest)
        QVERIFY2(request.isRead(), qPrintable(request.line));
    if (outcome != "Проверка пройдена")
        return;
    QCOMPARE(w.ui->bump_before->text(), QString("2.0"));
    const double peak = w.ui->bump_peak->text().toDouble();
    QVERIFY2(peak >= 22.5 && peak <= 25.1, qPrintable(w.ui->bump_peak->text()));
    // Each time a poll's, so never before the poll that saw it.
    const BumpTestFigures &seen = w.probe.session().bumpTest().figures();
    QVERIFY(*seen.t50 <= *seen.thresholdTripped[1] && *seen.thresholdTripped[1] <= *seen.t90);
    QVERIFY(seen.thresholdTripped[0] && !seen.thresholdTripped[2] && seen.recovery);

    // One journal row, in the columns that read the same in any language.
    QFile file(w.scratch.path() + "/" + kJournalFileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVector<QStringList> rows;
    QString error;
    QVERIFY2(parseCsv(file.readAll(), rows, error), qPrintable(error));
    QCOMPARE(rows.size(), 2);
    const QStringList row = rows[1];
    QCOMPARE(row.mid(6, 1) + row.mid(11, 5), QStringList({"bump", "passed", "%LEL", "25", "2", ""}));
    QCOMPARE(row.value(19).toDouble(), peak);
    QCOMPARE(row.mid(20), QStringList({w.ui->bump_t50->text(), w.ui->bump_t90->text(), w.ui->bump_thr1->text(),
                                       w.ui->bump_thr2->text(), "", w.ui->bump_recovery->text()}));
}

QTEST_MAIN(TestBumpTest)
#include "tst_bumptest.moc"
