#include "detectorsession.h"
#include "sessionview.h"

#include "registermodel.h"

using namespace RegisterModel;

void DetectorSession::reloadParameterBlock()
{
    const QVector<quint16> block = modbus.readHOLDregs();
    if (block.size() == kDeviceWords) {
        const bool firstRead = conn.answeredSerial == kUnknownSerial;
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
    conn.answeredSerial = joinWords(regHold[SerialHighWord], regHold[SerialLowWord]);
    conn.lentFrom = kUnknownSerial;
    takeControlsScale(regHold);
    emit blockRead();
    recogniseMainGas();
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
// an address where nobody listens. A new address that something already
// answers at stops the whole "Применить" before anything is written.
void DetectorSession::writeParameterBlock()
{
    const quint8 newAddress = conn.newAddress;
    conn.newAddress = 0;
    if (!conn.blockIsDetectors || (newAddress != 0 && !newAddressFree(newAddress)))
        return;
    storeControls();
    regHold[ModbusAddressWord] = withModbusAddress(regHold[ModbusAddressWord], conn.slaveAddress);
    const QVector<quint16> block(regHold, regHold + kDeviceWords);
    const ExchangeOutcome written = modbus.writeHOLDregs(block);
    if (written.unknown() || written.taken() || modbus.blockWriteMixed())
        readBackWrittenBlock(block, written);
    else
        tellNothingWritten(written);
    if (newAddress == 0)
        return;
    if (written.taken())
        moveDetectorTo(newAddress);
    else
        emit notice({SessionNoticeKind::BlockNotWrittenAddressKept, conn.slaveAddress});
}

// What the detector holds after a write is what it says when read, not what
// was sent: it may keep words it will not take, and an answer lost on the
// line says nothing either way. The controls, the scale and the block as
// read come from the read-back, and the words that differ are named.
void DetectorSession::readBackWrittenBlock(const QVector<quint16> &sent, const ExchangeOutcome &written)
{
    const QVector<quint16> read = modbus.readHOLDregs();
    if (read.size() != kDeviceWords) {
        blockNotReadBack(sent, written);
        return;
    }
    std::copy(read.cbegin(), read.cend(), regHold);
    conn.detectorBlockUnknown = false;
    takeBlockAsRead();
    SessionNotice told(written.taken() ? SessionNoticeKind::BlockWritten : SessionNoticeKind::BlockHeldUnconfirmed);
    for (int word = 0; word < kDeviceWords; ++word) {
        if (read[word] != sent[word])
            told.words << word;
    }
    if (!told.words.isEmpty())
        told.kind = SessionNoticeKind::BlockDiffers;
    emit notice(told);
}

// Without a read-back a taken write is believed; any other leaves the block
// unknown until it is read again.
void DetectorSession::blockNotReadBack(const QVector<quint16> &sent, const ExchangeOutcome &written)
{
    noteBlockWritten(written.taken());
    if (written.taken()) {
        conn.detectorBlock = sent;
        return;
    }
    conn.detectorBlockUnknown = true;
    emit notice({modbus.blockWriteMixed() ? SessionNoticeKind::BlockHalfWritten : SessionNoticeKind::BlockUnknown});
}

void DetectorSession::tellNothingWritten(const ExchangeOutcome &written)
{
    SessionNotice told(written.isRefusal() ? SessionNoticeKind::BlockRefused : SessionNoticeKind::BlockNotSent);
    told.exceptionCode = written.exceptionCode();
    emit notice(told);
}

// Before a gas switch writes the detector's block back with another name,
// a block left unknown by a lost answer is read: false while it cannot be.
bool DetectorSession::knowDetectorBlock()
{
    if (!conn.detectorBlockUnknown)
        return true;
    const QVector<quint16> read = modbus.readHOLDregs();
    if (read.size() != kDeviceWords)
        return false;
    conn.detectorBlock = read;
    conn.detectorBlockUnknown = false;
    takeDetectorScale(read.constData());
    return true;
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
        conn.lentFrom = kUnknownSerial;
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
    return conn.answeredSerial;
}
