#include <QtTest>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTranslator>

#include "language.h"
#include "mainwindow.h"
#include "testsupport.h"

// Which language the window speaks, and that it speaks it whole: English only
// when the user asks for it, and then not one Russian word is left on the
// window; Russian otherwise, exactly as the window's own texts are written,
// with the toolkit's dialogs in Russian too.
class TestLanguage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void windowSpeaks_data();
    void windowSpeaks();

private:
    ScratchWorkingDir scratch;
    QStringList untranslated;   // the window's texts as written in the sources
};

namespace {

// Every text the window shows as it opens, in the order of its widgets.
QStringList shownTexts(const MainWindow &window)
{
    QStringList texts{window.windowTitle()};
    for (const QWidget *widget : window.findChildren<QWidget *>()) {
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            texts << label->text();
        else if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
            texts << button->text();
        else if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
            texts << edit->text();
        else if (const auto *combo = qobject_cast<const QComboBox *>(widget))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        else if (const auto *tabs = qobject_cast<const QTabWidget *>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
    }
    return texts;
}

bool hasCyrillic(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

// "LANG=en_US.UTF-8 ZORVEL_LANG=en" as an environment of its own.
QProcessEnvironment environmentOf(const QString &assignments)
{
    QProcessEnvironment environment;
    for (const QString &assignment : assignments.split(' ', Qt::SkipEmptyParts))
        environment.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    return environment;
}

// The compiled translation copied to where an installed program keeps it,
// relative to this test's own folder, for its lifetime.
class InstalledTranslation
{
public:
    InstalledTranslation()
        : share(QCoreApplication::applicationDirPath() + "/../share/zorvel-configurator/translations")
    {
        QDir().mkpath(share);
        copied = QFile::copy(QString(ZORVEL_QM_DIR) + "/" + kFile, share + "/" + kFile);
    }
    ~InstalledTranslation()
    {
        QFile::remove(share + "/" + kFile);
        QDir().rmpath(share);
    }
    bool placed() const { return copied; }
    QString folder() const { return share; }

private:
    static constexpr const char *kFile = "zorvel-configurator_en.qm";
    QString share;
    bool copied = false;
};

} // namespace

void TestLanguage::initTestCase()
{
    // A virtual port in the list brings its "(виртуальный порт)" onto the window.
    qputenv("ZORVEL_EXTRA_PORTS", "/tmp/detector");
    MainWindow window;
    untranslated = shownTexts(window);
    QVERIFY(untranslated.contains("Подключить"));
    QVERIFY(untranslated.contains("/tmp/detector (виртуальный порт)"));
}

void TestLanguage::cleanup()
{
    for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

void TestLanguage::windowSpeaks_data()
{
    QTest::addColumn<QString>("environment");
    QTest::addColumn<bool>("english");
    // The translation where an installed program finds it, beside its bin
    // folder in share/, instead of the build tree's.
    QTest::addColumn<bool>("installed");

    QTest::newRow("English locale") << "LANG=en_US.UTF-8" << true << false;
    QTest::newRow("British, LANGUAGE first") << "LANGUAGE=en_GB:ru LANG=ru_RU.UTF-8" << true << false;
    QTest::newRow("ZORVEL_LANG=en in a Russian locale") << "ZORVEL_LANG=en LANG=ru_RU.UTF-8" << true << false;
    QTest::newRow("C.UTF-8") << "LANG=C.UTF-8" << false << false;
    QTest::newRow("C.UTF-8 in LC_ALL over English LANG") << "LC_ALL=C.UTF-8 LANG=en_US.UTF-8" << false << false;
    QTest::newRow("Russian locale") << "LANG=ru_RU.UTF-8" << false << false;
    QTest::newRow("Russian first in LANGUAGE") << "LANGUAGE=ru:en LANG=en_US.UTF-8" << false << false;
    QTest::newRow("ZORVEL_LANG=ru in an English locale") << "ZORVEL_LANG=ru LANG=en_US.UTF-8" << false << false;
    QTest::newRow("no locale at all") << "" << false << false;
    QTest::newRow("a code that only begins with en") << "LANG=enx" << false << false;
    QTest::newRow("a word that begins with en") << "LANG=english_fake" << false << false;
    QTest::newRow("installed, English locale") << "LANG=en_GB.UTF-8" << true << true;
}

void TestLanguage::windowSpeaks()
{
    QFETCH(QString, environment);
    QFETCH(bool, english);
    QFETCH(bool, installed);

    const Language chosen = chosenLanguage(environmentOf(environment));
    QCOMPARE(chosen, english ? Language::English : Language::Russian);
    if (installed) {
        InstalledTranslation share;
        QVERIFY2(share.placed(), qPrintable(share.folder()));
        QCOMPARE(installTranslations(chosen, translationFolders()), chosen);
    } else {
        QCOMPARE(installTranslations(chosen, {ZORVEL_QM_DIR}), chosen);
    }

    MainWindow window;
    const QStringList texts = shownTexts(window);
    // The toolkit's own buttons, as its file dialogs show them.
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    if (!english) {
        QCOMPARE(texts, untranslated);
        QVERIFY2(hasCyrillic(cancel), qPrintable("Qt's own texts stay English: " + cancel));
        return;
    }
    QCOMPARE(texts.size(), untranslated.size());
    for (const QString &text : texts)
        QVERIFY2(!hasCyrillic(text), qPrintable("left in Russian: " + text));
    QCOMPARE(cancel, QString("Cancel"));
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
