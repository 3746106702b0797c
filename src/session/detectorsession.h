#ifndef DETECTORSESSION_H
#define DETECTORSESSION_H

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVector>

#include "bumptest.h"
#include "calibrationjournal.h"
#include "connectionstate.h"
#include "modbusoperations.h"
#include "sessionevents.h"
#include "addressprobe.h"
#include "settingstransfer.h"

class SessionView;

// Everything the program knows of the detector on the line and everything it
// asks of it, without a widget. The user's actions raise requests; the one
// place that talks to the detector is tick(), once a second while connected:
// the requests in a fixed order, then the poll, the end of a gas calibration,
// the gas table on a connection's first tick, and the disconnect after three
// failed polls. What happened goes out as signals; the values the user has
// entered come from the view when a request is served.
//
// The requests are the sixteen one-shot flags of ConnectionState, served in
// the order they are declared there; a flag raised while a tick serves others
// waits for the next tick unless its line comes later in that order.
class DetectorSession : public QObject
{
    Q_OBJECT
public:
    explicit DetectorSession(SessionView &view, QObject *parent = nullptr);

    ModbusOperations &operations() { return modbus; }
    const ModbusOperations &operations() const { return modbus; }
    const ConnectionState &connection() const { return conn; }
    bool isConnected() const { return connected; }
    int failedPollCount() const { return failedPolls; }

    // The unit texts in index order, in the window's language: the live
    // reading and the journal say them.
    void setUnitNames(const QStringList &names) { unitNames = names; }

    // ---- connection
    // Opens the port of a port list entry and starts a fresh connection at
    // `address`: nothing of an earlier one is kept. False if the port does
    // not open.
    bool open(const QString &portEntry, quint8 address);
    // The orderly end: nothing new starts, whatever was switched on in the
    // detector is switched off, then the port closes.
    void endConnection();
    void tick();
    // Block transfers take half a second and more at 9600 baud, and a
    // detector that did not answer the last poll costs a time-out per request.
    bool longTickAhead() const;

    // ---- the parameter block (words 0..179 the detector's, the rest the file's)
    quint16 *parameterBlock() { return regHold; }
    const quint16 *parameterBlock() const { return regHold; }
    const quint16 *fullInputBlock() const { return inputAll; }
    // The decimal count and scale the controls show the block in.
    quint8 controlsDecimals() const { return decimals; }
    quint16 controlsScale() const { return scale; }
    // The controls now show `block`: their decimal count and the gas name a
    // later write carries come from it.
    void takeControlsScale(const quint16 *block);
    // The controls' settings and the active gas name into the block.
    void storeControls();
    // An imported file, judged against the connected detector (judgeBlock):
    // unless refused, the block it gives the detector may now be written.
    RegisterModel::SettingsTransfer importBlock(const quint16 *file);
    // The block holds another detector's settings, from the file of this
    // serial number, not yet written; kUnknownSerial otherwise.
    qint64 lentFrom() const { return conn.lentFrom; }
    void requestReload();
    void requestWrite();
    // "Применить": the HART address and BLE mode with the block, a new Modbus
    // address alone after it.
    void requestIdentityWrite(quint8 address, quint16 hartAddress, int bleMode);
    bool blockIsDetectors() const { return conn.blockIsDetectors; }
    // What writing `block` would give the connected detector: its own file
    // whole, another detector's settings only, or nothing. A detector whose
    // block was not read cannot be compared: it would take the block whole.
    RegisterModel::SettingsTransfer judgeBlock(const quint16 *block) const;
    // The serial number the detector answered with, kUnknownSerial before
    // its block has been read.
    qint64 connectedSerial() const;

    // ---- mode
    void requestServiceMode();
    void requestWorkingMode();

    // ---- gas selection
    void requestGas(const QString &name, bool toMain);
    // Takes back a main gas that is in, or drops a switch to it not yet written.
    void returnToTargetGas();
    // While the main gas is in or on its way, the window may not be left.
    bool mainGasHeld() const;

