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
    if (!session.open(ui->cComPort->currentText(), static_cast<quint8>(address))) {
        tellPortNotOpened();
        return;
    }
    forgetDetector();
    timer.start(1000);
    CtrlEnable(true);
    showPhases();
    ui->Stop->setFocus();
}

// What the user can do about it: the port list, the other program, the
// group that may use serial ports.
void MainWindow::tellPortNotOpened()
{
    const QString port = ui->cComPort->currentText().section(' ', 0, 0);
    const ModbusOperations &device = session.operations();
    switch (device.openFailure()) {
    case PortOpenFailure::NoPortChosen:
        tell(tr("Порт не выбран: выберите его в списке («Скан» обновляет список)."));
        break;
    case PortOpenFailure::Missing:
        tell(tr("Порт %1 не найден: адаптер отключён или список портов устарел. Нажмите «Скан».").arg(port));
        break;
    case PortOpenFailure::Busy:
        tell(tr("Порт %1 занят другой программой. Закройте её и нажмите «Подключить» ещё раз.").arg(port));
        break;
    case PortOpenFailure::NoPermission:
        tell(tr("Нет прав на порт %1. Добавьте пользователя в группу dialout "
                "(sudo usermod -aG dialout ИМЯ) и войдите в систему заново.")
                 .arg(port));
        break;
    case PortOpenFailure::None:
    case PortOpenFailure::Other:
        tell(tr("Не удалось открыть порт %1: это не последовательный порт или он неисправен (%2).")
                 .arg(port, device.portError()));
        break;
    }
}

void MainWindow::on_Stop_clicked()
{
    endConnection();
}

// The orderly end of a connection ("Отключить", "Выход", the window closed).
void MainWindow::endConnection()
{
    if (!session.isConnected())
        return;
    const BusyCursor busy(true);
    session.endConnection();
}
