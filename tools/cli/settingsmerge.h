#ifndef CLI_SETTINGSMERGE_H
#define CLI_SETTINGSMERGE_H

#include <QVector>

// The words whose read-back differs from what was written. The mode register
// and the command register are left out: the detector changes them itself.
QVector<int> readBackMismatches(const QVector<quint16> &written, const QVector<quint16> &readBack);

#endif // CLI_SETTINGSMERGE_H
