#include "modbus.h"
#include "modbuscrc.h"
#include "modbusframes.h"
#include "traffic.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QSerialPort>

namespace {

const int writeWaitMs = 500;
// About ten character times at 9600 baud: silence this long ends an answer.
const int endOfFrameMs = 10;

// A timeout is the normal outcome of a short wait; anything else (an adapter
// pulled out, the peer gone) makes every further wait return at once.
bool portFailed(const QSerialPort &port)
{
    const QSerialPort::SerialPortError error = port.error();
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

void reportCut(AnswerCut cut, qint64 limitMs, const QByteArray &kept, TrafficEntry &traffic)
{
    if (cut == AnswerCut::TooLong) {
        qDebug().noquote() << QString("Ответ длиннее %1 байт").arg(longestFrameBytes);
        traffic.refuse(kept, QString("cut after %1 bytes").arg(longestFrameBytes));
    } else {
        qDebug().noquote() << QString("Ответ не закончился за %1 мс").arg(limitMs);
        traffic.refuse(kept, QString("cut after %1 ms").arg(limitMs));
    }
}

} // namespace

Modbus::Modbus(QObject *parent) : QObject(parent), serialPort(new QSerialPort(this))
{
    // A port can fail between two polls too, while the event loop watches it.
    // Closing it from inside the port's own notification is not safe, hence
    // the detour through the event loop.
    connect(serialPort, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
            QMetaObject::invokeMethod(this, [this] { closeIfFailed(); }, Qt::QueuedConnection);
    });
}

Modbus::~Modbus()
{
    closePort();
}

bool Modbus::openPort()
{
    serialPort->setPortName(portName);
    serialPort->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    serialPort->setDataBits(QSerialPort::Data8);
    serialPort->setParity(QSerialPort::NoParity);
    serialPort->setStopBits(QSerialPort::OneStop);
    serialPort->setFlowControl(QSerialPort::NoFlowControl);
    // A failure of the previous connection must not close this one.
    serialPort->clearError();
    if (serialPort->open(QIODevice::ReadWrite))
        return true;
    // The window stays silent about it; whoever runs the program from a
    // terminal still learns why (permission denied is the usual reason).
    qDebug().noquote() << QString("Не удалось открыть порт \"%1\": %2").arg(portName, serialPort->errorString());
    return false;
}

void Modbus::closePort()
{
    if (serialPort->isOpen())
        serialPort->close();
}

void Modbus::setSlaveAddress(quint8 address)
{
    slaveAddress = address;
}

void Modbus::setReadTimeout(int ms)
{
    readTimeout = ms;
}

QString Modbus::errorString() const
{
    return serialPort->errorString();
}

int Modbus::readAnswerTimeout(quint16 count) const
{
    return readTimeout > 0 ? readTimeout : readResponseTimeout(count);
}

quint16 Modbus::calculateCRC(const QByteArray &data)
{
    return modbusCrc(data);
}

bool Modbus::verifyCRC(const QByteArray &frame)
{
    return modbusCrcMatches(frame);
}

QByteArray Modbus::sendRequest(const QByteArray &request, int timeout)
{
    TrafficEntry traffic(request);
    if (!serialPort->isOpen()) {
        qDebug() << "Serial port not open";
        traffic.finish({}, "port not open");
        return {};
    }
    serialPort->clear(QSerialPort::AllDirections);
    serialPort->clearError();
    serialPort->write(request);
    if (!serialPort->waitForBytesWritten(writeWaitMs)) {
        const QString failure = closeIfFailed();
        if (!failure.isEmpty()) {
            traffic.finish({}, failure);
            return {};
        }
        qDebug() << "Write timeout";
        traffic.finish({}, "write timeout");
        // A request left in the port's buffer would go out late.
        serialPort->clear(QSerialPort::Output);
        return {};
    }
    AnswerCut cut = AnswerCut::None;
    const QByteArray answer = collectAnswer(timeout, cut);
    if (cut != AnswerCut::None) {
        reportCut(cut, timeout + longestFrameMs, answer, traffic);
        // The rest of a runaway answer must not open the next one.
        serialPort->clear(QSerialPort::Input);
        return {};
    }
    traffic.finish(answer, closeIfFailed());
    return answer;
}

// The deadline moves with every byte, so a slow answer is not cut while it
// keeps coming; but a line that never goes quiet (a second master, a
// floating RS-485 pair) must not hold the window, so no answer may outlast
// the time-out plus the longest frame's time on the line, nor outgrow that
// frame. `cut` says which bound ended an answer that broke one.
QByteArray Modbus::collectAnswer(int timeout, AnswerCut &cut)
{
    QByteArray response;
    QElapsedTimer clock;
    clock.start();
    const qint64 limit = timeout + longestFrameMs;
    qint64 deadline = timeout;
    for (;;) {
        const qint64 now = clock.elapsed();
        if (now >= deadline)
            return response;
        if (now >= limit) {
            cut = AnswerCut::TooSlow;
            return response;
        }
        if (serialPort->waitForReadyRead(int(qMin<qint64>(endOfFrameMs, qMin(deadline, limit) - now)))) {
            const QByteArray bytes = serialPort->read(longestFrameBytes + 1 - response.size());
            if (!bytes.isEmpty())
                deadline = clock.elapsed() + endOfFrameMs;
            response.append(bytes);
            if (response.size() > longestFrameBytes) {
                cut = AnswerCut::TooLong;
                response.chop(1);
                return response;
            }
        } else if (portFailed(*serialPort)) {
            return response;
        }
    }
}

// Once the port has failed (an adapter pulled out, the peer gone), every
// wait on it returns at once and, left open, it wakes the event loop on every
// pass until the next poll. Closed, it costs nothing, and the following polls
// fail as on any closed port. Returns why it failed, or nothing while it is
// fine.
QString Modbus::closeIfFailed()
{
    if (!serialPort->isOpen() || !portFailed(*serialPort))
        return {};
    const QString reason = serialPort->errorString();
    qDebug().noquote() << "Serial port failed:" << reason;
    serialPort->close();
    return reason;
}

bool Modbus::writeSingleHoldingRegister(quint16 address, quint16 value)
{
    const QByteArray request = buildWriteSingleRequest(slaveAddress, address, value);
    return evaluateWriteAnswer(request, sendRequest(request, writeSingleResponseTimeout()));
}

bool Modbus::writeHoldingRegisters(quint16 startAddress, const QVector<quint16> &values)
{
    const quint16 quantity = static_cast<quint16>(values.size());
    const QByteArray request = buildWriteMultipleRequest(slaveAddress, startAddress, values);
    return evaluateWriteAnswer(request, sendRequest(request, writeMultipleResponseTimeout(quantity)));
}

QVector<quint16> Modbus::readHoldingRegisters(quint16 startAddress, quint16 count)
{
    const QByteArray request =
        buildReadRequest(slaveAddress, ModbusFunction::ReadHoldingRegisters, startAddress, count);
    return evaluateReadAnswer(request, sendRequest(request, readAnswerTimeout(count)));
}

QVector<quint16> Modbus::readInputRegisters(quint16 startAddress, quint16 count)
{
    const QByteArray request =
        buildReadRequest(slaveAddress, ModbusFunction::ReadInputRegisters, startAddress, count);
    return evaluateReadAnswer(request, sendRequest(request, readAnswerTimeout(count)));
}
