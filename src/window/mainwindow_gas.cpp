#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QMessageBox>

// Leaving the tab ends nothing that runs on it: calibrations and tests go on,
// and the main gas is never left switched in behind the user's back, except
// under a gas calibration, which runs on the gas it began on: its end or
// cancel switches back.
void MainWindow::on_tabWidget_currentChanged(int)
{
    if (!session.connection().gasCalibrationRunning())
        GazReturnToCelevoy();
    ui->calib_stat->setText(QString());
    ui->calib_iout_stat->setText(QString());
}

// The radio button says which of the two gases the user wants; the names are
// the session's, from the detector's gas table.
void MainWindow::on_GazSet_clicked()
{
    const bool toMain = ui->rbGazOsn->isChecked();
    if (!toMain && !ui->rbGazC->isChecked())
        return;
    const ConnectionState &conn = session.connection();
    const QString name = toMain ? conn.shownMainGas : conn.shownTargetGas;
    if (name.isEmpty() || !detectorBlockOrExplain())
        return;
    session.requestGas(name, toMain);
}

void MainWindow::GazReturnToCelevoy()
{
    session.returnToTargetGas();
}

// A gas switch writes the detector's own block back, so it needs one read on
// this connection; an import does not count.
bool MainWindow::detectorBlockOrExplain()
{
    if (session.connection().blockRead())
        return true;
    QMessageBox::warning(nullptr, " ",
                         tr("Параметры ещё не прочитаны из подключённого датчика, газ переключать нельзя. "
                            "Чтение повторяется каждую секунду."),
                         QMessageBox::Ok);
    return false;
}
