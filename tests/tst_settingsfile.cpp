#include <QtTest>
#include <QStatusBar>

#include <sys/stat.h>

#include "customplotwidget.h"
#include "dialogs.h"
#include "filefaults.h"
#include "inifile.h"
#include "mainwindowprobe.h"
#include "settingsfile.h"
#include "registermodel.h"
#include "settingstransfer.h"
#include "testsupport.h"
#include "windowonsimulator.h"

namespace {

using Block = std::array<quint16, 256>;

// A block as a detector with one decimal sends it: a VELOR for methane.
Block deviceBlock()
{
    Block block{};
    block[0] = 0x1000;            // VELOR
    block[1] = 0x2100;            // Modbus address 33
    block[2] = 0x0015;            // HART address 21
    block[4] = 0x4100;            // BLE off, one decimal, unit 0
    block[6] = 1000;              // display range 100.0
    block[7] = 0x8000 | 250;      // threshold 1 below 25.0
    block[8] = 400;               // threshold 2 above 40.0
    block[9] = (30 << 8) | 20;    // hystereses 2.0 and 3.0
    block[13] = 500;
    block[14] = 55;
    block[15] = 400;
    block[16] = 300;
    block[18] = 5;
    block[20] = 0x0001;
    block[21] = 0x0002;           // serial number 65538
    block[32] = 0x4843;           // "CH4"
    block[33] = 0x0034;
    block[113] = 1000;
    block[125] = 0x8000;
    block[126] = 900;
    block[127] = 15;
    return block;
}

// A different block, as another detector's export would hold it.
Block otherBlock()
{
    Block block = deviceBlock();
    block[1] = 0x4400;            // Modbus address 68
    block[2] = 0x0033;            // HART address 51
    block[4] = 0x8200;            // BLE on, two decimals
    block[6] = 20000;             // display range 200.00
    block[7] = 1234;
    block[20] = 0x0000;
    block[21] = 0x0007;           // serial number 7
    block[32] = 0x3243;           // "C2"
    block[33] = 0x0000;
    for (int i = 180; i < 256; ++i)
        block[i] = quint16(0xA000 + i);
    return block;
}

// An earlier export of the detector of deviceBlock, with other settings.
Block ownFile()
{
    Block block = otherBlock();
    block[1] = 0x2100;            // Modbus address 33
    block[20] = 0x0001;
    block[21] = 0x0002;           // serial number 65538
    return block;
}

// What the controls that an import fills show, one entry per control.
QStringList shown(MainWindowProbe &probe)
{
    Ui_MainWindow *ui = probe.ui();
    QStringList values;
    for (QDoubleSpinBox *box : {ui->i_init, ui->i_serv, ui->deadZone, ui->valueHigh, ui->magCalib, ui->point20ma,
                                ui->limit1_level, ui->limit1_hyst, ui->limit2_level, ui->limit2_hyst,
                                ui->limit3_level, ui->limit3_hyst, ui->CalibrValue})
        values << box->objectName() + "=" + box->text();
    for (QComboBox *combo : {ui->limit1_opt, ui->limit2_opt, ui->limit3_opt})
        values << combo->objectName() + "=" + QString::number(combo->currentIndex());
    values << "TypeDev=" + ui->TypeDev->text() << "unit=" + ui->unit->text()
           << "active=" + probe.activeGasName();
    return values;
}

Block stored(MainWindowProbe &probe)
{
    Block block;
    std::copy(probe.regHold(), probe.regHold() + 256, block.begin());
    return block;
}

// "7:0x80fa 20:0" laid on a block.
Block edited(Block block, const QString &edits)
{
    for (const QString &item : edits.split(' ', Qt::SkipEmptyParts))
        block[item.section(':', 0, 0).toInt()] = quint16(item.section(':', 1).toUInt(nullptr, 0));
    return block;
}

// Puts a block into the window as a read from the detector would.
void readFromDevice(MainWindowProbe &probe, const Block &block)
{
    std::copy(block.begin(), block.end(), probe.regHold());
    probe.showDetectorBlock();
}

QByteArray littleEndian(const Block &block)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    for (quint16 word : block)
        stream << word;
    return bytes;
}

