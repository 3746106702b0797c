#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "registermodel.h"

using namespace RegisterModel;

namespace {

// The thirteen widgets of the tab's three groups.
QVector<QWidget *> currentControls(Ui_MainWindow *ui)
{
    return {ui->Calib4maStart,  ui->Calibr4mA_Value,  ui->Calib4maSet,  ui->Calib4maStop,
            ui->Calib20maStart, ui->Calibr20mA_Value, ui->Calib20maSet, ui->Calib20maStop,
            ui->Test4mA,        ui->Test20mA,         ui->TestIoutValue, ui->Test,
            ui->TestStop};
}

// The controls usable while no calibration point or test runs.
void showCurrentIdle(Ui_MainWindow *ui)
{
    const QVector<QWidget *> idleSet{ui->Calib4maStart, ui->Calib20maStart, ui->Test4mA,
                                     ui->Test20mA,      ui->TestIoutValue,  ui->Test};
    for (QWidget *idle : idleSet)
        idle->setEnabled(true);
}

} // namespace

void MainWindow::CalibIoutCtrlDisable(bool disable)
{
    for (QWidget *control : currentControls(ui))
        control->setEnabled(!disable);
}

// Ends the calibration point or test that runs, as its "Завершить" would:
// the step's own stop button is the one left usable while it runs.
void MainWindow::endRunningCurrentStep()
{
    if (ui->TestStop->isEnabledTo(ui->tabWidget))
        on_TestStop_clicked();
    else if (ui->Calib4maStop->isEnabledTo(ui->tabWidget))
        on_Calib4maStop_clicked();
    else if (ui->Calib20maStop->isEnabledTo(ui->tabWidget))
        on_Calib20maStop_clicked();
}

// A step left running by a connection that was cut belongs to that
// connection; the next one starts with the tab idle.
void MainWindow::showCurrentTabIdle()
{
    CalibIoutCtrlDisable(true);
    showCurrentIdle(ui);
}

// Sent with the save in the tick. A value or save the detector did not take
// ends the point as failed, and its "Завершить" goes out with the same tick.
void MainWindow::sendCurrentPoint(CalibrationKind kind, double milliamps)
{
    const quint16 hundredths = encodeCurrent(milliamps);
    // The journal's value is the one that goes out now, not the box's at the start.
    noteSent(currentRecord, tr("%1 мА").arg(hundredths / 100.0, 0, 'f', 2));
    if (modbus.IoutCalibValueSet(hundredths) && modbus.CalibrSave())
        return;
    if (kind == CalibrationKind::Current4mA)
        endCurrentPoint(ui->Calib4maStart, tr("Калибровка 4 мА не удалась"));
    else
        endCurrentPoint(ui->Calib20maStart, tr("Калибровка 20 мА не удалась"));
}

// Every end of a calibration point comes here, and so does its journal row.
void MainWindow::endCurrentPoint(QWidget *start, const QString &text)
{
    CalibIoutCtrlDisable(true);
    showCurrentIdle(ui);
    start->setFocus();
    conn.reqTestStop = true;
    ui->calib_iout_stat->setText(text);
    endRecord(currentRecord, text);
}

// A point the connection was lost under; the next connection shows the tab
// idle.
void MainWindow::currentPointCutOff()
{
    if (!ui->Calib4maStop->isEnabledTo(ui->tabWidget) && !ui->Calib20maStop->isEnabledTo(ui->tabWidget))
        return;
    const QString text = tr("Связь прервалась во время калибровки, её итог неизвестен");
    ui->calib_iout_stat->setText(text);
    endRecord(currentRecord, text);
}

void MainWindow::on_Calib4maStart_clicked()
{
    CalibIoutCtrlDisable(true);
    ui->Calibr4mA_Value->setEnabled(true);
    ui->Calib4maSet->setEnabled(true);
    ui->Calib4maStop->setEnabled(true);
    ui->Calib4maStop->setFocus();
    conn.reqServiceMode = true;
    conn.req4maStart = true;
    ui->calib_iout_stat->setText(tr("Калибровка 4 мА, ожидание ввода данных"));
    beginRecord(currentRecord, CalibrationKind::Current4mA);
}