    // ---- gas calibration
    // A calibration or a current-output step starts only from rest, and not
    // while a bump test watches the readings. Each step says whether it was
    // taken, so that nothing is shown begun that the session did not begin.
    bool gasCalibrationCanStart() const;
    [[nodiscard]] bool startZeroCalibration();
    [[nodiscard]] bool saveZeroCalibration();
    [[nodiscard]] bool startSpanCalibration();
    [[nodiscard]] bool sendSpanCalibration();
    void cancelGasCalibration();
    GasCalibrationPhase gasCalibrationPhase() const { return conn.gasCalibration(); }

    // ---- current output
    bool currentCanStart() const;
    [[nodiscard]] bool startCurrentPoint(CalibrationKind point);
    [[nodiscard]] bool setCurrentPoint();
    // "Завершить" of a calibration point.
    void stopCurrentPoint();
    enum class TestCurrent { FourMilliamps, TwentyMilliamps, Entered };
    [[nodiscard]] bool startCurrentTest(TestCurrent current);
    void stopCurrentTest();
    CurrentPhase currentPhase() const { return conn.current(); }

    // ---- bump test: reads only, judged from the polls (detectorsession_bump.cpp)
    enum class BumpStartRefusal { None, NotConnected, NoReading, ServiceMode, Initialising, Busy, BadCriteria };
    // Starts now, as the user applies the gas, unless refused.
    BumpStartRefusal startBumpTest(const BumpCriteria &criteria);
    void removeBumpGas();
    void finishBumpTest();
    const BumpTest &bumpTest() const { return bump; }
    bool bumpTestRunning() const { return bump.running(); }
    // The detector's alarm thresholds, from its block as read; none are on
    // before it has been read.
    RegisterModel::AlarmThresholds detectorThresholds() const;

