#ifndef CONNECTIONSTATE_H
#define CONNECTIONSTATE_H

#include <QString>
#include <QVector>

#include <optional>

#include "phase.h"
#include "sessionevents.h"

// Everything the session knows of the detector on one connection. "Подключить"
// starts from a fresh one, so that nothing of an earlier detector, another
// one perhaps, reaches the next: not its gas names, not a request, not what
// the window had switched on in it.
struct ConnectionState
{
    // One-shot requests raised by the slots and served by the next poll tick
    // in this order (DetectorSession::serveRequests): the commands before the
    // poll, then the reload, the gas switch and the block write; the gas
    // table after the poll.
    bool reqServiceMode = false;
    bool reqWorkingMode = false;
    bool reqZeroStart = false;
    bool reqZeroSave = false;
    bool reqSpanValue = false;
    bool req4maStart = false;
    bool req4maValue = false;
    bool req20maStart = false;
    bool req20maValue = false;
    bool req4maTest = false;
    bool req20maTest = false;
    bool reqCurrentTest = false;
    bool reqTestStop = false;
    bool reqReload = false;
    bool reqWrite = false;
    bool reqGasTable = false;

    // A gas switch waiting for the tick, served with the block write: the name
    // to write, null when none waits.
    QString gasWanted;
    Phase<GasSwitchPhase> gasSwitch{GasSwitchPhase::None, gasSwitchStepLegal};
    // A switch whose answer was lost: the name it wrote and whether to the
    // main gas, until a read of the block tells whether the detector took it.
    // Null while none is being checked.
    QString gasChecked;
    bool gasCheckedToMain = false;
    bool gasCheckedFromMain = false;
    // A new slave address that goes out after the block write, 0 when none.
    quint8 newAddress = 0;

    quint8 slaveAddress = 0;
    // Nothing is written before the detector has answered a read.
    bool answered = false;
    // The serial number the detector itself answered with in its block, never
    // one a written file carried: what it is known and remembered by.
    qint64 answeredSerial = kUnknownSerial;
    // The serial number of the file whose settings the block lends the
    // detector, until they are written or a read replaces them.
    qint64 lentFrom = kUnknownSerial;

    // The detector's block as last read on this connection, changed only by
    // the gas switches it took since: what a gas switch writes back.
    QVector<quint16> detectorBlock;
    // A block write ended with its outcome unknown and no read-back: what
    // the detector holds is read before a gas switch writes a block again.
    bool detectorBlockUnknown = false;
    // The parameter block goes out only while it is this detector's: read
    // complete from it, or imported by the user, on this connection.
    bool blockIsDetectors = false;
    // The detector's own decimal count and display range, from its block as
    // read, or as written after an import; the live value is shown only
    // while they are known. An import changes the controls' count alone.
    bool detectorScaleKnown = false;
    quint8 detectorDecimals = 1;
    quint16 detectorScale = 10;
    quint16 detectorRange = 0;
    QString detectorUnit;
    int detectorUnitIndex = -1;
    // The status word of the last good poll on this connection, -1 before one.
    int polledStatus = -1;
    // The concentration last shown, with its unit; empty while none is.
    QString liveReading;
    std::optional<double> liveConcentration;

    QVector<QString> gasTable;
    // The names shown for the target and the main gas, from the gas table.
    QString shownTargetGas;
    QString shownMainGas;
    QString activeGasName;
    QString targetGasName;
    // The detector is, or may be, on its main gas: set when it took the
    // switch, cleared only when it took the switch back.
    bool mainGasActive = false;
    bool gasSwitchAllowed = false;

    // A saved calibration ends once its status bit has been seen set and
    // then clear.
    Phase<GasCalibrationPhase> gasCalibration{GasCalibrationPhase::Idle, gasCalibrationStepLegal};
    bool calibBitSeen = false;
    int pollsWithoutCalibBit = 0;
    // A poll has shown the service mode a running operation put the detector
    // in; a later one without it means the detector restarted or left it.
    bool operationServiceSeen = false;

    Phase<CurrentPhase> current{CurrentPhase::Idle, currentStepLegal};

    // "Отключить" or "Выход": what is still on in the detector at the close
    // was refused or not confirmed, the line itself was not lost.
    bool endedByUser = false;

    // What the window has switched on in the detector and not yet off.
    bool currentForced = false;        // a current test or calibration point
    bool calibrationForced = false;    // service mode or a command of a gas calibration


    bool blockRead() const { return !detectorBlock.isEmpty(); }
    // A request raised that writes to the detector when the tick serves it.
    bool writeRequested() const
    {
        return reqServiceMode || reqWorkingMode || reqZeroStart || reqZeroSave || reqSpanValue || req4maStart
               || req4maValue || req20maStart || req20maValue || req4maTest || req20maTest || reqCurrentTest
               || reqTestStop || reqWrite;
    }
    bool gasWantedIsMain() const { return gasSwitch.is(GasSwitchPhase::ToMain); }
    bool gasCalibrationRunning() const { return !gasCalibration.is(GasCalibrationPhase::Idle); }
    int illegalSteps() const
    {
        return gasSwitch.illegalSteps() + gasCalibration.illegalSteps() + current.illegalSteps();
    }
};

// Takes a one-shot request: true once, and the flag is down before it is served.
inline bool takeRequest(bool &flag)
{
    const bool raised = flag;
    flag = false;
    return raised;
}

#endif // CONNECTIONSTATE_H
