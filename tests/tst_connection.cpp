#include <QtTest>

#include <QSerialPort>
#include <QSerialPortInfo>

#include <memory>
#include <QStatusBar>

#include "dialogs.h"
#include "filefaults.h"

#include "logcapture.h"
#include "registermodel.h"
#include "settingsfile.h"
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
    void startTellsWhyThePortDidNotOpen_data();
    void startTellsWhyThePortDidNotOpen();
    void nothingTemporaryOutlivesTheConnection_data();
    void nothingTemporaryOutlivesTheConnection();
    void nextConnectionHearsNoEarlierRequest_data();
    void nextConnectionHearsNoEarlierRequest();
    void whatALostConnectionLeaves_data();
    void whatALostConnectionLeaves();
    void lostConnectionsAreTold_data();
    void lostConnectionsAreTold();
    void noWriteWithoutAnAnsweringDetector_data();
    void noWriteWithoutAnAnsweringDetector();
    void newAddressLandsWhole_data();
    void newAddressLandsWhole();
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

// A user's click on a button of any tab: its tab is shown first.
void clickOnItsTab(SimWindow &w, const QString &name)
{
    auto *button = w.window->findChild<QAbstractButton *>(name);
    QVERIFY2(button, qPrintable(name));
    for (int i = 0; i < w.ui->tabWidget->count(); ++i) {
        if (w.ui->tabWidget->widget(i)->isAncestorOf(button))
            w.ui->tabWidget->setCurrentIndex(i);
    }
    QTest::mouseClick(button, Qt::LeftButton);
}

QString statusLine(const SimWindow &w)
{
    return w.window->statusBar()->currentMessage();
}

// What the simulated detector is left in: its output, mode and gas.
QString leftState(SimulatorProcess &sim)
{
    QStringList current;
    sim.command("current", &current);
    const QVector<quint16> name = sim.holding(RegisterModel::GasNameWord, 8);
    return QString("%1 mode=%2 gas=%3")
        .arg(current.value(0).section(' ', 2))
        .arg(sim.holding(3).value(0))
        .arg(RegisterModel::decodeText(name.constData(), RegisterModel::kGasNameBytes));
}

QStringList writesOf(const QVector<SimRequest> &requests)
{
    QStringList writes;
    for (const SimRequest &request : requests) {
        if (request.isWrite())
            writes << request.line;
    }
    return writes;
}

// Whether any of these requests started something: service mode, a
// calibration, a current test or point, the main gas.
bool startsOnTheLine(const QVector<SimRequest> &requests)
{
    const QVector<int> starts{0x185D, 0x64C4, 0x7294, 0x5530, 0x55C3, 0x3535};
    for (const SimRequest &request : requests) {
        const int value = request.values.value(0);
        if (request.function == 0x06 && ((request.address == 12 && starts.contains(value))
                                         || (request.address == 3 && value == 0x0080)))
            return true;
        if (request.function == 0x10 && request.address == 0
            && RegisterModel::decodeText(request.values.constData() + RegisterModel::GasNameWord,
                                         RegisterModel::kGasNameBytes) == "C3H8")
            return true;
    }
    return false;
}

// The line drops: the detector stops answering until the window gives up.
void loseTheLine(SimWindow &w)
{
    QVERIFY(w.sim.command("fault noanswer persist"));
    for (int i = 0; i < 3; ++i)
        w.probe->tick();
    QVERIFY(!w.connected());
    QVERIFY(w.sim.command("fault clear"));
}

// "Импорт" of the detector's own block with another serial number in it.
void importWithSerial(SimWindow &w, quint32 serial)
{
    QVector<quint16> block = w.sim.holding(0, RegisterModel::kDeviceWords);
    QCOMPARE(block.size(), RegisterModel::kDeviceWords);
    block.resize(RegisterModel::kBlockWords);
    block[RegisterModel::SerialHighWord] = RegisterModel::highHalf(serial);
    block[RegisterModel::SerialLowWord] = RegisterModel::lowHalf(serial);
    const QString file = QDir::current().absoluteFilePath("settings.bin");
    writeFile(file, encodeSettings(block.constData()));
    DialogDriver dialogs;
    dialogs.acceptFile(file);
    clickOnItsTab(w, "Import");
    QCOMPARE(dialogs.unexpected(), QStringList());
}

