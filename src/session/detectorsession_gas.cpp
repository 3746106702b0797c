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

bool DetectorSession::mainGasHeld() const
{
    return conn.mainGasActive || conn.gasWantedIsMain();
}

// The detector's own block as read on this connection, with only the gas name
// and the service-mode bit changed: edits and an import not yet written stay
// in the controls, and nothing of another detector goes out.
void DetectorSession::serveGasSwitch()
{
    if (conn.gasWanted.isNull() || !conn.blockRead())
        return;
    QVector<quint16> block = conn.detectorBlock;
    encodeText(conn.gasWanted, block.data() + GasNameWord, kGasNameBytes);
    block[ModeRegisterWord] |= kServiceModeBit;
    if (modbus.writeHOLDregs(block))
        gasSwitchTaken(block);
    else
        gasSwitchRefused();
}

void DetectorSession::gasSwitchTaken(const QVector<quint16> &block)
{
    conn.detectorBlock = block;
    conn.activeGasName = conn.gasWanted;
    conn.mainGasActive = conn.gasWantedIsMain();
    // A later "Применить" keeps the detector in the service mode the switch set.
    regHold[ModeRegisterWord] |= kServiceModeBit;
    dropGasSwitch();
}

// A refused switch to the main gas leaves the detector on its target gas, and
// a calibration begun for the main gas cannot run. A refused switch back is
// tried again at every tick until the detector takes it.
void DetectorSession::gasSwitchRefused()
{
    const bool toMain = conn.gasWantedIsMain();
    if (conn.mainGasActive && !toMain) {
        emit notice({SessionNoticeKind::TargetGasReturnRefused, 0, 0, conn.gasWanted});
        return;
    }
    dropGasSwitch();
    if (!toMain) {
        emit notice({SessionNoticeKind::TargetGasNotTaken});
        return;
    }
    emit notice({SessionNoticeKind::MainGasNotTaken});
    if (conn.gasCalibrationRunning())
        endGasCalibration(GasCalibrationEnd::MainGasRefused);
}

// The switch is settled, taken or refused: nothing waits any more.
void DetectorSession::dropGasSwitch()
{
    conn.gasWanted = QString();
    conn.gasSwitch.moveTo(GasSwitchPhase::None);
    emit activeGasChanged();
    emit phasesChanged();
}
