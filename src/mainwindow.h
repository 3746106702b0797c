#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QColor>
#include <QIcon>
#include <QMap>
#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <QVector>

#include "calibrationjournal.h"
#include "connectionstate.h"
#include "modbusoperations.h"

class Ui_MainWindow;
class CustomPlotWidget;

// A calibration's journal row from its start until it is written. The
// outcome is null while the calibration runs.
struct JournalRecord
{
    CalibrationJournal journal;
    QString outcome;
};

extern QString dir;   // last settings-file directory, kept in "ini"
extern int xPos;      // x coordinate of the next plot point

class MainWindow : public QMainWindow
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

private:
    // connection (mainwindow_connection.cpp)
    void fillPortList();
    bool slaveAddressUsableOrExplain(int address);
    void endConnection();
    void closeConnection();
    void dropStartRequests();
    // what an ended connection left in its detector (mainwindow_leftbehind.cpp)
    qint64 connectedSerial() const;
    void rememberWhatIsLeft();
    void settleWhatWasLeft();
    void undoWhatWasLeft(const LeftInDetector &left);
    void tell(const QString &text);
    // poll tick (mainwindow_poll.cpp)
    bool longTickAhead() const;
    void serveRequests();
    void serveCommandRequests();
    void serveGasCalibrationRequests();
    void serveCurrentRequests();
    void startCurrentTest(quint16 hundredths);
    void sendSpanValue();
    void reloadParameterBlock();
    void writeParameterBlock();
    void moveDetectorTo(quint8 address);
    void showLiveValues(const QVector<quint16> &input);
    void showGasTable(const QVector<quint16> &input);
    // parameter editing (mainwindow_editing.cpp)
    void CtrlEnable(bool enabled);
    void CtrlSetRegHold(const quint16 *block);
    void CtrlSetRegHoldSerNum();
    void MemSetRegHold(quint16 *block);
    // gas selection (mainwindow_gas.cpp)
    void GazReturnToCelevoy();
    void requestGas(const QString &name, bool toMain);
    void serveGasSwitch();
    void gasSwitchTaken(const QVector<quint16> &block);
    void gasSwitchRefused();
    void dropGasSwitch();
    void showActiveGas();
    void showLeaving();
    bool mainGasHeld() const;
    // gas calibration and its ends (mainwindow_gascalib.cpp)
    void CalibCtrlDisable(bool disable);
    void GazCalibrEnd();
    bool gasCalibrationRunning() const;
    void waitForCalibration(int state);
    void finishCalibration(quint16 status);
    void calibrationDone();
    void calibrationFailed(const QString &text);
    void calibrationOutcomeUnknown();
    void calibrationCancelled(const QString &text);
    void calibrationCutOff();
    void endGasCalibration(const QString &text);
    void gasCalibrationEnded(const QString &text);
    // current output (mainwindow_current.cpp)
    void CalibIoutCtrlDisable(bool disable);
    void endRunningCurrentStep();
    void showCurrentTabIdle();
    void sendCurrentPoint(CalibrationKind kind, double milliamps);
    void endCurrentPoint(QWidget *start, const QString &text);
    void currentPointCutOff();
    // the calibration journal (mainwindow_journal.cpp)
    void beginRecord(JournalRecord &record, CalibrationKind kind);
    void noteSent(JournalRecord &record, const QString &value);
    void endRecord(JournalRecord &record, const QString &outcome);
    void writeEndedRecords();
    void writeRecord(JournalRecord &record);
    // state file (mainwindow_settings.cpp)
    void DataSave();
    // what is known of the connected detector itself (mainwindow_detector.cpp)
    void forgetDetector();
    void showDetectorBlock();
    void takeDetectorScale(const quint16 *block);
    void noteBlockWritten(bool written);
    bool blockReadyOrExplain();
    bool detectorBlockOrExplain();
    bool detectorScaleOrExplain();
    void showConcentration(quint16 stored);
    QString detectorQuantity(quint16 stored) const;

    Ui_MainWindow *ui;
    QTimer timer;
    ModbusOperations modbus;
    CustomPlotWidget *plot = nullptr;
    bool connected = false;   // the port is open and the controls connected

    // Everything of the detector on the present connection; "Подключить"
    // starts a fresh one.
    ConnectionState conn;
    // What ended connections left switched on in their detectors, by serial
    // number (kUnknownSerial when the block was never read), until the window
    // meets each again or exits.
    QMap<qint64, LeftInDetector> leftInDetectors;

    // The journal rows of the gas calibration and of the current-output
    // calibration point under way, or ended and not yet written.
    JournalRecord gasRecord;
    JournalRecord currentRecord;

    quint16 inputAll[128] = {};   // last full input block (112 words used)
    quint16 regHold[256] = {};    // parameter block; words 0..179 are the device's
    quint8 decimals = 1;          // the controls' count: the form's scaled boxes start with one
    quint16 scale = 10;

    QVector<QString> unitNames;
    QColor accent;
    int failedPolls = 0;

    friend class MainWindowProbe;   // white-box access for the tests
};

#endif // MAINWINDOW_H
