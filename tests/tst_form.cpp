#include <QtTest>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>

#include "ui_mainwindow.h"

// The generated form on a bare main window, before any behaviour of the
// program touches it: names, classes, parents, texts, ranges and focus order
// are what every other part of the window relies on.
class TestForm : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void widgetTree_data();
    void widgetTree();
    void window();
    void tabPages();
    void noLayoutManagers();
    void frames_data();
    void frames();
    void separatorLines();
    void liveDisplay();
    void readOnlyFields_data();
    void readOnlyFields();
    void spinBoxes_data();
    void spinBoxes();
    void comboItems_data();
    void comboItems();
    void focusOrder();
    void gasRadioButtonsExclusive();

private:
    template<class T> T *widget(const QString &name) const
    {
        T *found = host->findChild<T *>(name);
        if (!found)
            qFatal("the form has no %s named %s", T::staticMetaObject.className(), qPrintable(name));
        return found;
    }

    QMainWindow *host = nullptr;
    Ui_MainWindow *ui = nullptr;
};

namespace {

// The parent as the form names it: a tab page's parent is the tab widget and
// the scroll area's widget belongs to the scroll area, not to the helpers the
// toolkit puts between them.
QWidget *formParent(const QWidget *widget)
{
    QWidget *parent = widget->parentWidget();
    if (parent && (parent->objectName() == "qt_tabwidget_stackedwidget"
                   || parent->objectName() == "qt_scrollarea_viewport"))
        parent = parent->parentWidget();
    return parent;
}

const QStringList kSeparators = {"line_3", "line_4", "line", "line_2", "line_5", "line_8",
                                 "line_9", "line_6", "line_7", "line_10"};

} // namespace

void TestForm::init()
{
    host = new QMainWindow;
    ui = new Ui_MainWindow;
    ui->setupUi(host);
}

void TestForm::cleanup()
{
    delete ui;
    delete host;
    ui = nullptr;
    host = nullptr;
}

