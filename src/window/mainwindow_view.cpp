#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QStatusBar>

#include "customplotwidget.h"
#include "parametertable.h"
#include "registermodel.h"

using namespace RegisterModel;

// The window shows what the session reports; every enabled state below is
// computed from the session's phases, never the other way round.

void MainWindow::connectSession()
{
    connect(&session, &DetectorSession::polled, this, &MainWindow::showPolled);
    connect(&session, &DetectorSession::concentrationShown, this, &MainWindow::showConcentration);
    connect(&session, &DetectorSession::concentrationUnknown, this, &MainWindow::showNoConcentration);
    connect(&session, &DetectorSession::blockRead, this, &MainWindow::showDetectorBlock);
    connect(&session, &DetectorSession::gasNamesShown, this, &MainWindow::showGasNames);
    connect(&session, &DetectorSession::activeGasChanged, this, &MainWindow::showActiveGas);
    connect(&session, &DetectorSession::phasesChanged, this, &MainWindow::showPhases);
    connect(&session, &DetectorSession::valueSent, this, &MainWindow::noteSent);
    connect(&session, &DetectorSession::calibrationSaving, this, &MainWindow::noteSaving);
    connect(&session, &DetectorSession::gasCalibrationEnded, this, &MainWindow::showGasCalibrationEnd);
    connect(&session, &DetectorSession::currentPointEnded, this, &MainWindow::showCurrentPointEnd);
    connect(&session, &DetectorSession::currentTestStopped, this, &MainWindow::showCurrentTestStopped);
    connect(&session, &DetectorSession::currentTestInterrupted, this, &MainWindow::showCurrentTestInterrupted);
    connect(&session, &DetectorSession::testStopNotConfirmed, this, &MainWindow::showTestStopNotConfirmed);
    connect(&session, &DetectorSession::notice, this, &MainWindow::tellNotice);
    connect(&session, &DetectorSession::leftBehind, this, &MainWindow::tellLeftBehind);
    connect(&session, &DetectorSession::leftBehindMet, this, &MainWindow::tellLeftBehindMet);
    connect(&session, &DetectorSession::addressMoved, this, [this](quint8 address) { ui->sbMB_Adr->setValue(address); });
    connect(&session, &DetectorSession::addressInUse, this, &MainWindow::tellAddressInUse);
    connect(&session, &DetectorSession::tickPolled, this, &MainWindow::writeEndedRecords);
    connect(&session, &DetectorSession::bumpTestProgressed, this, &MainWindow::showBumpFigures);
    connect(&session, &DetectorSession::bumpTestEnded, this, &MainWindow::showBumpEnd);
    connect(&session, &DetectorSession::gaveUp, this, &MainWindow::tellGaveUp);
    connect(&session, &DetectorSession::connectionClosed, this, &MainWindow::connectionClosed);
}

// ---- what the user has entered, as the session asks for it

double MainWindow::spanConcentration() const
{
    return ui->CalibrValue->value();
}

double MainWindow::currentPointValue(CalibrationKind point) const
{
    return (point == CalibrationKind::Current4mA ? ui->Calibr4mA_Value : ui->Calibr20mA_Value)->value();
}

double MainWindow::testCurrent() const
{
    return ui->TestIoutValue->value();
}

// ---- live values

void MainWindow::showPolled(const QVector<quint16> &input)
{
    if (statusBar()->currentMessage() == waitingText)
        tell(QString());
    ui->VersionFW->setText(firmwareVersionText(input[FirmwareMajorMinorWord], input[FirmwareBuildWord]));
    ui->status->setText(statusText(input[StatusWord]));
    showModeButtons();
}

// The two mode buttons follow the detector's status word, not the click.
// Working mode is not offered while the output is forced: the detector would
// report working mode with its output still held at the test current.
void MainWindow::showModeButtons()
{
    const int status = session.connection().polledStatus;
    const bool polled = status >= 0;
    const bool serviceMode = polled && (status & kStatusServiceMode);
    const bool free = !session.bumpTestRunning();
    ui->mode_service->setEnabled(polled && !serviceMode && free);
    ui->mode_working->setEnabled(serviceMode && session.currentPhase() == CurrentPhase::Idle && free);
}

void MainWindow::showConcentration(double value, double plotUpperBound)
{
    ui->lcdValue->display(value);
    plot->upperBound = plotUpperBound;
    plot->setScale(session.connection().detectorUnit, session.detectorThresholds());
    plot->AddPnt(value, xPos);
    ++xPos;
}

// Dashes across the display: no concentration, rather than a number the
// detector did not send in that form.
void MainWindow::showNoConcentration()
{
    ui->lcdValue->display(QString(ui->lcdValue->digitCount(), '-'));
}

