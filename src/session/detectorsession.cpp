#include "detectorsession.h"
#include "sessionview.h"

#include "gasnames.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {

// Dead polls in a row after which the detector counts as gone.
const int kPollsBeforeGivingUp = 3;

} // namespace

DetectorSession::DetectorSession(SessionView &view, QObject *parent)
    : QObject(parent), view(view), unitNames(RegisterModel::unitNames())
{
}

bool DetectorSession::open(const QString &portEntry, quint8 address)
{
    modbus.setNamePort(portEntry);
    modbus.setSlaveAddress(address);
    if (!modbus.open())
        return false;   // the serial layer logs the reason

    // The detector now on the line may be another one.
    conn = ConnectionState();
    conn.slaveAddress = address;
    connected = true;
    conn.reqReload = true;
    conn.reqGasTable = true;
    emit phasesChanged();
    return true;
}

// One poll tick. Once an answer has been cut for length or time the line
// babbles, and the tick's further exchanges fail at once (Modbus::beginRound).
void DetectorSession::tick()
{
    modbus.beginRound();
    // A bump test sends nothing: what is asked meanwhile waits for its end,
    // but for a reload, which only reads.
    if (!bump.running())
        serveRequests();
    else if (takeRequest(conn.reqReload))
        reloadParameterBlock();

    const QVector<quint16> input = modbus.readInputValues();
    const bool polled = input.size() == kPolledInputWords;
    if (polled) {
        failedPolls = 0;
        conn.answered = true;
        showLiveValues(input);
    } else {
        ++failedPolls;
        lastFailedPoll = modbus.lastOutcome();
    }
    feedBumpTest(polled, input);

    if (takeRequest(conn.reqGasTable))
        showGasTable(polled ? input : QVector<quint16>());

    emit tickPolled();
    if (failedPolls < kPollsBeforeGivingUp)
        return;
    emit gaveUp(lastFailedPoll);
    closeConnection();
}

bool DetectorSession::longTickAhead() const
{
    return conn.reqReload || conn.reqWrite || conn.reqGasTable || !conn.gasWanted.isNull() || failedPolls > 0;
}

// Nothing is written before the detector has answered a read on this
// connection: a write to an address where nobody answers may reach every
// detector on the line, or one that is not the detector the user means.
// Until then the requests wait.
void DetectorSession::serveRequests()
{
    if (conn.answered)
        serveCommandRequests();
    if (takeRequest(conn.reqReload))
        reloadParameterBlock();
    if (!conn.answered)
        return;
    serveGasSwitch();
    if (takeRequest(conn.reqWrite))
        writeParameterBlock();
}

void DetectorSession::serveCommandRequests()
{
    if (takeRequest(conn.reqServiceMode)) {
        conn.calibrationForced = conn.calibrationForced || conn.gasCalibrationRunning();
        modbus.setServiceMode();
    }
    if (takeRequest(conn.reqWorkingMode) && modbus.setWorkingMode())
        conn.calibrationForced = false;
    serveGasCalibrationRequests();
    serveCurrentRequests();
}

void DetectorSession::showLiveValues(const QVector<quint16> &input)
{
    conn.polledStatus = input[StatusWord];
    emit polled(input);
    watchRunningOperation(input[StatusWord]);
    finishCalibration(input[StatusWord]);
    showConcentration(input[ConcentrationWord]);
}

void DetectorSession::showConcentration(quint16 stored)
{
    if (!conn.detectorScaleKnown) {
        conn.liveReading.clear();
        conn.liveConcentration.reset();
        emit concentrationUnknown();
        return;
    }
    conn.liveReading = detectorQuantity(stored);
    conn.liveConcentration = decodeScaled(stored, conn.detectorScale);
    emit concentrationShown(decodeScaled(stored, conn.detectorScale),
                            decodeScaledSingle(conn.detectorRange, conn.detectorScale));
}

QString DetectorSession::detectorQuantity(quint16 stored) const
{
    const QString number = QString::number(decodeScaled(stored, conn.detectorScale), 'f', conn.detectorDecimals);
    return conn.detectorUnit.isEmpty() ? number : number + ' ' + conn.detectorUnit;
}

// The table is replaced whatever came back; switching gas is allowed only
// with a full table, a good poll and two different, non-empty names.
// `input` is empty when this tick's poll failed.
void DetectorSession::showGasTable(const QVector<quint16> &input)
{
    conn.gasTable = modbus.readGazNameTable();
    conn.gasSwitchAllowed = false;
    if (input.isEmpty() || conn.gasTable.size() != 32)
        return;

    const quint16 target = input[TargetGasNumberWord];
    const quint16 main = input[MainGasNumberWord];
    if (gasNumberValid(target))
        conn.shownTargetGas = conn.gasTable[target - 1];
    if (gasNumberValid(main))
        conn.shownMainGas = conn.gasTable[main - 1];
    emit gasNamesShown(conn.shownTargetGas, conn.shownMainGas);
    recogniseMainGas();

    const bool named = !conn.shownTargetGas.isEmpty() && !conn.shownMainGas.isEmpty();
    if (!named || conn.shownTargetGas == conn.shownMainGas)
        return;
    conn.gasSwitchAllowed = true;
    emit phasesChanged();
}

void DetectorSession::endConnection()
{
    if (!connected)
        return;
    conn.endedByUser = true;
    dropStartRequests();
    endRunningCurrentStep();
    if (conn.currentForced)
        conn.reqTestStop = true;
    returnToTargetGas();
    serveRequests();
    closeConnection();
}

// Also the end of a connection whose detector stopped answering. Whatever is
// still switched on in the detector is kept to undo when it is met again.
void DetectorSession::closeConnection()
{
    modbus.close();
    connected = false;
    rememberWhatIsLeft();
    if (bump.running()) {
        bump.connectionLost();
        bumpTestStepped();
    }
    if (conn.gasCalibrationRunning() || conn.calibrationForced)
        gasCalibrationOver(GasCalibrationEnd::CutOff);
    if (currentPointRunning())
        emit currentPointEnded(currentPointKind(), CurrentPointEnd::CutOff);
    conn.current.moveTo(CurrentPhase::Idle);
    emit connectionClosed();
}

// Only what ends something may still go out at the end of a connection: the
// test stop with its return to working mode, a working mode asked for, and
// the target gas back (served with the block write, which is dropped here).
void DetectorSession::dropStartRequests()
{
    for (bool *request : {&conn.reqReload, &conn.reqWrite, &conn.reqGasTable, &conn.reqServiceMode,
                          &conn.reqZeroStart, &conn.reqZeroSave, &conn.reqSpanValue, &conn.req4maStart,
                          &conn.req20maStart, &conn.req4maValue, &conn.req20maValue, &conn.req4maTest,
                          &conn.req20maTest, &conn.reqCurrentTest})
        *request = false;
    conn.newAddress = 0;
}

void DetectorSession::requestServiceMode()
{
    conn.reqServiceMode = true;
}

void DetectorSession::requestWorkingMode()
{
    conn.reqWorkingMode = true;
}
