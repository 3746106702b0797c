#include "detectorsession.h"

#include "registermodel.h"

using namespace RegisterModel;

// The switch goes out with the next tick's block write; the window is held
// from the request on, so that a switch to the main gas cannot be left behind.
void DetectorSession::requestGas(const QString &name, bool toMain)
{
    conn.gasWanted = name;
    conn.gasSwitch.moveTo(toMain ? GasSwitchPhase::ToMain : GasSwitchPhase::ToTarget);
    emit phasesChanged();
}

// Nothing goes to a detector that is no longer connected: what a cut
// connection left in it is taken back when it is met again.
void DetectorSession::returnToTargetGas()
{
    if (connected && conn.gasWantedIsMain()) {
        conn.gasWanted = QString();
        conn.gasSwitch.moveTo(GasSwitchPhase::None);
    }
    if (connected && conn.mainGasActive)
        requestGas(conn.targetGasName, false);
    emit activeGasChanged();
    emit phasesChanged();
}

// A switch being checked may have left the detector on either gas.
bool DetectorSession::mainGasHeld() const
{
    return conn.mainGasActive || conn.gasWantedIsMain() || !conn.gasChecked.isNull();
}

// The detector's own block as read on this connection, with only the gas name
// and the service-mode bit changed: edits and an import not yet written stay
// in the controls, and nothing of another detector goes out. A switch whose
// answer was lost is settled by reading before anything else is written.
void DetectorSession::serveGasSwitch()
{
    if (!conn.blockRead())
        return;
    if (!conn.gasChecked.isNull() && !readBackGasSwitch())
        return;
    if (conn.gasWanted.isNull() || !knowDetectorBlock())
        return;
    const QString name = conn.gasWanted;
    const bool toMain = conn.gasWantedIsMain();
    QVector<quint16> block = conn.detectorBlock;
    encodeText(name, block.data() + GasNameWord, kGasNameBytes);
    block[ModeRegisterWord] |= kServiceModeBit;
    const ExchangeOutcome written = modbus.writeHOLDregs(block);
    if (written.taken()) {
        gasSwitchSettled(name, toMain, true, conn.mainGasActive, block);
    } else if (written.unknown() || modbus.blockWriteMixed()) {
        checkGasSwitch(name, toMain);
    } else {
        gasSwitchSettled(name, toMain, false, conn.mainGasActive, conn.detectorBlock);
    }
}

// No answer: the detector may be on either gas now. Until its block has been
// read, it counts as on the main gas if that was the one asked for, and the
// window may not be left.
void DetectorSession::checkGasSwitch(const QString &name, bool toMain)
{
    conn.gasChecked = name;
    conn.gasCheckedToMain = toMain;
    conn.gasCheckedFromMain = conn.mainGasActive;
    conn.mainGasActive = conn.mainGasActive || toMain;
    conn.gasWanted = QString();
    conn.gasSwitch.moveTo(GasSwitchPhase::None);
    emit notice({SessionNoticeKind::GasSwitchUnknown, 0, 0, name});
    emit phasesChanged();
    readBackGasSwitch();
}

// The gas name the detector holds says whether it took the switch. False
// while the block cannot be read: asked again at the next tick.
bool DetectorSession::readBackGasSwitch()
{
    const QVector<quint16> block = modbus.readHOLDregs();
    if (block.size() != kDeviceWords)
        return false;
    const QString name = conn.gasChecked;
    conn.gasChecked = QString();
    conn.detectorBlockUnknown = false;
    conn.detectorBlock = block;
    const bool taken = decodeText(block.constData() + GasNameWord, kGasNameBytes) == name;
    gasSwitchSettled(name, conn.gasCheckedToMain, taken, conn.gasCheckedFromMain, block);
    return true;
}

// `block` is what the detector now holds, `fromMain` whether it was on the
// main gas before the switch. A refused switch to the main gas
// leaves the detector on its target gas, and a calibration begun for the main
// gas cannot run. A refused switch back is tried again at every tick until
// the detector takes it.
void DetectorSession::gasSwitchSettled(const QString &name, bool toMain, bool taken, bool fromMain,
                                       const QVector<quint16> &block)
{
    if (conn.gasWanted == name)
        dropGasSwitch();
    conn.detectorBlock = block;
    conn.mainGasActive = taken ? toMain : fromMain;
    if (taken) {
        conn.activeGasName = name;
        // A later "Применить" keeps the detector in the service mode the switch set.
        regHold[ModeRegisterWord] |= kServiceModeBit;
    } else if (!toMain && conn.mainGasActive) {
        emit notice({SessionNoticeKind::TargetGasReturnRefused, 0, 0, name});
        if (conn.gasWanted.isNull())
            requestGas(name, false);
    } else if (!toMain) {
        emit notice({SessionNoticeKind::TargetGasNotTaken});
    } else {
        emit notice({SessionNoticeKind::MainGasNotTaken});
        if (conn.gasCalibrationRunning())
            endGasCalibration(GasCalibrationEnd::MainGasRefused);
    }
    emit activeGasChanged();
    emit phasesChanged();
}

// The switch is settled, taken or refused: nothing waits any more.
void DetectorSession::dropGasSwitch()
{
    conn.gasWanted = QString();
    conn.gasSwitch.moveTo(GasSwitchPhase::None);
    emit activeGasChanged();
    emit phasesChanged();
}

// A detector found on its main gas (a switch back that an earlier connection
// never saw taken, say) is on the main gas, not on a target gas of that name:
// its calibrations need the target gas back first, and leaving gives it back.
void DetectorSession::recogniseMainGas()
{
    const bool named = !conn.shownMainGas.isEmpty() && conn.shownMainGas != conn.shownTargetGas;
    if (conn.mainGasActive || !named || conn.activeGasName != conn.shownMainGas)
        return;
    conn.mainGasActive = true;
    conn.targetGasName = conn.shownTargetGas;
    emit activeGasChanged();
    emit phasesChanged();
}
