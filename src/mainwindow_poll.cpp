#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "busycursor.h"
#include "customplotwidget.h"
#include "gasnames.h"
#include "registermodel.h"

#include <QMessageBox>

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
        showLiveValues(input);
    } else {
        ++failedPolls;
    }

    if (take(reqGasTable))
        showGasTable(polled ? input : QVector<quint16>());

    if (failedPolls > 2)
        closeConnection();
}

// Block transfers take half a second and more at 9600 baud, and a detector
// that did not answer the last poll costs a time-out per request.
bool MainWindow::longTickAhead() const
{
    return reqReload || reqWrite || reqGasTable || failedPolls > 0;
}

void MainWindow::serveRequests()
{
    serveCommandRequests();
    if (take(reqReload))
        reloadParameterBlock();
    if (take(reqWrite))
        writeParameterBlock();
}

void MainWindow::serveCommandRequests()
{
    if (take(reqServiceMode))
        modbus.setServiceMode();
    if (take(reqWorkingMode))
        modbus.setWorkingMode();
    if (take(reqZeroStart) && !modbus.setCalibZero())
        calibrationFailed(tr("Калибровка нуля не удалась"));
    if (take(reqZeroSave)) {
        calibState = 1;
        if (!modbus.CalibrSave())
            calibrationFailed(tr("Калибровка нуля не удалась"));
    }
    if (take(reqSpanValue))
        sendSpanValue();
    if (take(req4maStart))
        modbus.IoutCalib_4maStart();
    if (take(req4maValue)) {
        modbus.IoutCalibValueSet(encodeCurrent(ui->Calibr4mA_Value->value()));
        modbus.CalibrSave();
    }
    if (take(req20maStart))
        modbus.IoutCalib_20maStart();
    if (take(req20maValue)) {
        modbus.IoutCalibValueSet(encodeCurrent(ui->Calibr20mA_Value->value()));
        modbus.CalibrSave();
    }
    if (take(req4maTest)) {
        modbus.IoutCalibValueSet(400);
        modbus.IoutTestStart();
    }
    if (take(req20maTest)) {
        modbus.IoutCalibValueSet(2000);
        modbus.IoutTestStart();
    }
    if (take(reqCurrentTest)) {
        modbus.IoutCalibValueSet(encodeCurrent(ui->TestIoutValue->value()));
        modbus.IoutTestStart();
    }
    if (take(reqTestStop)) {
        modbus.IoutTestStop();
        modbus.setWorkingMode();
    }
}

// The span concentration travels in one 16-bit register, in the detector's
// own decimal count. A value whose raw form does not fit is not sent cut to
// 16 bits, nor one whose count is unknown: nothing goes out, the user is
// told, and the tab returns to its idle state to take a new value. A value
// or command the detector did not take is not followed by the save.
void MainWindow::sendSpanValue()
{
    const double shown = ui->CalibrValue->value();
    bool refused = !detectorScaleOrExplain();
    if (!refused && shown * detectorScale + 0.5 >= kWordMax + 1.0) {
        ui->calib_stat->setText(tr("Калибровочная концентрация вне диапазона"));
        refused = true;
    }
    if (refused) {
        GazReturnToCelevoy();
        GazCalibrEnd();
        return;
    }
    const quint16 value = static_cast<quint16>(encodeScaled(shown, detectorScale, kWordMax));
    // The block keeps the count of its own word 4, which after an import is
    // the file's, not the detector's.
    regHold[SpanConcentrationWord] = static_cast<quint16>(encodeScaled(shown, scale, kWordMax));
    if (!modbus.setCalibValue(value)) {
        calibrationFailed(tr("Калибровка диапазона не удалась"));
        return;
    }
    calibState = 2;
    if (!modbus.CalibrSave())
        calibrationFailed(tr("Калибровка диапазона не удалась"));
}

void MainWindow::reloadParameterBlock()
{
    const QVector<quint16> block = modbus.readHOLDregs();
    if (block.size() == kDeviceWords) {
        std::copy(block.cbegin(), block.cend(), regHold);
        showDetectorBlock();
    } else {
        reqReload = true;   // again at the next tick, until the detector answers
    }
    const QVector<quint16> all = modbus.readInputValuesAll();
    if (all.size() == kFullInputWords)
        std::copy(all.cbegin(), all.cend(), inputAll);
}

// A request the slots could not refuse (a gas switched back, one left from an
// earlier connection) is dropped while the block is not this detector's.
void MainWindow::writeParameterBlock()
{
    if (!blockIsDetectors)
        return;
    MemSetRegHold(regHold);
    const bool written = modbus.writeHOLDregs(QVector<quint16>(regHold, regHold + kDeviceWords));
    noteBlockWritten(written);
    if (!written && modbus.blockWriteMixed())
        warnMixedBlock();
}

// Told after the tick, so that the box does not hold the tick open.
void MainWindow::warnMixedBlock()
{
    QMetaObject::invokeMethod(
        this,
        [] {
            QMessageBox::warning(nullptr, " ",
                                 tr("Датчик принял первую часть параметров (слова 0–95), а вторую (слова "
                                    "96–179) мог не принять: в нём могут быть новые и старые значения "
                                    "вперемешку. Проверьте связь и нажмите «Записать» ещё раз."),
                                 QMessageBox::Ok);
        },
        Qt::QueuedConnection);
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

// A saved calibration is over at the first good poll whose status no longer
// shows it running.
void MainWindow::finishCalibration(quint16 status)
{
    if (calibState == 1 && !(status & kStatusZeroCalibration)) {
        GazReturnToCelevoy();
        GazCalibrEnd();
        calibState = 0;
        ui->calib_stat->setText(tr("Калибровка нуля завершена"));
    } else if (calibState == 2 && !(status & kStatusSpanCalibration)) {
        GazReturnToCelevoy();
        GazCalibrEnd();
        calibState = 0;
        ui->calib_stat->setText(tr("Калибровка диапазона завершена"));
    }
}

// The table is replaced whatever came back; switching gas is allowed only
// with a full table, a good poll and two different, non-empty names.
// `input` is empty when this tick's poll failed.
void MainWindow::showGasTable(const QVector<quint16> &input)
{
    gasTable = modbus.readGazNameTable();
    gasSwitchAllowed = false;
    if (input.isEmpty() || gasTable.size() != 32)
        return;

    const quint16 target = input[TargetGasNumberWord];
    const quint16 main = input[MainGasNumberWord];
    if (gasNumberValid(target))
        ui->gaz_c->setText(gasTable[target - 1]);
    if (gasNumberValid(main))
        ui->gaz_osn->setText(gasTable[main - 1]);

    const QString shownTarget = ui->gaz_c->text();
    const QString shownMain = ui->gaz_osn->text();
    if (shownTarget.isEmpty() || shownMain.isEmpty() || shownTarget == shownMain)
        return;
    gasSwitchAllowed = true;
    ui->GazSet->setEnabled(true);
}
