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

} // namespace

Modbus::Modbus(QObject *parent) : QObject(parent), serialPort(new QSerialPort(this)) {}

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
        qDebug() << "Write timeout";
        traffic.finish({}, "write timeout");
        // A request left in the port's buffer would go out late, and on a
        // port whose device has gone every pass of the event loop retries
        // it at once, keeping the processor busy until the disconnect.
        serialPort->clear(QSerialPort::Output);
        return {};
    }
    const QByteArray answer = collectAnswer(timeout);
    traffic.finish(answer, portFailed(*serialPort) ? serialPort->errorString() : QString());
    return answer;
}

// The deadline moves with every byte, so a slow answer is never cut while it
// keeps coming.
QByteArray Modbus::collectAnswer(int timeout)
{
    QByteArray response;
    QElapsedTimer clock;
    clock.start();
    qint64 deadline = timeout;
    while (clock.elapsed() < deadline) {
        if (serialPort->waitForReadyRead(endOfFrameMs)) {
            const QByteArray bytes = serialPort->readAll();
            if (!bytes.isEmpty())
                deadline = clock.elapsed() + endOfFrameMs;
            response.append(bytes);
        } else if (portFailed(*serialPort)) {
            break;
        }
    }
    return response;
}

bool Modbus::writeSingleHoldingRegister(quint16 address, quint16 value)
{
    const QByteArray answer = sendRequest(buildWriteSingleRequest(slaveAddress, address, value),
                                          writeSingleResponseTimeout());
    return evaluateWriteAnswer(answer);
}

bool Modbus::writeHoldingRegisters(quint16 startAddress, const QVector<quint16> &values)
{
    const quint16 quantity = static_cast<quint16>(values.size());
    const QByteArray answer = sendRequest(buildWriteMultipleRequest(slaveAddress, startAddress, values),
                                          writeMultipleResponseTimeout(quantity));
    return evaluateWriteAnswer(answer);
}

QVector<quint16> Modbus::readHoldingRegisters(quint16 startAddress, quint16 count)
{
    const QByteArray request =
        buildReadRequest(slaveAddress, ModbusFunction::ReadHoldingRegisters, startAddress, count);
    return evaluateReadAnswer(sendRequest(request, readAnswerTimeout(count)));
}

QVector<quint16> Modbus::readInputRegisters(quint16 startAddress, quint16 count)
{
    const QByteArray request =
        buildReadRequest(slaveAddress, ModbusFunction::ReadInputRegisters, startAddress, count);
    return evaluateReadAnswer(sendRequest(request, readAnswerTimeout(count)));
}
