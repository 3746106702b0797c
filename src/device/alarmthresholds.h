#ifndef ALARMTHRESHOLDS_H
#define ALARMTHRESHOLDS_H

#include <QtGlobal>

#include <array>

namespace RegisterModel {

// One alarm threshold of the detector as its block holds it, in the
// detector's unit. Thresholds 1 and 2 have no switch of their own, only a
// direction; threshold 3 trips on rising readings and has a switch.
struct AlarmThreshold
{
    bool on = false;
    bool rising = true;
    double level = 0;
    double hysteresis = 0;
};

using AlarmThresholds = std::array<AlarmThreshold, 3>;

// The three thresholds of a device block (words 0..179) in its own scale.
AlarmThresholds alarmThresholds(const quint16 *block, quint16 scale);

} // namespace RegisterModel

#endif // ALARMTHRESHOLDS_H
