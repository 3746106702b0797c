#ifndef SIMULATOR_H
#define SIMULATOR_H

#include "console.h"
#include "detector.h"
#include "faults.h"
#include "options.h"
#include "pty.h"
#include "transmitter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class LineOutput;
class QSocketNotifier;

// The detector on its pty: receives request frames, has the detector answer
// them, lets the fault injector spoil the answer and logs every request.
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
    void answer(const Request &request, const QByteArray &frame);
    void readStdin();
    void closePort();
    QString reopenPort();
    void attachMaster();
    void log(const QString &line);
    void logEvent(const QString &event);
    double seconds() const;

    SimOptions options;
    LineOutput *out;
    LineOutput *logOut;
    Pty pty;
    Detector detector;
    FaultInjector faults;
    Transmitter transmitter;
    Console console;
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
