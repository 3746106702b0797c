#include "addressprobe.h"
#include "commands.h"
#include "detector.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {

QVector<quint16> identityAt(ModbusOperations &device, int address)
{
    device.setSlaveAddress(quint8(address));
    return readPatiently([&] { return device.readIdentity(); }, kIdentityWords);
}

quint32 serialOf(const QVector<quint16> &identity)
{
    return joinWords(identity[SerialHighWord], identity[SerialLowWord]);
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
    switch (probeAddress(device, quint8(to), quint8(from))) {
    case AddressProbe::Free:
        break;
    case AddressProbe::Taken:
        return deviceFailed(options, QString("something answers at address %1 already (a detector, or two at one "
                                             "address, or noise); nothing was sent").arg(to), device);
    case AddressProbe::Unknown:
        return deviceFailed(options, failedBecause(device, QString("the check of address %1").arg(to))
                                         + "; nothing was sent", device);
    }
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
