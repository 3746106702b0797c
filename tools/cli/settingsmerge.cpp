#include "settingsmerge.h"

#include "registermodel.h"

using namespace RegisterModel;

QVector<int> readBackMismatches(const QVector<quint16> &written, const QVector<quint16> &readBack)
{
    QVector<int> words;
    for (int i = 0; i < kDeviceWords; ++i) {
        if (i != ModeRegisterWord && i != CommandWord && written.value(i) != readBack.value(i))
            words << i;
    }
    return words;
}
