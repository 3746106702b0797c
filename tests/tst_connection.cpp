#include <QtTest>

#include <QSerialPortInfo>

#include "logcapture.h"
#include "simwindow.h"

// The connection panel: the port list with its extra entries, Start, Stop and
// "Скан", against the simulated detector.
class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void portList_data();
    void portList();
    void portScanRebuildsTheList();
    void startConnectsWithoutTalking();
    void stopDisconnects();
    void portScanWhileConnected();
    void addressChangedWhileConnected();
    void startFailsSilently_data();
    void startFailsSilently();
};

namespace {

const char *const kExtraPorts = "ZORVEL_EXTRA_PORTS";

// What the system itself reports, in its order.
QStringList systemEntries()
{
    QStringList entries;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        entries << port.portName() + " (" + port.manufacturer() + ")";
    return entries;
}

QString virtualEntry(const QString &path)
{
    return path + " (виртуальный порт)";
}

QStringList items(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

// Sets or unsets the variable for its lifetime.
class ExtraPorts
{
public:
    explicit ExtraPorts(const QByteArray *value)
        : previous(qgetenv(kExtraPorts)), wasSet(qEnvironmentVariableIsSet(kExtraPorts))
    {
        if (value)
            qputenv(kExtraPorts, *value);
        else
            qunsetenv(kExtraPorts);
    }
    ~ExtraPorts()
    {
        if (wasSet)
            qputenv(kExtraPorts, previous);
        else
            qunsetenv(kExtraPorts);
    }

private:
    QByteArray previous;
    bool wasSet;
};

#define SIM_WINDOW(w, ...)                         \
    SimWindow w{__VA_ARGS__};                       \
    QVERIFY2(w.failure().isEmpty(), qPrintable(w.failure()))

bool disconnectedLook(const Ui_MainWindow *ui)
{
    return ui->Start->isEnabled() && !ui->Stop->isEnabled() && !ui->tabWidget->isEnabled()
        && !ui->frame_info->isEnabled() && !ui->frame_cmd->isEnabled() && !ui->frame_mode->isEnabled();
}

} // namespace

void TestConnection::portList_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QStringList>("extra");

    QTest::newRow("unset") << false << QByteArray() << QStringList();
    QTest::newRow("empty") << true << QByteArray("") << QStringList();
    QTest::newRow("one path") << true << QByteArray("/tmp/demo/detector")
                              << QStringList{virtualEntry("/tmp/demo/detector")};
    QTest::newRow("two paths, in order") << true << QByteArray("/dev/pts/9:/tmp/b")
                                         << QStringList{virtualEntry("/dev/pts/9"), virtualEntry("/tmp/b")};
    QTest::newRow("empty parts skipped") << true << QByteArray("::/tmp/a::")
                                         << QStringList{virtualEntry("/tmp/a")};
}

void TestConnection::portList()
{
    QFETCH(bool, set);
    QFETCH(QByteArray, value);
    QFETCH(QStringList, extra);

    ExtraPorts ports(set ? &value : nullptr);
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    const QStringList expected = systemEntries() + extra;
    QCOMPARE(items(probe.ui()->cComPort), expected);
    QCOMPARE(probe.ui()->cComPort->currentIndex(), expected.isEmpty() ? -1 : 0);
}

void TestConnection::portScanRebuildsTheList()
{
    const QByteArray before("/tmp/first:/tmp/second");
    ExtraPorts ports(&before);
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    QComboBox *box = probe.ui()->cComPort;
    box->setCurrentIndex(box->count() - 1);

    qputenv(kExtraPorts, "/tmp/third");
    QTest::mouseClick(probe.ui()->PortScan, Qt::LeftButton);
    QCOMPARE(items(box), systemEntries() + QStringList{virtualEntry("/tmp/third")});
    QCOMPARE(box->currentIndex(), 0);

    qunsetenv(kExtraPorts);
    QTest::mouseClick(probe.ui()->PortScan, Qt::LeftButton);
    QCOMPARE(items(box), systemEntries());
    QCOMPARE(box->currentIndex(), box->count() > 0 ? 0 : -1);
}

void TestConnection::startConnectsWithoutTalking()
{
    SIM_WINDOW(w);
    QApplication::setActiveWindow(w.window.get());
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.ui->cComPort->setCurrentIndex(w.entryIndex(w.sim.portPath()));
    w.ui->sbMB_Adr->setValue(1);
    QTest::mouseClick(w.ui->Start, Qt::LeftButton);

    QVERIFY(w.probe->timer().isActive());
    QCOMPARE(w.probe->timer().interval(), 1000);
    QVERIFY(w.probe->reqReload());
    QVERIFY(w.probe->reqGasTable());
    QVERIFY(!w.ui->Start->isEnabled());
    for (QWidget *on : {static_cast<QWidget *>(w.ui->Stop), static_cast<QWidget *>(w.ui->tabWidget),
                        static_cast<QWidget *>(w.ui->frame_info), static_cast<QWidget *>(w.ui->frame_cmd),
                        static_cast<QWidget *>(w.ui->frame_mode)})
        QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    QVERIFY(w.ui->Stop->hasFocus());
    // The detector hears nothing before the first tick.
    QVERIFY(!w.sim.waitForRequests(1, 300));
    w.probe->timer().stop();
}

