#include "addressprobe.h"

#include "modbusoperations.h"
#include "registermap.h"

using namespace RegisterModel;

namespace {

// A detector that misses one request is still there: the address counts as
// free only after three tries met silence.
const int kProbes = 3;

} // namespace

AddressProbe probeAddress(ModbusOperations &device, quint8 address, quint8 returnTo)
{
    device.setSlaveAddress(address);
    AddressProbe found = AddressProbe::Free;
    for (int i = 0; i < kProbes && found == AddressProbe::Free; ++i) {
        const bool read = device.readIdentity().size() == kIdentityWords;
        const ExchangeOutcome outcome = device.lastOutcome();
        if (read || outcome.heardAnything())
            found = AddressProbe::Taken;
        else if (outcome.notSent() || outcome.kind() == ExchangeOutcome::Kind::PortError)
            found = AddressProbe::Unknown;
    }
    device.setSlaveAddress(returnTo);
    return found;
}
