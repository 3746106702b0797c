#include "journalreader.h"

#include "csvfile.h"

#include <QFile>
#include <QMap>

#include <algorithm>

bool readJournal(const QString &path, JournalRead &read, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QString("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    const CsvLines lines = parseCsvLines(file.readAll());
    read = JournalRead();
    read.skipped = lines.skipped;
    for (int i = 0; i < lines.rows.size(); ++i) {
        if (read.header.isEmpty()) {
            read.header = lines.rows[i];
            continue;
        }
        JournalEntry entry;
        if (!journalEntryFromFields(lines.rows[i], entry)) {
            read.skipped[lines.lineNumbers[i]] = QString("not a journal row (%1 columns, kind \"%2\")")
                                                     .arg(lines.rows[i].size())
                                                     .arg(lines.rows[i].value(kJournalKindColumn));
            continue;
        }
        read.rows << lines.rows[i];
        read.entries << entry;
    }
    return true;
}

namespace {

bool isGasCalibration(CalibrationKind kind)
{
    return kind == CalibrationKind::Zero || kind == CalibrationKind::Span;
}

} // namespace

QVector<DueDates> dueDates(const QVector<JournalEntry> &entries, int calibrationMonths, int bumpDays,
                           const QDate &today)
{
    QMap<QString, DueDates> bySerial;
    for (const JournalEntry &e : entries) {
        if (e.serialNumber.isEmpty())
            continue;   // a detector whose block was never read
        DueDates &d = bySerial[e.serialNumber];
        d.serialNumber = e.serialNumber;
        d.deviceType = e.deviceType;
        if (isGasCalibration(e.kind) && e.result == JournalResult::Done && e.time > d.lastCalibration)
            d.lastCalibration = e.time;
        if (e.kind == CalibrationKind::Bump && e.result == JournalResult::Passed && e.time > d.lastBump)
            d.lastBump = e.time;
    }
    QVector<DueDates> list;
    for (DueDates d : bySerial) {
        if (d.lastCalibration.isValid())
            d.calibrationDue = d.lastCalibration.date().addMonths(calibrationMonths);
        if (d.lastBump.isValid())
            d.bumpDue = d.lastBump.date().addDays(bumpDays);
        list << d;
    }
    std::stable_sort(list.begin(), list.end(), [&today](const DueDates &a, const DueDates &b) {
        if (a.calibrationOverdue(today) != b.calibrationOverdue(today))
            return a.calibrationOverdue(today);
        if (a.calibrationDue != b.calibrationDue)
            return a.calibrationDue < b.calibrationDue;   // a null date, never calibrated, first
        return a.serialNumber.toULongLong() < b.serialNumber.toULongLong();
    });
    return list;
}
