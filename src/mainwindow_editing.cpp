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
void showScaled(QDoubleSpinBox *box, quint32 stored, quint32 fieldMax, quint8 decimals, quint16 scale)
{
    const double limit = formMaximum(box);
    box->setDecimals(decimals);
    box->setMaximum(shownMaximum(limit, fieldMax, scale));
    box->setValue(decodeScaledSingle(stored, scale));
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

    showScaled(ui->deadZone, block[DeadZoneWord], kWordMax, decimals, scale);
    showScaled(ui->valueHigh, block[DisplayRangeWord], kWordMax, decimals, scale);
    showScaled(ui->magCalib, block[MagneticCalibrationWord], kWordMax, decimals, scale);
    showScaled(ui->point20ma, joinWords(block[Point20maHighWord], block[Point20maLowWord]), kPoint20maMax,
               decimals, scale);

    const quint16 hysteresis = block[Hysteresis12Word];
    ui->limit1_opt->setCurrentIndex(flagBit15(block[Threshold1Word]));
    showScaled(ui->limit1_level, level15(block[Threshold1Word]), kLevelMax, decimals, scale);
    showScaled(ui->limit1_hyst, lowByte(hysteresis), kHysteresisMax, decimals, scale);
    ui->limit2_opt->setCurrentIndex(flagBit15(block[Threshold2Word]));
    showScaled(ui->limit2_level, level15(block[Threshold2Word]), kLevelMax, decimals, scale);
    showScaled(ui->limit2_hyst, highByte(hysteresis), kHysteresisMax, decimals, scale);
    ui->limit3_opt->setCurrentIndex(flagBit15(block[Threshold3SwitchWord]));
    showScaled(ui->limit3_level, block[Threshold3LevelWord], kWordMax, decimals, scale);
    showScaled(ui->limit3_hyst, lowByte(block[Threshold3HysteresisWord]), kHysteresisMax, decimals, scale);

    const QString type = deviceTypeText(highByte(block[DeviceTypeWord]));
    if (!type.isNull())
        ui->TypeDev->setText(type);
    ui->unit->setText(unitNames.value(unitIndex(block[FormatWord])));

    targetGasName = decodeText(block + GasNameWord, kGasNameBytes);
    activeGasName = targetGasName;
    ui->rbGazC->setChecked(true);
    ui->rbGazOsn->setChecked(false);

    showScaled(ui->CalibrValue, block[SpanConcentrationWord], kWordMax, decimals, scale);
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

    encodeText(activeGasName, block + GasNameWord, kGasNameBytes);
}

void MainWindow::on_Reload_clicked()
{
    reqReload = true;
}

void MainWindow::on_Write_clicked()
{
    regHold[ModeRegisterWord] |= kServiceModeBit;
    reqWrite = true;
}

void MainWindow::on_SetParam_clicked()
{
    regHold[ModbusAddressWord] = withModbusAddress(regHold[ModbusAddressWord], quint8(ui->sbMB_AdrSet->value()));
    regHold[HartAddressWord] = hartAddress(quint16(ui->sbMB_AdrHART->value()));
    // Without a selection (mode 3 read from the device) the mode stays as read.
    regHold[FormatWord] = withBleMode(regHold[FormatWord], ui->cBLE->currentIndex());
    reqWrite = true;
}
