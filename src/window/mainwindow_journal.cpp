#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QMessageBox>

#include "inifile.h"
#include "registermodel.h"

using namespace RegisterModel;

// Every calibration the window runs leaves one row in the journal, however
// it ends. A row is written once the tick that ended its calibration has
// polled, so that it carries the reading just after the end; an end outside
// a tick waits for the next tick or the end of the connection. A journal
// that cannot be written changes nothing of the calibration.

void MainWindow::beginRecord(JournalRecord &record, CalibrationKind kind)
{
    writeRecord(record);   // an earlier one ended in this same second
    JournalEntry start;
    const ConnectionState &conn = session.connection();
    if (conn.blockRead()) {
        const quint16 *block = conn.detectorBlock.constData();
        if (session.connectedSerial() != kUnknownSerial)
            start.serialNumber = QString::number(session.connectedSerial());
        start.deviceType = deviceTypeText(highByte(block[DeviceTypeWord]));
        start.gas = decodeText(block + GasNameWord, kGasNameBytes);
    }
    start.firmware = ui->VersionFW->text();
    start.modbusAddress = conn.slaveAddress;
    start.kind = kind;
    start.readingBefore = session.liveReading();
    start.unit = journalUnitCode(session.detectorUnitIndex());
    if (kind == CalibrationKind::Zero)
        start.testGas = 0.0;   // zero gas
    takeWorkEntries(start);
    record.journal = CalibrationJournal(QDir::current().absoluteFilePath(kJournalFileName));
    record.journal.begin(start);
    record.outcome = QString();
}

JournalRecord &MainWindow::recordOf(CalibrationKind kind)
{
    const bool gas = kind == CalibrationKind::Zero || kind == CalibrationKind::Span;
    return gas ? gasRecord : currentRecord;
}

// Called as the value goes out, with the gas the detector is on by then: a
// gas switch asked for with the start is written before any calibration
// command. The value is the one that goes out now, in the detector's count,
// not what a box held at the start.
void MainWindow::noteSent(CalibrationKind kind, quint16 raw)
{
    JournalRecord &record = recordOf(kind);
    const ConnectionState &conn = session.connection();
    if (!record.journal.inProgress() || !conn.blockRead())
        return;
    QString value;
    if (kind == CalibrationKind::Span) {
        value = session.detectorQuantity(raw);
        record.journal.entry().testGas = decodeScaled(raw, conn.detectorScale);
    }
    else if (kind != CalibrationKind::Zero)
        value = tr("%1 мА").arg(raw / 100.0, 0, 'f', 2);
    record.journal.noteSent(decodeText(conn.detectorBlock.constData() + GasNameWord, kGasNameBytes), value);
}

// The reading the save adjusts is the one the last poll brought.
void MainWindow::noteSaving(CalibrationKind kind)
{
    JournalRecord &record = recordOf(kind);
    if (record.journal.inProgress())
        record.journal.entry().asFound = session.liveConcentration();
}

// A later end overrides an earlier one of the same calibration: a value
// refused in the tick after "Завершить" was pressed is what the row tells.
void MainWindow::endRecord(JournalRecord &record, JournalResult result, const QString &outcome)
{
    if (!record.journal.inProgress())
        return;
    record.outcome = outcome;
    record.result = result;
}

void MainWindow::writeEndedRecords()
{
    writeRecord(gasRecord);
    writeRecord(currentRecord);
    writeRecord(bumpRecord);
}

// The warning waits until the tick that wrote the row has done its work: a
// message box runs its own event loop, where the next tick would start in
// the middle of this one.
void MainWindow::writeRecord(JournalRecord &record)
{
    if (!record.journal.inProgress() || record.outcome.isNull())
        return;
    // The reading the tick polled after the end is what the save left; with
    // no save sent there is nothing it left.
    JournalEntry &entry = record.journal.entry();
    if (entry.asFound && entry.kind != CalibrationKind::Bump)
        entry.asLeft = session.liveConcentration();
    QString error;
    if (record.journal.finish(record.result, record.outcome, session.liveReading(), error) || journalWarned)
        return;
    journalWarned = true;
    const QString text = tr("Журнал калибровок не записан: %1. Калибровки идут как обычно, но в журнал "
                            "не заносятся; до следующего подключения это сообщение не повторится.")
                             .arg(error);
    QMetaObject::invokeMethod(
        this, [text] { QMessageBox::warning(nullptr, " ", text, QMessageBox::Ok); }, Qt::QueuedConnection);
}

// The engineer and the cylinder as entered on the calibration tab, kept in
// the state file for the next detector and the next start.
void MainWindow::takeWorkEntries(JournalEntry &entry) const
{
    entry.engineer = remembered.engineer.trimmed();
    entry.cylinderLot = remembered.cylinderLot.trimmed();
    entry.cylinderExpiry = QDate::fromString(remembered.cylinderExpiry, Qt::ISODate);
}

// A bump test's row: the gas it was given and what the polls showed. Its
// reading before gas is its as-found; it adjusts nothing, so nothing is left.
void MainWindow::beginBumpRecord()
{
    beginRecord(bumpRecord, CalibrationKind::Bump);
    JournalEntry &entry = bumpRecord.journal.entry();
    entry.testGas = session.bumpTest().criteria().testGas;
    entry.asFound = session.bumpTest().figures().readingBefore;
}

void MainWindow::endBumpRecord(BumpVerdict verdict, const QString &outcome)
{
    if (!bumpRecord.journal.inProgress())
        return;
    const BumpTestFigures &seen = session.bumpTest().figures();
    BumpFigures &row = bumpRecord.journal.entry().bump;
    row.peak = seen.peak;
    row.t50 = seen.t50;
    row.t90 = seen.t90;
    for (int i = 0; i < 3; ++i)
        row.threshold[i] = seen.thresholdTripped[size_t(i)];
    row.recovery = seen.recovery;
    JournalResult result = JournalResult::Failed;
    if (verdict == BumpVerdict::Passed)
        result = JournalResult::Passed;
    else if (verdict == BumpVerdict::Interrupted)
        result = JournalResult::Interrupted;
    else if (verdict == BumpVerdict::Cancelled)
        result = JournalResult::Cancelled;
    endRecord(bumpRecord, result, outcome);
}
