#ifndef JOURNALREADER_H
#define JOURNALREADER_H

#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include "calibrationjournal.h"

// The journal as read back, for the command line, the certificate and the
// window's due dates. A line that is no journal row is passed over and named,
// so that one damaged line costs that line only.
struct JournalRead
{
    QStringList header;
    QVector<QStringList> rows;       // as in the file, without the header
    QVector<JournalEntry> entries;   // the same rows decoded
    QMap<int, QString> skipped;      // why, by line number
};

// False with the reason in error when the file cannot be read at all.
bool readJournal(const QString &path, JournalRead &read, QString &error);

// When each detector of the journal was last calibrated and bump-tested,
// and when each falls due again. A detector never calibrated is due at once.
struct DueDates
{
    QString serialNumber;
    QString deviceType;
    QDateTime lastCalibration;   // the last zero or span calibration done; null if none
    QDateTime lastBump;          // the last bump test passed; null if none
    QDate calibrationDue;        // null: never calibrated, due now
    QDate bumpDue;

    bool calibrationOverdue(const QDate &today) const { return calibrationDue.isNull() || calibrationDue < today; }
    bool bumpOverdue(const QDate &today) const { return bumpDue.isNull() || bumpDue < today; }
};

// The intervals when the user sets none: a calibration every six months, a
// bump test every thirty days.
const int kDefaultCalibrationMonths = 6;
const int kDefaultBumpDays = 30;

// One entry a detector, overdue calibrations first, then by the date the
// calibration falls due, then by serial number.
QVector<DueDates> dueDates(const QVector<JournalEntry> &entries, int calibrationMonths, int bumpDays,
                           const QDate &today);

#endif // JOURNALREADER_H
