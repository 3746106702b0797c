// Not MODBUS_H: libmodbus, the tests' independent peer, claims that guard.
#ifndef ZORVEL_MODBUS_H
#define ZORVEL_MODBUS_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVector>

#include "exchangeoutcome.h"
#include "portopenfailure.h"

class QSerialPort;
class TrafficEntry;

// Which bound ended an answer that would not end by itself.
enum class AnswerCut { None, TooLong, TooSlow };

// Modbus RTU master on one serial line. Every exchange is one blocking call on
// the caller's thread. A read gives its words, or none; every exchange leaves
// its judgement in lastOutcome(), and a failure writes a debug line saying why.
class Modbus : public QObject
{
    Q_OBJECT
public:
    explicit Modbus(QObject *parent = nullptr);
    ~Modbus() override;

    QString portName;

    bool openPort();
    void closePort();
    bool isOpen() const;
    void setSlaveAddress(quint8 address);
    // How long a read waits for its answer to begin, in milliseconds, for a
    // caller that must not wait long for a silent slave; 0, the default, is
    // the usual wait, which grows with the register count.
    void setReadTimeout(int ms);
    // Why the port last failed to open, or failed since.
    QString errorString() const;
    // Why the last openPort() failed; None after one that succeeded.
    PortOpenFailure openFailure() const { return whyNotOpened; }
    // How the last exchange ended.
    ExchangeOutcome lastOutcome() const;
    // Starts a round of exchanges, such as a poll tick. Within a round, once an
    // answer has been cut for length or time, every further exchange fails at
    // once without a request: a babbling line costs a round one bounded
    // exchange, not one for every request. Without rounds nothing is held.
    void beginRound();

    quint16 calculateCRC(const QByteArray &data);
    bool verifyCRC(const QByteArray &frame);
    QByteArray sendRequest(const QByteArray &request, int timeout);

    ExchangeOutcome writeSingleHoldingRegister(quint16 address, quint16 value);
    ExchangeOutcome writeHoldingRegisters(quint16 startAddress, const QVector<quint16> &values);
    QVector<quint16> readHoldingRegisters(quint16 startAddress, quint16 count);
    QVector<quint16> readInputRegisters(quint16 startAddress, quint16 count);

private:
    ExchangeOutcome transact(const QByteArray &request, int timeout, TrafficEntry &traffic, QByteArray &heard,
                             AnswerCut &cut);
    ExchangeOutcome lineFailure(const QByteArray &request, const QByteArray &heard) const;
    QByteArray exchange(const QByteArray &request, int timeout, AnswerCut &cut);
    QByteArray collectAnswer(const QByteArray &request, int timeout, AnswerCut &cut);
    bool takeEcho(const QByteArray &request, QByteArray &answer);
    bool isWholeAnswer(const QByteArray &request, const QByteArray &response) const;
    bool lineTalksOn();
    bool dropLateAnswer(const QByteArray &request, QByteArray &answer);
    bool dropLateAnswers(const QByteArray &request, QByteArray &answer);
    bool dropHeardLateAnswers(QByteArray &heard);
    void rememberIfUnanswered(const QByteArray &request, bool heardNothing);
    bool settleLine();
    QString closeIfFailed();
    int readAnswerTimeout(quint16 count) const;
    QVector<quint16> readRegisters(quint8 function, quint16 startAddress, quint16 count);
    ExchangeOutcome writeRegisters(const QByteArray &request, int timeout);
    void settleIfFailed();

    QSerialPort *serialPort;
    quint8 slaveAddress = 1;
    int readTimeout = 0;
    // What this connection has learnt about its line.
    bool echoes = false;       // every request comes back before its answer
    bool unsettled = false;    // the last exchange failed: bytes may still come
    QElapsedTimer failedAt;    // since when, if nothing has come since
    QElapsedTimer lastHeard;   // since the last byte an answer brought
    // Requests that met silence, oldest first: a slow slave still answers
    // them, ahead of the next request's answer.
    QVector<QByteArray> unanswered;
    QElapsedTimer unansweredSince;
    // This exchange's: whether a late answer was dropped, and the last one
    // dropped that answered a frame equal to this request's.
    bool lateDropped = false;
    QByteArray lateTwin;
    bool inRound = false;
    bool roundHeld = false;
    ExchangeOutcome outcome;
    QString lineFault;         // what the port said during the last exchange
    PortOpenFailure whyNotOpened = PortOpenFailure::None;
};

#endif // ZORVEL_MODBUS_H
