#ifndef GASTABLE_H
#define GASTABLE_H

#include <QString>
#include <QStringList>
#include <QVector>

// The detector's table of gas names: 32 entries of 16 Latin-1 bytes, eight
// registers each, two characters to a register with the first in the low byte.
const int gasTableEntries = 32;
const int gasNameWords = 8;

QStringList defaultGasNames();

// A text field of words.size() registers: character 2j in the low byte of
// word j, 2j+1 in its high byte, NUL-filled; longer texts are cut.
QVector<quint16> packText(const QString &text, int words);

// The text up to its first NUL byte.
QString unpackText(const QVector<quint16> &words);

#endif // GASTABLE_H
