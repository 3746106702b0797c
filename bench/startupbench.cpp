// Start-up to the first painted frame: the configurator's window against a
// minimal Qt Widgets window, both started as fresh processes of this binary
// and measured the same way, in turns. Then, in this process, what the
// window's constructor spends on tinting its pictures.
#include "benchsupport.h"
#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPixmapCache>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

const char *const kStartVariable = "ZORVEL_BENCH_START_NS";

// Reports, once, the moment the window's first frame has been painted: the
// zero timer posted from its first paint runs after that whole repaint.
class FirstFrame : public QObject
{
public:
    explicit FirstFrame(QWidget *window) : window(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window && event->type() == QEvent::Paint && !seen) {
            seen = true;
            QTimer::singleShot(0, [] {
                const qint64 start = qgetenv(kStartVariable).toLongLong();
                printf("frame %.3f\n", (monotonicNs() - start) / 1e6);
                fflush(stdout);
                _exit(0);   // the run ends here; tearing down is not measured
            });
        }
        return false;
    }

private:
    QWidget *window;
    bool seen = false;
};

// As main.cpp does it.
int configuratorChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(":/app.ico"));
    MainWindow window;
    FirstFrame frame(&window);
    window.show();
    return app.exec();
}

int minimalChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    QLabel label("Зорвел", &window);
    window.resize(400, 300);
    FirstFrame frame(&window);
    window.show();
    return app.exec();
}

double startOnce(const QString &mode, const QString &workDir)
{
    QProcess child;
    child.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const qint64 start = monotonicNs();
    env.insert(kStartVariable, QString::number(start));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--child", mode});
    if (!child.waitForFinished(30000))
        return -1;
    const QByteArray line = child.readAllStandardOutput().trimmed();
    return line.startsWith("frame ") ? line.mid(6).toDouble() : -1;
}

// The constructor's tinting: ten pictures (one of them used twice) and the
// exit picture, each loaded from the resources and repainted in the accent.
const char *const kPictures[] = {"params", "settings", "kalibrovka", "start", "stop", "reload",
                                 "write", "save", "load", "working", "service", "exit"};

void measureTinting(QTextStream &out, int rounds)
{
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    QVector<double> construct, tint, decode;
    for (int i = 0; i < rounds; ++i) {
        QPixmapCache::clear();
        qint64 start = monotonicNs();
        {
            MainWindow window;
            construct << msSince(start);
            QPixmapCache::clear();
            start = monotonicNs();
            for (const char *name : kPictures)
                window.colorizeIcon(QString(":/icons/%1.png").arg(name), QColor(25, 94, 172));
            tint << msSince(start);
        }
        QPixmapCache::clear();
        start = monotonicNs();
        for (const char *name : kPictures)
            QPixmap(QString(":/icons/%1.png").arg(name));
        decode << msSince(start);
    }
    const QPixmap sample(":/icons/start.png");
    out << "Inside the process (" << rounds << " rounds): constructing `MainWindow` takes **"
        << fixed(median(construct), 1) << " ms**; tinting the twelve pictures (" << sample.width() << " x "
        << sample.height() << " each) with `colorizeIcon` " << fixed(median(tint), 1)
        << " ms, of which decoding the PNG files alone is " << fixed(median(decode), 1) << " ms.\n\n";
}

int driver(QCoreApplication &app, int rounds)
{
    QTextStream out(stdout);
    QTemporaryDir scratch;
    startOnce("configurator", scratch.path());   // fills the page cache for both
    startOnce("minimal", scratch.path());
    QVector<double> ours, minimal;
    for (int i = 0; i < rounds; ++i) {
        ours << startOnce("configurator", scratch.path());
        minimal << startOnce("minimal", scratch.path());
    }
    if (ours.contains(-1) || minimal.contains(-1)) {
        fprintf(stderr, "a child did not report its first frame\n");
        return 1;
    }
    const double ratio = median(ours) / median(minimal);
    out << "## Start-up to the first painted frame\n\n"
        << "Platform `" << qgetenv("QT_QPA_PLATFORM") << "`, " << rounds
        << " starts of each, in turns, from process start (before fork) to the end of the first repaint "
           "of the window; the same binary for both, so both load the same libraries.\n\n"
        << "| window | median ms | p10 | p90 |\n|---|---|---|---|\n"
        << "| configurator (`MainWindow`, as `main` shows it) | " << fixed(median(ours), 1) << " | "
        << fixed(percentile(ours, 10), 1) << " | " << fixed(percentile(ours, 90), 1) << " |\n"
        << "| minimal window (`QWidget` with a `QLabel`) | " << fixed(median(minimal), 1) << " | "
        << fixed(percentile(minimal, 10), 1) << " | " << fixed(percentile(minimal, 90), 1) << " |\n\n"
        << "Ratio **" << fixed(ratio, 2) << "** (target <= 1.5: " << (ratio <= 1.5 ? "met" : "missed") << ").\n\n";
    out.flush();
    (void)app;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return QByteArray(argv[2]) == "minimal" ? minimalChild(argc, argv) : configuratorChild(argc, argv);

    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Start-up of the configurator window against a minimal window.");
    parser.addHelpOption();
    const QCommandLineOption rounds("rounds", "starts of each window", "N", "20");
    parser.addOption(rounds);
    parser.process(app);
    const int result = driver(app, parser.value(rounds).toInt());
    QTextStream out(stdout);
    measureTinting(out, 5);
    return result;
}
