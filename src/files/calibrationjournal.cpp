#include "calibrationjournal.h"

#include "atomicfile.h"
#include "csvfile.h"

#include <QFile>
#include <QLockFile>

const char *const kJournalFileName = "calibrations.csv";

namespace {

const char *const kindCodes[] = {"zero", "span", "4 mA", "20 mA", "bump"};
const char *const resultCodes[] = {"done", "cancelled", "refused", "unknown", "interrupted", "passed", "failed"};
// By the unit index of word 4; the last two indexes name no unit.
const char *const unitCodes[] = {"%vol", "ppm", "ppb", "%LEL", "mg/m3", "ug/m3"};

QString number(const std::optional<double> &value)
{
    return value ? QString::number(*value, 'g', 12) : QString();
}

QString seconds(const std::optional<double> &value)
{
    return value ? QString::number(*value, 'f', 1) : QString();
}

std::optional<double> numberOf(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// A journal row is one line, whatever a text holds.
QString oneLine(QString text)
{
    return text.replace(QRegExp("[\r\n]+"), " ");
}

template <size_t N>
int codeIndex(const char *const (&codes)[N], const QString &text)
{
    for (size_t i = 0; i < N; ++i) {
        if (text == codes[i])
            return int(i);
    }
    return -1;
}

// A journal begun under the first layout's header takes the new header; its
// rows keep their eleven columns, which a reader takes as rows with the new
// columns empty.
bool upgradeHeader(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;   // a file not there yet is made with the new header
    const QByteArray firstLine = file.readLine();
    if (firstLine.trimmed() != csvRow(firstJournalHeader()).trimmed())
        return true;
    const QByteArray content = csvRow(journalHeader()) + file.readAll();
    file.close();
    QString reason;
    if (writeFileAtomically(path, content, &reason) == AtomicWrite::Written)
        return true;
    error = QString("cannot write %1 with the new columns: %2").arg(path, reason);
    return false;
}

} // namespace

QStringList firstJournalHeader()
{
    return {"time", "serial number", "device type", "firmware", "Modbus address", "gas", "kind", "value sent",
            "reading before", "reading after", "outcome"};
}

QStringList journalHeader()
{
    return firstJournalHeader() + QStringList{"result", "unit", "test gas", "as found", "as left",
                                              "cylinder lot", "cylinder expiry", "engineer", "peak", "T50 s",
                                              "T90 s", "threshold 1 s", "threshold 2 s", "threshold 3 s",
                                              "recovery s"};
}

QString journalKindCode(CalibrationKind kind)
{
    return kindCodes[int(kind)];
}

QString journalResultCode(JournalResult result)
{
    return resultCodes[int(result)];
}

QString journalUnitCode(int unitIndex)
{
    const int count = int(sizeof unitCodes / sizeof *unitCodes);
    return unitIndex >= 0 && unitIndex < count ? unitCodes[unitIndex] : "";
}

QStringList journalFields(const JournalEntry &e)
{
    QStringList fields{e.time.toString(Qt::ISODate), e.serialNumber, e.deviceType, e.firmware,
                       QString::number(e.modbusAddress), e.gas, journalKindCode(e.kind), e.valueSent,
                       e.readingBefore, e.readingAfter, e.outcome, journalResultCode(e.result), e.unit,
                       number(e.testGas), number(e.asFound), number(e.asLeft), e.cylinderLot,
                       e.cylinderExpiry.toString(Qt::ISODate), e.engineer, number(e.bump.peak),
                       seconds(e.bump.t50), seconds(e.bump.t90)};
    for (const std::optional<double> &threshold : e.bump.threshold)
        fields << seconds(threshold);
    fields << seconds(e.bump.recovery);
    for (QString &field : fields)
        field = oneLine(field);
    return fields;
}

bool journalEntryFromFields(const QStringList &f, JournalEntry &e)
{
    if (f.size() < firstJournalHeader().size())
        return false;
    const int kind = codeIndex(kindCodes, f[kJournalKindColumn]);
    // A row of the first layout has no result: what it was is in its text.
    const bool first = f.size() <= kJournalResultColumn;
    const int result = first ? int(JournalResult::Unknown) : codeIndex(resultCodes, f[11]);
    if (kind < 0 || result < 0)
        return false;
    e = JournalEntry();
    e.time = QDateTime::fromString(f[0], Qt::ISODate);
    e.serialNumber = f[1];
    e.deviceType = f[2];
    e.firmware = f[3];
    e.modbusAddress = f[4].toInt();
    e.gas = f[5];
    e.kind = CalibrationKind(kind);
    e.valueSent = f[7];
    e.readingBefore = f[8];
    e.readingAfter = f[9];
    e.outcome = f[10];
    e.result = JournalResult(result);
    e.unit = f.value(12);
    e.testGas = numberOf(f.value(13));
    e.asFound = numberOf(f.value(14));
    e.asLeft = numberOf(f.value(15));
    e.cylinderLot = f.value(16);
    e.cylinderExpiry = QDate::fromString(f.value(17), Qt::ISODate);
    e.engineer = f.value(18);
    e.bump.peak = numberOf(f.value(19));
    e.bump.t50 = numberOf(f.value(20));
    e.bump.t90 = numberOf(f.value(21));
    for (int i = 0; i < 3; ++i)
        e.bump.threshold[i] = numberOf(f.value(22 + i));
    e.bump.recovery = numberOf(f.value(25));
    return true;
}

bool appendJournalEntry(const QString &path, const JournalEntry &entry, QString &error)
{
    // Two windows, or a window and a script, may append at once: the lock
    // keeps the header's upgrade and each row's clean start whole. Where no
    // lock can be made beside the journal, each row still goes in one
    // write at the file's end.
    QLockFile lock(path + ".lock");
    const bool locked = lock.tryLock(5000);
    if (!locked && lock.error() == QLockFile::LockFailedError) {
        error = QString("cannot write %1: %2.lock is held by another program").arg(path, path);
        return false;
    }
    return upgradeHeader(path, error) && appendCsvRow(path, journalHeader(), journalFields(entry), error);
}

void CalibrationJournal::begin(const JournalEntry &start)
{
    record = start;
    record.time = QDateTime::currentDateTime();
    // With the offset written out, rows from two sites line up.
    record.time.setOffsetFromUtc(record.time.offsetFromUtc());
    started = true;
}

void CalibrationJournal::noteSent(const QString &gas, const QString &valueSent)
{
    record.gas = gas;
    record.valueSent = valueSent;
}

bool CalibrationJournal::finish(JournalResult result, const QString &outcome, const QString &readingAfter,
                                QString &error)
{
    if (!started) {
        error = "no calibration was begun";
        return false;
    }
    started = false;
    record.result = result;
    record.outcome = outcome;
    record.readingAfter = readingAfter;
    return appendJournalEntry(file, record, error);
}
