#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "registermodel.h"

using namespace RegisterModel;

// Leaving the tab ends nothing that runs on it: calibrations and tests go on,
// and the main gas is never left switched in behind the user's back, except
// under a gas calibration, which runs on the gas it began on: its end or
// cancel switches back.
void MainWindow::on_tabWidget_currentChanged(int)
{
    if (!gasCalibrationRunning())
        GazReturnToCelevoy();
    ui->calib_stat->setText(QString());
    ui->calib_iout_stat->setText(QString());
}

void MainWindow::on_GazSet_clicked()
{
    QString name;
    if (ui->rbGazC->isChecked())
        name = ui->gaz_c->text();
    if (ui->rbGazOsn->isChecked())
        name = ui->gaz_osn->text();
    if (name.isEmpty() || !detectorBlockOrExplain())
        return;
    requestGas(name, ui->rbGazOsn->isChecked());
}

// Takes back a main gas that is in, or drops a switch to it not yet written.
void MainWindow::GazReturnToCelevoy()
{
    if (conn.gasWantedIsMain)
        conn.gasWanted = QString();
    if (conn.mainGasActive)
        requestGas(conn.targetGasName, false);
    showActiveGas();
    showLeaving();
}

// The switch goes out with the next tick's block write; the window is held
// from the click on, so that a switch to the main gas cannot be left behind.
void MainWindow::requestGas(const QString &name, bool toMain)
{
    conn.gasWanted = name;
    conn.gasWantedIsMain = toMain;
    showLeaving();
}

// The detector's own block as read on this connection, with only the gas name
// and the service-mode bit changed: edits and an import not yet written stay
// in the controls, and nothing of another detector goes out.
void MainWindow::serveGasSwitch()
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

void MainWindow::gasSwitchTaken(const QVector<quint16> &block)
{
    conn.detectorBlock = block;
    conn.activeGasName = conn.gasWanted;
    conn.mainGasActive = conn.gasWantedIsMain;
    // A later "Применить" keeps the detector in the service mode the switch set.
    regHold[ModeRegisterWord] |= kServiceModeBit;
    dropGasSwitch();
}

// A refused switch to the main gas leaves the detector on its target gas, and
// a calibration begun for the main gas cannot run. A refused switch back is
// tried again at every tick until the detector takes it.
void MainWindow::gasSwitchRefused()
{
    const bool toMain = conn.gasWantedIsMain;
    if (conn.mainGasActive && !toMain) {
        tell(tr("Датчик не принял возврат на целевой газ %1. Попытка повторяется каждую секунду, "
                "до её успеха отключиться и выйти нельзя.")
                 .arg(conn.gasWanted));
        return;
    }
    dropGasSwitch();
    if (!toMain) {
        tell(tr("Датчик не принял запись целевого газа"));
        return;
    }
    tell(tr("Датчик не принял переключение на основной газ и остался на целевом"));
    if (gasCalibrationRunning())
        calibrationFailed(tr("Датчик не переключился на основной газ, калибровка отменена"));
}

// The switch is settled, taken or refused: nothing waits any more.
void MainWindow::dropGasSwitch()
{
    conn.gasWanted = QString();
    conn.gasWantedIsMain = false;
    showActiveGas();
    showLeaving();
}

// The radio buttons show the gas the detector is on.
void MainWindow::showActiveGas()
{
    (conn.mainGasActive ? ui->rbGazOsn : ui->rbGazC)->setChecked(true);
}

// While the main gas is in, or on its way, the detector measures the wrong
// gas for its thresholds, so the window may not be left or disconnected until
// the detector has taken the target gas back. A gas calibration holds Stop
// itself.
void MainWindow::showLeaving()
{
    const bool held = mainGasHeld();
    ui->Exit->setEnabled(!held);
    if (connected && !gasCalibrationRunning())
        ui->Stop->setEnabled(!held);
}

bool MainWindow::mainGasHeld() const
{
    return conn.mainGasActive || (!conn.gasWanted.isNull() && conn.gasWantedIsMain);
}
