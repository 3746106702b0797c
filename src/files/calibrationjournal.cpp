#include "calibrationjournal.h"

#include "csvfile.h"

const char *const kJournalFileName = "calibrations.csv";

QStringList journalHeader()
{
    return {"time", "serial number", "device type", "firmware", "Modbus address", "gas", "kind", "value sent",
            "reading before", "reading after", "outcome"};
}

QString journalKindText(CalibrationKind kind)
{
    switch (kind) {
    case CalibrationKind::Zero: return "zero";
    case CalibrationKind::Span: return "span";
    case CalibrationKind::Current4mA: return "4 mA";
    case CalibrationKind::Current20mA: return "20 mA";
    }
    return QString();
}

void CalibrationJournal::begin(const CalibrationStart &start)
{
    record = start;
    time = QDateTime::currentDateTime();
    // With the offset written out, rows from two sites line up.
    time.setOffsetFromUtc(time.offsetFromUtc());
    started = true;
}

void CalibrationJournal::noteSent(const QString &gas, const QString &valueSent)
{
    record.gas = gas;
    record.valueSent = valueSent;
}

bool CalibrationJournal::finish(const QString &outcome, const QString &readingAfter, QString &error)
{
    if (!started) {
        error = "no calibration was begun";
        return false;
    }
    started = false;
    const QStringList row{time.toString(Qt::ISODate), record.serialNumber, record.deviceType, record.firmware,
                          QString::number(record.modbusAddress), record.gas, journalKindText(record.kind),
                          record.valueSent, record.readingBefore, readingAfter, outcome};
    return appendCsvRow(file, journalHeader(), row, error);
}
