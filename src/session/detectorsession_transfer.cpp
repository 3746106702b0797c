#include "detectorsession.h"

#include "addressprobe.h"
#include "registermodel.h"

using namespace RegisterModel;

SettingsTransfer DetectorSession::judgeBlock(const quint16 *block) const
{
    if (conn.blockRead())
        return transferSettings(block, conn.detectorBlock, false);
    SettingsTransfer whole;
    whole.kind = TransferKind::Restore;
    whole.fileSerial = joinWords(block[SerialHighWord], block[SerialLowWord]);
    whole.block = QVector<quint16>(block, block + kDeviceWords);
    return whole;
}

// The user chose this file for the detector: what of it the detector may
// take may now be written, and a read still being retried would replace it
// unseen. Words 180..255 exist only in files: they are the file's.
SettingsTransfer DetectorSession::importBlock(const quint16 *file)
{
    const SettingsTransfer transfer = judgeBlock(file);
    if (transfer.kind == TransferKind::Refused)
        return transfer;
    std::copy(transfer.block.cbegin(), transfer.block.cend(), regHold);
    std::copy(file + kDeviceWords, file + kBlockWords, regHold + kDeviceWords);
    conn.lentFrom = transfer.kind == TransferKind::SettingsOnly ? qint64(transfer.fileSerial) : kUnknownSerial;
    conn.blockIsDetectors = true;
    conn.reqReload = false;
    return transfer;
}

// Before a detector is moved: another device at its new address would share
// it, and neither would answer clearly again. "Применить" then writes nothing
// of what it carries, and the block keeps the detector's own identity words.
bool DetectorSession::newAddressFree(quint8 address)
{
    const AddressProbe found = probeAddress(modbus, address, conn.slaveAddress);
    if (found == AddressProbe::Free)
        return true;
    if (conn.blockRead()) {
        regHold[HartAddressWord] = conn.detectorBlock[HartAddressWord];
        regHold[FormatWord] = withBleMode(regHold[FormatWord], bleMode(conn.detectorBlock[FormatWord]));
    }
    emit addressInUse(address, found);
    return false;
}
