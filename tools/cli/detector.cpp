#include "detector.h"

#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"

#include <QFileInfo>

using namespace RegisterModel;

namespace {

// A bare name is one under /dev, as port lists show them ("ttyUSB0"); a file
// of that name in the working directory is "./NAME".
QString portLocation(const QString &port)
{
    if (!port.contains('/'))
        return "/dev/" + port;
    return QFileInfo(port).absoluteFilePath();
}

} // namespace

int openDetector(ModbusOperations &device, const CliOptions &options)
{
    // Said plainly: the port layer would report a missing device node as a
    // generic open failure.
    // A detector after the first of a list is on the port already open.
    if (device.isOpen()) {
        device.setSlaveAddress(quint8(options.address));
        return ExitOk;
    }
    const QString location = portLocation(options.port);
    if (!QFileInfo::exists(location))
        return fail(ExitUsage, QString("port %1 does not exist").arg(options.port));
    device.setPortPath(location);
    device.setSlaveAddress(quint8(options.address));
    if (device.open())
        return ExitOk;
    if (device.openFailure() == PortOpenFailure::Busy)
        return fail(ExitUsage, QString("port %1 in use by another program").arg(options.port));
    return fail(ExitUsage, QString("cannot open port %1: %2").arg(options.port, device.portError()));
}

QString failedBecause(const ModbusOperations &device, const QString &what)
{
    return failedBecause(device.lastOutcome(), what);
}

QString failedBecause(const ExchangeOutcome &outcome, const QString &what)
{
    switch (outcome.kind()) {
    case ExchangeOutcome::Kind::Answered:
    case ExchangeOutcome::Kind::NoAnswer:
        return "no answer to " + what;
    case ExchangeOutcome::Kind::Refused:
        return what + " was refused: " + outcome.text();
    default:
        return what + " failed: " + outcome.text();
    }
}

namespace {

QVector<DetectorFailure> told;

DetectorFailure outcomeFailure(int address, const QString &what, const ExchangeOutcome &outcome)
{
    return {address, what, outcomeKindName(outcome.kind()), outcome.exceptionCode()};
}

} // namespace

const DetectorFailure *lastFailureAt(int address)
{
    for (int i = told.size() - 1; i >= 0; --i) {
        if (told[i].address == address)
            return &told[i];
    }
    return nullptr;
}

int deviceFailed(const CliOptions &options, const QString &what)
{
    told << DetectorFailure{options.address, what, "failed", 0};
    return fail(ExitNoAnswer, QString("address %1 on %2: %3")
                                  .arg(options.address)
                                  .arg(options.port, what));
}

int deviceFailed(const CliOptions &options, const QString &what, const ModbusOperations &device)
{
    return deviceFailed(options, what, device.lastOutcome());
}

int deviceFailed(const CliOptions &options, const QString &what, const ExchangeOutcome &outcome)
{
    const int status = deviceFailed(options, what);
    told.last() = outcomeFailure(options.address, what, outcome);
    return status;
}

LiveReading decodeReading(const QVector<quint16> &input, quint16 formatWord)
{
    const quint8 decimals = decimalCount(formatWord);
    const double value = decodeScaled(input[ConcentrationWord], scaleFactor(decimals));
    return {QString::number(value, 'f', decimals), unitNames().at(unitIndex(formatWord)),
            statusText(input[StatusWord])};
}

QString deviceTypeName(quint16 deviceTypeWord)
{
    const quint8 code = highByte(deviceTypeWord);
    const QString name = deviceTypeText(code);
    return name.isNull() ? QString("0x%1").arg(code, 2, 16, QChar('0')) : name;
}

QString serialNumberText(quint16 high, quint16 low)
{
    return QString::number(joinWords(high, low));
}

int openAndReadBlock(ModbusOperations &device, const CliOptions &options, QVector<quint16> &block)
{
    const int opened = openDetector(device, options);
    if (opened != ExitOk)
        return opened;
    return readBlock(device, options, block);
}

int readBlock(ModbusOperations &device, const CliOptions &options, QVector<quint16> &block)
{
    block = readPatiently([&] { return device.readHOLDregs(); }, kDeviceWords);
    if (block.size() == kDeviceWords)
        return ExitOk;
    block.clear();
    const ExchangeOutcome why = device.shortReadOutcome();
    return deviceFailed(options, failedBecause(why, "the read of the parameter block"), why);
}
