#ifndef CALIBRATIONJOURNAL_H
#define CALIBRATIONJOURNAL_H

#include <QDateTime>
#include <QString>
#include <QStringList>

// The record of every calibration the window runs, one CSV row each, kept
// where the engineer who signs for the work can open it in a spreadsheet.
extern const char *const kJournalFileName;   // in the working directory, beside "ini"

enum class CalibrationKind { Zero, Span, Current4mA, Current20mA };

// What is known at a calibration's start; the rest comes at its end.
struct CalibrationStart
{
    QString serialNumber;
    QString deviceType;
    QString firmware;
    int modbusAddress = 0;
    QString gas;               // the gas the detector was on
    CalibrationKind kind = CalibrationKind::Zero;
    QString valueSent;         // "50.0 %НКПР" for a span, "4.00 мА" for a current point, empty for zero
    QString readingBefore;     // the live reading as shown, with its unit
};

// The column names, in order, and the column the serial number is in.
QStringList journalHeader();
const int kJournalSerialColumn = 1;

// The window begins a record when a calibration starts and finishes it once,
// however the calibration ends; finishing appends the row.
class CalibrationJournal
{
public:
    explicit CalibrationJournal(const QString &path = kJournalFileName) : file(path) {}

    // The time is taken now, with the local UTC offset.
    void begin(const CalibrationStart &start);
    bool inProgress() const { return started; }
    // What went out to the detector, later than the start: the value, and
    // the gas it went out on.
    void noteSent(const QString &gas, const QString &valueSent);
    // outcome is the text the window showed at the end. Appends the row and
    // ends the record either way; false with the reason in error when the
    // row could not be written.
    bool finish(const QString &outcome, const QString &readingAfter, QString &error);
    QString path() const { return file; }

private:
    QString file;
    bool started = false;
    QDateTime time;
    CalibrationStart record;
};

QString journalKindText(CalibrationKind kind);

#endif // CALIBRATIONJOURNAL_H
