#include "alarmthresholds.h"

#include "parametertable.h"
#include "registermodel.h"

namespace RegisterModel {

// Read through the parameter table, as the window's controls are, so that
// the plot, the bump test and the certificate see the fields the user edits.
AlarmThresholds alarmThresholds(const quint16 *block, quint16 scale)
{
    auto level = [&](const QByteArray &name) { return decodeScaled(storedValue(name.constData(), block), scale); };
    AlarmThresholds thresholds;
    for (int n = 1; n <= 3; ++n) {
        const QByteArray key = "threshold " + QByteArray::number(n);
        AlarmThreshold &t = thresholds[size_t(n - 1)];
        // Thresholds 1 and 2 are always on and may fall; threshold 3 rises.
        t.on = n < 3 || storedValue(key.constData(), block) != 0;
        t.rising = n == 3 || storedValue((key + " direction").constData(), block) == 0;
        t.level = level(key + " level");
        t.hysteresis = level(key + " hysteresis");
    }
    return thresholds;
}

} // namespace RegisterModel
