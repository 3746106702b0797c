#include "detectorsession.h"
#include "sessionview.h"

#include "registermodel.h"

using namespace RegisterModel;

namespace {

// Polls after the save within which the detector must show its calibration
// running; a bit that comes one or two polls late still counts.
const int kCalibrationBitPolls = 5;

// Known not to have been carried out: refused, or never sent. A command
// whose answer was lost may have been: the status bit tells.
bool notCarriedOut(const ExchangeOutcome &outcome)
{
    return !outcome.taken() && !outcome.unknown();
}

} // namespace

// The commands wait while a gas switch is still to be written: a calibration
// runs on the gas it was begun for.
void DetectorSession::serveGasCalibrationRequests()
{
    if (!conn.gasWanted.isNull() || !conn.gasChecked.isNull())
        return;
    if (takeRequest(conn.reqZeroStart)) {
        emit valueSent(CalibrationKind::Zero, 0);
        conn.calibrationForced = true;
        if (notCarriedOut(modbus.setCalibZero()))
            endGasCalibration(GasCalibrationEnd::CommandFailed);
    }
    if (takeRequest(conn.reqZeroSave))
        sendZeroSave();
    if (takeRequest(conn.reqSpanValue))
        sendSpanValue();
}

// The save goes only to a detector still in the calibration; while that
// cannot be read, it waits for the next tick.
void DetectorSession::sendZeroSave()
{
    if (!operationStillHolds(conn.reqZeroSave))
        return;
    waitForCalibration(GasCalibrationPhase::ZeroWaiting);
    emit calibrationSaving(CalibrationKind::Zero);
    if (notCarriedOut(modbus.CalibrSave()))
        endGasCalibration(GasCalibrationEnd::CommandFailed);
}

// The span concentration travels in one 16-bit register, in the detector's
// own decimal count. A value whose raw form does not fit is not sent cut to
// 16 bits, nor one whose count is unknown: nothing goes out, the user is
// told, and the tab returns to its idle state to take a new value. A value
// or command the detector did not take is not followed by the save.
void DetectorSession::sendSpanValue()
{
    const double shown = view.spanConcentration();
    if (!conn.detectorScaleKnown) {
        endGasCalibration(GasCalibrationEnd::ScaleUnknown);
        return;
    }
    if (shown * conn.detectorScale + 0.5 >= kWordMax + 1.0) {
        endGasCalibration(GasCalibrationEnd::ValueOutOfRange);
        return;
    }
    if (!operationStillHolds(conn.reqSpanValue))
        return;
    const quint16 value = static_cast<quint16>(encodeScaled(shown, conn.detectorScale, kWordMax));
    // The block keeps the count of its own word 4, which after an import is
    // the file's, not the detector's.
    regHold[SpanConcentrationWord] = static_cast<quint16>(encodeScaled(shown, scale, kWordMax));
    conn.calibrationForced = true;
    // The journal's value is the one that goes out now, in the detector's
    // count, whatever the box held at the start or holds later.
    emit valueSent(CalibrationKind::Span, value);
    if (!endUnlessTaken(modbus.setCalibValue(value)))
        return;
    waitForCalibration(GasCalibrationPhase::SpanWaiting);
    emit calibrationSaving(CalibrationKind::Span);
    if (notCarriedOut(modbus.CalibrSave()))
        endGasCalibration(GasCalibrationEnd::CommandFailed);
}

// A span value or command not taken ends the calibration before its save;
// one not answered (its value not found on reading back) may have been
// taken, and the end says so.
bool DetectorSession::endUnlessTaken(const ExchangeOutcome &outcome)
{
    if (outcome.taken())
        return true;
    endGasCalibration(outcome.unknown() ? GasCalibrationEnd::CommandUnknown : GasCalibrationEnd::CommandFailed);
    return false;
}

// The save went out: from here on only the detector ends the calibration.
void DetectorSession::waitForCalibration(GasCalibrationPhase waiting)
{
    conn.gasCalibration.moveTo(waiting);
    conn.calibBitSeen = false;
    conn.pollsWithoutCalibBit = 0;
}

// A saved calibration is over once its status bit has been seen set after the
// save and then clear. A detector that never shows it within the bound has
// not said how its calibration went.
void DetectorSession::finishCalibration(quint16 status)
{
    const bool zero = conn.gasCalibration.is(GasCalibrationPhase::ZeroWaiting);
    if (!zero && !conn.gasCalibration.is(GasCalibrationPhase::SpanWaiting))
        return;
    const quint16 bit = zero ? kStatusZeroCalibration : kStatusSpanCalibration;
    if (status & bit)
        conn.calibBitSeen = true;
    else if (conn.calibBitSeen)
        endGasCalibration(GasCalibrationEnd::Done);
    else if (++conn.pollsWithoutCalibBit >= kCalibrationBitPolls)
        endGasCalibration(GasCalibrationEnd::OutcomeUnknown);
}

// Nothing of the calibration stays pending, and the main gas goes back.
// Cancelling sends no command: the detector stays in service mode.
void DetectorSession::endGasCalibration(GasCalibrationEnd end)
{
    conn.reqZeroStart = conn.reqZeroSave = conn.reqSpanValue = false;
    returnToTargetGas();
    gasCalibrationOver(end);
}

// Every end of a gas calibration comes here. A connection cut under it
// leaves the gas as it is: what is left in the detector has been noted for
// when it is met again.
void DetectorSession::gasCalibrationOver(GasCalibrationEnd end)
{
    const CalibrationKind kind = gasCalibrationKind();
    conn.gasCalibration.moveTo(GasCalibrationPhase::Idle);
    conn.calibrationForced = false;
    emit gasCalibrationEnded(kind, end);
    emit phasesChanged();
}

CalibrationKind DetectorSession::gasCalibrationKind() const
{
    switch (conn.gasCalibration()) {
    case GasCalibrationPhase::SpanStarted:
    case GasCalibrationPhase::SpanSending:
    case GasCalibrationPhase::SpanWaiting:
        return CalibrationKind::Span;
    default:
        return CalibrationKind::Zero;
    }
}

bool DetectorSession::gasCalibrationCanStart() const
{
    return conn.gasCalibration.is(GasCalibrationPhase::Idle) && !bump.running();
}

bool DetectorSession::startZeroCalibration()
{
    if (!gasCalibrationCanStart())
        return false;
    conn.gasCalibration.moveTo(GasCalibrationPhase::ZeroStarted);
    conn.reqServiceMode = true;
    conn.reqZeroStart = true;
    emit phasesChanged();
    return true;
}

bool DetectorSession::saveZeroCalibration()
{
    if (!conn.gasCalibration.is(GasCalibrationPhase::ZeroStarted))
        return false;
    conn.gasCalibration.moveTo(GasCalibrationPhase::ZeroSaving);
    conn.reqZeroSave = true;
    emit phasesChanged();
    return true;
}

// The span command travels with the value; starting only puts the detector
// into service mode.
bool DetectorSession::startSpanCalibration()
{
    if (!gasCalibrationCanStart())
        return false;
    conn.gasCalibration.moveTo(GasCalibrationPhase::SpanStarted);
    conn.reqServiceMode = true;
    emit phasesChanged();
    return true;
}

bool DetectorSession::sendSpanCalibration()
{
    if (!conn.gasCalibration.is(GasCalibrationPhase::SpanStarted))
        return false;
    conn.gasCalibration.moveTo(GasCalibrationPhase::SpanSending);
    conn.reqSpanValue = true;
    emit phasesChanged();
    return true;
}

void DetectorSession::cancelGasCalibration()
{
    endGasCalibration(GasCalibrationEnd::Cancelled);
}