// rwxr-xr-x: under WithoutFileRights a test may look inside, not write. The
// dropped rights keep root's group, so the group bits count as well.
const QFileDevice::Permissions kFolderOthersMayNotWrite =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

// Runs the slot with the file rights of a user; false, without running it,
// where they cannot be dropped.
bool clickWithoutFileRights(MainWindow &window, const char *slot)
{
    WithoutFileRights unprivileged;
    if (!unprivileged.active())
        return false;
    QMetaObject::invokeMethod(&window, slot);
    return true;
}

void exportTo(MainWindow &window)
{
    QMetaObject::invokeMethod(&window, "on_Export_clicked");
}

void importFrom(MainWindow &window)
{
    QMetaObject::invokeMethod(&window, "on_Import_clicked");
}

// One window in a scratch working directory, holding a block read from a
// detector, with nothing remembered from an earlier test.
struct Session
{
    Session()
    {
        dir.clear();
        readFromDevice(probe, deviceBlock());
    }
    QString file(const QString &name) const { return scratch.path() + "/" + name; }

    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe{window};
    DialogDriver dialogs;
};

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void encodeLeastSignificantByteFirst();
    void decodeRefusesWrongSize_data();
    void decodeRefusesWrongSize();

    void exportDialogAndFile_data();
    void exportDialogAndFile();
    void importDialog_data();
    void importDialog();
    void cancel_data();
    void cancel();
    void exportTwiceOverwrites();
    void roundTripBringsControlsBack();
    void importJudgedAgainstTheDetector_data();
    void importJudgedAgainstTheDetector();
    void importRefusesWrongSize_data();
    void importRefusesWrongSize();
    void importOfUnreadableFile();
    void exportToUnwritablePlace();
    void exportInPlaceWhereFolderIsLocked();
    void failedExportKeepsEarlierFile();
    void importKeepsTheDetectorsScale_data();
    void importKeepsTheDetectorsScale();
    void importedBlockGoesToAnUnreadDetector();
    void anotherDetectorsFileIsAskedForAndLent();
    void transferKeepsIdentity_data();
    void transferKeepsIdentity();
};

void TestSettingsFile::encodeLeastSignificantByteFirst()
{
    Block block;
    for (int i = 0; i < 256; ++i)
        block[i] = quint16(i * 0x0101 + 0x1234);
    block[0] = 0x1234;
    block[255] = 0xBEEF;

    const QByteArray bytes = encodeSettings(block.data());

    QCOMPARE(bytes.size(), 512);
    QCOMPARE(bytes.left(2).toHex(), QByteArray("3412"));
    QCOMPARE(bytes.right(2).toHex(), QByteArray("efbe"));
    QCOMPARE(bytes.toHex(), littleEndian(block).toHex());

    Block decoded{};
    QVERIFY(decodeSettings(bytes, decoded.data()));
    QVERIFY(decoded == block);
}

void TestSettingsFile::decodeRefusesWrongSize_data()
{
    QTest::addColumn<int>("size");
    for (int size : {0, 1, 100, 511, 513, 600})
        QTest::addRow("%d bytes", size) << size;
}

void TestSettingsFile::decodeRefusesWrongSize()
{
    QFETCH(int, size);
    Block block = deviceBlock();

    QVERIFY(!decodeSettings(QByteArray(size, '\x55'), block.data()));
    QVERIFY(block == deviceBlock());
}

void TestSettingsFile::exportDialogAndFile_data()
{
    QTest::addColumn<bool>("withDirectory");
    QTest::newRow("no directory yet") << false;
    QTest::newRow("directory of the last file") << true;
}

void TestSettingsFile::exportDialogAndFile()
{
    QFETCH(bool, withDirectory);
    Session s;
    QVERIFY(QDir(s.scratch.path()).mkdir("sets"));
    if (withDirectory)
        dir = s.scratch.path();
    const QString path = s.file("sets/unit7.bin");
    s.probe.ui()->valueHigh->setValue(123.4);
    s.dialogs.acceptFile(path);

    exportTo(s.window);

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.fileDialogs().size(), 1);
    const DialogDriver::FileDialogSeen &seen = s.dialogs.fileDialogs().first();
    QCOMPARE(seen.caption, QString("Файл настроек"));
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(seen.filters, (QStringList{"Setting Files (*.bin)", "All Files (*)"}));
    QCOMPARE(seen.directory, withDirectory ? s.scratch.path() : QString("/"));
    QCOMPARE(seen.fileName, QString("setting.bin"));
    QCOMPARE(dir, s.file("sets"));
    QCOMPARE(s.dialogs.messages().size(), 0);

    // The edit made it into the block before the block went to the file.
    QCOMPARE(s.probe.regHold()[6], quint16(1234));
    QCOMPARE(contentOf(path).toHex(), littleEndian(stored(s.probe)).toHex());
}

