#ifndef CSVFILE_H
#define CSVFILE_H

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// CSV as a spreadsheet opens it: RFC 4180, UTF-8, rows ended by CR LF, a
// field quoted only when it holds a comma, a quote or a line break, and its
// quotes then doubled. Numbers are written by the caller with "." as the
// decimal point whatever the locale.

QByteArray csvRow(const QStringList &fields);

class QFile;
// Opens file (made if missing) to append rows at its end; false with the
// reason in error.
bool openCsvForAppending(QFile &file, const QString &path, QString &error);

// Appends one row to the file at path in a single write: the header row
// first when the file is new or empty. The row starts clean whatever the
// file's last line holds: a line end goes first when that line has none (a
// row cut by an earlier crash then stays a row of its own), and a closing
// quote with it when the line ends inside a quoted field, which would
// otherwise take in every row after it. A write that fails is taken back, so
// the file never ends in a cut row. False with the reason in error.
bool appendCsvRow(const QString &path, const QStringList &header, const QStringList &fields, QString &error);

// Every row of the content, header included. False with the line of the
// first fault in error.
bool parseCsv(const QByteArray &content, QVector<QStringList> &rows, QString &error);

// A file whose every row is one line, read line by line: a line that cannot
// be a row (a quoted field not closed on it) is put in `skipped` by its
// number with why, and the lines after it are read on. Blank lines are no
// rows.
struct CsvLines
{
    QVector<QStringList> rows;
    QVector<int> lineNumbers;   // of each row, from 1
    QMap<int, QString> skipped;
};
CsvLines parseCsvLines(const QByteArray &content);

#endif // CSVFILE_H
