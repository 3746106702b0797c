#ifndef CLI_CSVLOG_H
#define CLI_CSVLOG_H

#include <QFile>
#include <QString>
#include <QStringList>

// The monitor's CSV file. Rows are appended, so an earlier test's log in the
// same file is never lost; the header goes first only into an empty file.
// Each row is flushed at once: a run cut short leaves every row before it.
class CsvLog
{
public:
    // False with the reason when the file cannot be opened for appending.
    bool open(const QString &path, const QStringList &header, QString &error);
    bool isOpen() const { return file.isOpen(); }
    // False when the row could not be written out.
    bool append(const QStringList &fields);

private:
    QFile file;
};

#endif // CLI_CSVLOG_H