void TestSettingsFile::importDialog_data()
{
    QTest::addColumn<QByteArray>("beyond");
    QTest::newRow("settings file") << QByteArray();
    QTest::newRow("513 bytes: the first 512 count") << QByteArray("\x11");
    QTest::newRow("longer file") << QByteArray(4000, '\x22');
}

void TestSettingsFile::importDialog()
{
    QFETCH(QByteArray, beyond);
    Session s;
    QVERIFY(QDir(s.scratch.path()).mkdir("sets"));
    dir = s.file("sets");
    const QString path = s.file("other.bin");
    writeFile(path, littleEndian(ownFile()) + beyond);
    s.dialogs.acceptFile(path);

    importFrom(s.window);

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.fileDialogs().size(), 1);
    const DialogDriver::FileDialogSeen &seen = s.dialogs.fileDialogs().first();
    QCOMPARE(seen.caption, QString("Файл настроек"));
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.filters, (QStringList{"All Files (*)", "Bin Files (*.bin)"}));
    QCOMPARE(seen.directory, s.file("sets"));
    QCOMPARE(dir, s.file("sets"));
    QCOMPARE(s.dialogs.messages().size(), 0);
    QVERIFY(stored(s.probe) == ownFile());
    QCOMPARE(s.probe.ui()->valueHigh->text(), QString("200.00"));
}

void TestSettingsFile::cancel_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::newRow("export") << QByteArray("on_Export_clicked");
    QTest::newRow("import") << QByteArray("on_Import_clicked");
}

void TestSettingsFile::cancel()
{
    QFETCH(QByteArray, slot);
    Session s;
    dir = s.scratch.path();
    s.probe.ui()->valueHigh->setValue(77.7);
    const QStringList controls = shown(s.probe);
    const QStringList filesBefore = QDir(s.scratch.path()).entryList(QDir::Files);
    s.dialogs.cancelFile();

    QMetaObject::invokeMethod(&s.window, slot.constData());

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.pending(), 0);
    QCOMPARE(dir, s.scratch.path());
    QVERIFY(stored(s.probe) == deviceBlock());
    QCOMPARE(shown(s.probe), controls);
    QCOMPARE(QDir(s.scratch.path()).entryList(QDir::Files), filesBefore);
    QCOMPARE(s.dialogs.messages().size(), 0);
}

void TestSettingsFile::exportTwiceOverwrites()
{
    Session s;
    const QString path = s.file("setting.bin");
    s.dialogs.acceptFile(path);
    exportTo(s.window);
    const QByteArray first = contentOf(path);

    s.probe.ui()->limit3_level->setValue(45.6);
    s.dialogs.acceptFile(path);
    s.dialogs.closeMessage(QMessageBox::Yes);   // the dialog asks before replacing
    exportTo(s.window);

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.pending(), 0);
    const QByteArray second = contentOf(path);
    QCOMPARE(second.size(), 512);
    QVERIFY(second != first);
    QCOMPARE(second.toHex(), littleEndian(stored(s.probe)).toHex());
    QCOMPARE(s.probe.regHold()[126], quint16(456));
}

void TestSettingsFile::roundTripBringsControlsBack()
{
    Session s;
    for (int i = 180; i < 256; ++i)
        s.probe.regHold()[i] = quint16(0x5A00 + i);
    const QStringList exported = shown(s.probe);
    const QString path = s.file("setting.bin");
    s.dialogs.acceptFile(path);
    exportTo(s.window);
    const Block saved = stored(s.probe);
    QCOMPARE(contentOf(path).mid(360).toHex(), littleEndian(saved).mid(360).toHex());

    // The detector's block as read again, other settings in it, is laid
    // over everything, words 180-255 included.
    readFromDevice(s.probe, ownFile());
    std::fill(s.probe.regHold() + 180, s.probe.regHold() + 256, 0);
    s.probe.ui()->i_init->setValue(12.5);
    s.probe.ui()->limit1_opt->setCurrentIndex(0);
    QVERIFY(shown(s.probe) != exported);

    s.dialogs.acceptFile(path);
    importFrom(s.window);

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(shown(s.probe), exported);
    QVERIFY(stored(s.probe) == saved);
    for (int i = 180; i < 256; ++i)
        QCOMPARE(s.probe.regHold()[i], quint16(0x5A00 + i));
}