void TestConnection::stopDisconnects()
{
    SIM_WINDOW(w);
    w.connectTo();
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    QVERIFY(xPos > 0);

    QTest::mouseClick(w.ui->Stop, Qt::LeftButton);
    QVERIFY(!w.probe->timer().isActive());
    QVERIFY(disconnectedLook(w.ui));
    QCOMPARE(xPos, 0);

    // The port is closed: a stray tick reaches nobody.
    w.sim.clearRequests();
    w.probe->tick();
    QVERIFY(!w.sim.waitForRequests(1, 300));

    // And it opens again.
    w.connectTo();
    QVERIFY(w.connected());
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    QCOMPARE(w.probe->failedPolls(), 0);
}

void TestConnection::portScanWhileConnected()
{
    SIM_WINDOW(w, QStringList{"--fast", "--steady"}, QStringList{"/tmp/ghost-before"});
    w.connectTo();
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    w.sim.clearRequests();

    qputenv(kExtraPorts, "/tmp/ghost-after");
    QTest::mouseClick(w.ui->PortScan, Qt::LeftButton);
    QCOMPARE(items(w.ui->cComPort), systemEntries() + QStringList{virtualEntry("/tmp/ghost-after")});
    QCOMPARE(w.ui->cComPort->currentIndex(), 0);

    QVERIFY(w.connected());
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(1));
    QCOMPARE(w.sim.requests().first().reply, QString("ok"));
    QCOMPARE(w.probe->failedPolls(), 0);
}

void TestConnection::addressChangedWhileConnected()
{
    SIM_WINDOW(w);
    w.connectTo(1);
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    w.sim.clearRequests();

    w.ui->sbMB_Adr->setValue(7);
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(1));
    QCOMPARE(w.sim.requests().first().slave, 1);
    QCOMPARE(w.sim.requests().first().reply, QString("ok"));

    // Read again at the next Start.
    QTest::mouseClick(w.ui->Stop, Qt::LeftButton);
    QTest::mouseClick(w.ui->Start, Qt::LeftButton);
    w.probe->timer().stop();
    w.sim.clearRequests();
    w.probe->reqReload() = false;
    w.probe->reqGasTable() = false;
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(1));
    QCOMPARE(w.sim.requests().first().slave, 7);
    QCOMPARE(w.sim.requests().first().reply, QString("ignored"));
}

void TestConnection::startFailsSilently_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing path") << "missing";
    QTest::newRow("port gone") << "gone";
    QTest::newRow("not a serial port") << "file";
    QTest::newRow("no entry selected") << "none";
}

void TestConnection::startFailsSilently()
{
    QFETCH(QString, kind);

    QTemporaryDir files;
    const QString missing = files.path() + "/no-such-dir/ttyUSB9";
    const QString plain = files.path() + "/plain-file";
    {
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    SIM_WINDOW(w, QStringList{"--fast", "--steady"}, QStringList{missing, plain});
    QString name;
    if (kind == "missing") {
        name = missing;
    } else if (kind == "file") {
        name = plain;
    } else if (kind == "gone") {
        name = w.sim.portPath();
        QVERIFY(w.sim.command("close"));
        QTRY_VERIFY(!QFile::exists(name));
    }
    w.ui->cComPort->setCurrentIndex(name.isEmpty() ? -1 : w.entryIndex(name));

    LogCapture log;
    QTest::mouseClick(w.ui->Start, Qt::LeftButton);

    QVERIFY(!w.probe->timer().isActive());
    QVERIFY(disconnectedLook(w.ui));
    QVERIFY(!w.probe->reqReload());
    QVERIFY(!w.probe->reqGasTable());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    const QStringList lines = log.debugLines();
    QCOMPARE(lines.size(), 1);
    const QString prefix = QString("Не удалось открыть порт \"%1\": ").arg(name);
    QVERIFY2(lines[0].startsWith(prefix) && lines[0].size() > prefix.size(), qPrintable(lines[0]));

    // The user may retry with a port that works.
    QString working = w.sim.portPath();
    if (kind == "gone") {
        QStringList reply;
        QVERIFY(w.sim.command("reopen", &reply));
        working = reply.value(0).section(' ', 1);
        w.ui->cComPort->addItem(virtualEntry(working));
    }
    w.connectTo(1, working);
    QVERIFY(w.connected());
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    QCOMPARE(w.probe->failedPolls(), 0);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
