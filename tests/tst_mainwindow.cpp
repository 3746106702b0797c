#include <QtTest>

#include <qcustomplot.h>

#include "customplotwidget.h"
#include "logcapture.h"
#include "mainwindowprobe.h"
#include "testsupport.h"

// The window as it opens: title, tab, enabled states, tinted icons, styles,
// the two ways out of the event loop, and the program's command line.
class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void titleAndStartTab();
    void startupEnabledState_data();
    void startupEnabledState();
    void disconnectedLook();
    void startupMembers();
    void plotPlacedInChart();

    void pictures_data();
    void pictures();
    void applicationIcon();
    void tintedIcons_data();
    void tintedIcons();
    void colorizeIconKeepsShapeAndOpacity();
    void colorizeIconWithoutPicture();

    void buttonStyles_data();
    void buttonStyles();
    void tabBar();

    void exitEndsEventLoop();
    void closingWindowEndsEventLoop();
    void programStartsAsAsked_data();
    void programStartsAsAsked();
};

namespace {

const QColor kAccent(25, 94, 172);

// Whether the widget itself is switched on, whatever its containers are: the
// disconnected window disables whole frames and the tab widget around them.
bool switchedOn(const QWidget *widget)
{
    return widget->isEnabledTo(widget->parentWidget());
}

QImage iconImage(const QIcon &icon)
{
    const QList<QSize> sizes = icon.availableSizes();
    return sizes.isEmpty() ? QImage() : icon.pixmap(sizes.first()).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Runs the event loop until the action ends it; a loop that does not end
// within a generous time returns 99 instead.
int runEventLoopWith(const std::function<void()> &action)
{
    QTimer::singleShot(0, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    return QCoreApplication::exec();
}

} // namespace

void TestMainWindow::initTestCase()
{
}

void TestMainWindow::titleAndStartTab()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    QCOMPARE(window.windowTitle(), QString("Зорвел конфигуратор v0.04"));
    // Without a state file: "Параметры", at a new detector's address.
    QCOMPARE(probe.ui()->tabWidget->currentIndex(), 0);
    QCOMPARE(probe.ui()->sbMB_Adr->value(), 1);
    QVERIFY(!probe.timer().isActive());
}

void TestMainWindow::startupEnabledState_data()
{
    QTest::addColumn<bool>("on");
    for (const char *name : {"CalibZeroStart", "CalibDiapStart", "Calib4maStart", "Calib20maStart", "Test4mA",
                             "Test20mA", "TestIoutValue", "Test"})
        QTest::newRow(name) << true;
    for (const char *name : {"GazSet", "mode_service", "mode_working", "CalibZeroSet", "CalibZeroEsc",
                             "CalibDiapSet", "CalibDiapEsc", "Calibr4mA_Value", "Calib4maSet", "Calib4maStop",
                             "Calibr20mA_Value", "Calib20maSet", "Calib20maStop", "TestStop"})
        QTest::newRow(name) << false;
}

void TestMainWindow::startupEnabledState()
{
    QFETCH(bool, on);
    ScratchWorkingDir scratch;
    MainWindow window;
    auto *widget = window.findChild<QWidget *>(QTest::currentDataTag());
    QVERIFY(widget);
    QCOMPARE(switchedOn(widget), on);
}

void TestMainWindow::disconnectedLook()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    Ui_MainWindow *ui = probe.ui();

    for (QWidget *usable : std::initializer_list<QWidget *>{ui->Start, ui->cComPort, ui->sbMB_Adr, ui->PortScan, ui->Exit})
        QVERIFY2(usable->isEnabled(), qPrintable(usable->objectName()));
    for (QWidget *off : std::initializer_list<QWidget *>{ui->Stop, ui->tabWidget, ui->frame_info, ui->frame_cmd, ui->frame_mode})
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));

    QVERIFY(probe.plot()->isHidden());
    QCOMPARE(probe.plot()->plotArea()->graph(0)->dataCount(), 0);
    QCOMPARE(ui->lcdValue->styleSheet(), QString("color: #c8c8c8;"));
}