void TestForm::widgetTree_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");   // null: placed by its container
    QTest::addColumn<int>("alignment");    // of the text; 0 where it has none
    auto row = [](const char *name, const char *className, const char *parent, const char *text,
                  const QRect &geometry, int alignment) {
        QTest::newRow(name) << QString(className) << QString(parent) << QString::fromUtf8(text) << geometry
                            << alignment;
    };
    const int none = 0, left = Qt::AlignLeft | Qt::AlignVCenter, centred = Qt::AlignCenter;
    row("centralwidget", "QWidget", "MainWindow", "", QRect(), none);
    row("scrollArea", "QScrollArea", "centralwidget", "", QRect(0, 0, 1280, 740), none);
    row("scrollAreaWidgetContents", "QWidget", "scrollArea", "", QRect(0, 0, 1278, 738), none);
    row("tabWidget", "QTabWidget", "scrollAreaWidgetContents", "", QRect(8, 0, 691, 421), none);
    row("tab_1", "QWidget", "tabWidget", "", QRect(), none);
    row("frame", "QFrame", "tab_1", "", QRect(0, 0, 681, 361), none);
    row("tab_2", "QWidget", "tabWidget", "", QRect(), none);
    row("frame_2", "QFrame", "tab_2", "", QRect(0, 0, 681, 361), none);
    row("tab_3", "QWidget", "tabWidget", "", QRect(), none);
    row("frame_4", "QFrame", "tab_3", "", QRect(0, 0, 681, 361), none);
    row("tab_4", "QWidget", "tabWidget", "", QRect(), none);
    row("frame_5", "QFrame", "tab_4", "", QRect(0, 0, 681, 361), none);
    row("tab_5", "QWidget", "tabWidget", "", QRect(), none);
    row("frame_6", "QFrame", "tab_5", "", QRect(0, 0, 681, 361), none);
    row("frame_3", "QFrame", "scrollAreaWidgetContents", "", QRect(10, 430, 681, 281), none);
    row("frame_cmd", "QFrame", "frame_3", "", QRect(20, 20, 371, 121), none);
    row("frame_mode", "QFrame", "frame_3", "", QRect(420, 20, 241, 121), none);
    row("dChart", "QFrame", "scrollAreaWidgetContents", "", QRect(730, 430, 531, 281), none);
    row("frame_info", "QFrame", "scrollAreaWidgetContents", "", QRect(730, 50, 531, 361), none);
    row("menubar", "QMenuBar", "MainWindow", "", QRect(0, 0, 1280, 21), none);
    row("statusbar", "QStatusBar", "MainWindow", "", QRect(), none);
    row("label_19", "QLabel", "frame", "Сер. ном. датч.", QRect(24, 40, 141, 25), left);
    row("SerialNumDev", "QLineEdit", "frame", "", QRect(177, 40, 150, 25), centred);
    row("label_8", "QLabel", "frame", "MB адрес", QRect(24, 180, 141, 25), left);
    row("sbMB_AdrSet", "QSpinBox", "frame", "", QRect(177, 180, 70, 25), centred);
    row("sbMB_AdrHART", "QSpinBox", "frame", "", QRect(177, 217, 70, 25), centred);
    row("label_9", "QLabel", "frame", "HART адрес", QRect(24, 217, 141, 25), left);
    row("cBLE", "QComboBox", "frame", "", QRect(177, 254, 150, 25), none);
    row("label_10", "QLabel", "frame", "BLE", QRect(24, 254, 141, 25), left);
    row("SetParam", "QPushButton", "frame", "Применить", QRect(400, 234, 170, 45), none);
    row("label_28", "QLabel", "frame", "Версия ПО", QRect(24, 80, 141, 25), left);
    row("VersionFW", "QLineEdit", "frame", "", QRect(177, 80, 150, 25), centred);
    row("line_3", "QFrame", "frame", "", QRect(20, 130, 641, 16), none);
    row("line_4", "QFrame", "frame", "", QRect(20, 314, 641, 16), none);
    row("label_20", "QLabel", "frame_2", "Ток инициализ.", QRect(31, 50, 161, 25), left);
    row("label_21", "QLabel", "frame_2", "Ток сервис. реж.", QRect(369, 50, 180, 25), left);
    row("i_init", "QDoubleSpinBox", "frame_2", "", QRect(190, 50, 90, 25), centred);
    row("i_serv", "QDoubleSpinBox", "frame_2", "", QRect(549, 50, 90, 25), centred);
    row("deadZone", "QDoubleSpinBox", "frame_2", "", QRect(191, 119, 90, 25), centred);
    row("label_22", "QLabel", "frame_2", "Мертвая зона", QRect(32, 119, 161, 25), left);
    row("magCalib", "QDoubleSpinBox", "frame_2", "", QRect(550, 119, 90, 25), centred);
    row("label_23", "QLabel", "frame_2", "Магнитная калибр.", QRect(370, 119, 181, 25), left);
    row("label_24", "QLabel", "frame_2", "Диапазон показ.", QRect(32, 150, 161, 25), left);
    row("valueHigh", "QDoubleSpinBox", "frame_2", "", QRect(191, 150, 90, 25), centred);
    row("label_25", "QLabel", "frame_2", "Привязка т.20 ма", QRect(370, 150, 181, 25), left);
    row("point20ma", "QDoubleSpinBox", "frame_2", "", QRect(550, 150, 90, 25), centred);
    row("label_14", "QLabel", "frame_2", "Порог 1", QRect(31, 228, 71, 25), left);
    row("limit1_opt", "QComboBox", "frame_2", "", QRect(110, 228, 160, 25), none);
    row("limit1_level", "QDoubleSpinBox", "frame_2", "", QRect(300, 228, 90, 25), centred);
    row("limit1_hyst", "QDoubleSpinBox", "frame_2", "", QRect(550, 228, 90, 25), centred);
    row("label_15", "QLabel", "frame_2", "Гистерезис 1", QRect(420, 228, 111, 25), left);
    row("limit2_opt", "QComboBox", "frame_2", "", QRect(110, 264, 160, 25), none);
    row("limit2_level", "QDoubleSpinBox", "frame_2", "", QRect(300, 264, 90, 25), centred);
    row("label_16", "QLabel", "frame_2", "Порог 2", QRect(31, 264, 71, 25), left);
    row("limit2_hyst", "QDoubleSpinBox", "frame_2", "", QRect(550, 264, 90, 25), centred);
    row("label_17", "QLabel", "frame_2", "Гистерезис 2", QRect(420, 264, 111, 25), left);
    row("limit3_opt", "QComboBox", "frame_2", "", QRect(110, 300, 160, 25), none);
    row("limit3_level", "QDoubleSpinBox", "frame_2", "", QRect(300, 300, 90, 25), centred);
    row("label_18", "QLabel", "frame_2", "Порог 3", QRect(31, 300, 71, 25), left);
    row("limit3_hyst", "QDoubleSpinBox", "frame_2", "", QRect(550, 300, 90, 25), centred);
    row("label_33", "QLabel", "frame_2", "Гистерезис 3", QRect(420, 300, 111, 25), left);
    row("line", "QFrame", "frame_2", "", QRect(30, 200, 601, 16), none);
    row("line_2", "QFrame", "frame_2", "", QRect(30, 90, 601, 16), none);
    row("CalibZeroStart", "QPushButton", "frame_4", "Начать", QRect(20, 50, 190, 45), none);
    row("CalibDiapSet", "QPushButton", "frame_4", "Калибровать", QRect(230, 160, 190, 45), none);
    row("rbGazC", "QRadioButton", "frame_4", "Целевой газ", QRect(190, 237, 171, 25), none);
    row("rbGazOsn", "QRadioButton", "frame_4", "Основной газ", QRect(190, 267, 181, 25), none);
    row("gaz_c", "QLineEdit", "frame_4", "", QRect(20, 237, 140, 25), left);
    row("gaz_osn", "QLineEdit", "frame_4", "", QRect(20, 267, 140, 25), left);
    row("CalibrValue", "QDoubleSpinBox", "frame_4", "", QRect(230, 130, 90, 25), centred);
    row("label_6", "QLabel", "frame_4", "Калибровочная концентрация", QRect(330, 130, 301, 20), left);
    row("GazSet", "QPushButton", "frame_4", "Переключить газ", QRect(440, 240, 190, 45), none);
    row("label_26", "QLabel", "frame_4", "Калибровка нуля", QRect(20, 20, 261, 16), left);
    row("CalibZeroSet", "QPushButton", "frame_4", "Калибровать", QRect(230, 50, 190, 45), none);
    row("CalibZeroEsc", "QPushButton", "frame_4", "Отменить", QRect(440, 50, 190, 45), none);
    row("label_27", "QLabel", "frame_4", "Калибровка диапазона", QRect(20, 130, 211, 16), left);
    row("CalibDiapStart", "QPushButton", "frame_4", "Начать", QRect(20, 160, 190, 45), none);
    row("CalibDiapEsc", "QPushButton", "frame_4", "Отменить", QRect(440, 160, 190, 45), none);
    row("calib_stat", "QLineEdit", "frame_4", "", QRect(20, 320, 611, 25), centred);
    row("line_5", "QFrame", "frame_4", "", QRect(20, 100, 610, 16), none);
    row("line_8", "QFrame", "frame_4", "", QRect(20, 216, 610, 16), none);
    row("line_9", "QFrame", "frame_4", "", QRect(20, 300, 610, 16), none);
    row("Calib4maStart", "QPushButton", "frame_5", "Начать", QRect(20, 40, 141, 45), none);
    row("label_11", "QLabel", "frame_5", "Калибровка 4 мА", QRect(20, 10, 301, 16), left);
    row("Calib4maSet", "QPushButton", "frame_5", "Калибровать", QRect(330, 40, 141, 45), none);
    row("Calib4maStop", "QPushButton", "frame_5", "Завершить", QRect(490, 40, 141, 45), none);
    row("Calibr4mA_Value", "QDoubleSpinBox", "frame_5", "", QRect(209, 52, 90, 25), centred);
    row("Calib20maSet", "QPushButton", "frame_5", "Калибровать", QRect(331, 140, 141, 45), none);
    row("Calib20maStop", "QPushButton", "frame_5", "Завершить", QRect(491, 140, 141, 45), none);
    row("Calib20maStart", "QPushButton", "frame_5", "Начать", QRect(21, 140, 141, 45), none);
    row("label_12", "QLabel", "frame_5", "Калибровка 20 мА", QRect(21, 110, 301, 16), left);
    row("Calibr20mA_Value", "QDoubleSpinBox", "frame_5", "", QRect(210, 148, 90, 25), centred);
    row("Test4mA", "QPushButton", "frame_5", "Тест 4 мА", QRect(20, 247, 141, 45), none);
    row("Test20mA", "QPushButton", "frame_5", "Тест 20 мА", QRect(179, 247, 141, 45), none);
    row("Test", "QPushButton", "frame_5", "Тест", QRect(329, 247, 141, 45), none);
    row("TestIoutValue", "QDoubleSpinBox", "frame_5", "", QRect(350, 207, 90, 25), centred);
    row("TestStop", "QPushButton", "frame_5", "Завершить", QRect(490, 247, 141, 45), none);
    row("label_13", "QLabel", "frame_5", "Тест", QRect(20, 210, 301, 16), left);
    row("calib_iout_stat", "QLineEdit", "frame_5", "", QRect(20, 320, 611, 25), centred);
    row("line_6", "QFrame", "frame_5", "", QRect(20, 90, 610, 16), none);
    row("line_7", "QFrame", "frame_5", "", QRect(21, 190, 610, 16), none);
    row("line_10", "QFrame", "frame_5", "", QRect(20, 300, 610, 16), none);
    row("Start", "QPushButton", "frame_3", "Подключить", QRect(30, 216, 170, 45), none);
    row("label_4", "QLabel", "frame_3", "Порт", QRect(30, 150, 181, 16), centred);
    row("PortScan", "QPushButton", "frame_3", "Скан", QRect(290, 166, 91, 40), none);
    row("cComPort", "QComboBox", "frame_3", "", QRect(30, 170, 251, 31), none);
    row("sbMB_Adr", "QSpinBox", "frame_3", "", QRect(430, 172, 60, 25), left);
    row("Stop", "QPushButton", "frame_3", "Отключить", QRect(210, 216, 170, 45), none);
    row("label_7", "QLabel", "frame_3", "MB адрес", QRect(510, 177, 101, 16), left);
    row("Exit", "QPushButton", "frame_3", "Выход", QRect(430, 216, 170, 45), none);
    row("Export", "QPushButton", "frame_cmd", "Экспорт", QRect(10, 60, 170, 45), none);
    row("Import", "QPushButton", "frame_cmd", "Импорт", QRect(190, 60, 170, 45), none);
    row("Reload", "QPushButton", "frame_cmd", "Обновить", QRect(10, 10, 170, 45), none);
    row("Write", "QPushButton", "frame_cmd", "Записать", QRect(190, 10, 170, 45), none);
    row("mode_service", "QPushButton", "frame_mode", "В сервисный", QRect(20, 10, 190, 45), none);
    row("mode_working", "QPushButton", "frame_mode", "В рабочий", QRect(20, 60, 190, 45), none);
    row("label", "QLabel", "frame_info", "Концентрация", QRect(170, 170, 191, 20), centred);
    row("lcdValue", "QLCDNumber", "frame_info", "", QRect(130, 200, 271, 51), none);
    row("label_2", "QLabel", "frame_info", "Тип прибора", QRect(170, 20, 191, 20), centred);
    row("TypeDev", "QLineEdit", "frame_info", "", QRect(190, 50, 150, 25), centred);
    row("unit", "QLineEdit", "frame_info", "", QRect(190, 120, 150, 25), centred);
    row("label_3", "QLabel", "frame_info", "Единицы измерения", QRect(170, 90, 191, 20), centred);
    row("status", "QLineEdit", "frame_info", "", QRect(159, 310, 211, 25), centred);
    row("label_5", "QLabel", "frame_info", "Статус", QRect(170, 280, 191, 20), centred);
}

