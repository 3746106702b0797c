#include "atomicfile.h"
#include "commands.h"
#include "detector.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "settingsfile.h"
#include "settingsmerge.h"

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

} // namespace

int readSettingsArgument(const QString &path, quint16 *block)
{
    switch (readSettingsFile(path, block)) {
    case SettingsRead::Read:
        return ExitOk;
    case SettingsRead::NotOpened:
        return fail(ExitUsage, QString("cannot open %1").arg(path));
    case SettingsRead::WrongSize:
        return fail(ExitUsage, QString("%1 is not a settings file: it is shorter than %2 bytes")
                                   .arg(path)
                                   .arg(kSettingsFileSize));
    }
    return ExitUsage;
}

int runReadSettings(ModbusOperations &device, const CliOptions &options)
{
    QVector<quint16> words;
    const int opened = openAndReadBlock(device, options, words);
    if (opened != ExitOk)
        return opened;
    // Words 180..255 exist only in files; a fresh file has them zero.
    quint16 block[kSettingsWords] = {};
    std::copy(words.cbegin(), words.cend(), block);
    switch (writeFileAtomically(options.file, encodeSettings(block))) {
    case AtomicWrite::Written:
        return ExitOk;
    case AtomicWrite::NotOpened:
        return fail(ExitUsage, QString("cannot create %1").arg(options.file));
    case AtomicWrite::NotWritten:
        return fail(ExitUsage, QString("cannot write %1").arg(options.file));
    }
    return ExitUsage;
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

    const bool written = device.writeHOLDregs(block);
    const QVector<quint16> readBack =
        written ? readPatiently([&] { return device.readHOLDregs(); }, kDeviceWords) : QVector<quint16>();
    // Even after a failed write: its first half carries the service-mode bit.
    const bool restored = wasInService || returnToWorkingMode(device);
    const QString leftInService = restored ? QString() : "; it may be left in service mode";

    if (!written)
        return deviceFailed(options, "the write was refused or not answered" + leftInService);
    if (readBack.size() != kDeviceWords)
        return deviceFailed(options, "no answer to the read-back" + leftInService);
    const QVector<int> mismatches = readBackMismatches(block, readBack);
    if (!mismatches.isEmpty())
        return fail(ExitMismatch, mismatchText(mismatches, block, readBack) + leftInService);
    if (!restored)
        return deviceFailed(options, "working mode was not restored; the detector is left in service mode");
    printLine(QString("%1 written to address %2 and read back").arg(options.file).arg(options.address));
    return ExitOk;
}
