#include "detectorsession.h"
#include "sessionview.h"

#include "registermodel.h"

using namespace RegisterModel;

void DetectorSession::reloadParameterBlock()
{
    const QVector<quint16> block = modbus.readHOLDregs();
    if (block.size() == kDeviceWords) {
        const bool firstRead = !conn.blockRead();
        conn.answered = true;
        std::copy(block.cbegin(), block.cend(), regHold);
        takeBlockAsRead();
        if (firstRead)
            settleWhatWasLeft();
    } else {
        conn.reqReload = true;   // again at the next tick, until the detector answers
    }
    const QVector<quint16> all = modbus.readInputValuesAll();
    if (all.size() == kFullInputWords)
        std::copy(all.cbegin(), all.cend(), inputAll);
}

// The block in regHold was read complete from the connected detector: the
// controls show it in its scale, and the gas it names is the one a later
// write carries.
void DetectorSession::takeBlockAsRead()
{
    conn.detectorBlock = QVector<quint16>(regHold, regHold + kDeviceWords);
    takeControlsScale(regHold);
    emit blockRead();
    if (!conn.mainGasActive)
        conn.targetGasName = conn.activeGasName;
    conn.blockIsDetectors = true;
    takeDetectorScale(regHold);
}

void DetectorSession::takeControlsScale(const quint16 *block)
{
    decimals = decimalCount(block[FormatWord]);
    scale = scaleFactor(decimals);
    // The name a later parameter write carries. While the main gas is in,
    // the detector's gas stays what it is, whatever a block holds.
    if (!conn.mainGasActive)
        conn.activeGasName = decodeText(block + GasNameWord, kGasNameBytes);
}

void DetectorSession::takeDetectorScale(const quint16 *block)
{
    conn.detectorDecimals = decimalCount(block[FormatWord]);
    conn.detectorScale = scaleFactor(conn.detectorDecimals);
    conn.detectorRange = block[DisplayRangeWord];
    conn.detectorUnit = unitNames.value(unitIndex(block[FormatWord]));
    conn.detectorUnitIndex = unitIndex(block[FormatWord]);
    conn.detectorScaleKnown = true;
}

// The span concentration goes out only when a calibration sends it, and the
// identity only with "Применить".
void DetectorSession::storeControls()
{
    view.encodeControls(regHold);
}

// The user chose this block for the detector: it may now be written, and a
// read still being retried would replace it unseen.
void DetectorSession::importBlock(const quint16 *block)
{
    std::copy(block, block + kBlockWords, regHold);
    conn.blockIsDetectors = true;
    conn.reqReload = false;
}

void DetectorSession::requestReload()
{
    conn.reqReload = true;
}

void DetectorSession::requestWrite()
{
    regHold[ModeRegisterWord] |= kServiceModeBit;
    conn.reqWrite = true;
}

// Without a selection (mode 3 read from the device) the BLE mode stays as read.
void DetectorSession::requestIdentityWrite(quint8 address, quint16 hart, int ble)
{
    conn.newAddress = address != conn.slaveAddress ? address : 0;
    regHold[HartAddressWord] = hartAddress(hart);
    regHold[FormatWord] = withBleMode(regHold[FormatWord], ble);
    conn.reqWrite = true;
}

// A request the slots could not refuse (one raised before the block of this
// connection was read) is dropped while the block is not this detector's.
// The block always carries the address the detector answers at: a detector
// takes a new address at once, and the rest of the block would then go to
// an address where nobody listens.
void DetectorSession::writeParameterBlock()
{
    const quint8 newAddress = conn.newAddress;
    conn.newAddress = 0;
    if (!conn.blockIsDetectors)
        return;
    storeControls();
    regHold[ModbusAddressWord] = withModbusAddress(regHold[ModbusAddressWord], conn.slaveAddress);
    const QVector<quint16> block(regHold, regHold + kDeviceWords);
    const bool written = modbus.writeHOLDregs(block).taken();
    noteBlockWritten(written);
    if (written)
        conn.detectorBlock = block;
    else if (modbus.blockWriteMixed())
        emit notice({SessionNoticeKind::BlockHalfWritten});
    if (newAddress == 0)
        return;
    if (written)
        moveDetectorTo(newAddress);
    else
        emit notice({SessionNoticeKind::BlockNotWrittenAddressKept, conn.slaveAddress});
}

// Word 1 alone, in the same tick as the block; the session then follows the
// detector to its new address.
void DetectorSession::moveDetectorTo(quint8 address)
{
    const quint16 word = withModbusAddress(regHold[ModbusAddressWord], address);
    if (!modbus.setModbusAddress(word)) {
        emit notice({SessionNoticeKind::AddressNotTaken, address, conn.slaveAddress});
        return;
    }
    regHold[ModbusAddressWord] = word;
    conn.detectorBlock[ModbusAddressWord] = word;
    conn.slaveAddress = address;
    modbus.setSlaveAddress(address);
    emit addressMoved(address);
    emit notice({SessionNoticeKind::AddressMoved, address});
}

// What a write sent is what the detector now holds. A failed write may have
// reached it in part, so a decimal count it would have changed is no longer
// known: the live value waits for the next read or successful write.
void DetectorSession::noteBlockWritten(bool written)
{
    if (written) {
        takeDetectorScale(regHold);
        return;
    }
    if (conn.detectorScaleKnown && decimalCount(regHold[FormatWord]) != conn.detectorDecimals) {
        conn.detectorScaleKnown = false;
        conn.liveReading.clear();
        conn.liveConcentration.reset();
        emit concentrationUnknown();
    }
}

qint64 DetectorSession::connectedSerial() const
{
    if (!conn.blockRead())
        return kUnknownSerial;
    return joinWords(conn.detectorBlock[SerialHighWord], conn.detectorBlock[SerialLowWord]);
}
