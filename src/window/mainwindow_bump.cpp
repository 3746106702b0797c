#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "registermodel.h"

using namespace RegisterModel;

// The bump test tab shows the session's test: the user's criteria go in at
// the start, the figures and the verdict come back from the polls.

namespace {

QString seconds(const std::optional<double> &time)
{
    return time ? QString::number(*time, 'f', 1) : QString();
}

} // namespace

void MainWindow::on_BumpStart_clicked()
{
    BumpCriteria criteria;
    criteria.testGas = ui->BumpGas->value();
    criteria.passShare = ui->BumpShare->value() / 100.0;
    criteria.withinSeconds = ui->BumpTime->value();
    const DetectorSession::BumpStartRefusal refusal = session.startBumpTest(criteria);
    if (refusal != DetectorSession::BumpStartRefusal::None) {
        ui->bump_stat->setText(bumpRefusalText(refusal));
        return;
    }
    showBumpFigures();
    ui->bump_stat->setText(tr("Подайте газ. Когда показание установится, снимите газ и нажмите «Газ снят»"));
    ui->BumpGasOff->setFocus();
    beginBumpRecord();
}

void MainWindow::on_BumpGasOff_clicked()
{
    session.removeBumpGas();
    ui->bump_stat->setText(tr("Газ снят, ожидается спад показания"));
    ui->BumpFinish->setFocus();
}

void MainWindow::on_BumpFinish_clicked()
{
    session.finishBumpTest();
}

QString MainWindow::bumpRefusalText(DetectorSession::BumpStartRefusal refusal) const
{
    using Refusal = DetectorSession::BumpStartRefusal;
    switch (refusal) {
    case Refusal::NotConnected:
    case Refusal::NoReading:
        return tr("Нет показаний датчика: проверка не начата");
    case Refusal::ServiceMode:
        return tr("Датчик в сервисном режиме: переведите его в рабочий режим");
    case Refusal::Initialising:
        return tr("Датчик ещё не готов к измерению: проверка не начата");
    case Refusal::Busy:
        return tr("Идёт другая операция с датчиком: проверка не начата");
    case Refusal::BadCriteria:
        return tr("Задайте концентрацию поверочного газа");
    case Refusal::None:
        break;
    }
    return QString();
}

void MainWindow::showBumpFigures()
{
    const BumpTestFigures &f = session.bumpTest().figures();
    const quint8 decimals = session.connection().detectorDecimals;
    ui->bump_before->setText(QString::number(f.readingBefore, 'f', decimals));
    ui->bump_peak->setText(QString::number(f.peak, 'f', decimals));
    ui->bump_t50->setText(seconds(f.t50));
    ui->bump_t90->setText(seconds(f.t90));
    QLineEdit *const thresholds[] = {ui->bump_thr1, ui->bump_thr2, ui->bump_thr3};
    for (int i = 0; i < 3; ++i)
        thresholds[i]->setText(seconds(f.thresholdTripped[size_t(i)]));
    ui->bump_recovery->setText(seconds(f.recovery));
}

// The reason stays on the tab and goes into the journal.
void MainWindow::showBumpEnd(BumpVerdict verdict)
{
    showBumpFigures();
    const BumpTest &test = session.bumpTest();
    QString text;
    switch (verdict) {
    case BumpVerdict::Passed:
        text = tr("Проверка пройдена");
        break;
    case BumpVerdict::SlowRise:
        text = tr("Не пройдена: показание не достигло %1 % газа за %2 с")
                   .arg(qRound(test.criteria().passShare * 100))
                   .arg(test.criteria().withinSeconds);
        break;
    case BumpVerdict::ThresholdSilent:
        text = tr("Не пройдена: порог %1 не сработал").arg(test.silentThreshold());
        break;
    case BumpVerdict::DetectorFault:
        text = tr("Не пройдена: датчик сообщил о неисправности");
        break;
    case BumpVerdict::Interrupted:
        text = bumpInterruptionText(test.interruption());
        break;
    case BumpVerdict::Cancelled:
        text = tr("Проверка отменена");
        break;
    case BumpVerdict::Running:
        return;
    }
    ui->bump_stat->setText(text);
    ui->BumpStart->setFocus();
    endBumpRecord(verdict, text);
}

QString MainWindow::bumpInterruptionText(BumpInterruption why) const
{
    switch (why) {
    case BumpInterruption::ConnectionLost:
        return tr("Проверка прервана: связь с датчиком закончилась");
    case BumpInterruption::PollFailed:
        return tr("Проверка прервана: датчик не ответил на опрос");
    case BumpInterruption::DetectorRestarted:
        return tr("Проверка прервана: датчик перезапустился");
    case BumpInterruption::ServiceMode:
        return tr("Проверка прервана: датчик перешёл в сервисный режим");
    case BumpInterruption::None:
        break;
    }
    return QString();
}

// While the test runs nothing else may start: the buttons that would write
// to the detector wait with it (the mode, calibration and current buttons
// follow the test in their own enabled states).
void MainWindow::showBumpPhase()
{
    const BumpTest &test = session.bumpTest();
    const bool running = test.running();
    const bool connected = session.isConnected();
    ui->BumpStart->setEnabled(connected && !running);
    ui->BumpGasOff->setEnabled(test.stage() == BumpTest::Stage::GasOn);
    ui->BumpFinish->setEnabled(running);
    for (QWidget *input : {static_cast<QWidget *>(ui->BumpGas), static_cast<QWidget *>(ui->BumpShare),
                           static_cast<QWidget *>(ui->BumpTime)})
        input->setEnabled(!running);
    ui->Write->setEnabled(!running);
    ui->SetParam->setEnabled(!running);
}

// The test gas box follows the detector's block as read: its decimal count,
// range and unit. For each new detector it starts at the span calibration
// concentration, the cylinder most at hand; a reload keeps what was entered.
void MainWindow::showBumpGasBounds()
{
    const quint16 *block = session.connection().detectorBlock.constData();
    const quint8 decimals = decimalCount(block[FormatWord]);
    const quint16 scale = scaleFactor(decimals);
    ui->BumpGas->setDecimals(decimals);
    ui->BumpGas->setMaximum(decodeScaled(block[DisplayRangeWord], scale));
    if (session.connectedSerial() != bumpGasDetector)
        ui->BumpGas->setValue(decodeScaled(block[SpanConcentrationWord], scale));
    bumpGasDetector = session.connectedSerial();
    ui->bump_unit->setText(unitNames.value(unitIndex(block[FormatWord])));
}
