#include "commands.h"
#include "detector.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {

// A detector that misses one request is still there: the new address counts
// as free only after three tries met silence.
const int probes = 3;

QVector<quint16> identityAt(ModbusOperations &device, int address)
{
    device.setSlaveAddress(quint8(address));
    return readPatiently([&] { return device.readIdentity(); }, kIdentityWords);
}

quint32 serialOf(const QVector<quint16> &identity)
{
    return joinWords(identity[SerialHighWord], identity[SerialLowWord]);
}

// Anything at all at the address: an answer, a refusal, garbled bytes.
bool addressTaken(ModbusOperations &device, int address)
{
    device.setSlaveAddress(quint8(address));
    for (int i = 0; i < probes; ++i) {
        if (device.readIdentity().size() == kIdentityWords || somethingAnswered(device))
            return true;
    }
    return false;
}

} // namespace

int runSetAddress(ModbusOperations &device, const CliOptions &options)
{
    const int from = options.address, to = options.newAddress;
    if (from == to)
        return fail(ExitUsage, QString("the detector is at address %1 already; nothing was sent").arg(to));
    const int opened = openDetector(device, options);
    if (opened != ExitOk)
        return opened;
    const QVector<quint16> identity = identityAt(device, from);
    if (identity.size() != kIdentityWords)
        return deviceFailed(options, failedBecause(device, "the read of its identity") + "; nothing was sent", device);
    const quint32 serial = serialOf(identity);
    if (addressTaken(device, to))
        return deviceFailed(options, QString("something answers at address %1 already (a detector, or two at one "
                                             "address, or noise); nothing was sent").arg(to), device);
    device.setSlaveAddress(quint8(from));
    const ExchangeOutcome written = device.setModbusAddress(withModbusAddress(identity[ModbusAddressWord], quint8(to)));
    if (written.isRefusal())
        return deviceFailed(options, "the write of address " + QString::number(to) + " was refused: " + written.text(),
                            device);
    // Taken or not known: only the detector at the new address can tell.
    const QVector<quint16> moved = identityAt(device, to);
    if (moved.size() == kIdentityWords && serialOf(moved) == serial) {
        printLine(QString("serial number %1: address %2 -> %3, confirmed").arg(serial).arg(from).arg(to));
        return ExitOk;
    }
    const QVector<quint16> stayed = identityAt(device, from);
    if (stayed.size() == kIdentityWords && serialOf(stayed) == serial)
        return deviceFailed(options, QString("the detector stays at address %1: it did not take %2").arg(from).arg(to));
    return deviceFailed(options, QString("not confirmed: serial number %1 answers neither at %2 nor at %3")
                                     .arg(serial).arg(to).arg(from));
}
