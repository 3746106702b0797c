// The calibration journal and the CSV rows it shares with the monitor's log.
#include <QtTest>

#include "calibrationjournal.h"
#include "csvfile.h"
#include "filefaults.h"
#include "testsupport.h"

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

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