// A file is judged against the detector's block as read: another detector's
// lends its settings only, in the detector's decimal count, and the window
// says so; one of another device type or unit is refused, naming both, and
// the block stays as it was. What the detector keeps is shown as its own.
void TestSettingsFile::importJudgedAgainstTheDetector_data()
{
    QTest::addColumn<QString>("fileEdits");   // on otherBlock: serial number 7, two decimals
    QTest::addColumn<QString>("block");       // words of the block after it; empty when refused
    QTest::addColumn<QString>("told");        // the start of the status line or the message
    QTest::addColumn<QString>("rounded");     // also in the status line

    QTest::newRow("another detector's file lends its settings")
        << "" << "1:0x2100 2:0x15 4:0x4100 6:2000 7:123 8:40 9:0x0302 20:1 21:2 32:0x4843 33:0x34 180:0xa0b4"
        << "Файл настроек — с датчика № 7, подключён датчик № 65538. Записаны будут только настройки"
        << "Округлены до числа знаков датчика: «Порог 1»";
    QTest::newRow("another device type")
        << "0:0x2000" << "" << "Файл настроек — от прибора TRIVAN, а подключён прибор VELOR" << "";
    QTest::newRow("another unit")
        << "4:0x8230" << "" << "В файле настроек пороги заданы в единицах «%НКПР», а датчик измеряет в «%Об.д»"
        << "";
}

void TestSettingsFile::importJudgedAgainstTheDetector()
{
    QFETCH(QString, fileEdits);
    QFETCH(QString, block);
    QFETCH(QString, told);
    QFETCH(QString, rounded);

    Session s;
    const QString path = s.file("other.bin");
    writeFile(path, encodeSettings(edited(otherBlock(), fileEdits).data()));
    s.dialogs.acceptFile(path);
    if (block.isEmpty())
        s.dialogs.closeMessage();

    importFrom(s.window);

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    Ui_MainWindow *ui = s.probe.ui();
    QCOMPARE(ui->SerialNumDev->text(), QString("65538"));
    QCOMPARE(ui->sbMB_AdrHART->value(), 21);
    QCOMPARE(ui->cBLE->currentIndex(), 1);
    if (block.isEmpty()) {
        QCOMPARE(s.dialogs.messages().size(), 1);
        QVERIFY2(s.dialogs.messages().first().text.startsWith(told), qPrintable(s.dialogs.messages().first().text));
        QVERIFY(stored(s.probe) == deviceBlock());
        QCOMPARE(ui->valueHigh->text(), QString("100.0"));
        return;
    }
    const QString status = s.window.statusBar()->currentMessage();
    QVERIFY2(status.startsWith(told) && status.contains(rounded), qPrintable(status));
    const Block expected = edited(deviceBlock(), block);
    for (const QString &item : block.split(' ')) {
        const int word = item.section(':', 0, 0).toInt();
        QVERIFY2(s.probe.regHold()[word] == expected[word], qPrintable(QString("word %1: %2").arg(word).arg(s.probe.regHold()[word])));
    }
    QCOMPARE(ui->valueHigh->text(), QString("200.0"));
    QCOMPARE(ui->limit1_level->text(), QString("12.3"));
    QCOMPARE(ui->unit->text(), QString("%Об.д"));
    QCOMPARE(s.probe.activeGasName(), QString("CH4"));
}

// Sizes are files of that many bytes; the rest are no files at all, which
// are refused before they are opened: a named pipe would hang the window,
// /dev/zero pass for a block of zeros.
void TestSettingsFile::importRefusesWrongSize_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    const QString wrongSize = "Неверный размер файла настроек ";
    const QString noFile = "Это не файл настроек, а папка, канал или устройство: ";
    for (const char *size : {"0", "100", "511"})
        QTest::addRow("%s bytes", size) << size << wrongSize;
    QTest::newRow("named pipe") << "pipe" << noFile;
    QTest::newRow("device") << "/dev/zero" << noFile;
}

