#include "addresslist.h"
#include "atomicfile.h"
#include "commands.h"
#include "detector.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "settingsfile.h"
#include "settingsmerge.h"
#include "settingstransfer.h"

#include <QFileInfo>

#include <algorithm>

using namespace RegisterModel;

namespace {

// Named words, the first few with both values, so that a long list of
// differences still fits a line.
QString mismatchText(const QVector<int> &words, const QVector<quint16> &written, const QVector<quint16> &readBack)
{
    const int shown = 8;
    QStringList parts;
    for (int i = 0; i < words.size() && i < shown; ++i) {
        const int word = words[i];
        parts << QString("%1 (wrote %2, read %3)").arg(word).arg(written[word]).arg(readBack[word]);
    }
    if (words.size() > shown)
        parts << QString("and %1 more").arg(words.size() - shown);
    return "the read-back differs at words " + parts.join(", ");
}

// Why a file may not go to this detector, naming both sides.
QString refusalText(const SettingsTransfer &t, const CliOptions &options)
{
    const QString file = options.file;
    switch (t.refusal) {
    case TransferRefusal::DeviceType:
        return QString("%1 is from a %2, the detector is a %3: nothing was written (--all writes it all the same)")
            .arg(file, deviceTypeName(quint16(t.fileValue << 8)), deviceTypeName(quint16(t.detectorValue << 8)));
    case TransferRefusal::Unit:
        return QString("%1 holds its levels in %2, the detector measures in %3: nothing was written "
                       "(--all writes it all the same)")
            .arg(file, unitNames().at(int(t.fileValue)), unitNames().at(int(t.detectorValue)));
    case TransferRefusal::DoesNotFit:
        return QString("%1: %2 does not fit the detector's decimal count; nothing was written").arg(file, t.parameter);
    case TransferRefusal::None:
        break;
    }
    return QString();
}

// What the summary line says of the file's origin.
QString transferText(const SettingsTransfer &t)
{
    switch (t.kind) {
    case TransferKind::SettingsOnly:
        return QString(", from serial number %1: its settings only").arg(t.fileSerial)
               + (t.rounded.isEmpty() ? QString() : ", rounded to the detector's decimals: " + t.rounded.join(", "));
    case TransferKind::FullRestore:
        return QString(", from serial number %1: restored whole").arg(t.fileSerial);
    case TransferKind::Restore:
    case TransferKind::Refused:
        break;
    }
    return QString();
}

// The block goes in two requests; when the second fails, the first has
// already changed the detector.
QString blockWriteFailure(const ModbusOperations &device)
{
    if (device.blockWriteMixed())
        return failedBecause(device, "the write of words 96-179")
               + "; words 0-95 were written, so the detector may now hold a mixed block, half new, half old";
    return failedBecause(device, "the write of words 0-95") + "; words 96-179 were not sent";
}

// A detector left in service mode no longer measures for anyone, so a spoilt
// answer is no reason to give up; the write is harmless to repeat.
bool returnToWorkingMode(ModbusOperations &device)
{
    const int tries = 3;
    for (int i = 0; i < tries; ++i) {
        if (device.setWorkingMode())
            return true;
    }
    return false;
}

int refuseNonRegular(const QString &path)
{
    const QString what = QFileInfo(path).isDir() ? "a directory" : "not a regular file";
    return fail(ExitUsage, QString("%1 is %2; nothing was done").arg(path, what));
}

// "-" is standard output; any other FILE is replaced whole, never written
// through: a device node or a named pipe given by mistake is left alone.
int saveSettings(const QString &path, const QByteArray &content)
{
    if (path == "-")
        return printBytes(content) ? ExitOk : ExitUsage;   // main() says why
    QString reason;
    switch (writeFileAtomically(path, content, &reason)) {
    case AtomicWrite::Written:
        return ExitOk;
    case AtomicWrite::NotOpened:
        return fail(ExitUsage, QString("cannot create %1: %2").arg(path, reason));
    case AtomicWrite::NotWritten:
        return fail(ExitUsage, QString("cannot write %1: %2").arg(path, reason));
    }
    return ExitUsage;
}

} // namespace

int readSettingsArgument(const QString &path, quint16 *block)
{
    QString reason;
    switch (readSettingsFile(path, block, &reason)) {
    case SettingsRead::Read:
        return ExitOk;
    case SettingsRead::NotOpened:
        return fail(ExitUsage, QString("cannot open %1: %2").arg(path, reason));
    case SettingsRead::NotRegularFile:
        return refuseNonRegular(path);
    case SettingsRead::WrongSize:
        return fail(ExitUsage, QString("%1 is not a settings file: it is shorter than %2 bytes")
                                   .arg(path)
                                   .arg(kSettingsFileSize));
    }
    return ExitUsage;
}

