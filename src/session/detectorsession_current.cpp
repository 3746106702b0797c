#include "detectorsession.h"
#include "sessionview.h"

#include "registermodel.h"

using namespace RegisterModel;

// Every start may have reached the detector, answered or not: the output
// counts as forced until a stop and working mode have both been taken.
void DetectorSession::serveCurrentRequests()
{
    if (takeRequest(conn.req4maStart)) {
        conn.currentForced = true;
        modbus.IoutCalib_4maStart();
    }
    if (takeRequest(conn.req4maValue))
        sendCurrentPoint(CalibrationKind::Current4mA);
    if (takeRequest(conn.req20maStart)) {
        conn.currentForced = true;
        modbus.IoutCalib_20maStart();
    }
    if (takeRequest(conn.req20maValue))
        sendCurrentPoint(CalibrationKind::Current20mA);
    if (takeRequest(conn.req4maTest))
        sendTestCurrent(400);
    if (takeRequest(conn.req20maTest))
        sendTestCurrent(2000);
    if (takeRequest(conn.reqCurrentTest))
        sendTestCurrent(encodeCurrent(view.testCurrent()));
    if (takeRequest(conn.reqTestStop))
        stopForcedOutput();
}

// The output counts as free only once the detector has taken both the stop
// and working mode. A stop refused or not answered is not a stopped test:
// the view is told, "Завершить" stays usable, and the stop goes out again
// at every tick until the detector confirms it.
void DetectorSession::stopForcedOutput()
{
    const ExchangeOutcome stop = modbus.IoutTestStop();
    const ExchangeOutcome working = modbus.setWorkingMode();
    if (stop.taken() && working.taken()) {
        conn.currentForced = conn.calibrationForced = false;
        if (conn.current.is(CurrentPhase::StopUnconfirmed)) {
            conn.current.moveTo(CurrentPhase::Idle);
            emit phasesChanged();
            emit currentTestStopped();
        }
        return;
    }
    conn.reqTestStop = true;
    conn.current.moveTo(CurrentPhase::StopUnconfirmed);
    emit phasesChanged();
    emit testStopNotConfirmed(stop.taken() ? working : stop);
}

void DetectorSession::sendTestCurrent(quint16 hundredths)
{
    conn.currentForced = true;
    modbus.IoutCalibValueSet(hundredths);
    modbus.IoutTestStart();
}

// Sent with the save in the tick, the value the view holds now, and only to
// a detector still in service mode. A value or save the detector did not
// take ends the point as failed, a save whose answer was lost as unknown;
// either way its "Завершить" goes out with the same tick.
void DetectorSession::sendCurrentPoint(CalibrationKind kind)
{
    bool &request = kind == CalibrationKind::Current4mA ? conn.req4maValue : conn.req20maValue;
    if (!operationStillHolds(request))
        return;
    const quint16 hundredths = encodeCurrent(view.currentPointValue(kind));
    emit valueSent(kind, hundredths);
    if (!modbus.IoutCalibValueSet(hundredths)) {
        endCurrentPoint(kind, CurrentPointEnd::Failed);
        return;
    }
    const ExchangeOutcome saved = modbus.CalibrSave();
    if (saved.unknown())
        endCurrentPoint(kind, CurrentPointEnd::SaveUnknown);
    else if (!saved.taken())
        endCurrentPoint(kind, CurrentPointEnd::Failed);
}

bool DetectorSession::currentCanStart() const
{
    return conn.current.is(CurrentPhase::Idle) && !bump.running();
}

bool DetectorSession::startCurrentPoint(CalibrationKind point)
{
    const bool at4 = point == CalibrationKind::Current4mA;
    if (!currentCanStart())
        return false;
    conn.current.moveTo(at4 ? CurrentPhase::Point4maStarted : CurrentPhase::Point20maStarted);
    conn.reqServiceMode = true;
    (at4 ? conn.req4maStart : conn.req20maStart) = true;
    emit phasesChanged();
    return true;
}

// The output now carries the calibrated current: "Завершить" stays usable so
// the user can check it on the meter and then end the step.
bool DetectorSession::setCurrentPoint()
{
    const bool at4 = conn.current.is(CurrentPhase::Point4maStarted);
    if (!at4 && !conn.current.is(CurrentPhase::Point20maStarted))
        return false;
    conn.current.moveTo(at4 ? CurrentPhase::Point4maSet : CurrentPhase::Point20maSet);
    (at4 ? conn.req4maValue : conn.req20maValue) = true;
    emit phasesChanged();
    return true;
}

// Before "Калибровать" no value went out: the point is cancelled, not
// calibrated.
void DetectorSession::stopCurrentPoint()
{
    const bool valueSet = conn.current.is(CurrentPhase::Point4maSet) || conn.current.is(CurrentPhase::Point20maSet);
    endCurrentPoint(currentPointKind(), valueSet ? CurrentPointEnd::Completed : CurrentPointEnd::Cancelled);
}

// Every end of a calibration point comes here: the test stop follows.
void DetectorSession::endCurrentPoint(CalibrationKind kind, CurrentPointEnd end)
{
    conn.current.moveTo(CurrentPhase::Idle);
    conn.reqTestStop = true;
    emit phasesChanged();
    emit currentPointEnded(kind, end);
}

// The entered test current is the view's when the request is served.
bool DetectorSession::startCurrentTest(TestCurrent current)
{
    if (!currentCanStart())
        return false;
    conn.current.moveTo(CurrentPhase::Testing);
    conn.reqServiceMode = true;
    switch (current) {
    case TestCurrent::FourMilliamps:
        conn.req4maTest = true;
        break;
    case TestCurrent::TwentyMilliamps:
        conn.req20maTest = true;
        break;
    case TestCurrent::Entered:
        conn.reqCurrentTest = true;
        break;
    }
    emit phasesChanged();
    return true;
}

// Pressed again while a stop waits for its confirmation, it changes nothing:
// the stop already goes out every tick.
void DetectorSession::stopCurrentTest()
{
    if (conn.current.is(CurrentPhase::StopUnconfirmed))
        return;
    conn.current.moveTo(CurrentPhase::Idle);
    conn.reqTestStop = true;
    emit phasesChanged();
    emit currentTestStopped();
}

bool DetectorSession::currentPointRunning() const
{
    switch (conn.current()) {
    case CurrentPhase::Idle:
    case CurrentPhase::Testing:
    case CurrentPhase::StopUnconfirmed:
        return false;
    default:
        return true;
    }
}

CalibrationKind DetectorSession::currentPointKind() const
{
    const bool at4 = conn.current.is(CurrentPhase::Point4maStarted) || conn.current.is(CurrentPhase::Point4maSet);
    return at4 ? CalibrationKind::Current4mA : CalibrationKind::Current20mA;
}

// Ends the calibration point or test that runs, as its "Завершить" would.
void DetectorSession::endRunningCurrentStep()
{
    if (conn.current.is(CurrentPhase::Testing))
        stopCurrentTest();
    else if (currentPointRunning())
        stopCurrentPoint();
}
