#include "settingsmerge.h"

#include "registermodel.h"

using namespace RegisterModel;

QVector<quint16> settingsToWrite(const quint16 *file, const QVector<quint16> &device, bool keepIdentity)
{
    QVector<quint16> block(file, file + kDeviceWords);
    block[ModeRegisterWord] |= kServiceModeBit;
    block[CommandWord] = device[CommandWord];
    if (keepIdentity) {
        block[ModbusAddressWord] = withModbusAddress(block[ModbusAddressWord], highByte(device[ModbusAddressWord]));
        block[HartAddressWord] = device[HartAddressWord];
        block[SerialHighWord] = device[SerialHighWord];
        block[SerialLowWord] = device[SerialLowWord];
        block[FormatWord] = withBleMode(block[FormatWord], bleMode(device[FormatWord]));
    }
    return block;
}

QVector<int> readBackMismatches(const QVector<quint16> &written, const QVector<quint16> &readBack)
{
    QVector<int> words;
    for (int i = 0; i < kDeviceWords; ++i) {
        if (i != ModeRegisterWord && i != CommandWord && written.value(i) != readBack.value(i))
            words << i;
    }
    return words;
}
