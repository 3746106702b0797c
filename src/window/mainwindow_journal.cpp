#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QMessageBox>

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
    CalibrationStart start;
    const ConnectionState &conn = session.connection();
    if (conn.blockRead()) {
        const quint16 *block = conn.detectorBlock.constData();
        start.serialNumber = QString::number(session.connectedSerial());
        start.deviceType = deviceTypeText(highByte(block[DeviceTypeWord]));
        start.gas = decodeText(block + GasNameWord, kGasNameBytes);
    }
    start.firmware = ui->VersionFW->text();
    start.modbusAddress = conn.slaveAddress;
    start.kind = kind;
    start.readingBefore = session.liveReading();
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
    if (kind == CalibrationKind::Span)
        value = session.detectorQuantity(raw);
    else if (kind != CalibrationKind::Zero)
        value = tr("%1 мА").arg(raw / 100.0, 0, 'f', 2);
    record.journal.noteSent(decodeText(conn.detectorBlock.constData() + GasNameWord, kGasNameBytes), value);
}

// A later end overrides an earlier one of the same calibration: a value
// refused in the tick after "Завершить" was pressed is what the row tells.
void MainWindow::endRecord(JournalRecord &record, const QString &outcome)
{
    if (record.journal.inProgress())
        record.outcome = outcome;
}

void MainWindow::writeEndedRecords()
{
    writeRecord(gasRecord);
    writeRecord(currentRecord);
}

// The warning waits until the tick that wrote the row has done its work: a
// message box runs its own event loop, where the next tick would start in
// the middle of this one.
void MainWindow::writeRecord(JournalRecord &record)
{
    if (!record.journal.inProgress() || record.outcome.isNull())
        return;
    QString error;
    if (record.journal.finish(record.outcome, session.liveReading(), error) || journalWarned)
        return;
    journalWarned = true;
    const QString text = tr("Журнал калибровок не записан: %1. Калибровки идут как обычно, но в журнал "
                            "не заносятся; до следующего подключения это сообщение не повторится.")
                             .arg(error);
    QMetaObject::invokeMethod(
        this, [text] { QMessageBox::warning(nullptr, " ", text, QMessageBox::Ok); }, Qt::QueuedConnection);
}

// TODO(journal columns): the bump test's row.
void MainWindow::beginBumpRecord() {}
void MainWindow::endBumpRecord(BumpVerdict, const QString &) {}