void TestMainWindow::startupMembers()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);

    const bool requests[] = {
        probe.reqReload(), probe.reqWrite(), probe.reqGasTable(), probe.reqServiceMode(),
        probe.reqWorkingMode(), probe.reqZeroStart(), probe.reqZeroSave(), probe.reqSpanValue(),
        probe.req4maStart(), probe.req20maStart(), probe.req4maValue(), probe.req20maValue(),
        probe.req4maTest(), probe.req20maTest(), probe.reqCurrentTest(), probe.reqTestStop(),
    };
    for (bool raised : requests)
        QVERIFY(!raised);
    QVERIFY(!probe.mainGasActive());
    QVERIFY(!probe.gasSwitchAllowed());
    QCOMPARE(probe.calibState(), 0);
    QCOMPARE(probe.failedPolls(), 0);
    QVERIFY(probe.gasTable().isEmpty());
    QCOMPARE(probe.accent(), QColor(25, 94, 172, 255));
    QCOMPARE(probe.unitNames(),
             QVector<QString>({"%Об.д", "ppm", "ppb", "%НКПР", "мг/м3", "мкг/м3", "", ""}));
}

void TestMainWindow::plotPlacedInChart()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    QVERIFY(probe.plot());
    QCOMPARE(probe.plot()->parentWidget(), probe.ui()->dChart);
    QCOMPARE(probe.plot()->geometry(), QRect(0, 0, 531, 281));
    // The line is drawn three pixels wide in the accent colour.
    const QPen pen = probe.plot()->plotArea()->graph(0)->pen();
    QCOMPARE(pen.width(), 3);
    QCOMPARE(pen.color(), QColor(25, 94, 172));
}

void TestMainWindow::pictures_data()
{
    QTest::addColumn<QString>("path");
    for (const char *name : {"params", "settings", "kalibrovka", "start", "stop", "reload", "write", "save", "load",
                             "working", "service", "exit"})
        QTest::newRow(name) << QString(":/icons/%1.png").arg(name);
}

// Only the shape is ever shown, so each picture needs a real alpha channel:
// some pixels fully covered, some fully clear.
void TestMainWindow::pictures()
{
    QFETCH(QString, path);
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!image.isNull());
    // Square, and at least four times the 32 x 32 icon, so that it stays
    // sharp on a 4x screen; larger only costs start-up time in the tint.
    QCOMPARE(image.width(), image.height());
    QVERIFY(image.width() >= 4 * 32);
    int opaque = 0, clear = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            opaque += alpha == 255;
            clear += alpha == 0;
        }
    const int all = image.width() * image.height();
    // A shape that reads at 32 x 32 covers a fair part of the square.
    QVERIFY2(opaque > all / 10, qPrintable(QString::number(opaque)));
    QVERIFY2(clear > all / 5, qPrintable(QString::number(clear)));
}

void TestMainWindow::applicationIcon()
{
    QImageReader reader(":/app.ico");
    QCOMPARE(reader.imageCount(), 1);
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(256, 256));
    QCOMPARE(image.depth(), 32);
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);        // rounded corner
    QCOMPARE(qAlpha(image.pixel(128, 128)), 255);
}

void TestMainWindow::tintedIcons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("picture");
    auto button = [](const char *name, const char *picture) {
        QTest::newRow(name) << QString(name) << -1 << QString(":/icons/%1.png").arg(picture);
    };
    auto tab = [](int index, const char *picture) {
        QTest::newRow(qPrintable(QString("tab %1").arg(index))) << QString() << index
                                                                << QString(":/icons/%1.png").arg(picture);
    };
    tab(0, "params");
    tab(1, "settings");
    tab(2, "kalibrovka");
    tab(3, "kalibrovka");
    button("Start", "start");
    button("Stop", "stop");
    button("Reload", "reload");
    button("Write", "write");
    button("Export", "save");
    button("Import", "load");
    // Crossed on purpose: into service mode with the working worker's picture.
    button("mode_service", "working");
    button("mode_working", "service");
    button("Exit", "exit");
}