// {address} and {serial} in a read-settings FILE, for a file per detector.
QString fileNameFor(const QString &pattern, int address, const QVector<quint16> &block)
{
    return QString(pattern)
        .replace("{address}", QString::number(address))
        .replace("{serial}", serialNumberText(block[SerialHighWord], block[SerialLowWord]));
}

int runReadSettings(ModbusOperations &device, const CliOptions &options)
{
    const bool named = options.file.contains("{address}") || options.file.contains("{serial}");
    if (options.isList() && !named)
        return fail(ExitUsage, QString("with several addresses FILE must hold {address} or {serial}, e.g. "
                                       "'line-{address}-{serial}.bin', not \"%1\"").arg(options.file));
    const QFileInfo target(options.file);
    if (options.file != "-" && !named && target.exists() && !target.isFile())
        return refuseNonRegular(options.file);
    return forEachAddress(device, options, [&](const CliOptions &one) {
        QVector<quint16> words;
        const int opened = openAndReadBlock(device, one, words);
        if (opened != ExitOk)
            return opened;
        const QString path = fileNameFor(one.file, one.address, words);
        if (named && QFileInfo::exists(path) && !QFileInfo(path).isFile())
            return refuseNonRegular(path);
        // Words 180..255 exist only in files; a fresh file has them zero.
        quint16 block[kSettingsWords] = {};
        std::copy(words.cbegin(), words.cend(), block);
        const int saved = saveSettings(path, encodeSettings(block));
        if (saved == ExitOk && options.isList())
            printLine(QString("address %1: %2").arg(one.address).arg(path));
        return saved;
    });
}

namespace {

// One detector: its block read, the file's part for it written, read back
// and compared, its mode as before.
int writeOne(ModbusOperations &device, const CliOptions &options, const quint16 *file)
{
    QVector<quint16> current;
    const int opened = openAndReadBlock(device, options, current);
    if (opened != ExitOk)
        return opened;
    const QVector<quint16> input = readPatiently([&] { return device.readInputValues(); }, kPolledInputWords);
    if (input.size() != kPolledInputWords)
        return deviceFailed(options, "no answer to the read of its mode; nothing was written", device);
    const bool wasInService = input[StatusWord] & kStatusServiceMode;

    const SettingsTransfer transfer = transferSettings(file, current, options.all);
    if (transfer.kind == TransferKind::Refused)
        return fail(ExitUsage, QString("address %1: %2").arg(options.address).arg(refusalText(transfer, options)));
    QVector<quint16> block = transfer.block;
    block[ModeRegisterWord] |= kServiceModeBit;

    const bool written = device.writeHOLDregs(block).taken();
    const QString writeFailure = written ? QString() : blockWriteFailure(device);
    QVector<quint16> readBack;
    if (written)
        readBack = readPatiently([&] { return device.readHOLDregs(); }, kDeviceWords);
    const QString readBackFailure = failedBecause(device.shortReadOutcome(), "the read-back");
    // Even after a failed write: its first half carries the service-mode bit.
    const bool restored = wasInService || returnToWorkingMode(device);
    const QString leftInService = restored ? QString() : "; it may be left in service mode";

    if (!written)
        return deviceFailed(options, writeFailure + leftInService);
    if (readBack.size() != kDeviceWords)
        return deviceFailed(options, readBackFailure + leftInService);
    const QVector<int> mismatches = readBackMismatches(block, readBack);
    if (!mismatches.isEmpty())
        return fail(ExitMismatch, QString("address %1: ").arg(options.address)
                                      + mismatchText(mismatches, block, readBack) + leftInService);
    if (!restored)
        return deviceFailed(options, "working mode was not restored; the detector may be left in service mode");
    printLine(QString("%1 written to address %2%3 and read back")
                  .arg(options.file).arg(options.address).arg(transferText(transfer)));
    return ExitOk;
}

} // namespace

int runWriteSettings(ModbusOperations &device, const CliOptions &options)
{
    quint16 file[kSettingsWords] = {};
    const int fileRead = readSettingsArgument(options.file, file);
    if (fileRead != ExitOk)
        return fileRead;
    QVector<int> statuses;
    const int status =
        forEachAddress(device, options, [&](const CliOptions &one) { return writeOne(device, one, file); }, &statuses);
    if (!options.isList())
        return status;
    QVector<int> holding, notHolding;
    for (int i = 0; i < options.addresses.size(); ++i)
        (statuses.value(i, ExitNoAnswer) == ExitOk ? holding : notHolding) << options.addresses[i];
    printLine(QString("%1 now held by %2%3").arg(options.file)
                  .arg(holding.isEmpty() ? "no detector" : "address " + addressesText(holding))
                  .arg(notHolding.isEmpty() ? QString() : "; not by address " + addressesText(notHolding)));
    return status;
}
