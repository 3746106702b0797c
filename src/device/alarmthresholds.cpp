#include "alarmthresholds.h"

#include "registermodel.h"

namespace RegisterModel {

AlarmThresholds alarmThresholds(const quint16 *block, quint16 scale)
{
    AlarmThresholds thresholds;
    const ParamWord directed[] = {Threshold1Word, Threshold2Word};
    for (int i = 0; i < 2; ++i) {
        const quint16 word = block[directed[i]];
        thresholds[i] = {true, flagBit15(word) == 0, decodeScaled(level15(word), scale)};
    }
    thresholds[2] = {flagBit15(block[Threshold3SwitchWord]) == 1, true,
                     decodeScaled(block[Threshold3LevelWord], scale)};
    return thresholds;
}

} // namespace RegisterModel
