#include "mainwindow.h"
#include "ui_mainwindow.h"

namespace {

// A point that failed may have had its value or save refused or unanswered:
// the session does not tell which, so neither is claimed.
JournalResult journalResultOf(CurrentPointEnd end)
{
    switch (end) {
    case CurrentPointEnd::Completed: return JournalResult::Done;
    case CurrentPointEnd::Cancelled: return JournalResult::Cancelled;
    case CurrentPointEnd::Failed: return JournalResult::Unknown;
    case CurrentPointEnd::CutOff:
    case CurrentPointEnd::Interrupted: return JournalResult::Interrupted;
    case CurrentPointEnd::SaveUnknown: return JournalResult::Unknown;
    }
    return JournalResult::Unknown;
}

} // namespace

// The tab's text for each end of a calibration point; the journal row keeps it.
void MainWindow::showCurrentPointEnd(CalibrationKind kind, CurrentPointEnd end)
{
    const bool at4 = kind == CalibrationKind::Current4mA;
    QString text;
    switch (end) {
    case CurrentPointEnd::Completed:
        text = tr("Калибровка завершена");
        break;
    case CurrentPointEnd::Cancelled:
        text = at4 ? tr("Калибровка 4 мА отменена") : tr("Калибровка 20 мА отменена");
        break;
    case CurrentPointEnd::Failed:
        text = at4 ? tr("Калибровка 4 мА не удалась") : tr("Калибровка 20 мА не удалась");
        break;
    case CurrentPointEnd::CutOff:
        text = tr("Связь прервалась во время калибровки, её итог неизвестен");
        break;
    case CurrentPointEnd::Interrupted:
        text = tr("Датчик перезапустился или вышел из сервисного режима: калибровка тока прервана, "
                  "её итог неизвестен");
        break;
    case CurrentPointEnd::SaveUnknown:
        text = tr("Датчик не ответил на сохранение калибровки тока, её итог неизвестен");
        break;
    }
    if (end != CurrentPointEnd::CutOff)
        (at4 ? ui->Calib4maStart : ui->Calib20maStart)->setFocus();
    ui->calib_iout_stat->setText(text);
    endRecord(currentRecord, journalResultOf(end), text);
}

void MainWindow::showCurrentTestStopped()
{
    ui->Test->setFocus();
    ui->calib_iout_stat->setText(tr("Тест завершён"));
}

// The stop still goes out: a detector that only seemed to restart may
// still force its output.
void MainWindow::showCurrentTestInterrupted()
{
    ui->Test->setFocus();
    ui->calib_iout_stat->setText(
        tr("Датчик перезапустился или вышел из сервисного режима: тест токового выхода прерван"));
}

// Said on the tab, where "Завершить" stays usable, and in the status line,
// which stays readable on another tab.
void MainWindow::showTestStopNotConfirmed(const ExchangeOutcome &outcome)
{
    const QString text =
        outcome.isRefusal()
            ? tr("Датчик отказал в завершении теста токового выхода (код исключения %1): выход может "
                 "оставаться под током. Завершение повторяется каждую секунду.")
                  .arg(outcome.exceptionCode())
            : tr("Датчик не подтвердил завершение теста токового выхода: выход может оставаться под током. "
                 "Завершение повторяется каждую секунду.");
    ui->calib_iout_stat->setText(text);
    tell(text);
}

void MainWindow::on_Calib4maStart_clicked()
{
    if (!session.startCurrentPoint(CalibrationKind::Current4mA))
        return;
    ui->Calib4maStop->setFocus();
    ui->calib_iout_stat->setText(tr("Калибровка 4 мА, ожидание ввода данных"));
    beginRecord(currentRecord, CalibrationKind::Current4mA);
}

void MainWindow::on_Calib4maSet_clicked()
{
    if (!session.setCurrentPoint())
        return;
    ui->Calib4maStop->setFocus();
    ui->calib_iout_stat->setText(tr("Калибровка 4 мА завершена, тест 4мА"));
}

void MainWindow::on_Calib4maStop_clicked()
{
    session.stopCurrentPoint();
}

void MainWindow::on_Calib20maStart_clicked()
{
    if (!session.startCurrentPoint(CalibrationKind::Current20mA))
        return;
    ui->Calib20maStop->setFocus();
    ui->calib_iout_stat->setText(tr("Калибровка 20 мА, ожидание ввода данных"));
    beginRecord(currentRecord, CalibrationKind::Current20mA);
}

void MainWindow::on_Calib20maSet_clicked()
{
    if (!session.setCurrentPoint())
        return;
    ui->Calib20maStop->setFocus();
    ui->calib_iout_stat->setText(tr("Калибровка 20 мА завершена, тест 20 мА"));
}

void MainWindow::on_Calib20maStop_clicked()
{
    session.stopCurrentPoint();
}

void MainWindow::on_Test4mA_clicked()
{
    if (!session.startCurrentTest(DetectorSession::TestCurrent::FourMilliamps))
        return;
    ui->TestStop->setFocus();
    ui->calib_iout_stat->setText(tr("Тестирование токового выхода на 4 мА"));
}

void MainWindow::on_Test20mA_clicked()
{
    if (!session.startCurrentTest(DetectorSession::TestCurrent::TwentyMilliamps))
        return;
    ui->TestStop->setFocus();
    ui->calib_iout_stat->setText(tr("Тестирование токового выхода на 20 мА"));
}

// The text shows the value at the click; the tick sends the value the box
// holds when it serves the request.
void MainWindow::on_Test_clicked()
{
    if (!session.startCurrentTest(DetectorSession::TestCurrent::Entered))
        return;
    ui->TestStop->setFocus();
    ui->calib_iout_stat->setText(
        tr("Тестирование токового выхода на %1 мА").arg(ui->TestIoutValue->value(), 0, 'f', 2));
}

void MainWindow::on_TestStop_clicked()
{
    session.stopCurrentTest();
}
