#ifndef CLI_SETTINGSDIFF_H
#define CLI_SETTINGSDIFF_H

#include <QString>
#include <QVector>

// One parameter of two blocks, each value as its own block shows it.
struct SettingRow
{
    QString name;
    QString first;
    QString second;
    bool differs = false;
    bool identity = false;   // names the detector rather than configures it
};

// Words 0..179 of two parameter blocks compared by meaning: every parameter
// of the table in the unit of its block, scaled values by what they stand
// for whatever each block's decimal count, then the bits no parameter claims
// raw as "word N". The mode and command registers are left out: the detector
// changes them itself.
QVector<SettingRow> compareSettings(const quint16 *first, const quint16 *second);

// A stored integer in units of 1/10^decimals, exactly, e.g. 1234 and 2 give "12.34".
QString fixedPoint(quint32 stored, int decimals);

#endif // CLI_SETTINGSDIFF_H
