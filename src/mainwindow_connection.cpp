#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QSerialPortInfo>

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
    timer.start(1000);
    reqReload = true;
    reqGasTable = true;
    CtrlEnable(true);
    ui->Stop->setFocus();
}

void MainWindow::on_Stop_clicked()
{
    timer.stop();
    modbus.close();
    CtrlEnable(false);
    ui->Start->setFocus();
}
