#include "settingstransfer.h"

#include "parametertable.h"
#include "registermodel.h"

namespace RegisterModel {

namespace {

// The settings one detector may lend another: what the window shows and
// writes with its block, less the gas name (the detector's own choice from
// its gas table) and the magnetic calibration value (its own calibration).
bool isLentSetting(const Parameter &parameter)
{
    return parameter.role == ParamRole::Block && parameter.kind != ParamKind::Text
           && parameter.word != MagneticCalibrationWord;
}

quint32 serialOf(const quint16 *block)
{
    return joinWords(block[SerialHighWord], block[SerialLowWord]);
}

SettingsTransfer refused(SettingsTransfer transfer, TransferRefusal why, quint32 fileValue, quint32 detectorValue)
{
    transfer.kind = TransferKind::Refused;
    transfer.refusal = why;
    transfer.fileValue = fileValue;
    transfer.detectorValue = detectorValue;
    transfer.block.clear();
    return transfer;
}

// A stored integer at one decimal count as the nearest at another; false
// when it does not fit the field. inexact: the value had to be rounded.
bool convertScaled(quint32 stored, int fromDecimals, int toDecimals, quint32 fieldMax, quint32 &converted,
                   bool &inexact)
{
    quint64 value = stored;
    inexact = false;
    for (int d = fromDecimals; d < toDecimals; ++d)
        value *= 10;
    for (int d = toDecimals; d < fromDecimals; ++d) {
        inexact = inexact || value % 10 != 0;
        value = (value + 5) / 10;
    }
    converted = quint32(qMin<quint64>(value, 0xFFFFFFFFu));
    return value <= fieldMax;
}

// The file's settings laid on the detector's block, in its decimal count.
SettingsTransfer lendSettings(SettingsTransfer transfer, const quint16 *file)
{
    const int fileDecimals = decimalCount(file[FormatWord]);
    const int ownDecimals = decimalCount(transfer.block[FormatWord]);
    for (const Parameter &parameter : parameterTable()) {
        if (!isLentSetting(parameter))
            continue;
        quint32 value = storedValue(parameter, file);
        if (parameter.kind == ParamKind::Scaled) {
            bool inexact = false;
            const quint32 stored = value;
            if (!convertScaled(stored, fileDecimals, ownDecimals, fieldMaximum(parameter), value, inexact)) {
                transfer.parameter = parameter.name;
                return refused(transfer, TransferRefusal::DoesNotFit, stored, value);
            }
            if (inexact)
                transfer.rounded << parameter.name;
        }
        setStoredValue(parameter, transfer.block.data(), value);
    }
    return transfer;
}

} // namespace

SettingsTransfer transferSettings(const quint16 *file, const QVector<quint16> &detector, bool fullRestore)
{
    SettingsTransfer transfer;
    transfer.fileSerial = serialOf(file);
    transfer.detectorSerial = serialOf(detector.constData());
    transfer.block = detector.mid(0, kDeviceWords);
    const quint8 fileType = highByte(file[DeviceTypeWord]), ownType = highByte(detector[DeviceTypeWord]);
    const int fileUnit = unitIndex(file[FormatWord]), ownUnit = unitIndex(detector[FormatWord]);
    if (!fullRestore && fileType != ownType)
        return refused(transfer, TransferRefusal::DeviceType, fileType, ownType);
    if (!fullRestore && fileUnit != ownUnit)
        return refused(transfer, TransferRefusal::Unit, quint32(fileUnit), quint32(ownUnit));
    if (!fullRestore && transfer.fileSerial != transfer.detectorSerial) {
        transfer.kind = TransferKind::SettingsOnly;
        return lendSettings(transfer, file);
    }
    transfer.kind = fullRestore ? TransferKind::FullRestore : TransferKind::Restore;
    for (int word = 0; word < kDeviceWords; ++word) {
        if (word != CommandWord)
            transfer.block[word] = file[word];
    }
    transfer.block[ModbusAddressWord] =
        withModbusAddress(file[ModbusAddressWord], highByte(detector[ModbusAddressWord]));
    return transfer;
}

} // namespace RegisterModel
