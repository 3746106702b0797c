#include "commands.h"
#include "detector.h"
#include "gasnames.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {

const int gasTableEntries = 32;

// Empty when the number names no entry, as the window leaves its field.
QString gasName(const QVector<QString> &table, quint16 number)
{
    return gasNumberValid(number) ? table.at(number - 1) : QString();
}

void printField(const char *key, const QString &value)
{
    printLine(QString("%1: %2").arg(key, value));
}

} // namespace

int runInfo(ModbusOperations &device, const CliOptions &options)
{
    QVector<quint16> block;
    const int opened = openAndReadBlock(device, options, block);
    if (opened != ExitOk)
        return opened;
    const QVector<quint16> input = readPatiently([&] { return device.readInputValues(); }, kPolledInputWords);
    if (input.size() != kPolledInputWords)
        return deviceFailed(options, failedBecause(device, "the read of the input registers"));
    const QVector<QString> gasTable = readPatiently([&] { return device.readGazNameTable(); }, gasTableEntries);
    const bool gasTableRead = gasTable.size() == gasTableEntries;

    const LiveReading reading = decodeReading(input, block[FormatWord]);
    printField("device type", deviceTypeName(block[DeviceTypeWord]));
    printField("serial number", serialNumberText(block[SerialHighWord], block[SerialLowWord]));
    printField("firmware version", firmwareVersionText(input[FirmwareMajorMinorWord], input[FirmwareBuildWord]));
    printField("unit", reading.unit);
    printField("decimals", QString::number(decimalCount(block[FormatWord])));
    printField("concentration", reading.concentration);
    printField("status", reading.status);
    printField("target gas", gasTableRead ? gasName(gasTable, input[TargetGasNumberWord]) : QString());
    printField("main gas", gasTableRead ? gasName(gasTable, input[MainGasNumberWord]) : QString());
    if (!gasTableRead)
        return deviceFailed(options, failedBecause(device, "the read of the gas name table"));
    return ExitOk;
}
