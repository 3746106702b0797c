#include <QtTest>

#include "filefaults.h"
#include "inifile.h"
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(SaveRecord)

namespace {

SaveRecord record(int32_t port, int32_t tab, uint8_t address)
{
    SaveRecord r;
    r.portIndex = port;
    r.tabIndex = tab;
    r.slaveAddress = address;
    return r;
}

QByteArray readIni()
{
    QFile file("ini");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void writeIni(const QByteArray &content)
{
    QFile file("ini");
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
}

const QByteArray kPrevious = "/previous";
// "/тест" in UTF-8, spelt out so that the expectation does not come from the
// conversion under test.
const QByteArray kCyrillicUtf8 = QByteArray::fromHex("2fd182d0b5d181d182");
const char *const kThreePorts = "/nonexistent/ttyA:/nonexistent/ttyB:/nonexistent/ttyC";

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void savedBytes_data();
    void savedBytes();
    void saveReplacesLongerFile();
    void saveWhereNoFileCanBeWritten();
    void failedSaveKeepsEarlierFile();

    void load_data();
    void load();
    void loadFromWorkingDirectory();
    void loadDoesNotWaitOnPipe();

    void windowAppliesSavedState_data();
    void windowAppliesSavedState();
    void windowWritesStateWhenDestroyed();
    void windowWithoutPortsStoresMinusOne();
};

void TestIniFile::init()
{
    save = {};
    dir.clear();
    remembered = RememberedEntries();
    qputenv("ZORVEL_EXTRA_PORTS", kThreePorts);
}

void TestIniFile::cleanup()
{
    qunsetenv("ZORVEL_EXTRA_PORTS");
}

void TestIniFile::savedBytes_data()
{
    QTest::addColumn<SaveRecord>("state");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("port 1, tab 2, address 5, no directory")
        << record(1, 2, 5) << QString() << QByteArray::fromHex("0100000002000000050d0a");
    QTest::newRow("no port selected")
        << record(-1, 3, 0) << QString() << QByteArray::fromHex("ffffffff03000000000d0a");
    QTest::newRow("every byte of the fields in its place")
        << record(0x12345678, -2, 255) << QString()
        << QByteArray::fromHex("78563412feffffffff0d0a");
    QTest::newRow("directory")
        << record(0, 0, 1) << QString("/home/user/set")
        << QByteArray::fromHex("000000000000000001") + "/home/user/set\r\n";
    QTest::newRow("Cyrillic directory")
        << record(0, 1, 247) << QString::fromUtf8(kCyrillicUtf8)
        << QByteArray::fromHex("0000000001000000f7") + kCyrillicUtf8 + "\r\n";
}

void TestIniFile::savedBytes()
{
    QFETCH(SaveRecord, state);
    QFETCH(QString, directory);
    QFETCH(QByteArray, bytes);
    ScratchWorkingDir scratch;
    save = state;
    dir = directory;

    FileSave();

    QCOMPARE(readIni().toHex(), bytes.toHex());
    QCOMPARE(encodeState(state, directory).toHex(), bytes.toHex());
}

void TestIniFile::saveReplacesLongerFile()
{
    ScratchWorkingDir scratch;
    writeIni(QByteArray(100, 'x'));
    save = record(1, 2, 5);

    FileSave();

    QCOMPARE(readIni().toHex(), QByteArray("0100000002000000050d0a"));
}

// As root no permission bit stops a write, so "ini" is made a directory.
void TestIniFile::saveWhereNoFileCanBeWritten()
{
    ScratchWorkingDir scratch;
    QDir work(scratch.path());
    QVERIFY(work.mkdir("ini"));
    QFile inside(work.filePath("ini/keep"));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.close();
    save = record(1, 2, 5);

    FileSave();

    QVERIFY(QFileInfo(work.filePath("ini")).isDir());
    QVERIFY(inside.exists());
    QCOMPARE(work.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"ini"});
    QVERIFY(!FileLoad());
}

// A disk that fills up in the middle of the write.
void TestIniFile::failedSaveKeepsEarlierFile()
{
    ScratchWorkingDir scratch;
    const QByteArray earlier = QByteArray::fromHex("0100000002000000050d0a");
    writeIni(earlier);
    save = record(3, 1, 9);
    dir = "/a/directory/longer/than/the/limit";
    {
        FileSizeLimit fullDisk(16);
        FileSave();
    }

    QCOMPARE(readIni().toHex(), earlier.toHex());
    QCOMPARE(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"ini"});
}

