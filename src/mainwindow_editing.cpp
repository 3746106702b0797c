#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QPalette>

#include "customplotwidget.h"
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
}

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
    decimals = decimalCount(block[FormatWord]);
    scale = scaleFactor(decimals);

    ui->i_init->setValue(decodeCurrent(block[InitCurrentWord]));
    ui->i_serv->setValue(decodeCurrent(block[ServiceCurrentWord]));

    auto show = [this](QDoubleSpinBox *box, double shown, quint32 fieldMax) {
        showScaled(box, shown, fieldMax, decimals, scale);
    };
    auto single = [this](quint32 stored) { return decodeScaledSingle(stored, scale); };
    show(ui->deadZone, single(block[DeadZoneWord]), kWordMax);
    show(ui->valueHigh, single(block[DisplayRangeWord]), kWordMax);
    show(ui->magCalib, single(block[MagneticCalibrationWord]), kWordMax);
    // Single precision carries about seven digits, fewer than the 32-bit point
    // may hold at three decimals; divided in double, a reload followed by a
    // write gives it back unchanged.
    show(ui->point20ma, decodeScaled(joinWords(block[Point20maHighWord], block[Point20maLowWord]), scale),
         kPoint20maMax);

    const quint16 hysteresis = block[Hysteresis12Word];
    ui->limit1_opt->setCurrentIndex(flagBit15(block[Threshold1Word]));
    show(ui->limit1_level, single(level15(block[Threshold1Word])), kLevelMax);
    show(ui->limit1_hyst, single(lowByte(hysteresis)), kHysteresisMax);
    ui->limit2_opt->setCurrentIndex(flagBit15(block[Threshold2Word]));
    show(ui->limit2_level, single(level15(block[Threshold2Word])), kLevelMax);
    show(ui->limit2_hyst, single(highByte(hysteresis)), kHysteresisMax);
    ui->limit3_opt->setCurrentIndex(flagBit15(block[Threshold3SwitchWord]));
    show(ui->limit3_level, single(block[Threshold3LevelWord]), kWordMax);
    show(ui->limit3_hyst, single(lowByte(block[Threshold3HysteresisWord])), kHysteresisMax);

    const QString type = deviceTypeText(highByte(block[DeviceTypeWord]));
    if (!type.isNull())
        ui->TypeDev->setText(type);
    ui->unit->setText(unitNames.value(unitIndex(block[FormatWord])));

    // The name a later parameter write carries. While the main gas is in,
    // the detector's gas stays what it is, whatever a block holds.
    if (!conn.mainGasActive)
        conn.activeGasName = decodeText(block + GasNameWord, kGasNameBytes);
    showActiveGas();

    show(ui->CalibrValue, single(block[SpanConcentrationWord]), kWordMax);
}

void MainWindow::CtrlSetRegHoldSerNum()
{
    ui->SerialNumDev->setText(QString::number(joinWords(regHold[SerialHighWord], regHold[SerialLowWord])));
    ui->sbMB_AdrSet->setValue(highByte(regHold[ModbusAddressWord]));
    ui->sbMB_AdrHART->setValue(hartAddress(regHold[HartAddressWord]));
    // Mode 3 has no item; the combo then shows no selection.
    ui->cBLE->setCurrentIndex(bleMode(regHold[FormatWord]));
}

void MainWindow::MemSetRegHold(quint16 *block)
{
    block[InitCurrentWord] = encodeCurrent(ui->i_init->value());
    block[ServiceCurrentWord] = encodeCurrent(ui->i_serv->value());
    block[DeadZoneWord] = quint16(encodeScaled(ui->deadZone->value(), scale, kWordMax));
    block[DisplayRangeWord] = quint16(encodeScaled(ui->valueHigh->value(), scale, kWordMax));
    block[MagneticCalibrationWord] = quint16(encodeScaled(ui->magCalib->value(), scale, kWordMax));

    const quint32 point20ma = encodeScaled(ui->point20ma->value(), scale, kPoint20maMax);
    block[Point20maLowWord] = lowHalf(point20ma);
    block[Point20maHighWord] = highHalf(point20ma);

    block[Threshold1Word] = withLevel15(withFlagBit15(block[Threshold1Word], ui->limit1_opt->currentIndex()),
                                        encodeScaled(ui->limit1_level->value(), scale, kLevelMax));
    block[Threshold2Word] = withLevel15(withFlagBit15(block[Threshold2Word], ui->limit2_opt->currentIndex()),
                                        encodeScaled(ui->limit2_level->value(), scale, kLevelMax));
    block[Hysteresis12Word] = packHysteresis(encodeScaled(ui->limit1_hyst->value(), scale, kHysteresisMax),
                                             encodeScaled(ui->limit2_hyst->value(), scale, kHysteresisMax));

    block[Threshold3SwitchWord] = withFlagBit15(block[Threshold3SwitchWord], ui->limit3_opt->currentIndex());
    block[Threshold3LevelWord] = quint16(encodeScaled(ui->limit3_level->value(), scale, kWordMax));
    block[Threshold3HysteresisWord] = quint16(encodeScaled(ui->limit3_hyst->value(), scale, kHysteresisMax));

    encodeText(conn.activeGasName, block + GasNameWord, kGasNameBytes);
}

void MainWindow::on_Reload_clicked()
{
    conn.reqReload = true;
}

void MainWindow::on_Write_clicked()
{
    if (!blockReadyOrExplain())
        return;
    regHold[ModeRegisterWord] |= kServiceModeBit;
    conn.reqWrite = true;
}

// A new Modbus address goes out alone after the block (see the write step).
void MainWindow::on_SetParam_clicked()
{
    if (!blockReadyOrExplain())
        return;
    const int address = ui->sbMB_AdrSet->value();
    if (!slaveAddressUsableOrExplain(address))
        return;
    conn.newAddress = address != conn.slaveAddress ? quint8(address) : 0;
    regHold[HartAddressWord] = hartAddress(quint16(ui->sbMB_AdrHART->value()));
    // Without a selection (mode 3 read from the device) the mode stays as read.
    regHold[FormatWord] = withBleMode(regHold[FormatWord], ui->cBLE->currentIndex());
    conn.reqWrite = true;
}
