#ifndef SIMULATOR_H
#define SIMULATOR_H

#include "line.h"
#include "options.h"
#include "pty.h"
#include "transmitter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class LineOutput;
class QSocketNotifier;

// The detectors on their pty: receives request frames, has the detectors at
// the request's address answer them, lets each one's fault injector spoil its
// answer, puts what they send on the line and logs every request.
class Simulator : public QObject
{
    Q_OBJECT
public:
    Simulator(const SimOptions &options, LineOutput *stdoutLines, LineOutput *logLines,
              QObject *parent = nullptr);

    bool start(QString &error);
    QString portPath() const { return pty.slavePath(); }

signals:
    void finished(int exitCode);

private:
    void readMaster();
    void endFrameBySilence();
    void takeCompleteFrames();
    void handleFrame(const QByteArray &frame);
    void answer(const Request &request, const QByteArray &frame, const QVector<int> &members);
    QVector<Segment> answerOf(int member, const Request &request, const QByteArray &frame, bool &closes);
    void readStdin();
    void closePort();
    QString reopenPort();
    void attachMaster();
    void log(const QString &line);
    void logEvent(const QString &event);
    // " detector=N" on a line of several, where a log line must say whose it is.
    QString whose(int member) const;
    double seconds() const;

    SimOptions options;
    LineOutput *out;
    LineOutput *logOut;
    Pty pty;
    Transmitter transmitter;
    Line line;
    QSocketNotifier *masterNotifier = nullptr;
    QSocketNotifier *stdinNotifier = nullptr;
    QByteArray received;
    QByteArray stdinBuffer;
    bool holdingEvents = false;
    QStringList heldEvents;
    QTimer silence;
    QElapsedTimer clock;
};

#endif // SIMULATOR_H
