// Start-up to the first painted frame: the configurator's window against a
// minimal Qt Widgets window, both started as fresh processes of this binary
// and measured the same way, in turns. Then, in this process, what the
// window's constructor spends on tinting its pictures.
#include "benchsupport.h"
#include "icontint.h"
#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
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

// Milliseconds since the parent started this process.
double sinceSpawn()
{
    return (monotonicNs() - qgetenv(kStartVariable).toLongLong()) / 1e6;
}

// The moments a child passes on its way to the first frame, in milliseconds
// since the parent started it: main entered (loading and linking done), the
// application object made, the window constructed, show() returned, the
// first paint event begun, and that repaint over.
enum Phase { InMain, AppMade, WindowMade, Shown, PaintBegun, FrameDone, PhaseCount };
double phases[PhaseCount];

void mark(Phase phase)
{
    phases[phase] = sinceSpawn();
}

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
            mark(PaintBegun);
            QTimer::singleShot(0, [] {
                mark(FrameDone);
                printf("frame");
                for (const double t : phases)
                    printf(" %.3f", t);
                printf("\n");
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

// The constructor's tinting: ten pictures (one of them used twice) and the
// exit picture, each loaded from the resources and repainted in the accent.
const char *const kPictures[] = {"params", "settings", "kalibrovka", "start", "stop", "reload",
                                 "write", "save", "load", "working", "service", "exit"};

const QColor kAccent(25, 94, 172);

// As main.cpp does it.
int configuratorChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(":/app.ico"));
    mark(AppMade);
    MainWindow window;
    mark(WindowMade);
    FirstFrame frame(&window);
    window.show();
    mark(Shown);
    return app.exec();
}

// The minimal window; with pictures, it first tints the window's twelve
// pictures, which isolates what they cost a fresh process.
int minimalChild(int argc, char *argv[], bool withPictures)
{
    QApplication app(argc, argv);
    mark(AppMade);
    QVector<QIcon> icons;
    if (withPictures) {
        for (const char *name : kPictures)
            icons << tintedIcon(QString(":/icons/%1.png").arg(name), kAccent);
    }
    QWidget window;
    QLabel label("Зорвел", &window);
    window.resize(400, 300);
    mark(WindowMade);
    FirstFrame frame(&window);
    window.show();
    mark(Shown);
    return app.exec();
}

// One start: the moments of Phase, or an empty vector when no frame came.
using Start = QVector<double>;

Start startOnce(const QString &mode, const QString &workDir)
{
    QProcess child;
    child.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const qint64 start = monotonicNs();
    env.insert(kStartVariable, QString::number(start));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--child", mode});
    if (!child.waitForFinished(30000))
        return {};
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != PhaseCount + 1 || fields[0] != "frame")
        return {};
    Start moments;
    for (int i = 1; i < fields.size(); ++i)
        moments << fields[i].toDouble();
    return moments;
}

// One phase's share of each start: from the previous moment to this one.
QVector<double> phaseOf(const QVector<Start> &starts, int phase)
{
    QVector<double> spans;
    for (const Start &s : starts)
        spans << s[phase] - (phase > 0 ? s[phase - 1] : 0.0);
    return spans;
}

void measureTinting(QTextStream &out, int rounds)
{
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    // The same shapes at twice the 32-pixel icon size, for comparison only.
    for (const char *name : kPictures)
        QImage(QString(":/icons/%1.png").arg(name))
            .scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .save(scratch.filePath(QString("%1.png").arg(name)));
    QVector<double> construct, tint, decode, small;
    for (int i = 0; i < rounds; ++i) {
        QPixmapCache::clear();
        qint64 start = monotonicNs();
        {
            MainWindow window;
            construct << msSince(start);
            QPixmapCache::clear();
            start = monotonicNs();
            for (const char *name : kPictures)
                window.colorizeIcon(QString(":/icons/%1.png").arg(name), kAccent);
            tint << msSince(start);
        }
        QPixmapCache::clear();
        start = monotonicNs();
        for (const char *name : kPictures)
            QPixmap(QString(":/icons/%1.png").arg(name));
        decode << msSince(start);
        {
            MainWindow window;
            QPixmapCache::clear();
            start = monotonicNs();
            for (const char *name : kPictures)
                window.colorizeIcon(scratch.filePath(QString("%1.png").arg(name)), kAccent);
            small << msSince(start);
        }
    }
    const QPixmap sample(":/icons/start.png");
    out << "Inside the process (" << rounds << " rounds): constructing `MainWindow` takes **"
        << fixed(median(construct), 1) << " ms**; tinting the twelve pictures (" << sample.width() << " x "
        << sample.height() << " each) with `colorizeIcon` " << fixed(median(tint), 1)
        << " ms, of which decoding the PNG files alone is " << fixed(median(decode), 1)
        << " ms. For comparison, tinting the same shapes stored at 64 x 64 takes " << fixed(median(small), 1)
        << " ms.\n\n";
}