void TestMainWindow::tintedIcons()
{
    QFETCH(QString, button);
    QFETCH(int, tab);
    QFETCH(QString, picture);
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    const QIcon icon = button.isEmpty() ? probe.ui()->tabWidget->tabIcon(tab)
                                        : window.findChild<QPushButton *>(button)->icon();
    const QImage shown = iconImage(icon);
    QCOMPARE(shown, iconImage(window.colorizeIcon(picture, kAccent)));

    // The picture's shape survives the tint: clear where it was clear, and
    // every fully covered pixel in the accent colour.
    int opaque = 0, clear = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb pixel = shown.pixel(x, y);
            clear += qAlpha(pixel) == 0;
            if (qAlpha(pixel) < 255)
                continue;
            ++opaque;
            QCOMPARE(QColor(pixel).rgb(), kAccent.rgb());
        }
    QVERIFY(opaque > 0);
    QVERIFY(clear > 0);
}

void TestMainWindow::colorizeIconKeepsShapeAndOpacity()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("picture.png");
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 20; ++y)
            if (x < 20)
                picture.setPixel(x, y, qRgba(250, 10, 10, 255));
            else if (y < 10)
                picture.setPixel(x, y, qRgba(x * 6, 200, y * 20, x * 6));   // alpha from 120 to 234
    QVERIFY(picture.save(path));

    ScratchWorkingDir scratch;
    MainWindow window;
    const QColor tint(10, 200, 30);
    const QImage tinted = iconImage(window.colorizeIcon(path, tint));
    QCOMPARE(tinted.size(), picture.size());   // painted at the picture's own size
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 20; ++y) {
            const QRgb was = picture.pixel(x, y);
            const QRgb now = tinted.pixel(x, y);
            QVERIFY2(qAbs(qAlpha(now) - qAlpha(was)) <= 1, qPrintable(QString("%1,%2").arg(x).arg(y)));
            if (qAlpha(was) == 255)
                QCOMPARE(QColor(now).rgb(), tint.rgb());
            else if (qAlpha(was) >= 120) {
                QVERIFY(qAbs(qRed(now) - tint.red()) <= 2);
                QVERIFY(qAbs(qGreen(now) - tint.green()) <= 2);
                QVERIFY(qAbs(qBlue(now) - tint.blue()) <= 2);
            }
        }
}

void TestMainWindow::colorizeIconWithoutPicture()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    LogCapture log;
    QVERIFY(window.colorizeIcon(":/icons/no-such-picture.png", kAccent).isNull());
    QVERIFY(log.entries().isEmpty());
}

void TestMainWindow::buttonStyles_data()
{
    QTest::addColumn<QString>("styleSheet");
    for (const char *name : {"Start", "Stop", "Reload", "Write", "Export", "Import", "mode_service", "mode_working"})
        QTest::newRow(name) << QString("QPushButton { text-align: left; padding-left: 15px; }");
    QTest::newRow("Exit") << QString();   // keeps its centred text
}

void TestMainWindow::buttonStyles()
{
    QFETCH(QString, styleSheet);
    ScratchWorkingDir scratch;
    MainWindow window;
    auto *button = window.findChild<QPushButton *>(QTest::currentDataTag());
    QVERIFY(button);
    QCOMPARE(button->styleSheet(), styleSheet);
    QCOMPARE(button->iconSize(), QSize(32, 32));
}

void TestMainWindow::tabBar()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    QTabWidget *tabs = probe.ui()->tabWidget;
    QCOMPARE(tabs->iconSize(), QSize(32, 32));
    QCOMPARE(tabs->tabText(0), QString("Параметры"));
    QCOMPARE(tabs->tabText(1), QString("Настройки"));
    QCOMPARE(tabs->tabText(2), QString("Калибровка\nпо газу"));
    QCOMPARE(tabs->tabText(3), QString("Калибровка\nпо току"));
    QCOMPARE(tabs->tabText(4), QString("Бамп-\nтест"));

    // Every tab whole, with its picture and its longest line, side by side
    // within the tab widget: none scrolled out of sight, none cut.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTabBar *bar = tabs->tabBar();
    QCOMPARE(bar->height(), 50);
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect tab = bar->tabRect(i);
        QVERIFY2(bar->mapTo(tabs, tab.topRight()).x() < tabs->width(), qPrintable(tabs->tabText(i)));
        int text = 0;
        for (const QString &line : tabs->tabText(i).split('\n'))
            text = std::max(text, bar->fontMetrics().horizontalAdvance(line));
        QVERIFY2(tab.width() >= text + tabs->iconSize().width(), qPrintable(tabs->tabText(i)));
    }
}