// The output now carries the calibrated 4 mA: "Завершить" stays usable so the
// user can check it on the meter and then end the step.
void MainWindow::on_Calib4maSet_clicked()
{
    ui->Calibr4mA_Value->setEnabled(false);
    ui->Calib4maSet->setEnabled(false);
    ui->Calib4maStop->setFocus();
    conn.req4maValue = true;
    ui->calib_iout_stat->setText(tr("Калибровка 4 мА завершена, тест 4мА"));
}

// Before "Калибровать" no value went out: the point is cancelled, not
// calibrated, and the tab and the journal say so.
void MainWindow::on_Calib4maStop_clicked()
{
    endCurrentPoint(ui->Calib4maStart, ui->Calib4maSet->isEnabledTo(ui->tabWidget)
                                           ? tr("Калибровка 4 мА отменена")
                                           : tr("Калибровка завершена"));
}

void MainWindow::on_Calib20maStart_clicked()
{
    CalibIoutCtrlDisable(true);
    ui->Calibr20mA_Value->setEnabled(true);
    ui->Calib20maSet->setEnabled(true);
    ui->Calib20maStop->setEnabled(true);
    ui->Calib20maStop->setFocus();
    conn.reqServiceMode = true;
    conn.req20maStart = true;
    ui->calib_iout_stat->setText(tr("Калибровка 20 мА, ожидание ввода данных"));
    beginRecord(currentRecord, CalibrationKind::Current20mA);
}

void MainWindow::on_Calib20maSet_clicked()
{
    ui->Calibr20mA_Value->setEnabled(false);
    ui->Calib20maSet->setEnabled(false);
    ui->Calib20maStop->setFocus();
    conn.req20maValue = true;
    ui->calib_iout_stat->setText(tr("Калибровка 20 мА завершена, тест 20 мА"));
}

void MainWindow::on_Calib20maStop_clicked()
{
    endCurrentPoint(ui->Calib20maStart, ui->Calib20maSet->isEnabledTo(ui->tabWidget)
                                            ? tr("Калибровка 20 мА отменена")
                                            : tr("Калибровка завершена"));
}

void MainWindow::on_Test4mA_clicked()
{
    CalibIoutCtrlDisable(true);
    ui->TestStop->setEnabled(true);
    ui->TestStop->setFocus();
    conn.reqServiceMode = true;
    conn.req4maTest = true;
    ui->calib_iout_stat->setText(tr("Тестирование токового выхода на 4 мА"));
}

void MainWindow::on_Test20mA_clicked()
{
    CalibIoutCtrlDisable(true);
    ui->TestStop->setEnabled(true);
    ui->TestStop->setFocus();
    conn.reqServiceMode = true;
    conn.req20maTest = true;
    ui->calib_iout_stat->setText(tr("Тестирование токового выхода на 20 мА"));
}

// The text shows the value at the click; the tick sends the value the box
// holds when it serves the request.
void MainWindow::on_Test_clicked()
{
    CalibIoutCtrlDisable(true);
    ui->TestStop->setEnabled(true);
    ui->TestStop->setFocus();
    conn.reqServiceMode = true;
    conn.reqCurrentTest = true;
    ui->calib_iout_stat->setText(
        tr("Тестирование токового выхода на %1 мА").arg(ui->TestIoutValue->value(), 0, 'f', 2));
}

void MainWindow::on_TestStop_clicked()
{
    CalibIoutCtrlDisable(true);
    showCurrentIdle(ui);
    ui->Test->setFocus();
    conn.reqTestStop = true;
    ui->calib_iout_stat->setText(tr("Тест завершён"));
}
