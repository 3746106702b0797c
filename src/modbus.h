// Not MODBUS_H: libmodbus, the tests' independent peer, claims that guard.
#ifndef ZORVEL_MODBUS_H
#define ZORVEL_MODBUS_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVector>

class QSerialPort;

// Which bound ended an answer that would not end by itself.
enum class AnswerCut { None, TooLong, TooSlow };

// Modbus RTU master on one serial line. Every exchange is one blocking call on
// the caller's thread; failures come back as an empty vector or false, with a
// debug line saying why.
class Modbus : public QObject
{
    Q_OBJECT
public:
    explicit Modbus(QObject *parent = nullptr);
    ~Modbus() override;

    QString portName;

    bool openPort();
    void closePort();
    void setSlaveAddress(quint8 address);
    // How long a read waits for its answer to begin, in milliseconds, for a
    // caller that must not wait long for a silent slave; 0, the default, is
    // the usual wait, which grows with the register count.
    void setReadTimeout(int ms);
    // Why the port last failed to open, or failed since.
    QString errorString() const;

    quint16 calculateCRC(const QByteArray &data);
    bool verifyCRC(const QByteArray &frame);
    QByteArray sendRequest(const QByteArray &request, int timeout);

    bool writeSingleHoldingRegister(quint16 address, quint16 value);
    bool writeHoldingRegisters(quint16 startAddress, const QVector<quint16> &values);
    QVector<quint16> readHoldingRegisters(quint16 startAddress, quint16 count);
    QVector<quint16> readInputRegisters(quint16 startAddress, quint16 count);

private:
    QByteArray collectAnswer(int timeout, AnswerCut &cut);
    QString closeIfFailed();
    int readAnswerTimeout(quint16 count) const;

    QSerialPort *serialPort;
    quint8 slaveAddress = 1;
    int readTimeout = 0;
};

#endif // ZORVEL_MODBUS_H