void TestSettingsFile::importRefusesWrongSize()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    Session s;
    s.probe.ui()->deadZone->setValue(3.3);   // an unsent edit survives too
    const QStringList controls = shown(s.probe);
    QString path = s.file("foreign.bin");
    if (kind == "pipe")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind.startsWith('/'))
        path = kind;
    else
        writeFile(path, encodeSettings(otherBlock().data()).leftJustified(kind.toInt(), '\x11', true));
    s.dialogs.acceptFile(path);
    s.dialogs.closeMessage();

    importFrom(s.window);

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.messages().size(), 1);
    const DialogDriver::MessageSeen &box = s.dialogs.messages().first();
    QCOMPARE(box.title, QString(" "));
    QCOMPARE(box.text, text + path);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!box.hasParent);
    QVERIFY(stored(s.probe) == deviceBlock());
    QCOMPARE(shown(s.probe), controls);
}

void TestSettingsFile::importOfUnreadableFile()
{
    Session s;
    QVERIFY(QFile::setPermissions(s.scratch.path(), kFolderOthersMayNotWrite));
    const QString path = s.file("locked.bin");
    writeFile(path, encodeSettings(otherBlock().data()));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    const QStringList controls = shown(s.probe);
    s.dialogs.acceptFile(path);
    s.dialogs.closeMessage();
    if (!clickWithoutFileRights(s.window, "on_Import_clicked"))
        QSKIP("file rights cannot be dropped here");

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.messages().size(), 1);
    const DialogDriver::MessageSeen &box = s.dialogs.messages().first();
    QCOMPARE(box.title, QString(" "));
    QCOMPARE(box.text, "Ошибка открытия файла" + path);   // no blank before the path
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!box.hasParent);
    QVERIFY(stored(s.probe) == deviceBlock());
    QCOMPARE(shown(s.probe), controls);
}

void TestSettingsFile::exportToUnwritablePlace()
{
    Session s;
    dir = s.scratch.path();
    const QString path = s.file("missing/setting.bin");
    s.probe.ui()->valueHigh->setValue(99.9);
    s.dialogs.acceptFile(path);
    s.dialogs.closeMessage();

    exportTo(s.window);

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.messages().size(), 1);
    const DialogDriver::MessageSeen &box = s.dialogs.messages().first();
    QCOMPARE(box.title, QString(" "));
    QCOMPARE(box.text, "Ошибка открытия файла " + path);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!box.hasParent);
    QCOMPARE(dir, s.file("missing"));
    QCOMPARE(s.probe.regHold()[6], quint16(999));
    QVERIFY(!QFile::exists(path));
}

// Where the user may write the file but not the folder, no file can be made
// beside it: the export overwrites it in place, cutting a longer one.
void TestSettingsFile::exportInPlaceWhereFolderIsLocked()
{
    Session s;
    const QString path = s.file("setting.bin");
    writeFile(path, QByteArray(600, '\x33'));
    QVERIFY(QFile::setPermissions(s.scratch.path(), kFolderOthersMayNotWrite));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                            | QFileDevice::WriteGroup | QFileDevice::ReadOther
                                            | QFileDevice::WriteOther));
    s.probe.ui()->valueHigh->setValue(66.6);
    s.dialogs.acceptFile(path);
    s.dialogs.closeMessage(QMessageBox::Yes);   // replace the earlier file
    if (!clickWithoutFileRights(s.window, "on_Export_clicked"))
        QSKIP("file rights cannot be dropped here");

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.messages().size(), 1);
    QCOMPARE(s.probe.regHold()[6], quint16(666));
    QCOMPARE(contentOf(path).toHex(), littleEndian(stored(s.probe)).toHex());
    QCOMPARE(QDir(s.scratch.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"setting.bin"});
}

