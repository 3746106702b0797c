#ifndef CLI_SETTINGSMERGE_H
#define CLI_SETTINGSMERGE_H

#include <QVector>

// Words 0..179 for write-settings: the file's, with bit 7 of the mode register
// set as the window's "Записать" sets it, and the command register as read
// from the detector, since a settings file never issues a command. Unless
// keepIdentity is false, the detector also keeps its Modbus address, HART
// address, serial number and BLE mode.
QVector<quint16> settingsToWrite(const quint16 *file, const QVector<quint16> &device, bool keepIdentity);

// The words whose read-back differs from what was written. The mode register
// and the command register are left out: the detector changes them itself.
QVector<int> readBackMismatches(const QVector<quint16> &written, const QVector<quint16> &readBack);

#endif // CLI_SETTINGSMERGE_H