const char *const kPhaseNames[PhaseCount] = {
    "process start to `main` (loading, linking)", "`QApplication` made", "window constructed",
    "`show()`", "to the first paint event", "the first repaint"};

int driver(int rounds)
{
    QTextStream out(stdout);
    QTemporaryDir scratch;
    startOnce("configurator", scratch.path());   // fills the page cache for both
    startOnce("minimal", scratch.path());
    startOnce("pictures", scratch.path());
    QVector<Start> ours, minimal, pictures;
    QVector<double> ratios;
    for (int i = 0; i < rounds; ++i) {
        ours << startOnce("configurator", scratch.path());
        minimal << startOnce("minimal", scratch.path());
        pictures << startOnce("pictures", scratch.path());
        if (ours.last().isEmpty() || minimal.last().isEmpty() || pictures.last().isEmpty()) {
            fprintf(stderr, "a child did not report its first frame\n");
            return 1;
        }
        ratios << ours.last()[FrameDone] / minimal.last()[FrameDone];
    }
    QVector<double> a, b, c;
    for (int i = 0; i < rounds; ++i) {
        a << ours[i][FrameDone];
        b << minimal[i][FrameDone];
        c << pictures[i][FrameDone];
    }
    const double ratio = median(ratios);
    out << "## Start-up to the first painted frame\n\n"
        << "Platform `" << qgetenv("QT_QPA_PLATFORM") << "`, " << rounds
        << " starts of each, in turns, from process start (the parent's clock just before it starts the child) "
           "to the end of the first repaint of the window; the same binary for both, so both load the same "
           "libraries.\n\n"
        << "| window | median ms | p10 | p90 |\n|---|---|---|---|\n"
        << "| configurator (`MainWindow`, as `main` shows it) | " << fixed(median(a), 1) << " | "
        << fixed(percentile(a, 10), 1) << " | " << fixed(percentile(a, 90), 1) << " |\n"
        << "| minimal window (`QWidget` with a `QLabel`) | " << fixed(median(b), 1) << " | "
        << fixed(percentile(b, 10), 1) << " | " << fixed(percentile(b, 90), 1) << " |\n"
        << "| minimal window that first tints the twelve pictures | " << fixed(median(c), 1) << " | "
        << fixed(percentile(c, 10), 1) << " | " << fixed(percentile(c, 90), 1) << " |\n\n"
        << "Ratio, median of the " << rounds << " pairs: **" << fixed(ratio, 2) << "** (p10 "
        << fixed(percentile(ratios, 10), 2) << ", p90 " << fixed(percentile(ratios, 90), 2)
        << "; ratio of the medians " << fixed(median(a) / median(b), 2) << "). Target <= 1.5: **"
        << (ratio <= 1.5 ? "met" : "missed") << "**.\n\n"
        << "Where the time goes, median ms of each step:\n\n"
        << "| step | configurator | minimal window | minimal with the pictures |\n|---|---|---|---|\n";
    for (int phase = 0; phase < PhaseCount; ++phase)
        out << "| " << kPhaseNames[phase] << " | " << fixed(median(phaseOf(ours, phase)), 1) << " | "
            << fixed(median(phaseOf(minimal, phase)), 1) << " | " << fixed(median(phaseOf(pictures, phase)), 1)
            << " |\n";
    out << "\n";
    out.flush();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        mark(InMain);
        const QByteArray kind = argv[2];
        if (kind == "configurator")
            return configuratorChild(argc, argv);
        return minimalChild(argc, argv, kind == "pictures");
    }

    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Start-up of the configurator window against a minimal window.");
    parser.addHelpOption();
    const QCommandLineOption rounds("rounds", "starts of each window", "N", "20");
    parser.addOption(rounds);
    parser.process(app);
    const int result = driver(parser.value(rounds).toInt());
    QTextStream out(stdout);
    measureTinting(out, 5);
    return result;
}
