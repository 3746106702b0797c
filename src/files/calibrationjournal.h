#ifndef CALIBRATIONJOURNAL_H
#define CALIBRATIONJOURNAL_H

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// The record of every calibration and bump test the window runs, one CSV row
// each, kept where the engineer who signs for the work can open it in a
// spreadsheet. The first eleven columns are those of the journal's first
// layout, in its order; the columns after them are codes and plain numbers
// that read the same whatever the window's language.
extern const char *const kJournalFileName;   // in the working directory, beside "ini"

enum class CalibrationKind { Zero, Span, Current4mA, Current20mA, Bump };

// How a row's work ended, as its code in the "result" column.
enum class JournalResult { Done, Cancelled, Refused, Unknown, Interrupted, Passed, Failed };

// A bump test's figures from the polls; a time that never came stays empty.
struct BumpFigures
{
    std::optional<double> peak;
    std::optional<double> t50;            // seconds from the start of gas to 50 % of the test gas
    std::optional<double> t90;            // the same to 90 %
    std::optional<double> threshold[3];   // seconds to the first poll showing threshold bit 1, 2, 3
    std::optional<double> recovery;       // seconds from the removal of gas to the reading back
};

// One row. What is known at the start is filled in then, the rest at the end.
struct JournalEntry
{
    QString serialNumber;
    QString deviceType;
    QString firmware;
    int modbusAddress = 0;
    QString gas;               // the gas the detector was on
    CalibrationKind kind = CalibrationKind::Zero;
    QString valueSent;         // "50.0 %НКПР" for a span, "4.00 мА" for a current point, empty for zero
    QString readingBefore;     // the live reading as shown, with its unit
    QString readingAfter;
    QString outcome;           // the text the window showed at the end, in its language

    JournalResult result = JournalResult::Unknown;
    QString unit;                     // journalUnitCode's code of the detector's unit
    std::optional<double> testGas;    // in the detector's unit
    std::optional<double> asFound;    // just before the adjustment, or before gas
    std::optional<double> asLeft;     // steady after the adjustment
    QString cylinderLot;
    QDate cylinderExpiry;
    QString engineer;
    BumpFigures bump;

    QDateTime time;   // set by CalibrationJournal::begin, or by the caller of appendJournalEntry
};

// The column names, in order, and the columns a reader looks rows up by.
QStringList journalHeader();
// The eleven columns of the journal's first layout.
QStringList firstJournalHeader();
const int kJournalSerialColumn = 1;
const int kJournalKindColumn = 6;
const int kJournalResultColumn = 11;

QString journalKindCode(CalibrationKind kind);
QString journalResultCode(JournalResult result);
// The unit's code for the "unit" column by its index in word 4 (%vol, ppm,
// ppb, %LEL, mg/m3, ug/m3), empty for an index without a unit.
QString journalUnitCode(int unitIndex);

// The entry as the journal's fields: numbers with ".", dates as yyyy-MM-dd,
// line breaks in texts turned into spaces so that every row is one line.
QStringList journalFields(const JournalEntry &entry);
// A row read back, of either layout; columns it does not have stay empty.
// False when the row has too few columns to be a journal row or its kind or
// result is not a code of the journal.
bool journalEntryFromFields(const QStringList &fields, JournalEntry &entry);

// Appends the entry as one row to the journal at path (made with the header
// when missing). A journal still under the first layout's header gets the
// new header first, its rows kept as they were. False with the reason in
// error.
bool appendJournalEntry(const QString &path, const JournalEntry &entry, QString &error);

// The window begins a record when a calibration starts and finishes it once,
// however the calibration ends; finishing appends the row.
class CalibrationJournal
{
public:
    explicit CalibrationJournal(const QString &path = kJournalFileName) : file(path) {}

    // The time is taken now, with the local UTC offset.
    void begin(const JournalEntry &start);
    bool inProgress() const { return started; }
    // What went out to the detector, later than the start: the value, and
    // the gas it went out on.
    void noteSent(const QString &gas, const QString &valueSent);
    // The entry under way, for what becomes known before its end.
    JournalEntry &entry() { return record; }
    // outcome is the text the window showed at the end, result its code.
    // Appends the row and ends the record either way; false with the reason
    // in error when the row could not be written.
    bool finish(JournalResult result, const QString &outcome, const QString &readingAfter, QString &error);
    QString path() const { return file; }

private:
    QString file;
    bool started = false;
    JournalEntry record;
};

#endif // CALIBRATIONJOURNAL_H
