#include "addresslist.h"
#include "commands.h"
#include "detector.h"
#include "gasnames.h"
#include "jsonout.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "table.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace RegisterModel;

namespace {

const int gasTableEntries = 32;

// Empty when the number names no entry, as the window leaves its field.
QString gasName(const QVector<QString> &table, quint16 number)
{
    return gasNumberValid(number) ? table.at(number - 1) : QString();
}

// What info tells of one detector, in the order it prints it.
struct Info
{
    QVector<quint16> block;
    QVector<quint16> input;
    QString targetGas, mainGas;

    QStringList names() const
    {
        return {"device type", "serial number", "firmware version", "unit", "decimals", "concentration",
                "status", "target gas", "main gas"};
    }
    QStringList values() const
    {
        const LiveReading reading = decodeReading(input, block[FormatWord]);
        return {deviceTypeName(block[DeviceTypeWord]), serialNumberText(block[SerialHighWord], block[SerialLowWord]),
                firmwareVersionText(input[FirmwareMajorMinorWord], input[FirmwareBuildWord]), reading.unit,
                QString::number(decimalCount(block[FormatWord])), reading.concentration, reading.status,
                targetGas, mainGas};
    }
    QJsonObject json(int address) const
    {
        const LiveReading reading = decodeReading(input, block[FormatWord]);
        return {{"address", address},
                {"deviceType", deviceTypeName(block[DeviceTypeWord])},
                {"serialNumber", qint64(joinWords(block[SerialHighWord], block[SerialLowWord]))},
                {"firmware", firmwareVersionText(input[FirmwareMajorMinorWord], input[FirmwareBuildWord])},
                {"unit", reading.unit},
                {"decimals", decimalCount(block[FormatWord])},
                {"concentration", reading.concentration.toDouble()},
                {"status", statusJson(input[StatusWord])},
                {"targetGas", targetGas},
                {"mainGas", mainGas}};
    }
};

// Reads one detector; with the gas table unread the rest is still told.
int readInfo(ModbusOperations &device, const CliOptions &options, Info &info, QString &gasTableFailure)
{
    const int read = openAndReadBlock(device, options, info.block);
    if (read != ExitOk)
        return read;
    info.input = readPatiently([&] { return device.readInputValues(); }, kPolledInputWords);
    if (info.input.size() != kPolledInputWords)
        return deviceFailed(options, failedBecause(device, "the read of the input registers"), device);
    const QVector<QString> gasTable = readPatiently([&] { return device.readGazNameTable(); }, gasTableEntries);
    if (gasTable.size() != gasTableEntries) {
        gasTableFailure = failedBecause(device.shortReadOutcome(), "the read of the gas name table");
        return ExitNoAnswer;
    }
    info.targetGas = gasName(gasTable, info.input[TargetGasNumberWord]);
    info.mainGas = gasName(gasTable, info.input[MainGasNumberWord]);
    return ExitOk;
}

} // namespace

int runInfo(ModbusOperations &device, const CliOptions &options)
{
    QVector<QStringList> rows;
    QJsonArray documents;
    const int status = forEachAddress(device, options, [&](const CliOptions &one) {
        Info info;
        QString gasTableFailure;
        int read = readInfo(device, one, info, gasTableFailure);
        if (!gasTableFailure.isEmpty())
            read = deviceFailed(one, gasTableFailure, device.shortReadOutcome());
        if (options.json)
            documents << (info.input.isEmpty() ? failureJson(one.address) : withFailure(info.json(one.address)));
        else if (info.input.isEmpty())
            return read;
        else if (options.isList())
            rows << QStringList{QString::number(one.address)} + info.values();
        else
            for (int i = 0; i < info.names().size(); ++i)
                printLine(info.names()[i] + ": " + info.values()[i]);
        return read;
    });
    if (options.json)
        printJson(options.isList() ? QJsonValue(documents) : documents.first());
    else if (!rows.isEmpty())
        printTable(QVector<QStringList>{QStringList{"address"} + Info().names()} + rows);
    return status;
}