void TestForm::widgetTree()
{
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(int, alignment);
    const QString name = QTest::currentDataTag();

    const QList<QWidget *> named = host->findChildren<QWidget *>(name);
    QCOMPARE(named.size(), 1);
    QWidget *w = named.first();
    QCOMPARE(QString(w->metaObject()->className()), className);
    QVERIFY(formParent(w));
    QCOMPARE(formParent(w)->objectName(), parent);

    if (auto *label = qobject_cast<QLabel *>(w))
        QCOMPARE(label->text(), text);
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        QCOMPARE(button->text(), text);
    else if (auto *edit = qobject_cast<QLineEdit *>(w))
        QCOMPARE(edit->text(), QString());   // filled while connected
    QVERIFY(w->isEnabledTo(host));
    QVERIFY(!w->isHidden() || w->parentWidget()->objectName() == "qt_tabwidget_stackedwidget");

    if (!geometry.isNull())
        QCOMPARE(w->geometry(), geometry);
    int shownAlignment = 0;
    if (auto *label = qobject_cast<QLabel *>(w))
        shownAlignment = int(label->alignment());
    else if (auto *edit = qobject_cast<QLineEdit *>(w))
        shownAlignment = int(edit->alignment());
    else if (auto *box = qobject_cast<QAbstractSpinBox *>(w))
        shownAlignment = int(box->alignment());
    QCOMPARE(shownAlignment, alignment);
}

