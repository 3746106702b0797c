#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QColor>
#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <QVector>

#include "modbusoperations.h"

class Ui_MainWindow;
class CustomPlotWidget;

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
    void endConnection();
    void closeConnection();
    void dropRequests();
    // poll tick (mainwindow_poll.cpp)
    bool longTickAhead() const;
    void serveRequests();
    void serveCommandRequests();
    void sendSpanValue();
    void reloadParameterBlock();
    void writeParameterBlock();
    void warnMixedBlock();
    void showLiveValues(const QVector<quint16> &input);
    void finishCalibration(quint16 status);
    void showGasTable(const QVector<quint16> &input);
    // parameter editing (mainwindow_editing.cpp)
    void CtrlEnable(bool enabled);
    void CtrlSetRegHold(const quint16 *block);
    void CtrlSetRegHoldSerNum();
    void MemSetRegHold(quint16 *block);
    // gas selection and calibration (mainwindow_gas.cpp)
    void GazReturnToCelevoy();
    void CalibCtrlDisable(bool disable);
    void GazCalibrEnd();
    void calibrationFailed(const QString &text);
    void abandonCalibration();
    // current output (mainwindow_current.cpp)
    void CalibIoutCtrlDisable(bool disable);
    void endRunningCurrentStep();
    // state file (mainwindow_settings.cpp)
    void DataSave();
    // what is known of the connected detector itself (mainwindow_detector.cpp)
    void forgetDetector();
    void showDetectorBlock();
    void takeDetectorScale(const quint16 *block);
    void noteBlockWritten(bool written);
    bool blockReadyOrExplain();
    bool detectorScaleOrExplain();
    void showConcentration(quint16 stored);

    Ui_MainWindow *ui;
    QTimer timer;
    ModbusOperations modbus;
    CustomPlotWidget *plot = nullptr;
    bool connected = false;   // the port is open and the controls connected

    // One-shot requests raised by the slots and served by the next poll tick,
    // in this order.
    bool reqReload = false;
    bool reqWrite = false;
    bool reqGasTable = false;
    bool reqServiceMode = false;
    bool reqWorkingMode = false;
    bool reqZeroStart = false;
    bool reqZeroSave = false;
    bool reqSpanValue = false;
    bool req4maStart = false;
    bool req20maStart = false;
    bool req4maValue = false;
    bool req20maValue = false;
    bool req4maTest = false;
    bool req20maTest = false;
    bool reqCurrentTest = false;
    bool reqTestStop = false;

    quint16 inputAll[128] = {};   // last full input block (112 words used)
    quint16 regHold[256] = {};    // parameter block; words 0..179 are the device's
    quint8 decimals = 1;          // the controls' count: the form's scaled boxes start with one
    quint16 scale = 10;

    // The parameter block goes out only while it is this detector's: read
    // complete from it, or imported by the user, on this connection.
    bool blockIsDetectors = false;
    // The detector's own decimal count and display range, from its block as
    // read, or as written after an import; the live value is shown only
    // while they are known. An import changes the controls' count alone.
    bool detectorScaleKnown = false;
    quint8 detectorDecimals = 1;
    quint16 detectorScale = 10;
    quint16 detectorRange = 0;

    QVector<QString> gasTable;
    QString activeGasName;
    QString targetGasName;
    bool mainGasActive = false;
    bool gasSwitchAllowed = false;

    QVector<QString> unitNames;
    int calibState = 0;
    QColor accent;
    int failedPolls = 0;

    friend class MainWindowProbe;   // white-box access for the tests
};

#endif // MAINWINDOW_H
