#include "mainwindow.h"
#include "ui_mainwindow.h"

namespace {

// The journal's code for each end: what the detector is known to have done.
JournalResult journalResultOf(GasCalibrationEnd end)
{
    switch (end) {
    case GasCalibrationEnd::Done: return JournalResult::Done;
    case GasCalibrationEnd::CommandFailed:
    case GasCalibrationEnd::MainGasRefused: return JournalResult::Refused;
    case GasCalibrationEnd::CommandUnknown:
    case GasCalibrationEnd::OutcomeUnknown: return JournalResult::Unknown;
    case GasCalibrationEnd::CutOff:
    case GasCalibrationEnd::Interrupted: return JournalResult::Interrupted;
    // Nothing went out: the calibration ended before the detector was asked.
    case GasCalibrationEnd::Cancelled:
    case GasCalibrationEnd::ScaleUnknown:
    case GasCalibrationEnd::ValueOutOfRange: return JournalResult::Cancelled;
    }
    return JournalResult::Unknown;
}

} // namespace

// The tab's text for each end of a gas calibration; the journal row keeps it.
void MainWindow::showGasCalibrationEnd(CalibrationKind kind, GasCalibrationEnd end)
{
    const bool zero = kind == CalibrationKind::Zero;
    QString text;
    switch (end) {
    case GasCalibrationEnd::Done:
        text = zero ? tr("Калибровка нуля завершена") : tr("Калибровка диапазона завершена");
        break;
    case GasCalibrationEnd::CommandFailed:
        text = zero ? tr("Калибровка нуля не удалась") : tr("Калибровка диапазона не удалась");
        break;
    case GasCalibrationEnd::CommandUnknown:
        text = zero ? tr("Датчик не ответил на команду калибровки нуля, её итог неизвестен")
                    : tr("Датчик не ответил на команду калибровки диапазона, её итог неизвестен");
        break;
    case GasCalibrationEnd::OutcomeUnknown:
        text = zero ? tr("Датчик не сообщил о калибровке нуля, её итог неизвестен")
                    : tr("Датчик не сообщил о калибровке диапазона, её итог неизвестен");
        break;
    case GasCalibrationEnd::Cancelled:
        text = zero ? tr("Калибровка нуля отменена") : tr("Калибровка диапазона отменена");
        break;
    case GasCalibrationEnd::CutOff:
        text = tr("Связь прервалась во время калибровки, её итог неизвестен");
        break;
    case GasCalibrationEnd::ScaleUnknown:
        text = tr("Параметры датчика ещё не прочитаны, концентрация не отправлена");
        break;
    case GasCalibrationEnd::ValueOutOfRange:
        text = tr("Калибровочная концентрация вне диапазона");
        break;
    case GasCalibrationEnd::MainGasRefused:
        text = tr("Датчик не переключился на основной газ, калибровка отменена");
        break;
    case GasCalibrationEnd::Interrupted:
        text = zero ? tr("Датчик перезапустился или вышел из сервисного режима: калибровка нуля прервана, "
                         "её итог неизвестен")
                    : tr("Датчик перезапустился или вышел из сервисного режима: калибровка диапазона "
                         "прервана, её итог неизвестен");
        break;
    }
    ui->calib_stat->setText(text);
    endRecord(gasRecord, journalResultOf(end), text);
}

void MainWindow::on_CalibZeroStart_clicked()
{
    if (!session.startZeroCalibration())
        return;
    ui->CalibZeroEsc->setFocus();
    ui->calib_stat->setText(tr("Калибровка нуля началась"));
    beginRecord(gasRecord, CalibrationKind::Zero);
}

void MainWindow::on_CalibZeroSet_clicked()
{
    if (!session.saveZeroCalibration())
        return;
    ui->calib_stat->setText(tr("Калибровка нуля продолжается"));
}

void MainWindow::on_CalibZeroEsc_clicked()
{
    session.cancelGasCalibration();
}

void MainWindow::on_CalibDiapStart_clicked()
{
    if (!session.startSpanCalibration())
        return;
    ui->CalibDiapEsc->setFocus();
    ui->calib_stat->setText(tr("Калибровка диапазона началась"));
    beginRecord(gasRecord, CalibrationKind::Span);
}

// Without the detector's decimal count the tab stays where it is, so the
// user may press again once the block has been read.
void MainWindow::on_CalibDiapSet_clicked()
{
    if (!detectorScaleOrExplain())
        return;
    if (!session.sendSpanCalibration())
        return;
    ui->calib_stat->setText(tr("Калибровка диапазона продолжается"));
}

void MainWindow::on_CalibDiapEsc_clicked()
{
    session.cancelGasCalibration();
}

// The span concentration goes out in the detector's own decimal count.
bool MainWindow::detectorScaleOrExplain()
{
    if (session.connection().detectorScaleKnown)
        return true;
    ui->calib_stat->setText(tr("Параметры датчика ещё не прочитаны, концентрация не отправлена"));
    return false;
}

// The two mode buttons follow the detector's status word, not the click.
void MainWindow::on_mode_service_clicked()
{
    session.requestServiceMode();
}

void MainWindow::on_mode_working_clicked()
{
    session.requestWorkingMode();
}