// The steps of a row: "tick", "close" (the window goes away, as after
// "Выход" or the window's close button), "connect", "lose" (the line drops),
// "import SERIAL" (a file of that serial number), "sim ..." (a simulator
// command) or the name of a button to click.
void play(SimWindow &w, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (step.startsWith("import "))
            importWithSerial(w, step.section(' ', 1).toUInt());
        else if (step == "tick")
            w.probe->tick();
        else if (step == "close")
            w.window.reset();
        else if (step == "connect")
            w.connectTo();
        else if (step == "lose")
            loseTheLine(w);
        else if (step.startsWith("sim "))
            QVERIFY2(w.sim.command(step.mid(4)), qPrintable(w.sim.errorText()));
        else
            clickOnItsTab(w, step);
    }
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

void TestConnection::startTellsWhyThePortDidNotOpen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("told");   // the status line's start; PORT is the port's name
    QTest::newRow("missing path") << "missing" << "Порт PORT не найден: адаптер отключён";
    QTest::newRow("port gone") << "gone" << "Порт PORT не найден: адаптер отключён";
    QTest::newRow("not a serial port") << "file" << "Не удалось открыть порт PORT: это не последовательный порт";
    QTest::newRow("no entry selected") << "none" << "Порт не выбран";
    QTest::newRow("held by another program") << "busy" << "Порт PORT занят другой программой";
    QTest::newRow("no permission") << "denied" << "Нет прав на порт PORT. Добавьте пользователя в группу dialout";
}

// The window stays disconnected and says why, in its own words; the reason
// the port layer gave goes to the debug log.
void TestConnection::startTellsWhyThePortDidNotOpen()
{
    QFETCH(QString, kind);
    QFETCH(QString, told);

    QTemporaryDir files;
    const QString missing = files.path() + "/no-such-dir/ttyUSB9";
    const QString plain = files.path() + "/plain-file";
    {
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    SIM_WINDOW(w, QStringList{"--fast", "--steady"}, QStringList{missing, plain});
    QString name;
    QSerialPort other;
    std::unique_ptr<WithoutFileRights> unprivileged;
    if (kind == "missing") {
        name = missing;
    } else if (kind == "file") {
        name = plain;
    } else if (kind == "gone") {
        name = w.sim.portPath();
        QVERIFY(w.sim.command("close"));
        QTRY_VERIFY(!QFile::exists(name));
    } else if (kind == "busy") {
        name = w.sim.portPath();
        other.setPortName(name);
        QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
    } else if (kind == "denied") {
        name = w.sim.portPath();
        unprivileged.reset(new WithoutFileRights);
        if (!unprivileged->active())
            QSKIP("file rights cannot be dropped here");
    }
    w.ui->cComPort->setCurrentIndex(name.isEmpty() ? -1 : w.entryIndex(name));
    w.ui->sbMB_Adr->setValue(1);

    LogCapture log;
    QTest::mouseClick(w.ui->Start, Qt::LeftButton);
    unprivileged.reset();

    QVERIFY(!w.probe->timer().isActive());
    QVERIFY(disconnectedLook(w.ui));
    QVERIFY(!w.probe->reqReload());
    QVERIFY(!w.probe->reqGasTable());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    const QString expected = QString(told).replace("PORT", name);
    QVERIFY2(statusLine(w).startsWith(expected), qPrintable(statusLine(w)));
    const QStringList lines = log.debugLines();
    QCOMPARE(lines.size(), 1);
    const QString prefix = QString("Cannot open port \"%1\": ").arg(name);
    QVERIFY2(lines[0].startsWith(prefix) && lines[0].size() > prefix.size(), qPrintable(lines[0]));

    // The user may retry with a port that works.
    other.close();
    QString working = w.sim.portPath();
    if (kind == "gone") {
        QStringList reply;
        QVERIFY(w.sim.command("reopen", &reply));
        working = reply.value(0).section(' ', 1);
        w.ui->cComPort->addItem(virtualEntry(working));
    }
    w.connectTo(1, working);
    QVERIFY(w.connected());
    QCOMPARE(statusLine(w), QString("Ожидание ответа датчика с адресом 1"));
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    QCOMPARE(w.probe->failedPolls(), 0);
}

void TestConnection::nothingTemporaryOutlivesTheConnection_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("mode");   // holding 3 when the port has closed
    QTest::addColumn<bool>("started");   // a start command reached the detector

    // In working mode the output follows the measurement; in service mode
    // it carries the service current, not a test or calibration value.
    const int service = 0x0080, working = 0;
    QTest::newRow("test, Отключить") << QStringList{"Test20mA", "tick", "Stop"} << working << true;
    QTest::newRow("test ended, Отключить in the same second")
        << QStringList{"Test20mA", "tick", "TestStop", "Stop"} << working << true;
    // A start not yet sent is dropped: no 20 mA pulse on the loop.
    QTest::newRow("test clicked, Отключить in the same second")
        << QStringList{"Test20mA", "Stop"} << working << false;
    QTest::newRow("4 mA point, Отключить") << QStringList{"Calib4maStart", "tick", "Stop"} << working << true;
    QTest::newRow("20 mA point entered, Отключить")
        << QStringList{"Calib20maStart", "tick", "Calib20maSet", "tick", "Stop"} << working << true;
    QTest::newRow("test, window closed") << QStringList{"Test4mA", "tick", "close"} << working << true;
    QTest::newRow("main gas, window closed") << QStringList{"rbGazOsn", "GazSet", "tick", "close"} << service << true;
    QTest::newRow("main gas clicked, window closed")
        << QStringList{"rbGazOsn", "GazSet", "close"} << working << false;
    // A reload still pending is dropped; the switch back needs no new read.
    QTest::newRow("main gas, Обновить, window closed")
        << QStringList{"rbGazOsn", "GazSet", "tick", "Reload", "close"} << service << true;
    QTest::newRow("zero Начать, window closed") << QStringList{"CalibZeroStart", "close"} << working << false;
}

