#ifndef MODBUSOPERATIONS_H
#define MODBUSOPERATIONS_H

#include <QObject>
#include <QString>
#include <QVector>

#include "exchangeoutcome.h"
#include "portopenfailure.h"

class Modbus;

// The detector's operations as register transactions at their fixed addresses.
class ModbusOperations : public QObject
{
    Q_OBJECT
public:
    explicit ModbusOperations(QObject *parent = nullptr);

    void setNamePort(QString text);
    // A port path as it is, blanks and all (setNamePort takes a port list entry).
    void setPortPath(const QString &path);
    void setSlaveAddress(quint8 address);
    bool open();
    void close();
    // False once the port has failed (an adapter pulled out): the master closes it.
    bool isOpen() const;
    void setReadTimeout(int ms);
    QString portError() const;
    PortOpenFailure openFailure() const;
    // How the last transaction ended; after a write operation of several
    // requests, the one that ended it.
    ExchangeOutcome lastOutcome() const;
    // Why the last readHOLDregs() or readGazNameTable() came short: the first
    // of its reads that failed, which the answer to a later one hides from
    // lastOutcome(). Answered when it came whole.
    ExchangeOutcome shortReadOutcome() const { return shortRead; }
    // One poll tick: see Modbus::beginRound.
    void beginRound();

    QVector<quint16> readInputValues();
    QVector<quint16> readInputValuesAll();
    QVector<quint16> readHOLDregs();
    // Holding words 0..21, from the device type to the serial number: one short
    // read that tells what answers at an address.
    QVector<quint16> readIdentity();
    QVector<QString> readGazNameTable();
    // The status word alone: whether the detector is still where an
    // operation left it, just before its value or save goes out.
    QVector<quint16> readStatusWord();

    ExchangeOutcome setServiceMode();
    ExchangeOutcome setWorkingMode();
    ExchangeOutcome setCalibZero();
    ExchangeOutcome setCalibValue(quint16 value);
    // Word 1 alone: the detector answers at its new address right after it.
    ExchangeOutcome setModbusAddress(quint16 word1);
    ExchangeOutcome CalibrSave();
    ExchangeOutcome IoutCalib_4maStart();
    ExchangeOutcome IoutCalib_20maStart();
    ExchangeOutcome IoutCalibValueSet(quint16 value);
    ExchangeOutcome IoutTestStart();
    ExchangeOutcome IoutTestStop();
    ExchangeOutcome writeHOLDregs(const QVector<quint16> &block);
    // After a writeHOLDregs that failed in its second request: words 0..95 went
    // through and 96..179 may not have, so the detector may now hold a block
    // that is half new, half old.
    bool blockWriteMixed() const { return mixedBlock; }

private:
    ExchangeOutcome writeValueWord(quint16 word, quint16 value);
    // Keeps the outcome of the first part of a read that came short.
    void noteShortPart(int words, int wanted);

    Modbus *master;
    bool mixedBlock = false;
    ExchangeOutcome shortRead;
};

#endif // MODBUSOPERATIONS_H
