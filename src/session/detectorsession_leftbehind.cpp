#include "detectorsession.h"

// A connection that ends while the session holds its detector in a temporary
// state leaves it there, lost or with its stops not taken: the view is told,
// and the session keeps what it owes the detector until it meets that serial
// number again.
void DetectorSession::rememberWhatIsLeft()
{
    LeftInDetector left;
    left.currentForced = conn.currentForced;
    left.serviceMode = conn.calibrationForced;
    if (conn.mainGasActive)
        left.targetGas = conn.targetGasName;
    if (!left.any())
        return;
    const qint64 serial = connectedSerial();
    LeftInDetector &kept = leftInDetectors[serial];
    kept.currentForced = kept.currentForced || left.currentForced;
    kept.serviceMode = kept.serviceMode || left.serviceMode;
    if (!left.targetGas.isEmpty())
        kept.targetGas = left.targetGas;
    emit leftBehind(serial, kept, conn.endedByUser);
}

// Once the block of a new connection has been read: the same detector gets
// back what was left in it, and another one hears nothing of it.
void DetectorSession::settleWhatWasLeft()
{
    if (leftInDetectors.isEmpty())
        return;
    const qint64 serial = connectedSerial();
    LeftInDetector undone;
    if (leftInDetectors.contains(serial)) {
        undone = leftInDetectors.take(serial);
        undoWhatWasLeft(undone);
    }
    emit leftBehindMet(serial, undone, leftInDetectors);
}

// Test stop then working mode, and the target gas back, as at an orderly end.
void DetectorSession::undoWhatWasLeft(const LeftInDetector &left)
{
    if (left.currentForced) {
        conn.currentForced = true;
        conn.reqTestStop = true;
    }
    if (left.serviceMode) {
        conn.calibrationForced = true;
        conn.reqWorkingMode = true;
    }
    if (!left.targetGas.isEmpty()) {
        conn.mainGasActive = true;
        conn.targetGasName = left.targetGas;
        returnToTargetGas();
    }
}