// Whatever the program switched on in the detector is switched off again
// before the port closes, and nothing new is started at the end.
void TestConnection::nothingTemporaryOutlivesTheConnection()
{
    QFETCH(QStringList, steps);
    QFETCH(int, mode);
    QFETCH(bool, started);

    SIM_WINDOW(w);
    w.connectTo();
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    w.sim.clearRequests();
    play(w, steps);

    if (w.window) {
        QVERIFY(!w.connected());
        QVERIFY(disconnectedLook(w.ui));
        // The tab is back where it can start a new step.
        QVERIFY(w.ui->Test->isEnabledTo(w.ui->tabWidget));
        QVERIFY(w.ui->Calib4maStart->isEnabledTo(w.ui->tabWidget));
    }
    QStringList current;
    QVERIFY(w.sim.command("current", &current));
    QCOMPARE(current.value(0).section(' ', 2), QString(mode ? "source=service" : "source=measure"));
    QCOMPARE(int(w.sim.holding(3).value(0)), mode);
    const QVector<quint16> name = w.sim.holding(RegisterModel::GasNameWord, 8);
    QCOMPARE(RegisterModel::decodeText(name.constData(), RegisterModel::kGasNameBytes), QString("CH4"));
    QCOMPARE(startsOnTheLine(w.sim.requests()), started);
}

void TestConnection::nextConnectionHearsNoEarlierRequest_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("raisedWhileDisconnected");
    QTest::addColumn<int>("firstDetectorMode");   // holding 3 of the first one at the end

    // Dropped at the end of the first connection, never sent to the next.
    QTest::newRow("В сервисный, Отключить") << QStringList{"mode_service", "Stop"} << false << 0;
    QTest::newRow("left raised by an earlier connection") << QStringList{"Stop"} << true << 0;
}

