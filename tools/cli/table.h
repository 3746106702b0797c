#ifndef CLI_TABLE_H
#define CLI_TABLE_H

#include <QStringList>
#include <QVector>

// The rows on standard output, each column as wide as its widest cell and two
// blanks apart; the last column is not padded.
void printTable(const QVector<QStringList> &rows);

#endif // CLI_TABLE_H
