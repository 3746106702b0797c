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

// sendRequest hands back only the bytes; what became of the line itself the
// port still tells afterwards (a stalled write leaves its bytes behind).
QString lineFault(const QSerialPort &port)
{
    if (!port.isOpen())
        return "port not open";
    if (port.bytesToWrite() > 0)
        return "write timeout";
    return portFailed(port) ? port.errorString() : QString();
}

QByteArray loggedExchange(Modbus &master, const QSerialPort &port, TrafficKind kind,
                          const QByteArray &request, int timeout)
{
    TrafficEntry traffic(kind, request);
    const QByteArray answer = master.sendRequest(request, timeout);
    traffic.finish(answer, lineFault(port));
    return answer;
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
    if (!serialPort->isOpen()) {
        qDebug() << "Serial port not open";
        return {};
    }
    serialPort->clear(QSerialPort::AllDirections);
    serialPort->clearError();
    serialPort->write(request);
    if (!serialPort->waitForBytesWritten(writeWaitMs)) {
        qDebug() << "Write timeout";
        // A request left in the port's buffer would go out late, and on a
        // port whose device has gone every pass of the event loop retries
        // it at once, keeping the processor busy until the disconnect.
        serialPort->clear(QSerialPort::Output);
        return {};
    }
    return collectAnswer(timeout);
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
    const QByteArray answer = loggedExchange(*this, *serialPort, TrafficKind::Write,
                                             buildWriteSingleRequest(slaveAddress, address, value),
                                             writeSingleResponseTimeout());
    return evaluateWriteAnswer(answer);
}

bool Modbus::writeHoldingRegisters(quint16 startAddress, const QVector<quint16> &values)
{
    const quint16 quantity = static_cast<quint16>(values.size());
    const QByteArray answer = loggedExchange(*this, *serialPort, TrafficKind::Write,
                                             buildWriteMultipleRequest(slaveAddress, startAddress, values),
                                             writeMultipleResponseTimeout(quantity));
    return evaluateWriteAnswer(answer);
}

QVector<quint16> Modbus::readHoldingRegisters(quint16 startAddress, quint16 count)
{
    const QByteArray request =
        buildReadRequest(slaveAddress, ModbusFunction::ReadHoldingRegisters, startAddress, count);
    return evaluateReadAnswer(
        loggedExchange(*this, *serialPort, TrafficKind::Read, request, readResponseTimeout(count)));
}

QVector<quint16> Modbus::readInputRegisters(quint16 startAddress, quint16 count)
{
    const QByteArray request =
        buildReadRequest(slaveAddress, ModbusFunction::ReadInputRegisters, startAddress, count);
    return evaluateReadAnswer(
        loggedExchange(*this, *serialPort, TrafficKind::Read, request, readResponseTimeout(count)));
}