// The session's block was read complete from the connected detector.
void MainWindow::showDetectorBlock()
{
    CtrlSetRegHold(session.parameterBlock());
    CtrlSetRegHoldSerNum();
    showBumpGasBounds();
    tellCalibrationDue();
}

void MainWindow::showGasNames(const QString &target, const QString &main)
{
    ui->gaz_c->setText(target);
    ui->gaz_osn->setText(main);
}

// A new connection may lead to another detector: nothing the window shows
// of the last one counts for it, not its identity, its reading, its gas
// names or the current tab's last step. Only the gas tab keeps its text: a
// calibration cut by the lost connection stays told until the next begins.
void MainWindow::forgetDetector()
{
    showNoConcentration();
    for (QLineEdit *field : {ui->gaz_c, ui->gaz_osn, ui->VersionFW, ui->SerialNumDev, ui->TypeDev, ui->unit,
                          ui->status, ui->calib_iout_stat})
        field->clear();
    waitingText = tr("Ожидание ответа датчика с адресом %1").arg(session.connection().slaveAddress);
    tell(waitingText);
    journalWarned = false;
    dueTold = false;
    showPhases();
}

// ---- enabled states

void MainWindow::showPhases()
{
    showGasCalibrationPhase();
    showCurrentPhase();
    showModeButtons();
    showLeaving();
    showBumpPhase();
}

// Stop belongs to the calibration controls: disconnecting in the middle of a
// calibration would leave the detector calibrating with nobody to finish it.
void MainWindow::showGasCalibrationPhase()
{
    const GasCalibrationPhase phase = session.gasCalibrationPhase();
    const bool idle = session.gasCalibrationCanStart();
    ui->CalibZeroStart->setEnabled(idle);
    ui->CalibDiapStart->setEnabled(idle);
    ui->CalibZeroSet->setEnabled(phase == GasCalibrationPhase::ZeroStarted);
    ui->CalibZeroEsc->setEnabled(phase == GasCalibrationPhase::ZeroStarted);
    ui->CalibDiapSet->setEnabled(phase == GasCalibrationPhase::SpanStarted);
    ui->CalibDiapEsc->setEnabled(phase == GasCalibrationPhase::SpanStarted);
    ui->GazSet->setEnabled(idle && session.connection().gasSwitchAllowed);
}

// The tab's three groups: while a calibration point or test runs, only its
// own controls, and its "Завершить", are usable.
void MainWindow::showCurrentPhase()
{
    const CurrentPhase phase = session.currentPhase();
    const bool idle = session.currentCanStart();
    for (QWidget *start : {static_cast<QWidget *>(ui->Calib4maStart), static_cast<QWidget *>(ui->Calib20maStart),
                           static_cast<QWidget *>(ui->Test4mA), static_cast<QWidget *>(ui->Test20mA),
                           static_cast<QWidget *>(ui->TestIoutValue), static_cast<QWidget *>(ui->Test)})
        start->setEnabled(idle);
    const bool at4 = phase == CurrentPhase::Point4maStarted;
    const bool at20 = phase == CurrentPhase::Point20maStarted;
    ui->Calibr4mA_Value->setEnabled(at4);
    ui->Calib4maSet->setEnabled(at4);
    ui->Calib4maStop->setEnabled(at4 || phase == CurrentPhase::Point4maSet);
    ui->Calibr20mA_Value->setEnabled(at20);
    ui->Calib20maSet->setEnabled(at20);
    ui->Calib20maStop->setEnabled(at20 || phase == CurrentPhase::Point20maSet);
    ui->TestStop->setEnabled(phase == CurrentPhase::Testing || phase == CurrentPhase::StopUnconfirmed);
}

// While the main gas is in, or on its way, the detector measures the wrong
// gas for its thresholds, so the window may not be left or disconnected until
// the detector has taken the target gas back. A gas calibration holds Stop
// itself.
void MainWindow::showLeaving()
{
    const bool connected = session.isConnected();
    const bool held = connected && session.mainGasHeld();
    ui->Exit->setEnabled(!held);
    ui->Stop->setEnabled(connected && !held && !session.connection().gasCalibrationRunning());
}

// The radio buttons show the gas the detector is on.
void MainWindow::showActiveGas()
{
    (session.connection().mainGasActive ? ui->rbGazOsn : ui->rbGazC)->setChecked(true);
}

// The connection is over, in order or because the detector stopped
// answering: the rows of what ended under it are written, and the window
// goes to its disconnected look.
void MainWindow::connectionClosed()
{
    timer.stop();
    writeEndedRecords();
    CtrlEnable(false);
    showPhases();
    ui->Start->setFocus();
}