    // The concentration last shown, with its unit; empty while none is.
    QString liveReading() const { return conn.liveReading; }
    // The same as a number in the detector's unit, for the journal.
    std::optional<double> liveConcentration() const { return conn.liveConcentration; }
    // The unit's index in word 4 of the detector's block as read, -1 before.
    int detectorUnitIndex() const { return conn.detectorUnitIndex; }
    // A concentration in the detector's own decimal count, with its unit.
    QString detectorQuantity(quint16 stored) const;

signals:
    // A good poll: the 80 input words.
    void polled(const QVector<quint16> &input);
    void concentrationShown(double value, double plotUpperBound);
    void concentrationUnknown();
    // The parameter block now holds the detector's, as read.
    void blockRead();
    void gasNamesShown(const QString &target, const QString &main);
    // The gas the detector is on changed, or a switch was settled.
    void activeGasChanged();
    // A calibration value goes out now: the raw word (0 for a zero).
    void valueSent(CalibrationKind kind, quint16 raw);
    // The save of a gas calibration goes out now: the reading last polled is
    // the one it adjusts.
    void calibrationSaving(CalibrationKind kind);
    void gasCalibrationEnded(CalibrationKind kind, GasCalibrationEnd end);
    void currentPointEnded(CalibrationKind kind, CurrentPointEnd end);
    void currentTestStopped();
    // The detector restarted or left service mode during a current test.
    void currentTestInterrupted();
    // The stop of a forced output current, or working mode after it, was
    // refused or not answered: the output may still be forced.
    void testStopNotConfirmed(const ExchangeOutcome &outcome);
    void notice(const SessionNotice &notice);
    void addressMoved(quint8 address);
    // "Применить" was not carried out: something answers at the new address
    // (Taken), or whether anything does could not be found out (Unknown).
    void addressInUse(quint8 address, AddressProbe found);
    // Something the enabled states depend on changed.
    void phasesChanged();
    // The tick has polled: a calibration that ended in it may be recorded.
    void tickPolled();
    // endedByUser: at "Отключить", the stops were not taken; else the line was lost.
    void leftBehind(qint64 serial, const LeftInDetector &kept, bool endedByUser);
    void leftBehindMet(qint64 serial, const LeftInDetector &undone, const LeftInDetectors &others);
    // A bump test took a poll, or the gas came off.
    void bumpTestProgressed();
    void bumpTestEnded(BumpVerdict verdict);
    // Three polls in a row failed, the last one so: the connection ends.
    void gaveUp(const ExchangeOutcome &lastPoll);
    void connectionClosed();

private:
    // the tick (detectorsession.cpp)
    void serveRequests();
    void serveCommandRequests();
    void showLiveValues(const QVector<quint16> &input);
    void showConcentration(quint16 stored);
    void showGasTable(const QVector<quint16> &input);
    void closeConnection();
    void dropStartRequests();
    // the parameter block (detectorsession_block.cpp)
    void reloadParameterBlock();
    void writeParameterBlock();
    void moveDetectorTo(quint8 address);
    void takeBlockAsRead();
    void takeDetectorScale(const quint16 *block);
    void noteBlockWritten(bool written);
    void readBackWrittenBlock(const QVector<quint16> &sent, const ExchangeOutcome &written);
    void blockNotReadBack(const QVector<quint16> &sent, const ExchangeOutcome &written);
    void tellNothingWritten(const ExchangeOutcome &written);
    bool knowDetectorBlock();
    // a new address (detectorsession_transfer.cpp)
    bool newAddressFree(quint8 address);
    // gas selection (detectorsession_gas.cpp)
    void serveGasSwitch();
    void checkGasSwitch(const QString &name, bool toMain);
    bool readBackGasSwitch();
    void gasSwitchSettled(const QString &name, bool toMain, bool taken, bool fromMain, const QVector<quint16> &block);
    void dropGasSwitch();
    void recogniseMainGas();
    // gas calibration (detectorsession_gascalib.cpp)
    void serveGasCalibrationRequests();
    void sendZeroSave();
    void sendSpanValue();
    void waitForCalibration(GasCalibrationPhase waiting);
    void finishCalibration(quint16 status);
    void endGasCalibration(GasCalibrationEnd end);
    bool endUnlessTaken(const ExchangeOutcome &outcome);
    void gasCalibrationOver(GasCalibrationEnd end);
    CalibrationKind gasCalibrationKind() const;
    // current output (detectorsession_current.cpp)
    void serveCurrentRequests();
    void sendTestCurrent(quint16 hundredths);
    void stopForcedOutput();
    void sendCurrentPoint(CalibrationKind kind);
    void endCurrentPoint(CalibrationKind kind, CurrentPointEnd end);
    bool currentPointRunning() const;
    CalibrationKind currentPointKind() const;
    void endRunningCurrentStep();
    // a detector that left a running operation (detectorsession_restart.cpp)
    bool operationRunning() const;
    void watchRunningOperation(quint16 status);
    bool operationStillHolds(bool &request);
    void interruptOperations();
    // bump test (detectorsession_bump.cpp)
    void feedBumpTest(bool polled, const QVector<quint16> &input);
    void bumpTestStepped();
    bool writeAhead() const;
    // what an ended connection left (detectorsession_leftbehind.cpp)
    void rememberWhatIsLeft();
    void settleWhatWasLeft();
    void undoWhatWasLeft(const LeftInDetector &left);

    SessionView &view;
    ModbusOperations modbus;
    bool connected = false;
    ConnectionState conn;
    LeftInDetectors leftInDetectors;
    int failedPolls = 0;
    BumpTest bump;
    QElapsedTimer bumpClock;
    ExchangeOutcome lastFailedPoll;

    quint16 inputAll[128] = {};   // last full input block (112 words used)
    quint16 regHold[256] = {};    // parameter block; words 0..179 are the device's
    quint8 decimals = 1;          // the controls' count: the form's scaled boxes start with one
    quint16 scale = 10;
    QStringList unitNames;

    friend class MainWindowProbe;   // white-box access for the tests
    friend class SessionProbe;
};

#endif // DETECTORSESSION_H