void TestIniFile::load_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<SaveRecord>("before");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<SaveRecord>("after");
    QTest::addColumn<QByteArray>("directory");

    const SaveRecord zero = record(0, 0, 0);
    const SaveRecord previous = record(0x11111111, 0x22222222, 0x33);
    const QByteArray image = QByteArray::fromHex("010000000200000005");

    QTest::newRow("no file") << false << QByteArray() << previous << false << previous << kPrevious;
    QTest::newRow("empty file") << true << QByteArray() << previous << false << previous << kPrevious;
    QTest::newRow("record and empty line")
        << true << image + "\r\n" << zero << true << record(1, 2, 5) << QByteArray();
    QTest::newRow("9 bytes") << true << image << previous << true << record(1, 2, 5) << QByteArray();
    QTest::newRow("5 bytes at start-up")
        << true << QByteArray::fromHex("0700000003") << zero << true << record(7, 3, 0) << QByteArray();
    QTest::newRow("5 bytes keep the rest of the record")
        << true << QByteArray::fromHex("0700000003") << previous << true << record(7, 0x22222203, 0x33)
        << QByteArray();
    QTest::newRow("negative port index")
        << true << QByteArray::fromHex("feffffff0000000000") << zero << true << record(-2, 0, 0) << QByteArray();
    QTest::newRow("blanks around the directory")
        << true << image + "  \t/home/user/set \t \r\n" << zero << true << record(1, 2, 5)
        << QByteArray("/home/user/set");
    QTest::newRow("Cyrillic directory")
        << true << image + kCyrillicUtf8 + "\r\n" << zero << true << record(1, 2, 5) << kCyrillicUtf8;
    QTest::newRow("line feed alone") << true << image + "/data\n" << zero << true << record(1, 2, 5)
                                     << QByteArray("/data");
    QTest::newRow("no line end") << true << image + "/data" << zero << true << record(1, 2, 5)
                                 << QByteArray("/data");
    QTest::newRow("only the first line counts")
        << true << image + "/first\r\n/second\r\n" << zero << true << record(1, 2, 5) << QByteArray("/first");
    QTest::newRow("zero byte ends the directory")
        << true << image + QByteArray("/abc\0def\r\n", 10) << zero << true << record(1, 2, 5)
        << QByteArray("/abc");
    QTest::newRow("zero byte right after the record")
        << true << image + QByteArray("\0/abc\r\n", 7) << zero << true << record(1, 2, 5) << QByteArray();
    const QByteArray longest(kMaxDirectoryLine - 2, 'd');
    QTest::newRow("longest directory line")
        << true << image + longest + "\r\n" << zero << true << record(1, 2, 5) << longest;
    QTest::newRow("longer directory line is ignored")
        << true << image + longest + "d\r\n/second\r\n" << zero << true << record(1, 2, 5) << QByteArray();
}

void TestIniFile::load()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(SaveRecord, before);
    QFETCH(bool, loaded);
    QFETCH(SaveRecord, after);
    QFETCH(QByteArray, directory);
    ScratchWorkingDir scratch;
    if (exists)
        writeIni(content);
    save = before;
    dir = QString::fromUtf8(kPrevious);

    QCOMPARE(FileLoad(), loaded);

    QCOMPARE(save.portIndex, after.portIndex);
    QCOMPARE(save.tabIndex, after.tabIndex);
    QCOMPARE(save.slaveAddress, after.slaveAddress);
    QCOMPARE(dir, QString::fromUtf8(directory));
}

// Two programs started from two directories keep two states.
void TestIniFile::loadFromWorkingDirectory()
{
    ScratchWorkingDir first;
    writeIni(QByteArray::fromHex("010000000000000011") + "/one\r\n");
    {
        ScratchWorkingDir second;
        writeIni(QByteArray::fromHex("020000000100000022") + "/two\r\n");
        QVERIFY(FileLoad());
        QCOMPARE(save.slaveAddress, uint8_t(0x22));
        QCOMPARE(dir, QString("/two"));
    }
    QVERIFY(FileLoad());
    QCOMPARE(save.slaveAddress, uint8_t(0x11));
    QCOMPARE(dir, QString("/one"));
    QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + "/ini"));
}