// Both ways out end the loop with code 0 and leave the state file behind,
// written by the window as it goes.
void TestMainWindow::exitEndsEventLoop()
{
    ScratchWorkingDir scratch;
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QPushButton *exit = MainWindowProbe(window).ui()->Exit;
        QCOMPARE(runEventLoopWith([exit] { QTest::mouseClick(exit, Qt::LeftButton); }), 0);
        QVERIFY(window.isVisible());   // the loop ended, nothing closed the window
    }
    QVERIFY(QFile::exists(scratch.path() + "/ini"));
}

void TestMainWindow::closingWindowEndsEventLoop()
{
    ScratchWorkingDir scratch;
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(runEventLoopWith([&window] { window.close(); }), 0);
    }
    QVERIFY(QFile::exists(scratch.path() + "/ini"));
}

void TestMainWindow::programStartsAsAsked_data()
{
    QTest::addColumn<QStringList>("arguments");
    // The environment besides the user's own, whose displays are removed:
    // "offscreen" for Qt's platform, XDG_CONFIG_HOME and HOME as folders of
    // the scratch directory.
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<int>("exitCode");   // -1: the window is up and runs on
    QTest::addColumn<QString>("shown");  // a part of what it printed, or the folder it runs in

    QTest::newRow("--help without a display") << QStringList{"--help"} << QStringList() << 0
                                              << "  --in-config-folder  keep the state file";
    QTest::newRow("--version") << QStringList{"--version"} << QStringList() << 0 << "zorvel-configurator 0.04\n";
    QTest::newRow("no display") << QStringList() << QStringList() << 1
                                << "zorvel-configurator: no display to show the window on";
    QTest::newRow("an option it does not take") << QStringList{"--in-config"} << QStringList{"offscreen"} << 2
                                                << "unknown option --in-config";
    QTest::newRow("the menu's folder in XDG_CONFIG_HOME")
        << QStringList{"--in-config-folder"} << QStringList{"offscreen", "XDG_CONFIG_HOME=config", "HOME=home"}
        << -1 << "config/zorvel-configurator";
    QTest::newRow("the menu's folder in the home, after Qt's own option")
        << QStringList{"-platform", "offscreen", "--in-config-folder"} << QStringList{"HOME=home"} << -1
        << "home/.config/zorvel-configurator";
}

// The program as the menu, a terminal or a script without a display start it.
void TestMainWindow::programStartsAsAsked()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, exitCode);
    QFETCH(QString, shown);

    ScratchWorkingDir scratch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME"})
        env.remove(display);
    for (const QString &setting : environment) {
        if (setting == "offscreen")
            env.insert("QT_QPA_PLATFORM", "offscreen");
        else
            env.insert(setting.section('=', 0, 0), scratch.path() + "/" + setting.section('=', 1));
    }
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(ZORVEL_CONFIGURATOR_PATH, arguments);
    QVERIFY(program.waitForStarted());
    if (exitCode >= 0) {
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        const QString printed = program.readAllStandardOutput() + program.readAllStandardError();
        QVERIFY2(printed.contains(shown), qPrintable(printed));
        return;
    }
    const QString folder = scratch.path() + "/" + shown;
    const QString workingIn = QString("/proc/%1/cwd").arg(program.processId());
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(workingIn).symLinkTarget(), folder, 10000);
    QVERIFY(!program.waitForFinished(500));
    program.terminate();
    QVERIFY(program.waitForFinished(5000));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