// Another detector may be on the line now: the first requests it hears are
// the reads of the new connection, never a command meant for the last one.
void TestConnection::nextConnectionHearsNoEarlierRequest()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, raisedWhileDisconnected);
    QFETCH(int, firstDetectorMode);

    SIM_WINDOW(w);
    w.connectTo(1);
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    play(w, steps);
    QVERIFY(!w.connected());
    if (raisedWhileDisconnected) {
        w.probe->reqServiceMode() = true;
        w.probe->reqWrite() = true;
    }
    QCOMPARE(int(w.sim.holding(3).value(0)), firstDetectorMode);

    w.sim.clearRequests();
    w.connectTo(2);
    QVERIFY(w.connected());
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    for (const SimRequest &request : w.sim.requests()) {
        QCOMPARE(request.slave, 2);
        QVERIFY2(request.isRead(), qPrintable(request.line));
    }
}

void TestConnection::whatALostConnectionLeaves_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("undone");   // the detector's state once undone

    QTest::newRow("current test") << QStringList{"Test20mA", "tick"} << "source=measure mode=0 gas=CH4";
    QTest::newRow("main gas") << QStringList{"rbGazOsn", "GazSet", "tick"} << "source=service mode=128 gas=CH4";
    QTest::newRow("zero calibration")
        << QStringList{"CalibZeroStart", "tick", "CalibZeroSet", "tick"} << "source=measure mode=0 gas=CH4";
}

// The line drops while the window holds the detector in a temporary state.
// Another detector then hears nothing of it and sees none of its gas names;
// the first one, met again later, is brought back.
void TestConnection::whatALostConnectionLeaves()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, undone);

    SIM_WINDOW(w, QStringList{"--fast", "--steady", "--calib-delay", "600000"});
    w.connectTo();
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    play(w, steps);
    const QString forced = leftState(w.sim);
    QVERIFY(forced != undone);

    loseTheLine(w);
    QVERIFY(w.ui->Exit->isEnabled());
    QVERIFY2(statusLine(w).startsWith("Связь с датчиком № 20240117 прервалась"), qPrintable(statusLine(w)));

    // Another serial number, and no main gas.
    QVERIFY(w.sim.command("set holding 20 0 99"));
    QVERIFY(w.sim.command("set input 335 0"));
    w.sim.clearRequests();
    w.connectTo();
    w.probe->tick();
    QVERIFY(statusLine(w).startsWith("Датчик № 20240117 может всё ещё оставаться"));
    QCOMPARE(w.ui->gaz_osn->text(), QString());
    QVERIFY(!w.ui->GazSet->isEnabled());
    QVERIFY(w.ui->Exit->isEnabled());
    w.ui->tabWidget->setCurrentIndex(0);
    w.ui->tabWidget->setCurrentIndex(2);
    w.probe->tick();
    QTest::mouseClick(w.ui->Stop, Qt::LeftButton);
    QCOMPARE(writesOf(w.sim.requests()), QStringList());
    QCOMPARE(leftState(w.sim), forced);

    QVERIFY(w.sim.command("set holding 20 308 55029"));   // 20240117 again
    w.connectTo();
    w.probe->tick();
    QVERIFY(statusLine(w).startsWith("Датчик № 20240117 снова на связи"));
    w.probe->tick();
    QCOMPARE(leftState(w.sim), undone);
    QVERIFY(w.ui->Exit->isEnabled());
}

