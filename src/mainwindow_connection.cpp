#include "mainwindow.h"
#include "ui_mainwindow.h"

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

void MainWindow::on_Start_clicked()
{
    modbus.setNamePort(ui->cComPort->currentText());
    modbus.setSlaveAddress(static_cast<quint8>(ui->sbMB_Adr->value() & 0xFF));
    if (!modbus.open())
        return;   // silent to the user; the serial layer logs the reason

    forgetDetector();
    // A request belongs to the connection it was raised on: the detector
    // now on the line may be another one.
    dropRequests();
    abandonCalibration();
    connected = true;
    timer.start(1000);
    reqReload = true;
    reqGasTable = true;
    CtrlEnable(true);
    ui->Stop->setFocus();
}

void MainWindow::on_Stop_clicked()
{
    endConnection();
}

// The orderly end of a connection ("Отключить", "Выход", the window closed):
// what the user asked for still goes out, then nothing the program switched
// on is left behind in the detector, a forced output current or a main gas,
// and only then the port closes.
void MainWindow::endConnection()
{
    if (!connected)
        return;
    const BusyCursor busy(true);
    // The user's requests first, so that a reload still pending cannot
    // replace what the undoing then writes.
    serveRequests();
    endRunningCurrentStep();
    GazReturnToCelevoy();
    serveRequests();
    closeConnection();
}

// Also the end of a connection whose detector stopped answering.
void MainWindow::closeConnection()
{
    timer.stop();
    modbus.close();
    connected = false;
    CtrlEnable(false);
    ui->Start->setFocus();
}

void MainWindow::dropRequests()
{
    for (bool *request : {&reqReload, &reqWrite, &reqGasTable, &reqServiceMode, &reqWorkingMode,
                          &reqZeroStart, &reqZeroSave, &reqSpanValue, &req4maStart, &req20maStart,
                          &req4maValue, &req20maValue, &req4maTest, &req20maTest, &reqCurrentTest,
                          &reqTestStop})
        *request = false;
}
