// The calibration journal and the CSV rows it shares with the monitor's log.
#include <QtTest>

#include "calibrationjournal.h"
#include "csvfile.h"
#include "filefaults.h"
#include "journalreader.h"
#include "testsupport.h"

#include <thread>

namespace {

const QStringList header{"time", "note"};
const char *const absent = "(no file)";

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT
private slots:
    void append_data();
    void append();
    void fullDiskLeavesNoCutRow();
    void calibrationRow();
    void firstLayoutKeptUnderNewHeader();
    void twoWritersLeaveWholeRows();
    void dueDatesOverdueFirst();
};

// Each row: the file before (or none), the fields appended, the file after.
void TestJournal::append_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file: header first") << QByteArray(absent) << QStringList{"t1", "ok"}
                                            << QByteArray("time,note\r\nt1,ok\r\n");
    QTest::newRow("empty file: header first") << QByteArray() << QStringList{"t1", "ok"}
                                              << QByteArray("time,note\r\nt1,ok\r\n");
    QTest::newRow("header not written again") << QByteArray("time,note\r\nt1,ok\r\n") << QStringList{"t2", "ok"}
                                              << QByteArray("time,note\r\nt1,ok\r\nt2,ok\r\n");
    QTest::newRow("last line without line end gets one")
        << QByteArray("time,note\r\nt1,cut") << QStringList{"t2", "ok"}
        << QByteArray("time,note\r\nt1,cut\r\nt2,ok\r\n");
    QTest::newRow("quotes doubled; comma and line break quoted")
        << QByteArray("time,note\n") << QStringList{"t1", "gas \"CH4\", 2.5\nagain"}
        << QByteArray("time,note\nt1,\"gas \"\"CH4\"\", 2.5\nagain\"\r\n");
    QTest::newRow("last line in an unclosed quote is closed first")
        << QByteArray("time,note\r\nt1,\"cut\r\n") << QStringList{"t2", "ok"}
        << QByteArray("time,note\r\nt1,\"cut\r\n\"\r\nt2,ok\r\n");
    QTest::newRow("unclosed quote and no line end")
        << QByteArray("time,note\r\nt1,\"cut") << QStringList{"t2", "ok"}
        << QByteArray("time,note\r\nt1,\"cut\"\r\nt2,ok\r\n");
    QTest::newRow("UTF-8") << QByteArray(absent) << QStringList{"t1", "Калибровка выполнена"}
                           << QByteArray("time,note\r\nt1,") + QString("Калибровка выполнена\r\n").toUtf8();
}

void TestJournal::append()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    if (before != absent)
        writeFile(path, before);

    QString error;
    QVERIFY2(appendCsvRow(path, header, fields, error), qPrintable(error));
    QCOMPARE(contentOf(path), after);
    // What was written reads back as it was given.
    QVector<QStringList> rows;
    QVERIFY2(parseCsv(after, rows, error), qPrintable(error));
    QCOMPARE(rows.last(), fields);
}

void TestJournal::fullDiskLeavesNoCutRow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    const QByteArray before("time,note\r\nt1,ok\r\n");
    writeFile(path, before);
    QString error;
    bool appended = true;
    {
        FileSizeLimit fullDisk(quint64(before.size()) + 8);
        appended = appendCsvRow(path, header, {"t2", "a note longer than the room left"}, error);
    }
    QVERIFY(!appended);
    QCOMPARE(error, QString("cannot write %1: File too large").arg(path));
    QCOMPARE(contentOf(path), before);
}

void TestJournal::calibrationRow()
{
    QTemporaryDir dir;
    CalibrationJournal journal(dir.filePath("calibrations.csv"));
    QString error;
    QVERIFY(!journal.finish(JournalResult::Done, "done", "0.0", error));   // nothing begun, nothing written
    QVERIFY(!QFile::exists(journal.path()));

    journal.begin({"20240117", "VELOR", "1.2.37", 3, "CH4", CalibrationKind::Span, "50.0 %НКПР", "0.2 %НКПР"});
    QVERIFY(journal.inProgress());
    QVERIFY2(journal.finish(JournalResult::Done, "Калибровка завершена", "49.9 %НКПР", error), qPrintable(error));
    QVERIFY(!journal.inProgress());

    QVector<QStringList> rows;
    QVERIFY(parseCsv(contentOf(journal.path()), rows, error));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0], journalHeader());
    QCOMPARE(rows[1].mid(1, 10), QStringList({"20240117", "VELOR", "1.2.37", "3", "CH4", "span", "50.0 %НКПР",
                                          "0.2 %НКПР", "49.9 %НКПР", "Калибровка завершена"}));
    const QDateTime time = QDateTime::fromString(rows[1][0], Qt::ISODate);
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d)$")
                 .match(rows[1][0])
                 .hasMatch(),
             qPrintable(rows[1][0]));
    QVERIFY(qAbs(time.secsTo(QDateTime::currentDateTime())) < 60);
}