void TestConnection::lostConnectionsAreTold_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("told");   // the status line, or its start

    const QString unread = "Связь с датчиком с непрочитанным серийным номером прервалась, в нём осталось: ";
    const QString atTheNext = ". При следующем подключении к нему программа это отменит.";
    const QString blockRefused = "sim fault exception=2,fc=03,persist";
    // The output counts as forced until the detector took the stop.
    QTest::newRow("a refused test stop")
        << QStringList{"connect", "tick", "Test20mA", "tick", "sim fault exception,fc=06,addr=12", "TestStop",
                       "tick", "lose"}
        << "Связь с датчиком № 20240117 прервалась, в нём осталось: тест или калибровка токового выхода" + atTheNext;
    // At "Отключить" the line is there: the detector did not take the stop.
    QTest::newRow("Отключить, its test stop refused")
        << QStringList{"connect", "tick", "Test20mA", "tick", "sim fault exception,fc=06,addr=12,persist", "Stop"}
        << "Датчик № 20240117 не подтвердил при отключении отмену, в нём осталось: тест или калибровка токового "
           "выхода. При следующем подключении к нему программа повторит отмену.";
    // What two connections left in a detector that could not be told apart.
    QTest::newRow("two connections to an unread detector")
        << QStringList{blockRefused, "connect", "tick", "Test20mA", "tick", "lose",
                       blockRefused, "connect", "tick", "CalibZeroStart", "tick", "lose"}
        << unread + "тест или калибровка токового выхода; сервисный режим калибровки по газу" + atTheNext;
    // Not under the serial number of a file written to it.
    QTest::newRow("an unread detector given a file")
        << QStringList{blockRefused, "connect", "tick", "import 99", "Write", "tick", "Test20mA", "tick", "lose"}
        << unread + "тест или калибровка токового выхода" + atTheNext;
    // Another detector hears of it once, when its block is first read.
    QTest::newRow("told once, not at every Обновить")
        << QStringList{"connect", "tick", "Test20mA", "tick", "lose", "sim set holding 20 0 99", "connect", "tick",
                       "sim fault exception,fc=10,addr=96", "Write", "tick", "Reload", "tick"}
        << "Датчик не подтвердил запись параметров, но прочитанные обратно они совпадают";
}

// The status line tells what lost connections left in their detectors.
void TestConnection::lostConnectionsAreTold()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, told);

    SIM_WINDOW(w);
    play(w, steps);
    QVERIFY2(statusLine(w).startsWith(told), qPrintable(statusLine(w)));
}

void TestConnection::noWriteWithoutAnAnsweringDetector_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("refusal");   // the message's start; empty: it connects

    QTest::newRow("0, every detector") << 0 << "Адрес 0 — широковещательный";
    QTest::newRow("248, reserved") << 248 << "Адреса 248–255 зарезервированы";
    QTest::newRow("255, reserved") << 255 << "Адреса 248–255 зарезервированы";
    QTest::newRow("nobody at 2") << 2 << "";
}

// "Подключить" refuses the broadcast and the reserved addresses, and on a
// connection whose detector never answers, nothing is written at all.
void TestConnection::noWriteWithoutAnAnsweringDetector()
{
    QFETCH(int, address);
    QFETCH(QString, refusal);

    SIM_WINDOW(w);
    DialogDriver dialogs;
    if (!refusal.isEmpty())
        dialogs.closeMessage();
    w.connectTo(address);
    QCOMPARE(w.connected(), refusal.isEmpty());
    if (w.connected()) {
        clickOnItsTab(w, "Test20mA");
        clickOnItsTab(w, "mode_service");
        QCOMPARE(w.window->statusBar()->currentMessage(), QString("Ожидание ответа датчика с адресом %1").arg(address));
        w.probe->tick();
        // Nor a block the user imported for it.
        const QString file = QDir::current().absoluteFilePath("settings.bin");
        writeFile(file, QByteArray(512, '\0'));
        dialogs.acceptFile(file);
        clickOnItsTab(w, "Import");
        clickOnItsTab(w, "Write");
        w.probe->tick();
        w.probe->tick();
        QVERIFY(w.sim.waitForRequests(10));
        QVERIFY2(w.window->statusBar()->currentMessage().startsWith(
                     QString("Опрос датчика с адресом %1 не удался три раза подряд, связь прекращена: нет ответа").arg(address)),
                 qPrintable(w.window->statusBar()->currentMessage()));
    } else {
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages().first().text.startsWith(refusal));
    }
    QCOMPARE(dialogs.unexpected(), QStringList());
    QVERIFY(!w.connected());
    QCOMPARE(writesOf(w.sim.requests()), QStringList());
}