void TestForm::window()
{
    QCOMPARE(host->objectName(), QString("MainWindow"));
    QCOMPARE(host->size(), QSize(1280, 768));
    QCOMPARE(host->windowTitle(), QString("MainWindow"));
    QCOMPARE(host->font().family(), QString("Times New Roman"));
    QCOMPARE(host->font().pointSize(), 12);
    QCOMPARE(host->font().weight(), 50);
    // Set once on the window and inherited, so a label shows the same font.
    QCOMPARE(ui->label_7->font(), host->font());

    QCOMPARE(host->centralWidget(), ui->centralwidget);
    QCOMPARE(host->menuBar(), ui->menubar);
    QCOMPARE(host->statusBar(), ui->statusbar);
    QCOMPARE(ui->scrollArea->widget(), ui->scrollAreaWidgetContents);
    QVERIFY(ui->scrollArea->widgetResizable());
    // The plot is sized from this frame when the window is built.
    QCOMPARE(ui->dChart->size(), QSize(531, 281));
}

void TestForm::tabPages()
{
    QTabWidget *tabs = ui->tabWidget;
    QCOMPARE(tabs->count(), 5);
    const QList<QWidget *> pages = {ui->tab_1, ui->tab_2, ui->tab_3, ui->tab_4, ui->tab_5};
    const QStringList titles = {"Параметры", "Настройки", "Калибровка по газу", "Калибровка по току", "Бамп-тест"};
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(tabs->widget(i), pages[i]);
        QCOMPARE(tabs->tabText(i), titles[i]);
    }
    QCOMPARE(tabs->currentIndex(), 3);
    QCOMPARE(tabs->iconSize(), QSize(16, 16));
    QVERIFY(!tabs->documentMode());
}