// A journal begun by an earlier version keeps its rows as they were; the
// header takes the new columns and both kinds of row read back.
void TestJournal::firstLayoutKeptUnderNewHeader()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kJournalFileName);
    const QByteArray oldRow = "2024-01-17T10:00:00+03:00,20240117,VELOR,1.2.37,3,CH4,zero,,0.2,0.0,done\r\n";
    writeFile(path, csvRow(firstJournalHeader()) + oldRow);

    JournalEntry entry;
    entry.time = QDateTime::fromString("2026-02-03T09:30:00+03:00", Qt::ISODate);
    entry.serialNumber = "20240117";
    entry.kind = CalibrationKind::Bump;
    entry.result = JournalResult::Passed;
    entry.outcome = "Line one\nline two";   // a row stays one line
    entry.testGas = 50;
    entry.bump.t50 = 4.26;
    entry.bump.threshold[1] = 7;
    entry.cylinderExpiry = QDate(2027, 3, 31);
    QString error;
    QVERIFY2(appendJournalEntry(path, entry, error), qPrintable(error));

    const QList<QByteArray> lines = contentOf(path).split('\n');
    QCOMPARE(lines.size(), 4);   // the last one empty after the line end
    QCOMPARE(lines[0] + '\n', csvRow(journalHeader()));
    QCOMPARE(lines[1] + '\n', oldRow);
    JournalRead read;
    QVERIFY2(readJournal(path, read, error), qPrintable(error));
    QCOMPARE(read.skipped.size(), 0);
    QCOMPARE(read.entries.size(), 2);
    QCOMPARE(read.entries[0].result, JournalResult::Unknown);   // the old row has no code
    QCOMPARE(read.rows[1].mid(kJournalResultColumn).join('|'),
             QString("passed||50||||2027-03-31|||4.3|||7.0||"));   // seconds to one decimal
    QCOMPARE(read.entries[1].outcome, QString("Line one line two"));
}

// Two programs append at once to a journal of the first layout whose last
// line was cut: the header is upgraded once, every row is whole on a line of
// its own, none is lost, no line is blank.
void TestJournal::twoWritersLeaveWholeRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kJournalFileName);
    // Years of rows, so that the header's upgrade takes a while.
    QByteArray years;
    for (int i = 0; i < 5000; ++i)
        years += "2024-01-17T10:00:00+03:00,7,VELOR,1.2.37,3,CH4,zero,,0.2,0.0,done\r\n";
    for (int round = 0; round < 10; ++round) {
        writeFile(path, csvRow(firstJournalHeader()) + years + "old,\"cut");
        QAtomicInt ready = 0;
        auto writer = [&](const QString &serial) {
            JournalEntry entry;
            entry.serialNumber = serial;
            ready.fetchAndAddOrdered(1);
            while (ready.loadAcquire() < 2) {
            }
            QString error;
            appendJournalEntry(path, entry, error);
        };
        std::thread first(writer, QString("1")), second(writer, QString("2"));
        first.join();
        second.join();

        const QByteArray content = contentOf(path);
        const CsvLines lines = parseCsvLines(content);
        QStringList serials;
        for (const QStringList &row : lines.rows) {
            if (row.value(kJournalSerialColumn) != "7")
                serials << row.value(kJournalSerialColumn);
        }
        serials.sort();
        QCOMPARE(lines.rows.size(), 5000 + 4);
        QCOMPARE(serials.join(' '), QString("1 2 cut serial number"));   // "cut": the line closed
        QCOMPARE(lines.rows.first(), journalHeader());
        QVERIFY2(!content.contains("\r\n\r\n"), content.constData());
    }
}

// Overdue first, a detector never calibrated before all; a calibration
// counts only when done, a bump test only when passed.
void TestJournal::dueDatesOverdueFirst()
{
    const QDate today(2026, 6, 15);
    auto entry = [](const char *serial, CalibrationKind kind, JournalResult result, const QDate &day) {
        JournalEntry e;
        e.serialNumber = serial;
        e.kind = kind;
        e.result = result;
        e.time = QDateTime(day, QTime(12, 0));
        return e;
    };
    const QVector<JournalEntry> entries{
        entry("30", CalibrationKind::Span, JournalResult::Done, QDate(2026, 5, 1)),
        entry("10", CalibrationKind::Zero, JournalResult::Done, QDate(2025, 11, 1)),
        entry("10", CalibrationKind::Span, JournalResult::Unknown, QDate(2026, 6, 1)),   // not done
        entry("10", CalibrationKind::Bump, JournalResult::Passed, QDate(2026, 6, 10)),
        entry("10", CalibrationKind::Bump, JournalResult::Failed, QDate(2026, 6, 14)),   // not passed
        entry("20", CalibrationKind::Current4mA, JournalResult::Done, QDate(2026, 6, 1)),   // no gas calibration
        entry("40", CalibrationKind::Zero, JournalResult::Done, QDate(2026, 1, 20)),
    };
    QStringList shown;
    for (const DueDates &d : dueDates(entries, 6, 30, today)) {
        shown << QString("%1 %2 %3 %4")
                     .arg(d.serialNumber, d.calibrationDue.toString(Qt::ISODate),
                          d.calibrationOverdue(today) ? "overdue" : "ok", d.bumpDue.toString(Qt::ISODate));
    }
    QCOMPARE(shown, QStringList({"20  overdue ", "10 2026-05-01 overdue 2026-07-10", "40 2026-07-20 ok ",
                                 "30 2026-11-01 ok "}));
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
