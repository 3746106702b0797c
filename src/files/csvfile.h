#ifndef CSVFILE_H
#define CSVFILE_H

#include <QByteArray>
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
// first when the file is new or empty, and a line end first when the file's
// last line has none (a row cut by an earlier crash then stays a row of its
// own). A write that fails is taken back, so the file never ends in a cut
// row. False with the reason in error.
bool appendCsvRow(const QString &path, const QStringList &header, const QStringList &fields, QString &error);

// Every row of the content, header included. False with the line of the
// first fault in error.
bool parseCsv(const QByteArray &content, QVector<QStringList> &rows, QString &error);

#endif // CSVFILE_H
