#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "busycursor.h"
#include "customplotwidget.h"
#include "gasnames.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {

// Takes a one-shot request: true once, and the flag is down before it is served.
bool take(bool &flag)
{
    const bool raised = flag;
    flag = false;
    return raised;
}

} // namespace

// One poll tick: the only place that talks to the detector. Requests first,
// in a fixed order, then the poll, calibration completion, the gas table and
// the disconnect after three failed polls. Once an answer has been cut for
// length or time the line babbles, and the tick's further exchanges fail
// at once (Modbus::beginRound).
void MainWindow::Timer()
{
    const BusyCursor busy(longTickAhead());
    modbus.beginRound();
    serveRequests();

    const QVector<quint16> input = modbus.readInputValues();
    const bool polled = input.size() == kPolledInputWords;
    if (polled) {
        failedPolls = 0;
        conn.answered = true;
        showLiveValues(input);
    } else {
        ++failedPolls;
    }

    if (take(conn.reqGasTable))
        showGasTable(polled ? input : QVector<quint16>());

    writeEndedRecords();
    if (failedPolls > 2)
        closeConnection();
}

// Block transfers take half a second and more at 9600 baud, and a detector
// that did not answer the last poll costs a time-out per request.
bool MainWindow::longTickAhead() const
{
    return conn.reqReload || conn.reqWrite || conn.reqGasTable || !conn.gasWanted.isNull() || failedPolls > 0;
}

// Nothing is written before the detector has answered a read on this
// connection: a write to an address where nobody answers may reach every
// detector on the line, or one that is not the detector the user means.
// Until then the requests wait.
void MainWindow::serveRequests()
{
    if (conn.answered)
        serveCommandRequests();
    if (take(conn.reqReload))
        reloadParameterBlock();
    if (!conn.answered)
        return;
    serveGasSwitch();
    if (take(conn.reqWrite))
        writeParameterBlock();
}

void MainWindow::serveCommandRequests()
{
    if (take(conn.reqServiceMode)) {
        conn.calibrationForced = conn.calibrationForced || gasCalibrationRunning();
        modbus.setServiceMode();
    }
    if (take(conn.reqWorkingMode) && modbus.setWorkingMode())
        conn.calibrationForced = false;
    serveGasCalibrationRequests();
    serveCurrentRequests();
}

// The commands wait while a gas switch is still to be written: a calibration
// runs on the gas it was begun for.
void MainWindow::serveGasCalibrationRequests()
{
    if (!conn.gasWanted.isNull())
        return;
    if (take(conn.reqZeroStart)) {
        noteSent(gasRecord, QString());
        conn.calibrationForced = true;
        if (!modbus.setCalibZero())
            calibrationFailed(tr("Калибровка нуля не удалась"));
    }
    if (take(conn.reqZeroSave)) {
        waitForCalibration(1);
        if (!modbus.CalibrSave())
            calibrationFailed(tr("Калибровка нуля не удалась"));
    }
    if (take(conn.reqSpanValue))
        sendSpanValue();
}

// Every start may have reached the detector, answered or not: the output
// counts as forced until a stop and working mode have both been taken.
void MainWindow::serveCurrentRequests()
{
    if (take(conn.req4maStart)) {
        conn.currentForced = true;
        modbus.IoutCalib_4maStart();
    }
    if (take(conn.req4maValue))
        sendCurrentPoint(CalibrationKind::Current4mA, ui->Calibr4mA_Value->value());
    if (take(conn.req20maStart)) {
        conn.currentForced = true;
        modbus.IoutCalib_20maStart();
    }
    if (take(conn.req20maValue))
        sendCurrentPoint(CalibrationKind::Current20mA, ui->Calibr20mA_Value->value());
    if (take(conn.req4maTest))
        startCurrentTest(400);
    if (take(conn.req20maTest))
        startCurrentTest(2000);
    if (take(conn.reqCurrentTest))
        startCurrentTest(encodeCurrent(ui->TestIoutValue->value()));
    if (take(conn.reqTestStop)) {
        const bool stopped = modbus.IoutTestStop();
        if (modbus.setWorkingMode() && stopped)
            conn.currentForced = conn.calibrationForced = false;
    }
}

void MainWindow::startCurrentTest(quint16 hundredths)
{
    conn.currentForced = true;
    modbus.IoutCalibValueSet(hundredths);
    modbus.IoutTestStart();
}

