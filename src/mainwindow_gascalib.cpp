#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "registermodel.h"

using namespace RegisterModel;

namespace {

// Polls after the save within which the detector must show its calibration
// running; a bit that comes one or two polls late still counts.
const int kCalibrationBitPolls = 5;

} // namespace

// Stop belongs to the calibration controls: disconnecting in the middle of a
// calibration would leave the detector calibrating with nobody to finish it.
void MainWindow::CalibCtrlDisable(bool disable)
{
    for (QWidget *control : {ui->Stop, ui->CalibZeroStart, ui->CalibZeroSet, ui->CalibZeroEsc,
                             ui->CalibDiapStart, ui->CalibDiapSet, ui->CalibDiapEsc})
        control->setEnabled(!disable);
    ui->GazSet->setEnabled(!disable && conn.gasSwitchAllowed);
}

void MainWindow::GazCalibrEnd()
{
    CalibCtrlDisable(true);
    ui->GazSet->setEnabled(conn.gasSwitchAllowed);
    ui->CalibZeroStart->setEnabled(true);
    ui->CalibDiapStart->setEnabled(true);
    ui->Stop->setEnabled(true);
    showLeaving();
}

// Both "Начать" buttons are usable only while the tab is idle.
bool MainWindow::gasCalibrationRunning() const
{
    return !ui->CalibZeroStart->isEnabledTo(ui->tabWidget);
}

// The save went out: from here on only the detector ends the calibration.
void MainWindow::waitForCalibration(int state)
{
    conn.calibState = state;
    conn.calibBitSeen = false;
    conn.pollsWithoutCalibBit = 0;
}

// A saved calibration is over once its status bit has been seen set after the
// save and then clear. A detector that never shows it within the bound has
// not said how its calibration went.
void MainWindow::finishCalibration(quint16 status)
{
    if (conn.calibState == 0)
        return;
    const quint16 bit = conn.calibState == 1 ? kStatusZeroCalibration : kStatusSpanCalibration;
    if (status & bit)
        conn.calibBitSeen = true;
    else if (conn.calibBitSeen)
        calibrationDone();
    else if (++conn.pollsWithoutCalibBit >= kCalibrationBitPolls)
        calibrationOutcomeUnknown();
}

// The ends of a gas calibration, one for each way it can end.

void MainWindow::calibrationDone()
{
    endGasCalibration(conn.calibState == 1 ? tr("Калибровка нуля завершена")
                                           : tr("Калибровка диапазона завершена"));
}

// A calibration command the detector refused or did not answer ends the
// calibration as "Отменить" would, and the tab says it failed: it must never
// report as done what the detector did not take.
void MainWindow::calibrationFailed(const QString &text)
{
    endGasCalibration(text);
}

void MainWindow::calibrationOutcomeUnknown()
{
    endGasCalibration(conn.calibState == 1
                          ? tr("Датчик не сообщил о калибровке нуля, её итог неизвестен")
                          : tr("Датчик не сообщил о калибровке диапазона, её итог неизвестен"));
}

// Cancelling sends no command: the detector stays in service mode, and only
// a main gas switched in is taken back.
void MainWindow::calibrationCancelled(const QString &text)
{
    endGasCalibration(text);
}

// The connection ended under the calibration: the tab goes idle, and what is
// left in the detector has been noted for when it is met again.
void MainWindow::calibrationCutOff()
{
    conn.calibState = 0;
    conn.calibrationForced = false;
    GazCalibrEnd();
    ui->calib_stat->setText(tr("Связь прервалась во время калибровки, её итог неизвестен"));
}

// Nothing of the calibration stays pending, and the main gas goes back.
void MainWindow::endGasCalibration(const QString &text)
{
    conn.reqZeroStart = conn.reqZeroSave = conn.reqSpanValue = false;
    conn.calibState = 0;
    conn.calibrationForced = false;
    GazCalibrEnd();
    GazReturnToCelevoy();
    ui->calib_stat->setText(text);
}

void MainWindow::on_CalibZeroStart_clicked()
{
    CalibCtrlDisable(true);
    ui->CalibZeroSet->setEnabled(true);
    ui->CalibZeroEsc->setEnabled(true);
    ui->CalibZeroEsc->setFocus();
    conn.reqServiceMode = true;
    conn.reqZeroStart = true;
    ui->calib_stat->setText(tr("Калибровка нуля началась"));
}

void MainWindow::on_CalibZeroSet_clicked()
{
    CalibCtrlDisable(true);
    conn.reqZeroSave = true;
    ui->calib_stat->setText(tr("Калибровка нуля продолжается"));
}

void MainWindow::on_CalibZeroEsc_clicked()
{
    calibrationCancelled(tr("Калибровка нуля отменена"));
}

// The span command travels with the value at "Калибровать"; starting only
// puts the detector into service mode.
void MainWindow::on_CalibDiapStart_clicked()
{
    CalibCtrlDisable(true);
    ui->CalibDiapSet->setEnabled(true);
    ui->CalibDiapEsc->setEnabled(true);
    ui->CalibDiapEsc->setFocus();
    conn.reqServiceMode = true;
    ui->calib_stat->setText(tr("Калибровка диапазона началась"));
}

// Without the detector's decimal count the tab stays where it is, so the
// user may press again once the block has been read.
void MainWindow::on_CalibDiapSet_clicked()
{
    if (!detectorScaleOrExplain())
        return;
    CalibCtrlDisable(true);
    conn.reqSpanValue = true;
    ui->calib_stat->setText(tr("Калибровка диапазона продолжается"));
}

void MainWindow::on_CalibDiapEsc_clicked()
{
    calibrationCancelled(tr("Калибровка диапазона отменена"));
}

// The two mode buttons follow the detector's status word, not the click.
void MainWindow::on_mode_service_clicked()
{
    conn.reqServiceMode = true;
}

void MainWindow::on_mode_working_clicked()
{
    conn.reqWorkingMode = true;
}
