#include "calibrationjournal.h"
#include "commands.h"
#include "journalreader.h"
#include "jsonout.h"
#include "menufolder.h"
#include "options.h"
#include "output.h"
#include "table.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace {

// The journal's columns that hold a plain number ("." as the point); the
// readings before and after carry their unit and stay text.
const QStringList journalNumberColumns{"serial number", "Modbus address", "test gas", "as found", "as left",
                                       "peak", "T50 s", "T90 s", "threshold 1 s", "threshold 2 s",
                                       "threshold 3 s", "recovery s"};

// The file --file names; else the journal of a window started in the working
// directory, then that of the window the desktop menu starts. Empty when
// neither is there.
QString journalPath(const CliOptions &options)
{
    if (!options.journal.isEmpty())
        return options.journal;
    for (const QString &folder : {QDir::currentPath(), menuFolder()}) {
        const QString path = QDir(folder).absoluteFilePath(kJournalFileName);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

bool ofSerial(const CliOptions &options, const QString &serial)
{
    return options.serial.isEmpty() || serial.toUInt() == options.serial.toUInt();
}

// Only the columns after the first layout's that some row fills: a journal
// of calibrations alone does not print the bump test's seven empty columns.
QVector<QStringList> filledColumns(const QVector<QStringList> &rows)
{
    const int first = firstJournalHeader().size();
    QVector<int> kept;
    for (int c = 0; c < rows.value(0).size(); ++c) {
        bool filled = c < first;
        for (int r = 1; r < rows.size() && !filled; ++r)
            filled = !rows[r].value(c).isEmpty();
        if (filled)
            kept << c;
    }
    QVector<QStringList> shown;
    for (const QStringList &row : rows) {
        QStringList cells;
        for (int c : kept)
            cells << row.value(c);
        shown << cells;
    }
    return shown;
}

QString dateText(const QDate &date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QString dueText(const QDate &due, bool overdue)
{
    if (due.isNull())
        return "now (none on record)";
    return overdue ? dateText(due) + " overdue" : dateText(due);
}

int printDue(const JournalRead &read, const CliOptions &options, const QString &shownPath)
{
    const QDate today = QDate::currentDate();
    QVector<JournalEntry> entries;
    for (const JournalEntry &e : read.entries) {
        if (ofSerial(options, e.serialNumber))
            entries << e;
    }
    const int months = options.months > 0 ? options.months : kDefaultCalibrationMonths;
    const int days = options.bumpDays > 0 ? options.bumpDays : kDefaultBumpDays;
    const QVector<DueDates> list = dueDates(entries, months, days, today);
    if (options.json) {
        QJsonArray array;
        for (const DueDates &d : list) {
            array << QJsonObject{{"serialNumber", d.serialNumber.toLongLong()},
                                 {"deviceType", d.deviceType},
                                 {"lastCalibration", d.lastCalibration.toString(Qt::ISODate)},
                                 {"calibrationDue", dateText(d.calibrationDue)},
                                 {"calibrationOverdue", d.calibrationOverdue(today)},
                                 {"lastBumpTest", d.lastBump.toString(Qt::ISODate)},
                                 {"bumpTestDue", dateText(d.bumpDue)},
                                 {"bumpTestOverdue", d.bumpOverdue(today)}};
        }
        return printJson(array) ? ExitOk : ExitUsage;
    }
    if (list.isEmpty())
        return printLine(QString("no detectors in %1").arg(shownPath)) ? ExitOk : ExitUsage;
    printLine(QString("due dates in %1 (calibration every %2 months, bump test every %3 days):")
                  .arg(shownPath)
                  .arg(months)
                  .arg(days));
    QVector<QStringList> table{
        {"serial number", "device type", "last calibration", "calibration due", "last bump test", "bump test due"}};
    for (const DueDates &d : list) {
        table << QStringList{d.serialNumber, d.deviceType, dateText(d.lastCalibration.date()),
                             dueText(d.calibrationDue, d.calibrationOverdue(today)), dateText(d.lastBump.date()),
                             dueText(d.bumpDue, d.bumpOverdue(today))};
    }
    printTable(table);
    return ExitOk;
}

} // namespace

int readJournalOrFail(const CliOptions &options, JournalRead &read, QString &path)
{
    path = journalPath(options);
    if (path.isEmpty())
        return fail(ExitUsage, QString("no %1 in the working directory %2 nor in the menu's folder %3")
                                   .arg(kJournalFileName, QDir::currentPath(), menuFolder()));
    QString error;
    if (!readJournal(path, read, error))
        return fail(ExitUsage, error);
    // What cannot be read is said, and costs that line only.
    for (auto line = read.skipped.cbegin(); line != read.skipped.cend(); ++line)
        std::fprintf(stderr, "zorvel-cli: %s line %d: %s; passed over\n", qPrintable(path), line.key(),
                     line.value().toUtf8().constData());
    return ExitOk;
}

int runJournal(ModbusOperations &, const CliOptions &options)
{
    JournalRead read;
    QString path;
    if (const int status = readJournalOrFail(options, read, path))
        return status;
    const QString shownPath = QFileInfo(path).absoluteFilePath();
    if (options.due)
        return printDue(read, options, shownPath);

    // Rows are appended as calibrations end, so the file's order is the
    // order they happened in: newest last. Every row is shown under today's
    // header, a row of the first layout with its new columns empty.
    QVector<QStringList> shown{journalHeader()};
    for (int i = 0; i < read.rows.size(); ++i) {
        if (ofSerial(options, read.entries[i].serialNumber))
            shown << read.rows[i];
    }
    if (options.json)
        return printJson(tableJson(shown, journalNumberColumns)) ? ExitOk : ExitUsage;   // main() says why
    if (shown.size() == 1) {
        printLine(options.serial.isEmpty() ? QString("no calibrations in %1").arg(shownPath)
                                           : QString("no calibrations of serial number %1 in %2")
                                                 .arg(options.serial, shownPath));
        return ExitOk;
    }
    printLine(QString("journal %1:").arg(shownPath));
    printTable(filledColumns(shown));
    return ExitOk;
}
