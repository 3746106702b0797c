#ifndef GASNAMES_H
#define GASNAMES_H

#include <QString>
#include <QVector>

// The detector keeps each gas name in 8 registers, 16 Latin-1 characters with
// the low byte of a register first, ended by a NUL unless all 16 are used.
const int gasNameWords = 8;
const int gasNamesPerBlock = 8;
const int gasNameBlockWords = gasNameWords * gasNamesPerBlock;

// A target-gas or main-gas number names an entry of the table counted from
// 1; anything else names none.
bool gasNumberValid(quint16 number);

// The names of one 64-word block of the gas name table, in order.
QVector<QString> decodeGasNameBlock(const QVector<quint16> &block);

#endif // GASNAMES_H
