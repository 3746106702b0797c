#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QSignalBlocker>

#include "busycursor.h"
#include "customplotwidget.h"
#include "icontint.h"
#include "inifile.h"
#include "registermodel.h"

QString dir;
int xPos = 0;

namespace {
const char *const kButtonStyle = "QPushButton { text-align: left; padding-left: 15px; }";
// Five tabs side by side within the tab widget's 691 pixels: each as wide as
// its picture and text, in either language.
const char *const kTabStyle = "QTabBar::tab { height: 50px; padding: 0 2px; }";
const QSize kIconSize(32, 32);
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui_MainWindow)
{
    ui->setupUi(this);
    setWindowTitle(tr("Зорвел конфигуратор v0.04"));

    const QStringList units = RegisterModel::unitNames();   // in the window's language
    unitNames = QVector<QString>(units.cbegin(), units.cend());
    session.setUnitNames(units);
    connectSession();

    fillPortList();

    // A first start, or a saved tab that is no page, begins where a
    // connection begins, at the address of a new detector; the form's own
    // first page is no tab change the window answers to.
    {
        const QSignalBlocker quiet(ui->tabWidget);
        ui->tabWidget->setCurrentIndex(0);
    }
    ui->sbMB_Adr->setValue(1);
    if (FileLoad()) {
        ui->cComPort->setCurrentIndex(save.portIndex);
        ui->tabWidget->setCurrentIndex(save.tabIndex);
        ui->sbMB_Adr->setValue(save.slaveAddress);
    }
    showRememberedEntries();

    accent = QColor(25, 94, 172, 255);

    plot = new CustomPlotWidget(ui->dChart);
    plot->setColor(accent);
    plot->setGeometry(0, 0, ui->dChart->width(), ui->dChart->height());

    connect(&timer, &QTimer::timeout, this, &MainWindow::Timer);

    ui->tabWidget->setTabIcon(0, colorizeIcon(":/icons/params.png", accent));
    ui->tabWidget->setTabIcon(1, colorizeIcon(":/icons/settings.png", accent));
    const QIcon calliper = colorizeIcon(":/icons/kalibrovka.png", accent);
    ui->tabWidget->setTabIcon(2, calliper);
    ui->tabWidget->setTabIcon(3, calliper);
    ui->tabWidget->setTabText(2, tr("Калибровка\nпо газу"));
    ui->tabWidget->setTabText(3, tr("Калибровка\nпо току"));
    ui->tabWidget->setTabIcon(4, colorizeIcon(":/icons/working.png", accent));
    ui->tabWidget->setTabText(4, tr("Бамп-\nтест"));

    const struct { QPushButton *button; const char *icon; } commands[] = {
        {ui->Start, ":/icons/start.png"},
        {ui->Stop, ":/icons/stop.png"},
        {ui->Reload, ":/icons/reload.png"},
        {ui->Write, ":/icons/write.png"},
        {ui->Export, ":/icons/save.png"},
        {ui->Import, ":/icons/load.png"},
        // The pictures are crossed on purpose: the button that leads into
        // service mode shows the worker who is still at work.
        {ui->mode_service, ":/icons/working.png"},
        {ui->mode_working, ":/icons/service.png"},
    };
    for (const auto &command : commands) {
        command.button->setIcon(colorizeIcon(command.icon, accent));
        command.button->setIconSize(kIconSize);
        command.button->setStyleSheet(kButtonStyle);
    }
    ui->Exit->setIcon(colorizeIcon(":/icons/exit.png", accent));
    ui->Exit->setIconSize(kIconSize);

    ui->tabWidget->setStyleSheet(kTabStyle);
    ui->tabWidget->setIconSize(kIconSize);

    CtrlEnable(false);
    showPhases();
}

// Every way of leaving the program, "Выход" and closing the window alike,
// ends here, so this is where an open connection ends in order.
MainWindow::~MainWindow()
{
    endConnection();
    DataSave();
    delete ui;
}

// Keeps the picture's shape and opacity and paints it all in one colour.
QIcon MainWindow::colorizeIcon(const QString &path, const QColor &color)
{
    return tintedIcon(path, color);
}

// The poll tick: the session's. A tick that writes a block or waits for a
// silent detector shows the busy cursor.
void MainWindow::Timer()
{
    const BusyCursor busy(session.longTickAhead());
    session.tick();
}

void MainWindow::on_Exit_clicked()
{
    QCoreApplication::quit();
}
