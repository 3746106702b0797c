#include "detectorsession.h"

#include "registermodel.h"

using namespace RegisterModel;

// A gas calibration, a current-output calibration point and a current test
// all hold the detector in service mode. A detector that shows its
// initialising bit, or that has left service mode after a poll showed it
// there, has restarted (a power dip, a watchdog) or been switched over by
// hand: whatever ran is over, and how it went nobody knows. Nothing of it
// goes out any more; only the test stop, which changes nothing in a detector
// that already measures.

namespace {

bool leftServiceMode(quint16 status)
{
    return (status & kStatusInitialising) || !(status & kStatusServiceMode);
}

} // namespace

bool DetectorSession::operationRunning() const
{
    return conn.gasCalibrationRunning() || currentPointRunning() || conn.current.is(CurrentPhase::Testing);
}

// Every good poll: a running operation whose service mode was seen and is
// now gone has been left.
void DetectorSession::watchRunningOperation(quint16 status)
{
    if (!operationRunning()) {
        conn.operationServiceSeen = false;
        return;
    }
    if (!leftServiceMode(status)) {
        conn.operationServiceSeen = true;
        return;
    }
    if (conn.operationServiceSeen || (status & kStatusInitialising))
        interruptOperations();
}

// Just before a calibration value or save goes out: the last poll was a
// second ago, and a detector that restarted since would take the value as
// a setting and the save as a command of no operation. While the status
// cannot be read, `request` waits for the next tick.
bool DetectorSession::operationStillHolds(bool &request)
{
    const QVector<quint16> status = modbus.readStatusWord();
    if (status.size() != 1) {
        request = true;
        return false;
    }
    if (!leftServiceMode(status.first()))
        return true;
    interruptOperations();
    return false;
}

void DetectorSession::interruptOperations()
{
    conn.operationServiceSeen = false;
    if (conn.gasCalibrationRunning())
        endGasCalibration(GasCalibrationEnd::Interrupted);
    if (currentPointRunning()) {
        endCurrentPoint(currentPointKind(), CurrentPointEnd::Interrupted);
    } else if (conn.current.is(CurrentPhase::Testing)) {
        conn.current.moveTo(CurrentPhase::Idle);
        conn.reqTestStop = true;
        emit phasesChanged();
        emit currentTestInterrupted();
    }
}
