#include "detectorsession.h"

#include "registermodel.h"

using namespace RegisterModel;

// A bump test is the user's check that gas reaches the sensor and the alarms
// answer it: the session only watches the polls. It starts on a detector
// that measures, with nothing else under way or waiting to be written, so
// that the test itself is all that happens on the line until it ends.
DetectorSession::BumpStartRefusal DetectorSession::startBumpTest(const BumpCriteria &criteria)
{
    if (!connected)
        return BumpStartRefusal::NotConnected;
    if (!conn.blockRead() || !conn.detectorScaleKnown || !conn.liveConcentration || failedPolls > 0)
        return BumpStartRefusal::NoReading;
    if (conn.polledStatus & kStatusServiceMode)
        return BumpStartRefusal::ServiceMode;
    if (conn.polledStatus & kStatusInitialising)
        return BumpStartRefusal::Initialising;
    if (bump.running() || writeAhead())
        return BumpStartRefusal::Busy;
    if (!(criteria.testGas > 0) || !(criteria.passShare > 0) || criteria.passShare > 1
        || !(criteria.withinSeconds > 0))
        return BumpStartRefusal::BadCriteria;
    bump.start(criteria, detectorThresholds(), *conn.liveConcentration);
    bumpClock.start();
    emit phasesChanged();
    return BumpStartRefusal::None;
}

void DetectorSession::removeBumpGas()
{
    if (!bump.running())
        return;
    bump.gasRemoved(bumpClock.elapsed() / 1000.0);
    bumpTestStepped();
}

void DetectorSession::finishBumpTest()
{
    if (!bump.running())
        return;
    bump.finish();
    bumpTestStepped();
}

AlarmThresholds DetectorSession::detectorThresholds() const
{
    if (!conn.blockRead())
        return AlarmThresholds();
    return alarmThresholds(conn.detectorBlock.constData(), conn.detectorScale);
}

// Every poll of a running test is one of its samples; a poll that fails
// leaves a gap in its times, so the test ends there.
void DetectorSession::feedBumpTest(bool polled, const QVector<quint16> &input)
{
    if (!bump.running())
        return;
    if (polled)
        bump.sample(bumpClock.elapsed() / 1000.0, decodeScaled(input[ConcentrationWord], conn.detectorScale),
                    input[StatusWord]);
    else
        bump.pollFailed();
    bumpTestStepped();
}

void DetectorSession::bumpTestStepped()
{
    emit bumpTestProgressed();
    if (bump.stage() != BumpTest::Stage::Ended)
        return;
    emit phasesChanged();
    emit bumpTestEnded(bump.verdict());
}

// Anything raised that would write to the detector at the next tick.
bool DetectorSession::writeAhead() const
{
    return conn.writeRequested() || !conn.gasWanted.isNull() || conn.newAddress != 0 || conn.gasCalibrationRunning()
           || !conn.current.is(CurrentPhase::Idle) || conn.currentForced || conn.calibrationForced
           || conn.mainGasActive;
}