void TestSettingsFile::failedExportKeepsEarlierFile()
{
    Session s;
    const QString path = s.file("setting.bin");
    s.dialogs.acceptFile(path);
    exportTo(s.window);
    const QByteArray good = contentOf(path);
    QCOMPARE(good.size(), 512);

    s.probe.ui()->valueHigh->setValue(55.5);
    s.dialogs.acceptFile(path);
    s.dialogs.closeMessage(QMessageBox::Yes);   // replace the earlier file
    s.dialogs.closeMessage();
    {
        FileSizeLimit fullDisk(100);
        exportTo(s.window);
    }

    QCOMPARE(s.dialogs.unexpected(), QStringList());
    QCOMPARE(s.dialogs.messages().size(), 2);
    const DialogDriver::MessageSeen &box = s.dialogs.messages().last();
    QCOMPARE(box.title, QString(" "));
    QCOMPARE(box.text, "Ошибка записи файла " + path);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY(!box.hasParent);
    QCOMPARE(contentOf(path).toHex(), good.toHex());
    QCOMPARE(QDir(s.scratch.path()).entryList(QDir::Files), QStringList{"setting.bin"});
}

void TestSettingsFile::importKeepsTheDetectorsScale_data()
{
    QTest::addColumn<int>("fileDecimals");
    QTest::addColumn<double>("span");
    QTest::addColumn<int>("sent");   // -1: refused
    QTest::addColumn<QString>("writeFault");
    QTest::addColumn<int>("heldDecimals");   // the detector's count after "Записать"
    QTest::addColumn<double>("heldRange");
    QTest::newRow("two decimals, span 25.00") << 2 << 25.0 << 250 << "" << 2 << 80.0;
    QTest::newRow("no decimals, span 6553") << 0 << 6553.0 << 65530 << "" << 0 << 80.0;
    QTest::newRow("no decimals, span 6554 does not fit") << 0 << 6554.0 << -1 << "" << 0 << 80.0;
    // The first half, word 4 in it, reached the detector; nothing came back,
    // and the read-back after it tells the count the detector now has.
    QTest::newRow("two decimals, write unanswered") << 2 << 25.0 << 250 << "noanswer fc=10" << 2 << 80.0;
    // The detector keeps its word 4 and takes the range 8000 in its own count.
    QTest::newRow("two decimals, word 4 kept") << 2 << 25.0 << 250 << "ignore=4,persist" << 1 << 800.0;
}

// A file with another decimal count changes the controls only: the live
// value, the plot and the span sent keep the detector's count of one decimal
// until "Записать" has given the detector the file's and the detector's
// block, read back, says it holds it.
void TestSettingsFile::importKeepsTheDetectorsScale()
{
    QFETCH(int, fileDecimals);
    QFETCH(double, span);
    QFETCH(int, sent);
    QFETCH(QString, writeFault);
    QFETCH(int, heldDecimals);
    QFETCH(double, heldRange);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect({"--fast", "--steady", "--concentration", "20", "--range", "50", "--calib-delay", "0"}),
             qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    QCOMPARE(ui->lcdValue->value(), 20.0);

    // The detector's own block, at the file's decimal count with a range of 80.
    QVector<quint16> file = rig.detectorsBlock();
    file[4] = quint16((file[4] & ~0x0300) | (fileDecimals << 8));
    file[6] = quint16(80 * std::pow(10, fileDecimals));
    QVERIFY(rig.importBlock(file));
    QCOMPARE(ui->valueHigh->decimals(), fileDecimals);

    rig.tick();
    QCOMPARE(ui->lcdValue->value(), 20.0);
    QCOMPARE(rig.probe.plot()->upperBound, 50.0);

    rig.showTab(GasCalibrationTab);
    rig.click(ui->CalibDiapStart);
    rig.tick();
    ui->CalibrValue->setValue(span);
    rig.click(ui->CalibDiapSet);
    const QStringList spanWrites = rig.tickWrites();
    if (sent < 0) {
        QCOMPARE(spanWrites, QStringList());
        QCOMPARE(ui->calib_stat->text(), QString("Калибровочная концентрация вне диапазона"));
    } else {
        QCOMPARE(spanWrites, QStringList({wordWrite(13, sent), wordWrite(12, 0x64C4), wordWrite(12, 0x7294)}));
    }

    if (!writeFault.isEmpty())
        QVERIFY(rig.sim.command("fault " + writeFault));
    rig.click(ui->Write);
    const bool cut = writeFault.startsWith("noanswer");
    QCOMPARE(rig.tickWrites(), cut ? parameterBlockWrite().mid(0, 1) : parameterBlockWrite());
    QCOMPARE(int(rig.sim.holding(4).value(0) >> 8 & 3), heldDecimals);
    QCOMPARE(ui->valueHigh->decimals(), heldDecimals);
    if (heldDecimals != fileDecimals)
        QVERIFY2(rig.window.statusBar()->currentMessage().contains("в словах 4:"),
                 qPrintable(rig.window.statusBar()->currentMessage()));
    rig.tick();
    QCOMPARE(ui->lcdValue->value(), 20.0);
    QCOMPARE(rig.probe.plot()->upperBound, heldRange);
}