void TestForm::noLayoutManagers()
{
    // Every widget is placed by its geometry alone; only the toolkit's own
    // helpers (inside the tab widget, the status bar) carry layouts.
    for (QWidget *w : host->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_") || w == ui->statusbar)
            continue;
        QVERIFY2(!w->layout(), qPrintable(w->objectName()));
    }
}

void TestForm::frames_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("shadow");
    for (const char *name : {"frame", "frame_2", "frame_4", "frame_5", "frame_3", "frame_cmd", "frame_mode",
                             "dChart", "frame_info"})
        QTest::newRow(name) << int(QFrame::Panel) << int(QFrame::Plain);
    QTest::newRow("lcdValue") << int(QFrame::Panel) << int(QFrame::Sunken);
}

void TestForm::frames()
{
    QFETCH(int, shape);
    QFETCH(int, shadow);
    auto *frame = widget<QFrame>(QTest::currentDataTag());
    QCOMPARE(int(frame->frameShape()), shape);
    QCOMPARE(int(frame->frameShadow()), shadow);
}

void TestForm::separatorLines()
{
    for (const QString &name : kSeparators) {
        auto *line = widget<QFrame>(name);
        QCOMPARE(int(line->frameShape()), int(QFrame::HLine));
        QCOMPARE(int(line->frameShadow()), int(QFrame::Sunken));
    }
}

