#include "mainwindow.h"
#include "ui_mainwindow.h"

// Stop belongs to the calibration controls: disconnecting in the middle of a
// calibration would leave the detector calibrating with nobody to finish it.
void MainWindow::CalibCtrlDisable(bool disable)
{
    for (QWidget *control : {ui->Stop, ui->CalibZeroStart, ui->CalibZeroSet, ui->CalibZeroEsc,
                             ui->CalibDiapStart, ui->CalibDiapSet, ui->CalibDiapEsc})
        control->setEnabled(!disable);
    ui->GazSet->setEnabled(!disable && gasSwitchAllowed);
}

void MainWindow::GazCalibrEnd()
{
    CalibCtrlDisable(true);
    ui->Stop->setEnabled(true);
    ui->GazSet->setEnabled(gasSwitchAllowed);
    ui->CalibZeroStart->setEnabled(true);
    ui->CalibDiapStart->setEnabled(true);
}

// A calibration command the detector refused or did not answer ends the
// calibration as "Отменить" would, and the tab says it failed: it must never
// report as done what the detector did not take. Nothing of it stays pending.
void MainWindow::calibrationFailed(const QString &text)
{
    reqZeroSave = false;
    reqSpanValue = false;
    calibState = 0;
    GazCalibrEnd();
    GazReturnToCelevoy();
    ui->calib_stat->setText(text);
}

// A calibration still being saved when the last connection was lost cannot be
// called done on this one: the detector now on the line may be another, or
// may have lost the calibration with its power. The tab goes idle and says so.
void MainWindow::abandonCalibration()
{
    if (calibState == 0)
        return;
    calibState = 0;
    GazCalibrEnd();
    ui->calib_stat->setText(tr("Связь прервалась во время калибровки, её итог неизвестен"));
}

void MainWindow::on_CalibZeroStart_clicked()
{
    CalibCtrlDisable(true);
    ui->CalibZeroSet->setEnabled(true);
    ui->CalibZeroEsc->setEnabled(true);
    ui->CalibZeroEsc->setFocus();
    reqServiceMode = true;
    reqZeroStart = true;
    ui->calib_stat->setText(tr("Калибровка нуля началась"));
}

// From here on only the detector ends the calibration: the poll tick sees its
// status bit clear and brings the tab back.
void MainWindow::on_CalibZeroSet_clicked()
{
    CalibCtrlDisable(true);
    reqZeroSave = true;
    ui->calib_stat->setText(tr("Калибровка нуля продолжается"));
}

// Cancelling sends no command: the detector stays in service mode, and only
// a main gas switched in is taken back. A zero command not yet sent is
// dropped, or the detector would start what the tab calls cancelled.
void MainWindow::on_CalibZeroEsc_clicked()
{
    reqZeroStart = false;
    GazCalibrEnd();
    GazReturnToCelevoy();
    ui->calib_stat->setText(tr("Калибровка нуля отменена"));
}

// The span command travels with the value at "Калибровать"; starting only
// puts the detector into service mode.
void MainWindow::on_CalibDiapStart_clicked()
{
    CalibCtrlDisable(true);
    ui->CalibDiapSet->setEnabled(true);
    ui->CalibDiapEsc->setEnabled(true);
    ui->CalibDiapEsc->setFocus();
    reqServiceMode = true;
    ui->calib_stat->setText(tr("Калибровка диапазона началась"));
}

// Without the detector's decimal count the tab stays where it is, so the
// user may press again once the block has been read.
void MainWindow::on_CalibDiapSet_clicked()
{
    if (!detectorScaleOrExplain())
        return;
    CalibCtrlDisable(true);
    reqSpanValue = true;
    ui->calib_stat->setText(tr("Калибровка диапазона продолжается"));
}

void MainWindow::on_CalibDiapEsc_clicked()
{
    GazCalibrEnd();
    GazReturnToCelevoy();
    ui->calib_stat->setText(tr("Калибровка диапазона отменена"));
}

// The two mode buttons follow the detector's status word, not the click.
void MainWindow::on_mode_service_clicked()
{
    reqServiceMode = true;
}

void MainWindow::on_mode_working_clicked()
{
    reqWorkingMode = true;
}
