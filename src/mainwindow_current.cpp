#include "mainwindow.h"
#include "ui_mainwindow.h"

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

void MainWindow::on_Calib4maStop_clicked()
{
    CalibIoutCtrlDisable(true);
    showCurrentIdle(ui);
    ui->Calib4maStart->setFocus();
    conn.reqTestStop = true;
    ui->calib_iout_stat->setText(tr("Калибровка завершена"));
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
    CalibIoutCtrlDisable(true);
    showCurrentIdle(ui);
    ui->Calib20maStart->setFocus();
    conn.reqTestStop = true;
    ui->calib_iout_stat->setText(tr("Калибровка завершена"));
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
