#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMessageBox>
#include <QPalette>

#include "customplotwidget.h"
#include "parametertable.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {
const QColor kDisconnectedColor(200, 200, 200);
const char *const kFormMaximum = "formMaximum";

// The maximum the form gave the box, remembered before the first bound
// replaced it, so that every later decode bounds from the same start.
double formMaximum(QDoubleSpinBox *box)
{
    if (!box->property(kFormMaximum).isValid())
        box->setProperty(kFormMaximum, box->maximum());
    return box->property(kFormMaximum).toDouble();
}

// Decimals first and then the bound, so that neither a stale number of
// decimals nor a stale maximum rounds or clamps the new value.
void showScaled(QDoubleSpinBox *box, double shown, quint32 fieldMax, quint8 decimals, quint16 scale)
{
    const double limit = formMaximum(box);
    box->setDecimals(decimals);
    box->setMaximum(shownMaximum(limit, fieldMax, scale));
    box->setValue(shown);
}

// The 16-bit fields and the currents divide in single precision. Single
// precision carries about seven digits, fewer than the 32-bit 20 mA point may
// hold at three decimals; divided in double, a reload followed by a write
// gives it back unchanged.
void showParameter(QObject *window, const Parameter &parameter, quint32 stored, quint8 decimals, quint16 scale)
{
    switch (parameter.kind) {
    case ParamKind::Current:
        window->findChild<QDoubleSpinBox *>(parameter.control)->setValue(decodeCurrent(quint16(stored)));
        break;
    case ParamKind::Scaled:
        showScaled(window->findChild<QDoubleSpinBox *>(parameter.control),
                   parameter.highWord < 0 ? decodeScaledSingle(stored, scale) : decodeScaled(stored, scale),
                   fieldMaximum(parameter), decimals, scale);
        break;
    case ParamKind::Direction:
    case ParamKind::Switch:
        window->findChild<QComboBox *>(parameter.control)->setCurrentIndex(int(stored));
        break;
    default:
        break;
    }
}

void storeParameter(QObject *window, const Parameter &parameter, quint16 *block, quint16 scale)
{
    switch (parameter.kind) {
    case ParamKind::Current:
        setStoredValue(parameter, block,
                       encodeCurrent(window->findChild<QDoubleSpinBox *>(parameter.control)->value()));
        break;
    case ParamKind::Scaled: {
        const double shown = window->findChild<QDoubleSpinBox *>(parameter.control)->value();
        setStoredValue(parameter, block, encodeScaled(shown, scale, fieldMaximum(parameter)));
        break;
    }
    case ParamKind::Direction:
    case ParamKind::Switch: {
        // A combo without a selection leaves its bit as it is.
        const int index = window->findChild<QComboBox *>(parameter.control)->currentIndex();
        if (index >= 0)
            setStoredValue(parameter, block, quint32(index));
        break;
    }
    default:
        break;
    }
}
} // namespace

void MainWindow::CtrlEnable(bool enabled)
{
    ui->Start->setEnabled(!enabled);
    for (QWidget *widget : {static_cast<QWidget *>(ui->Stop), static_cast<QWidget *>(ui->tabWidget),
                            static_cast<QWidget *>(ui->frame_info), static_cast<QWidget *>(ui->frame_cmd),
                            static_cast<QWidget *>(ui->frame_mode)})
        widget->setEnabled(enabled);

    if (!enabled) {
        xPos = 0;
        if (plot)
            plot->PlotClear();
    }
    if (plot)
        plot->setVisible(enabled);

    const QColor color = enabled ? accent : kDisconnectedColor;
    if (!enabled)
        ui->lcdValue->display(0);
    ui->lcdValue->setStyleSheet(QString("color: %1;").arg(color.name()));

    QPalette palette;
    palette.setColor(QPalette::Text, color);   // every colour group
    ui->TypeDev->setPalette(palette);
    ui->unit->setPalette(palette);
    ui->status->setPalette(palette);
}

void MainWindow::CtrlSetRegHold(const quint16 *block)
{
    session.takeControlsScale(block);
    const quint8 decimals = session.controlsDecimals();
    const quint16 scale = session.controlsScale();

    for (const Parameter &parameter : parameterTable()) {
        if (parameter.control && (parameter.role == ParamRole::Block || parameter.role == ParamRole::Calibration))
            showParameter(this, parameter, storedValue(parameter, block), decimals, scale);
    }

    const QString type = deviceTypeText(highByte(block[DeviceTypeWord]));
    if (!type.isNull())
        ui->TypeDev->setText(type);
    ui->unit->setText(unitNames.value(unitIndex(block[FormatWord])));
    showActiveGas();
}

void MainWindow::CtrlSetRegHoldSerNum()
{
    const quint16 *regHold = session.parameterBlock();
    ui->SerialNumDev->setText(QString::number(joinWords(regHold[SerialHighWord], regHold[SerialLowWord])));
    ui->sbMB_AdrSet->setValue(highByte(regHold[ModbusAddressWord]));
    ui->sbMB_AdrHART->setValue(hartAddress(regHold[HartAddressWord]));
    // Mode 3 has no item; the combo then shows no selection.
    ui->cBLE->setCurrentIndex(bleMode(regHold[FormatWord]));
}

// The span concentration goes out only when a calibration sends it, and the
// identity only with "Применить".
void MainWindow::MemSetRegHold(quint16 *block)
{
    for (const Parameter &parameter : parameterTable()) {
        if (parameter.control && parameter.role == ParamRole::Block)
            storeParameter(this, parameter, block, session.controlsScale());
    }
    encodeText(session.connection().activeGasName, block + GasNameWord, kGasNameBytes);
}

void MainWindow::encodeControls(quint16 *block)
{
    MemSetRegHold(block);
}

void MainWindow::on_Reload_clicked()
{
    session.requestReload();
}

void MainWindow::on_Write_clicked()
{
    if (blockReadyOrExplain() && lentSettingsConfirmed())
        session.requestWrite();
}

// A new Modbus address goes out alone after the block (see the write step).
void MainWindow::on_SetParam_clicked()
{
    if (!blockReadyOrExplain())
        return;
    const int address = ui->sbMB_AdrSet->value();
    if (!slaveAddressUsableOrExplain(address) || !lentSettingsConfirmed())
        return;
    session.requestIdentityWrite(quint8(address), quint16(ui->sbMB_AdrHART->value()), ui->cBLE->currentIndex());
}

// Until the block is this detector's, writing it would give the detector
// another one's addresses, serial number and scale, or the zeros of a fresh
// window; saving it would file them under its name.
bool MainWindow::blockReadyOrExplain()
{
    if (session.blockIsDetectors())
        return true;
    QMessageBox::warning(nullptr, " ",
                         tr("Параметры ещё не прочитаны из подключённого датчика, записывать и сохранять "
                            "нечего. Чтение повторяется каждую секунду; можно также загрузить файл "
                            "настроек кнопкой «Импорт»."),
                         QMessageBox::Ok);
    return false;
}
