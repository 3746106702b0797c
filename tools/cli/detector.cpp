#include "detector.h"

#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"

#include <QFileInfo>

using namespace RegisterModel;

namespace {

// The port layer reads a bare name as one under /dev, as its port list shows
// them ("ttyUSB0"); a file of that name in the working directory, such as a
// simulator's link, is meant as itself.
QString portLocation(const QString &port)
{
    const QString underDev = "/dev/" + port;
    if (!port.contains('/') && !QFileInfo::exists(port) && QFileInfo::exists(underDev))
        return underDev;
    return QFileInfo(port).absoluteFilePath();
}

} // namespace

int openDetector(ModbusOperations &device, const CliOptions &options)
{
    // Said plainly: the port layer would report a missing device node as a
    // generic open failure.
    const QString location = portLocation(options.port);
    if (!QFileInfo::exists(location))
        return fail(ExitUsage, QString("port %1 does not exist").arg(options.port));
    device.setPortPath(location);
    device.setSlaveAddress(quint8(options.address));
    if (!device.open())
        return fail(ExitUsage, QString("cannot open port %1: %2").arg(options.port, device.portError()));
    return ExitOk;
}

int deviceFailed(const CliOptions &options, const QString &what)
{
    return fail(ExitNoAnswer, QString("address %1 on %2: %3")
                                  .arg(options.address)
                                  .arg(options.port, what));
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
    block = readPatiently([&] { return device.readHOLDregs(); }, kDeviceWords);
    if (block.size() == kDeviceWords)
        return ExitOk;
    block.clear();
    return deviceFailed(options, "no answer to the read of the parameter block");
}
