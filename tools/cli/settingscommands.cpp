#include "atomicfile.h"
#include "commands.h"
#include "detector.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "settingsfile.h"
#include "settingsmerge.h"

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

// A detector that moved to a new address in the middle of the write would
// miss the second half of the block and the read-back.
bool movesDetector(const QVector<quint16> &block, const QVector<quint16> &current)
{
    return highByte(block[ModbusAddressWord]) != highByte(current[ModbusAddressWord]);
}

int refuseAddressChange(const QVector<quint16> &block, const QVector<quint16> &current, const CliOptions &options)
{
    return fail(ExitUsage, QString("%1 holds Modbus address %2, the detector %3: set the address with the "
                                   "window's \"Применить\", or leave out --all; nothing was written")
                               .arg(options.file)
                               .arg(highByte(block[ModbusAddressWord]))
                               .arg(highByte(current[ModbusAddressWord])));
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

int runReadSettings(ModbusOperations &device, const CliOptions &options)
{
    const QFileInfo target(options.file);
    if (options.file != "-" && target.exists() && !target.isFile())
        return refuseNonRegular(options.file);
    QVector<quint16> words;
    const int opened = openAndReadBlock(device, options, words);
    if (opened != ExitOk)
        return opened;
    // Words 180..255 exist only in files; a fresh file has them zero.
    quint16 block[kSettingsWords] = {};
    std::copy(words.cbegin(), words.cend(), block);
    return saveSettings(options.file, encodeSettings(block));
}

int runWriteSettings(ModbusOperations &device, const CliOptions &options)
{
    quint16 file[kSettingsWords] = {};
    const int fileRead = readSettingsArgument(options.file, file);
    if (fileRead != ExitOk)
        return fileRead;
    QVector<quint16> current;
    const int opened = openAndReadBlock(device, options, current);
    if (opened != ExitOk)
        return opened;
    const QVector<quint16> input = readPatiently([&] { return device.readInputValues(); }, kPolledInputWords);
    if (input.size() != kPolledInputWords)
        return deviceFailed(options, "no answer to the read of its mode; nothing was written");
    const bool wasInService = input[StatusWord] & kStatusServiceMode;

    const QVector<quint16> block = settingsToWrite(file, current, !options.all);
    if (movesDetector(block, current))
        return refuseAddressChange(block, current, options);

    const bool written = device.writeHOLDregs(block).taken();
    const QString writeFailure = written ? QString() : blockWriteFailure(device);
    QVector<quint16> readBack;
    if (written)
        readBack = readPatiently([&] { return device.readHOLDregs(); }, kDeviceWords);
    const QString readBackFailure = failedBecause(device, "the read-back");
    // Even after a failed write: its first half carries the service-mode bit.
    const bool restored = wasInService || returnToWorkingMode(device);
    const QString leftInService = restored ? QString() : "; it may be left in service mode";

    if (!written)
        return deviceFailed(options, writeFailure + leftInService);
    if (readBack.size() != kDeviceWords)
        return deviceFailed(options, readBackFailure + leftInService);
    const QVector<int> mismatches = readBackMismatches(block, readBack);
    if (!mismatches.isEmpty())
        return fail(ExitMismatch, mismatchText(mismatches, block, readBack) + leftInService);
    if (!restored)
        return deviceFailed(options, "working mode was not restored; the detector may be left in service mode");
    printLine(QString("%1 written to address %2 and read back").arg(options.file).arg(options.address));
    return ExitOk;
}