void TestConnection::newAddressLandsWhole_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QStringList>("line");     // the detectors on the line
    QTest::addColumn<QStringList>("probe");    // what asked at the new address first
    QTest::addColumn<QString>("refusal");      // the message box's start
    QTest::addColumn<QString>("told");         // the status line's start after it

    const QStringList alone{"--fast", "--steady"};
    const QStringList two{"--fast", "--steady", "--detector", "address=1", "--detector", "address=7,serial=777"};
    const QStringList three{"--fast", "--steady", "--detector", "address=1", "--detector", "address=7,serial=777",
                            "--detector", "address=7,serial=778"};
    const QString silent = "7 3:0 ignored";
    const QString taken = "По адресу 7 уже отвечает другое устройство";
    QTest::newRow("7") << 7 << alone << QStringList{silent, silent, silent} << ""
                       << "Датчику назначен адрес 7, опрос идёт по новому адресу";
    QTest::newRow("the same") << 1 << alone << QStringList() << "" << "";
    QTest::newRow("0") << 0 << alone << QStringList() << "Адрес 0 — широковещательный" << "";
    QTest::newRow("250") << 250 << alone << QStringList() << "Адреса 248–255 зарезервированы" << "";
    QTest::newRow("7, where another detector answers") << 7 << two << QStringList{"7 3:0 ok"} << "" << taken;
    // Two answers at once collide into one garbled answer.
    QTest::newRow("7, where two detectors answer garbled") << 7 << three << QStringList{"7 3:0 ok", "7 3:0 ok"}
                                                         << "" << taken;
}

// "Применить": nothing may answer at the new address; then the block goes
// out whole at the detector's present address, word 1 alone moves it, and
// the window follows it there.
void TestConnection::newAddressLandsWhole()
{
    QFETCH(int, address);
    QFETCH(QStringList, line);
    QFETCH(QStringList, probe);
    QFETCH(QString, refusal);
    QFETCH(QString, told);

    SIM_WINDOW(w, line);
    w.connectTo(1);
    w.probe->tick();
    QVERIFY(w.sim.waitForRequests(8));
    w.sim.clearRequests();
    w.ui->valueHigh->setValue(42.7);
    w.ui->sbMB_AdrHART->setValue(9);
    w.ui->sbMB_AdrSet->setValue(address);
    DialogDriver dialogs;
    if (!refusal.isEmpty())
        dialogs.closeMessage();
    clickOnItsTab(w, "SetParam");
    w.probe->tick();
    w.probe->tick();

    QStringList sent;
    for (const SimRequest &r : w.sim.requests())
        sent << QString("%1 %2:%3 %4").arg(r.slave).arg(r.function).arg(r.address).arg(r.reply);
    const bool writes = refusal.isEmpty() && !told.startsWith("По адресу");
    const bool moves = writes && address != 1;
    const QString poll = QString("%1 4:256 ok").arg(moves ? address : 1);
    QStringList expected = probe;
    if (writes)
        expected << "1 16:0 ok" << "1 16:96 ok" << "1 3:0 ok" << "1 3:96 ok";
    if (moves)
        expected << "1 6:1 ok";
    expected << poll << poll;
    QCOMPARE(sent, expected);
    QCOMPARE(dialogs.messages().size(), refusal.isEmpty() ? 0 : 1);
    if (!refusal.isEmpty())
        QVERIFY(dialogs.messages().first().text.startsWith(refusal));
    QVERIFY(w.connected());
    QCOMPARE(w.ui->sbMB_Adr->value(), moves ? address : 1);
    QCOMPARE(w.sim.holding(6).value(0), quint16(writes ? 427 : 500));
    QCOMPARE(int(w.sim.holding(1).value(0) >> 8), moves ? address : 1);
    QCOMPARE(int(w.sim.holding(2).value(0)), writes ? 9 : 1);
    QVERIFY2(told.isEmpty() || statusLine(w).startsWith(told), qPrintable(statusLine(w)));
    if (writes)
        return;
    // Nor does a later "Записать" carry the HART address that was not applied.
    clickOnItsTab(w, "Write");
    w.probe->tick();
    QCOMPARE(int(w.sim.holding(2).value(0)), 1);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
