#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QMessageBox>
#include <QSerialPortInfo>

#include "busycursor.h"
#include "portlist.h"

void MainWindow::fillPortList()
{
    for (const QString &entry : portListEntries())
        ui->cComPort->addItem(entry);
}

void MainWindow::on_PortScan_clicked()
{
    ui->cComPort->clear();
    fillPortList();
    ui->cComPort->setCurrentIndex(ui->cComPort->count() > 0 ? 0 : -1);
}

// Address 0 is a broadcast that every detector on the line obeys without an
// answer, and 248-255 belong to no detector: the window neither talks to them
// nor gives them to a detector.
bool MainWindow::slaveAddressUsableOrExplain(int address)
{
    QString why;
    if (address == 0)
        why = tr("Адрес 0 — широковещательный: команды по нему выполняет каждый датчик на линии, "
                 "и ни один не отвечает. Укажите адрес датчика от 1 до 247.");
    else if (address >= 248)
        why = tr("Адреса 248–255 зарезервированы протоколом Modbus, датчик по ним не отвечает. "
                 "Укажите адрес датчика от 1 до 247.");
    if (why.isEmpty())
        return true;
    QMessageBox::warning(nullptr, " ", why, QMessageBox::Ok);
    return false;
}

void MainWindow::on_Start_clicked()
{
    const int address = ui->sbMB_Adr->value();
    if (!slaveAddressUsableOrExplain(address))
        return;
    modbus.setNamePort(ui->cComPort->currentText());
    modbus.setSlaveAddress(static_cast<quint8>(address));
    if (!modbus.open())
        return;   // silent to the user; the serial layer logs the reason

    // The detector now on the line may be another one.
    conn = ConnectionState();
    conn.slaveAddress = static_cast<quint8>(address);
    forgetDetector();
    connected = true;
    timer.start(1000);
    conn.reqReload = true;
    conn.reqGasTable = true;
    CtrlEnable(true);
    ui->Stop->setFocus();
}

void MainWindow::on_Stop_clicked()
{
    endConnection();
}

// The orderly end of a connection ("Отключить", "Выход", the window closed):
// nothing new is started in the detector, whatever the window switched on in
// it, a forced output current or a main gas, is switched off, and only then
// the port closes.
void MainWindow::endConnection()
{
    if (!connected)
        return;
    const BusyCursor busy(true);
    dropStartRequests();
    endRunningCurrentStep();
    if (conn.currentForced)
        conn.reqTestStop = true;
    GazReturnToCelevoy();
    serveRequests();
    closeConnection();
}

// Also the end of a connection whose detector stopped answering. Whatever
// is still switched on in the detector is kept to undo when it is met again.
void MainWindow::closeConnection()
{
    timer.stop();
    modbus.close();
    connected = false;
    rememberWhatIsLeft();
    if (conn.calibState != 0 || conn.calibrationForced)
        calibrationCutOff();
    CtrlEnable(false);
    ui->Exit->setEnabled(true);
    ui->Start->setFocus();
}

// Only what ends something may still go out at the end of a connection: the
// test stop with its return to working mode, a working mode asked for, and
// the target gas back (served with the block write, which is dropped here).
void MainWindow::dropStartRequests()
{
    for (bool *request : {&conn.reqReload, &conn.reqWrite, &conn.reqGasTable, &conn.reqServiceMode,
                          &conn.reqZeroStart, &conn.reqZeroSave, &conn.reqSpanValue, &conn.req4maStart,
                          &conn.req20maStart, &conn.req4maValue, &conn.req20maValue, &conn.req4maTest,
                          &conn.req20maTest, &conn.reqCurrentTest})
        *request = false;
    conn.newAddress = 0;
}