// A detector whose block cannot be read takes a file the user chose for it:
// the read is no longer retried over the file, "Записать" sends the file's
// block, and the live value waits for the count that write gave the detector.
void TestSettingsFile::importedBlockGoesToAnUnreadDetector()
{
    WindowOnSimulator rig;
    QVERIFY2(rig.connect({"--fast", "--steady", "--concentration", "20", "--fault", "exception=2,fc=03,persist"}),
             qPrintable(rig.errorText()));
    QVector<quint16> file = rig.detectorsBlock();
    file[4] = quint16((file[4] & ~0x0300) | 0x0200);
    QVERIFY(rig.importBlock(file));

    for (const SimRequest &request : rig.tick())
        QVERIFY2(request.function != 0x03, qPrintable(request.line));
    QCOMPARE(rig.ui->lcdValue->value(), 0.0);

    DialogDriver dialogs;   // a refusal's message box would be closed and listed
    rig.click(rig.ui->Write);
    QCOMPARE(rig.tickWrites(), parameterBlockWrite());
    QCOMPARE(dialogs.unexpected(), QStringList());
    QCOMPARE(rig.sim.holding(4).value(0), quint16(file[4]));
    rig.tick();
    QCOMPARE(rig.ui->lcdValue->value(), 20.0);
}

// Connected to one detector, another's file: "Записать" first asks, then
// gives the detector the file's settings in its own decimal count and keeps
// everything that is its own; once written, the block is its own again.
void TestSettingsFile::anotherDetectorsFileIsAskedForAndLent()
{
    using namespace RegisterModel;
    WindowOnSimulator rig;
    QVERIFY2(rig.connect({"--fast", "--steady"}), qPrintable(rig.errorText()));
    const QVector<quint16> own = rig.sim.holding(0, kDeviceWords);
    QVector<quint16> file = rig.detectorsBlock();
    file[SerialHighWord] = 0;
    file[SerialLowWord] = 7;
    file[HartAddressWord] = 51;
    file[FormatWord] = quint16((file[FormatWord] & ~0x0300) | 0x0200);
    file[DisplayRangeWord] = 8000;            // 80.00
    encodeText("C2", file.data() + GasNameWord, kGasNameBytes);
    QVERIFY(rig.importBlock(file));

    DialogDriver dialogs;
    dialogs.closeMessage(QMessageBox::Cancel);
    rig.click(rig.ui->Write);
    QCOMPARE(rig.tickWrites(), QStringList());
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().text.startsWith("Файл настроек — с датчика № 7, подключён датчик № 20240117"),
             qPrintable(dialogs.messages().first().text));

    dialogs.closeMessage(QMessageBox::Yes);
    rig.click(rig.ui->Write);
    QCOMPARE(rig.tickWrites(), parameterBlockWrite());
    const QVector<quint16> now = rig.sim.holding(0, kDeviceWords);
    QCOMPARE(now[DisplayRangeWord], quint16(800));
    for (int word : {int(DeviceTypeWord), int(ModbusAddressWord), int(HartAddressWord), int(FormatWord),
                     int(SerialHighWord), int(SerialLowWord), int(GasNameWord), int(GasNameWord) + 1})
        QVERIFY2(now[word] == own[word], qPrintable(QString("word %1: %2, was %3").arg(word).arg(now[word]).arg(own[word])));

    rig.click(rig.ui->Write);
    QCOMPARE(rig.tickWrites(), parameterBlockWrite());
    QCOMPARE(dialogs.messages().size(), 2);
    QCOMPARE(dialogs.unexpected(), QStringList());
}