// Opening a pipe for reading waits for a writer, which may never come.
void TestIniFile::loadDoesNotWaitOnPipe()
{
    ScratchWorkingDir scratch;
    QCOMPARE(mkfifo("ini", 0600), 0);
    save = record(1, 2, 3);

    auto loading = std::async(std::launch::async, FileLoad);
    if (loading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Be the writer, so that the waiting open returns before the failure.
        ::close(::open("ini", O_WRONLY | O_NONBLOCK));
        QFAIL("FileLoad waits on a pipe named ini");
    }
    QVERIFY(!loading.get());
    QCOMPARE(save.slaveAddress, uint8_t(3));
}

void TestIniFile::windowAppliesSavedState_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("address");

    // Without a file the window keeps the list's first entry and starts on
    // "Параметры" at address 1; a saved tab that is no page is not taken.
    QTest::newRow("no file") << QByteArray() << 0 << 0 << 1;
    QTest::newRow("saved selections") << QByteArray::fromHex("0200000001000000f7") << 2 << 1 << 247;
    QTest::newRow("port beyond the list") << QByteArray::fromHex("e80300000000000005") << -1 << 0 << 5;
    QTest::newRow("no port saved") << QByteArray::fromHex("ffffffff0200000005") << -1 << 2 << 5;
    QTest::newRow("tab beyond the pages") << QByteArray::fromHex("010000000700000005") << 1 << 0 << 5;
    QTest::newRow("negative tab") << QByteArray::fromHex("01000000ffffffff05") << 1 << 0 << 5;
    QTest::newRow("empty file") << QByteArray("") << 0 << 0 << 1;
}

void TestIniFile::windowAppliesSavedState()
{
    QFETCH(QByteArray, content);
    QFETCH(int, port);
    QFETCH(int, tab);
    QFETCH(int, address);
    ScratchWorkingDir scratch;
    if (!content.isNull())
        writeIni(content);

    MainWindow window;
    MainWindowProbe probe(window);

    QVERIFY(probe.ui()->cComPort->count() >= 3);
    QCOMPARE(probe.ui()->cComPort->currentIndex(), port);
    QCOMPARE(probe.ui()->tabWidget->currentIndex(), tab);
    QCOMPARE(probe.ui()->sbMB_Adr->value(), address);
}

void TestIniFile::windowWritesStateWhenDestroyed()
{
    ScratchWorkingDir scratch;
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.ui()->cComPort->setCurrentIndex(1);
        probe.ui()->tabWidget->setCurrentIndex(0);
        probe.ui()->sbMB_Adr->setValue(200);
        dir = QString::fromUtf8(kCyrillicUtf8);
        // Entered once for every journal row and certificate after.
        probe.ui()->engineerName->setText(QString::fromUtf8(kCyrillicUtf8));
        probe.ui()->cylinderLot->setText("A-1742");
        probe.ui()->certificateMonths->setValue(12);
    }
    QCOMPARE(readIni().toHex(), (QByteArray::fromHex("0100000000000000c8") + kCyrillicUtf8 + "\r\nengineer=" +
                                 kCyrillicUtf8 + "\r\ncylinder lot=A-1742\r\ncertificate months=12\r\n")
                                    .toHex());

    // The next run in the same directory comes back to the same place.
    dir.clear();
    remembered = RememberedEntries();
    MainWindow next;
    MainWindowProbe probe(next);
    QCOMPARE(probe.ui()->cComPort->currentIndex(), 1);
    QCOMPARE(probe.ui()->tabWidget->currentIndex(), 0);
    QCOMPARE(probe.ui()->sbMB_Adr->value(), 200);
    QCOMPARE(dir, QString::fromUtf8(kCyrillicUtf8));
    QCOMPARE(probe.ui()->engineerName->text(), QString::fromUtf8(kCyrillicUtf8));
    QCOMPARE(probe.ui()->cylinderLot->text(), QString("A-1742"));
    QCOMPARE(probe.ui()->cylinderExpiry->date(), QDate(2000, 1, 1));   // none entered
    QCOMPARE(probe.ui()->certificateMonths->value(), 12);
}

void TestIniFile::windowWithoutPortsStoresMinusOne()
{
    ScratchWorkingDir scratch;
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.ui()->cComPort->clear();
        probe.ui()->sbMB_Adr->setValue(5);
    }
    QCOMPARE(readIni().toHex(), QByteArray("ffffffff00000000050d0a"));
}

QTEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
