#ifndef ADDRESSPROBE_H
#define ADDRESSPROBE_H

#include <QtGlobal>

class ModbusOperations;

// What answers at a Modbus address. A detector given an address that another
// one on the line already has makes both unreachable, so an address counts
// as free only when nothing at all came back, not even a refusal or noise.
enum class AddressProbe {
    Free,      // silence to every try
    Taken,     // an answer, a refusal, or bytes that make no answer
    Unknown    // the port failed, or the request could not be sent
};

// Asks `address` for the detector's identity, three times before it counts
// as free; then the operations talk to `returnTo` again.
AddressProbe probeAddress(ModbusOperations &device, quint8 address, quint8 returnTo);

#endif // ADDRESSPROBE_H