// Each row: the file as edits of the detector's own block (deviceBlock:
// serial number 65538, one decimal, unit 0, VELOR, address 33), whether a
// full restore is asked for, the kind and refusal that must come out, and
// the words the block to write must hold (none when refused), with the
// parameters that had to be rounded.
void TestSettingsFile::transferKeepsIdentity_data()
{
    using namespace RegisterModel;
    QTest::addColumn<QString>("fileEdits");
    QTest::addColumn<bool>("full");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QStringList>("rounded");

    const int restore = int(TransferKind::Restore), lend = int(TransferKind::SettingsOnly);
    const int full = int(TransferKind::FullRestore), refused = int(TransferKind::Refused);
    const int none = int(TransferRefusal::None);
    const QString otherSerial = " 20:0 21:7";
    QTest::newRow("its own file restores all but the address and command")
        << "1:0x0542 2:9 3:1 7:150 12:0x185d 14:120 22:7" << false << restore << none
        << "1:0x2142 2:9 3:1 7:150 12:0 14:120 22:7" << QStringList();
    QTest::newRow("another's file lends its settings only")
        << "1:0x0500 2:9 3:1 4:0x8100 7:150 12:0x185d 13:300 14:120 16:301 22:7 32:0x4f43 33:0" + otherSerial
        << false << lend << none
        << "1:0x2100 2:0x15 3:0 4:0x4100 7:150 12:0 13:500 14:55 16:301 20:1 21:2 22:0 32:0x4843 33:0x34"
        << QStringList();
    QTest::newRow("another decimal count is converted to the detector's")
        << "4:0x4200 6:10000 7:0x89c4 8:4005 9:0x1e14 18:50 113:10000 114:0 126:9000 127:150" + otherSerial << false
        << lend << none << "4:0x4100 6:1000 8:401 9:0x0302 18:5 113:1000 126:900 127:15"
        << QStringList{"threshold 2 level"};
    QTest::newRow("fewer decimals in the file are multiplied out")
        << "4:0x4000 6:100 7:0x8019 8:40 9:0x0302 18:1 113:100 126:90 127:2" + otherSerial << false << lend << none
        << "4:0x4100 6:1000 8:400 9:0x1e14 18:10 113:1000 126:900 127:20" << QStringList();
    QTest::newRow("a value the detector's decimal count cannot hold")
        << "4:0x4000 6:7000" + otherSerial << false << refused << int(TransferRefusal::DoesNotFit) << ""
        << QStringList();
    QTest::newRow("another device type") << "0:0x2000" + otherSerial << false << refused
                                         << int(TransferRefusal::DeviceType) << "" << QStringList();
    QTest::newRow("its own file of another unit") << "4:0x4130" << false << refused << int(TransferRefusal::Unit)
                                                  << "" << QStringList();
    QTest::newRow("a full restore onto another detector keeps only its address")
        << "0:0x2000 1:0x0500 4:0x4232 22:7" + otherSerial << true << full << none
        << "0:0x2000 1:0x2100 4:0x4232 20:0 21:7 22:7" << QStringList();
}

void TestSettingsFile::transferKeepsIdentity()
{
    using namespace RegisterModel;
    QFETCH(QString, fileEdits);
    QFETCH(bool, full);
    QFETCH(int, kind);
    QFETCH(int, refusal);
    QFETCH(QString, words);
    QFETCH(QStringList, rounded);

    const Block own = deviceBlock();
    const Block file = edited(own, fileEdits);
    const QVector<quint16> detector(own.begin(), own.begin() + kDeviceWords);
    const SettingsTransfer transfer = transferSettings(file.data(), detector, full);
    QCOMPARE(int(transfer.kind), kind);
    QCOMPARE(int(transfer.refusal), refusal);
    QCOMPARE(transfer.rounded, rounded);
    if (kind == int(TransferKind::Refused)) {
        QVERIFY(transfer.block.isEmpty());
        return;
    }
    QCOMPARE(transfer.block.size(), kDeviceWords);
    // Every word is the detector's unless the row names it.
    const Block expected = edited(own, words);
    for (int word = 0; word < kDeviceWords; ++word)
        QVERIFY2(transfer.block[word] == expected[word],
                 qPrintable(QString("word %1: %2, expected %3").arg(word).arg(transfer.block[word]).arg(expected[word])));
}

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