// The span concentration travels in one 16-bit register, in the detector's
// own decimal count. A value whose raw form does not fit is not sent cut to
// 16 bits, nor one whose count is unknown: nothing goes out, the user is
// told, and the tab returns to its idle state to take a new value. A value
// or command the detector did not take is not followed by the save.
void MainWindow::sendSpanValue()
{
    const double shown = ui->CalibrValue->value();
    if (!conn.detectorScaleKnown) {
        calibrationFailed(tr("Параметры датчика ещё не прочитаны, концентрация не отправлена"));
        return;
    }
    if (shown * conn.detectorScale + 0.5 >= kWordMax + 1.0) {
        calibrationFailed(tr("Калибровочная концентрация вне диапазона"));
        return;
    }
    const quint16 value = static_cast<quint16>(encodeScaled(shown, conn.detectorScale, kWordMax));
    // The block keeps the count of its own word 4, which after an import is
    // the file's, not the detector's.
    regHold[SpanConcentrationWord] = static_cast<quint16>(encodeScaled(shown, scale, kWordMax));
    conn.calibrationForced = true;
    // The journal's value is the one that goes out now, in the detector's
    // count, whatever the box held at the start or holds later.
    noteSent(gasRecord, detectorQuantity(value));
    if (!modbus.setCalibValue(value)) {
        calibrationFailed(tr("Калибровка диапазона не удалась"));
        return;
    }
    waitForCalibration(2);
    if (!modbus.CalibrSave())
        calibrationFailed(tr("Калибровка диапазона не удалась"));
}

void MainWindow::reloadParameterBlock()
{
    const QVector<quint16> block = modbus.readHOLDregs();
    if (block.size() == kDeviceWords) {
        const bool firstRead = !conn.blockRead();
        conn.answered = true;
        std::copy(block.cbegin(), block.cend(), regHold);
        showDetectorBlock();
        if (firstRead)
            settleWhatWasLeft();
    } else {
        conn.reqReload = true;   // again at the next tick, until the detector answers
    }
    const QVector<quint16> all = modbus.readInputValuesAll();
    if (all.size() == kFullInputWords)
        std::copy(all.cbegin(), all.cend(), inputAll);
}

// A request the slots could not refuse (one raised before the block of this
// connection was read) is dropped while the block is not this detector's.
// The block always carries the address the detector answers at: a detector
// takes a new address at once, and the rest of the block would then go to
// an address where nobody listens.
void MainWindow::writeParameterBlock()
{
    const quint8 newAddress = conn.newAddress;
    conn.newAddress = 0;
    if (!conn.blockIsDetectors)
        return;
    MemSetRegHold(regHold);
    regHold[ModbusAddressWord] = withModbusAddress(regHold[ModbusAddressWord], conn.slaveAddress);
    const QVector<quint16> block(regHold, regHold + kDeviceWords);
    const bool written = modbus.writeHOLDregs(block);
    noteBlockWritten(written);
    if (written)
        conn.detectorBlock = block;
    else if (modbus.blockWriteMixed())
        tell(tr("Записана только первая часть параметров (слова 0–95), вторая (96–179) могла не дойти: "
                "в датчике могут быть новые и старые значения вперемешку. Нажмите «Записать» ещё раз"));
    if (newAddress == 0)
        return;
    if (written)
        moveDetectorTo(newAddress);
    else
        tell(tr("Параметры не записаны, адрес датчика остался %1").arg(conn.slaveAddress));
}

// Word 1 alone, in the same tick as the block; the window then follows the
// detector to its new address.
void MainWindow::moveDetectorTo(quint8 address)
{
    const quint16 word = withModbusAddress(regHold[ModbusAddressWord], address);
    if (!modbus.setModbusAddress(word)) {
        tell(tr("Датчик не принял адрес %1, связь с ним идёт по адресу %2").arg(address).arg(conn.slaveAddress));
        return;
    }
    regHold[ModbusAddressWord] = word;
    conn.detectorBlock[ModbusAddressWord] = word;
    conn.slaveAddress = address;
    modbus.setSlaveAddress(address);
    ui->sbMB_Adr->setValue(address);
    tell(tr("Датчику назначен адрес %1, опрос идёт по новому адресу").arg(address));
}

void MainWindow::showLiveValues(const QVector<quint16> &input)
{
    ui->VersionFW->setText(firmwareVersionText(input[FirmwareMajorMinorWord], input[FirmwareBuildWord]));
    const quint16 status = input[StatusWord];
    ui->status->setText(statusText(status));
    const bool serviceMode = status & kStatusServiceMode;
    ui->mode_service->setEnabled(!serviceMode);
    ui->mode_working->setEnabled(serviceMode);

    finishCalibration(status);

    showConcentration(input[ConcentrationWord]);
}

// The table is replaced whatever came back; switching gas is allowed only
// with a full table, a good poll and two different, non-empty names.
// `input` is empty when this tick's poll failed.
void MainWindow::showGasTable(const QVector<quint16> &input)
{
    conn.gasTable = modbus.readGazNameTable();
    conn.gasSwitchAllowed = false;
    if (input.isEmpty() || conn.gasTable.size() != 32)
        return;

    const quint16 target = input[TargetGasNumberWord];
    const quint16 main = input[MainGasNumberWord];
    if (gasNumberValid(target))
        ui->gaz_c->setText(conn.gasTable[target - 1]);
    if (gasNumberValid(main))
        ui->gaz_osn->setText(conn.gasTable[main - 1]);

    const QString shownTarget = ui->gaz_c->text();
    const QString shownMain = ui->gaz_osn->text();
    if (shownTarget.isEmpty() || shownMain.isEmpty() || shownTarget == shownMain)
        return;
    conn.gasSwitchAllowed = true;
    ui->GazSet->setEnabled(true);
}
