#include <QtTest>

#include "mainwindowprobe.h"
#include "testsupport.h"

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void titleAndStartTab();
};

void TestMainWindow::titleAndStartTab()
{
    ScratchWorkingDir scratch;
    MainWindow window;
    MainWindowProbe probe(window);
    QCOMPARE(window.windowTitle(), QString("Зорвел конфигуратор v0.04"));
    QCOMPARE(probe.ui()->tabWidget->currentIndex(), 3);
    QVERIFY(!probe.timer().isActive());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
