#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QColor>
#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <QVector>

#include "calibrationjournal.h"
#include "detectorsession.h"
#include "sessionview.h"

class Ui_MainWindow;
class CustomPlotWidget;

// A calibration's journal row from its start until it is written. The
// outcome is null while the calibration runs.
struct JournalRecord
{
    CalibrationJournal journal;
    QString outcome;
    JournalResult result = JournalResult::Unknown;
};

extern QString dir;   // last settings-file directory, kept in "ini"
extern int xPos;      // x coordinate of the next plot point

// The window: a view of the detector session. Its slots turn clicks into the
// session's requests, its handlers show what the session reports, and every
// enabled state comes from the session's phases. It never decides from a
// widget's state what goes to a detector; the values the user has entered
// reach the session through SessionView.
class MainWindow : public QMainWindow, private SessionView
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    QIcon colorizeIcon(const QString &path, const QColor &color);

private slots:
    void Timer();
    void on_Exit_clicked();
    void on_Start_clicked();
    void on_Stop_clicked();
    void on_Reload_clicked();
    void on_Write_clicked();
    void on_SetParam_clicked();
    void on_PortScan_clicked();
    void on_Export_clicked();
    void on_Import_clicked();
    void on_tabWidget_currentChanged(int index);
    void on_GazSet_clicked();
    void on_CalibZeroStart_clicked();
    void on_CalibZeroSet_clicked();
    void on_CalibZeroEsc_clicked();
    void on_CalibDiapStart_clicked();
    void on_CalibDiapSet_clicked();
    void on_CalibDiapEsc_clicked();
    void on_mode_service_clicked();
    void on_mode_working_clicked();
    void on_Calib4maStart_clicked();
    void on_Calib4maSet_clicked();
    void on_Calib4maStop_clicked();
    void on_Calib20maStart_clicked();
    void on_Calib20maSet_clicked();
    void on_Calib20maStop_clicked();
    void on_Test4mA_clicked();
    void on_Test20mA_clicked();
    void on_Test_clicked();
    void on_TestStop_clicked();
    void on_BumpStart_clicked();
    void on_BumpGasOff_clicked();
    void on_BumpFinish_clicked();
    void on_Certificate_clicked();

private:
    // SessionView: what the user has entered, read when a request is served
    // (mainwindow_view.cpp)
    double spanConcentration() const override;
    double currentPointValue(CalibrationKind point) const override;
    double testCurrent() const override;
    void encodeControls(quint16 *block) override;

    // what the session reports (mainwindow_view.cpp)
    void connectSession();
    void showPolled(const QVector<quint16> &input);
    void showConcentration(double value, double plotUpperBound);
    void showNoConcentration();
    void showDetectorBlock();
    void showGasNames(const QString &target, const QString &main);
    void showPhases();
    void showModeButtons();
    void showGasCalibrationPhase();
    void showCurrentPhase();
    void showActiveGas();
    void showLeaving();
    void forgetDetector();
    void connectionClosed();
    // connection (mainwindow_connection.cpp)
    void fillPortList();
    bool slaveAddressUsableOrExplain(int address);
    void tellPortNotOpened();
    void endConnection();
    // status line (mainwindow_notices.cpp)
    void tell(const QString &text);
    void tellNotice(const SessionNotice &notice);
    void tellGaveUp(const ExchangeOutcome &lastPoll);
    void tellLeftBehind(qint64 serial, const LeftInDetector &kept, bool endedByUser);
    void tellLeftBehindMet(qint64 serial, const LeftInDetector &undone, const LeftInDetectors &others);
    // parameter editing (mainwindow_editing.cpp)
    void CtrlEnable(bool enabled);
    void CtrlSetRegHold(const quint16 *block);
    void CtrlSetRegHoldSerNum();
    void MemSetRegHold(quint16 *block);
    bool blockReadyOrExplain();
    // gas selection (mainwindow_gas.cpp)
    void GazReturnToCelevoy();
    bool detectorBlockOrExplain();
    // gas calibration (mainwindow_gascalib.cpp)
    void showGasCalibrationEnd(CalibrationKind kind, GasCalibrationEnd end);
    bool detectorScaleOrExplain();
    // current output (mainwindow_current.cpp)
    void showCurrentPointEnd(CalibrationKind kind, CurrentPointEnd end);
    void showCurrentTestStopped();
    void showCurrentTestInterrupted();
    void showTestStopNotConfirmed(const ExchangeOutcome &outcome);
    // the calibration journal (mainwindow_journal.cpp)
    JournalRecord &recordOf(CalibrationKind kind);
    void beginRecord(JournalRecord &record, CalibrationKind kind);
    void noteSent(CalibrationKind kind, quint16 raw);
    void noteSaving(CalibrationKind kind);
    void takeWorkEntries(JournalEntry &entry) const;
    void endRecord(JournalRecord &record, JournalResult result, const QString &outcome);
    void writeEndedRecords();
    void writeRecord(JournalRecord &record);
    // a file of this or another detector, a new address (mainwindow_transfer.cpp)
    QString transferRefusalText(const RegisterModel::SettingsTransfer &transfer) const;
    QString lentSettingsText(qint64 fileSerial, const QStringList &rounded) const;
    void importSettings(const quint16 *file, const QString &path);
    bool lentSettingsConfirmed();
    void tellAddressInUse(quint8 address, AddressProbe found);
    // bump test (mainwindow_bump.cpp)
    QString bumpRefusalText(DetectorSession::BumpStartRefusal refusal) const;
    QString bumpInterruptionText(BumpInterruption why) const;
    void showBumpFigures();
    void showBumpEnd(BumpVerdict verdict);
    void showBumpPhase();
    void showBumpGasBounds();
    void beginBumpRecord();
    void endBumpRecord(BumpVerdict verdict, const QString &outcome);
    // the engineer, the cylinder, the certificate, due dates (mainwindow_paperwork.cpp)
    void showRememberedEntries();
    QStringList thresholdsAsLeft() const;
    void tellCalibrationDue();
    // state file (mainwindow_settings.cpp)
    void DataSave();

    Ui_MainWindow *ui;
    QTimer timer;
    DetectorSession session{*this};
    CustomPlotWidget *plot = nullptr;

    // The journal rows of the gas calibration and of the current-output
    // calibration point under way, or ended and not yet written.
    JournalRecord gasRecord;
    JournalRecord currentRecord;
    JournalRecord bumpRecord;
    // The user has been told that the calibration journal cannot be written,
    // on this connection.
    bool journalWarned = false;
    // An overdue calibration has been looked for on this connection.
    bool dueTold = false;

    // The detector whose span concentration the test gas box was given.
    qint64 bumpGasDetector = kUnknownSerial;

    // The status line's text until this connection's first answer.
    QString waitingText;

    QVector<QString> unitNames;
    QColor accent;

    friend class MainWindowProbe;   // white-box access for the tests
};

#endif // MAINWINDOW_H
