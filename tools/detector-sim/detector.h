#ifndef DETECTOR_H
#define DETECTOR_H

#include "options.h"
#include "rtuframes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <random>

// The detector behind the registers: its configuration, its mode, its
// calibration and current-output states and a concentration that drifts.
// Every change worth seeing is announced by event() as "name key=value ...".
class Detector : public QObject, public RegisterSpace
{
    Q_OBJECT
public:
    enum class CurrentSource { Measure, Service, Calib4, Calib20, Test };

    explicit Detector(const DetectorSettings &settings, QObject *parent = nullptr);

    bool holdingExists(int address, int count) const override;
    bool inputExists(int address, int count) const override;
    QVector<quint16> readHolding(int address, int count) override;
    QVector<quint16> readInput(int address, int count) override;
    quint8 writeHolding(int address, const QVector<quint16> &values, bool single) override;

    quint8 slaveAddress() const { return address; }

    // Direct changes from the console: no command is carried out, but the
    // mode, address and gas follow the new contents as after a block write.
    bool pokeHolding(int address, const QVector<quint16> &values);
    // Setting a live input word (status, concentration, output current) pins
    // it at that value until unpinned.
    bool pokeInput(int address, const QVector<quint16> &values);
    void unpinInput(int address);  // -1: all
    QList<int> pinnedInputs() const;

    void forceStatusBits(quint16 on, quint16 off);
    void releaseStatusBits();
    quint16 forcedOn() const { return statusOn; }
    quint16 forcedOff() const { return statusOff; }

    void setConcentration(double value, bool mainGas);
    // A test gas on the sensor: the reading moves towards it, and back to
    // the gas's own concentration once it is removed, with the time constant.
    void applyTestGas(double concentration);
    void removeTestGas();
    void setDrift(double amplitude) { drift = amplitude; }
    void setNoise(double amplitude) { noise = amplitude; }

    // A power dip: silent for `ms`, then back in working mode with its gas
    // calibration, current calibration and test ended. What is in its holding
    // registers stays, as in a detector's non-volatile memory.
    void restart(int ms);
    bool restarting() const { return restartClock.isValid() && restartClock.elapsed() < restartMs; }

    quint16 statusWord();
    quint16 concentrationRaw();
    int outputCurrent();          // hundredths of a mA
    QString currentSourceName() const;
    QString activeGasName() const;
    QString gasRole() const;      // "target", "main" or "other"

signals:
    void event(const QString &text);

private:
    quint8 runCommand(quint16 code);
    void afterWrite(int first, int last, quint16 oldMode, const QString &oldGas);
    void finishCalibration();
    void setCurrentSource(CurrentSource source);
    void refreshLiveWords();
    quint16 statusFor(int concentration);
    int currentFor(int concentration);
    void updateThresholds(int concentration);
    int scale() const;
    QString gasNumberName(int inputWord) const;
    bool mainGasActive() const;
    double testGasShare(double seconds) const;
    void moveTestGasShare(double towards);

    QVector<quint16> holding;
    QVector<quint16> input;
    QVector<quint16> gasTable;
    QSet<int> pinned;
    quint8 address;
    quint16 statusOn = 0, statusOff = 0;
    bool zeroRunning = false, spanRunning = false;
    bool tripped1 = false, tripped2 = false, tripped3 = false;
    quint16 spanValue = 0;
    CurrentSource currentSource = CurrentSource::Measure;
    quint16 testCurrent = 0;
    double targetConcentration, mainConcentration, drift, noise, driftPeriod;
    int calibDelayMs;
    // The test gas's share of what the sensor sees moves exponentially from
    // shareFrom, at shareSince, towards shareTowards.
    double gasTimeConstant;
    double testGas = 0;
    double shareFrom = 0, shareTowards = 0, shareSince = 0;
    QTimer calibrationTimer;
    QElapsedTimer clock;
    QElapsedTimer restartClock;
    int restartMs = 0;
    std::mt19937 random;
};

#endif // DETECTOR_H
