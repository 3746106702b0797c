#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "registermodel.h"

using namespace RegisterModel;

// Leaving the tab ends nothing that runs on it: calibrations and tests go on,
// only the main gas is never left switched in behind the user's back.
void MainWindow::on_tabWidget_currentChanged(int)
{
    GazReturnToCelevoy();
    ui->calib_stat->setText(QString());
    ui->calib_iout_stat->setText(QString());
}

// While the main gas is in, the detector measures the wrong gas for its
// thresholds, so the window may not be left or disconnected until it is
// switched back.
void MainWindow::on_GazSet_clicked()
{
    QString name;
    if (ui->rbGazC->isChecked())
        name = ui->gaz_c->text();
    if (ui->rbGazOsn->isChecked())
        name = ui->gaz_osn->text();
    if (name.isEmpty() || !blockReadyOrExplain())
        return;

    mainGasActive = ui->rbGazOsn->isChecked();
    ui->Stop->setEnabled(!mainGasActive);
    ui->Exit->setEnabled(!mainGasActive);
    activeGasName = name;
    regHold[ModeRegisterWord] |= kServiceModeBit;
    reqWrite = true;
}

// Writes the target gas name found at the last block read or import, not the
// text shown in gaz_c: that is the name the detector's block carried.
void MainWindow::GazReturnToCelevoy()
{
    ui->rbGazC->setChecked(true);
    ui->rbGazOsn->setChecked(false);
    if (!mainGasActive)
        return;
    mainGasActive = false;
    activeGasName = targetGasName;
    regHold[ModeRegisterWord] |= kServiceModeBit;
    reqWrite = true;
    ui->Stop->setEnabled(true);
    ui->Exit->setEnabled(true);
}