void TestForm::liveDisplay()
{
    QLCDNumber *lcd = ui->lcdValue;
    QCOMPARE(lcd->digitCount(), 6);
    QCOMPARE(lcd->segmentStyle(), QLCDNumber::Filled);
    QVERIFY(!lcd->smallDecimalPoint());
    QCOMPARE(lcd->value(), 0.0);
}

void TestForm::readOnlyFields_data()
{
    QTest::addColumn<bool>("centred");
    for (const char *name : {"SerialNumDev", "VersionFW", "calib_stat", "calib_iout_stat", "TypeDev", "unit", "status"})
        QTest::newRow(name) << true;
    QTest::newRow("gaz_c") << false;
    QTest::newRow("gaz_osn") << false;
}

void TestForm::readOnlyFields()
{
    QFETCH(bool, centred);
    auto *edit = widget<QLineEdit>(QTest::currentDataTag());
    QVERIFY(edit->isReadOnly());
    QCOMPARE(edit->alignment(), centred ? Qt::Alignment(Qt::AlignCenter) : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
}

// Every box starts at 0 with a step of 1, so none takes a negative value.
// decimals -1 marks an integer box.
void TestForm::spinBoxes_data()
{
    QTest::addColumn<double>("maximum");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("centred");
    auto row = [](const char *name, double maximum, int decimals, double value, bool centred = true) {
        QTest::newRow(name) << maximum << decimals << value << centred;
    };
    row("sbMB_AdrSet", 255, -1, 0);
    row("sbMB_AdrHART", 255, -1, 0);
    row("sbMB_Adr", 255, -1, 0, false);
    row("i_init", 24, 2, 0);
    row("i_serv", 24, 2, 0);
    row("deadZone", 65535, 1, 2);
    row("magCalib", 65535, 1, 2);
    row("valueHigh", 65535, 1, 100);
    row("point20ma", 65535, 1, 100);
    row("limit1_level", 32767, 1, 100);
    row("limit2_level", 32767, 1, 100);
    row("limit3_level", 32767, 1, 100);
    row("limit1_hyst", 255, 1, 100);
    row("limit2_hyst", 255, 1, 100);
    row("limit3_hyst", 255, 1, 100);
    row("CalibrValue", 65535, 1, 0);
    row("Calibr4mA_Value", 30, 2, 4);
    row("Calibr20mA_Value", 30, 2, 20);
    row("TestIoutValue", 30, 2, 4);
}

void TestForm::spinBoxes()
{
    QFETCH(double, maximum);
    QFETCH(int, decimals);
    QFETCH(double, value);
    QFETCH(bool, centred);
    auto *box = widget<QAbstractSpinBox>(QTest::currentDataTag());
    QCOMPARE(box->alignment(), centred ? Qt::Alignment(Qt::AlignCenter) : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (decimals < 0) {
        auto *whole = qobject_cast<QSpinBox *>(box);
        QVERIFY(whole);
        QCOMPARE(whole->minimum(), 0);
        QCOMPARE(double(whole->maximum()), maximum);
        QCOMPARE(whole->singleStep(), 1);
        QCOMPARE(double(whole->value()), value);
    } else {
        auto *real = qobject_cast<QDoubleSpinBox *>(box);
        QVERIFY(real);
        QCOMPARE(real->minimum(), 0.0);
        QCOMPARE(real->maximum(), maximum);
        QCOMPARE(real->decimals(), decimals);
        QCOMPARE(real->singleStep(), 1.0);
        QCOMPARE(real->value(), value);
    }
}

void TestForm::comboItems_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::newRow("cBLE") << QStringList{"Нет", "Выключен", "Включен"};
    QTest::newRow("limit1_opt") << QStringList{"> Превышение", "< Понижение"};
    QTest::newRow("limit2_opt") << QStringList{"> Превышение", "< Понижение"};
    QTest::newRow("limit3_opt") << QStringList{"Отключен", "Включен"};
    QTest::newRow("cComPort") << QStringList{};   // filled from the serial ports later
}

void TestForm::comboItems()
{
    QFETCH(QStringList, items);
    auto *combo = widget<QComboBox>(QTest::currentDataTag());
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    QCOMPARE(shown, items);
    QCOMPARE(combo->currentIndex(), items.isEmpty() ? -1 : 0);
}

// The explicit order, as the Tab key walks it: after each listed widget (and
// whatever sits inside it, such as a tab widget's pages) the next widget that
// takes focus by Tab is the following one of the list. The first link,
// point20ma to scrollArea, cannot hold: the scroll area encloses point20ma,
// and the toolkit never places a widget after one of its own descendants.
void TestForm::focusOrder()
{
    const QStringList order = {"point20ma", "scrollArea", "tabWidget", "cComPort", "PortScan", "Start",
                               "Stop", "Reload", "Write", "Export", "Import", "sbMB_Adr", "Exit",
                               "SerialNumDev", "sbMB_AdrSet", "sbMB_AdrHART", "cBLE", "i_init",
                               "deadZone", "valueHigh", "i_serv", "magCalib"};
    QList<QWidget *> tabStops;
    QWidget *w = host;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().startsWith("qt_"))
            tabStops << w;
        w = w->nextInFocusChain();
    } while (w != host);

    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget *first = widget<QWidget>(order[i]);
        QWidget *second = widget<QWidget>(order[i + 1]);
        if (second->isAncestorOf(first))
            continue;
        int next = tabStops.indexOf(first) + 1;
        while (next < tabStops.size() && tabStops[next] != second && first->isAncestorOf(tabStops[next]))
            ++next;
        QVERIFY2(next < tabStops.size(), qPrintable(order[i]));
        QCOMPARE(tabStops[next]->objectName(), order[i + 1]);
    }
}

void TestForm::gasRadioButtonsExclusive()
{
    QRadioButton *target = ui->rbGazC;
    QRadioButton *main = ui->rbGazOsn;
    QCOMPARE(target->parentWidget(), main->parentWidget());
    QVERIFY(target->autoExclusive());
    QVERIFY(main->autoExclusive());
    QVERIFY(!target->isChecked());
    QVERIFY(!main->isChecked());

    target->setChecked(true);
    QVERIFY(!main->isChecked());
    main->setChecked(true);
    QVERIFY(!target->isChecked());
    QTest::mouseClick(target, Qt::LeftButton);
    QVERIFY(target->isChecked());
    QVERIFY(!main->isChecked());
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
