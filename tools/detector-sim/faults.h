#ifndef FAULTS_H
#define FAULTS_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <random>

// Every fault the simulator can put on an answer. The names are the words of
// the --fault option and of the "fault" console command.
enum class FaultKind {
    None,
    NoAnswer,     // the answer is lost; the request is still carried out
    BadCrc,       // the answer's CRC is wrong
    Truncate,     // only the first N bytes of the answer go out
    Exception,    // an exception answer instead; the request is not carried out
    Delay,        // N ms more before the answer
    Gap,          // N ms of silence in the middle of the answer
    Garbage,      // N stray bytes right before the answer
    WrongAddress, // a correct answer from another slave address
    Close,        // the pty is closed instead of answering: the port vanishes
    HideBits,     // status bits N cleared in an answer that carries the status word
    Restart,      // the detector restarts instead of answering: silent N ms, then
                  // back in working mode, its calibration and current test ended
    // Two that spoil nothing: an echoing adapter on the line, and a detector
    // that keeps one register whatever is written to it.
    Echo,         // the request comes back first; the answer N ms after it
    Ignore,       // a write over register N is answered as done, N kept
};

struct FaultRule
{
    enum class Mode { Count, Persist, Rate };

    FaultKind kind = FaultKind::None;
    int argument = 0;           // meaning per kind; defaults filled by the parser
    bool argumentGiven = false;
    Mode mode = Mode::Count;
    int remaining = 1;          // for Count: "once" is a count of 1
    double rate = 0;            // for Rate: probability per request, 0-1
    int after = 0;              // this many matching requests pass untouched first
    int function = -1;          // only requests of this function; -1 any
    int address = -1;           // only requests starting at this register; -1 any
    int writeTo = -1;           // only writes (06, 10) whose registers include this one; -1 any
    int seen = 0;

    QString text() const;       // canonical spelling, accepted back by the parser
};

// A fault as it was applied to one answer, for the request log.
struct AppliedFault
{
    FaultKind kind = FaultKind::None;
    int argument = 0;
    QString label() const;      // "none", "noanswer", "delay:500", ...
};

// Accepts "KIND[=ARG][,MODE...]" with commas, blanks or '=' between the words,
// e.g. "noanswer,persist", "delay 500 rate 0.2", "exception=2,fc=06,addr=12",
// "exception,persist,writeto=13".
bool parseFaultRule(const QString &text, FaultRule &rule, QString &error);

// One piece of an answer on the line: silence of delayMs, then the bytes.
struct Segment
{
    int delayMs = 0;
    QByteArray bytes;
};

class FaultInjector
{
public:
    explicit FaultInjector(quint32 seed);

    void add(const FaultRule &rule);
    void clear();
    const QVector<FaultRule> &rules() const { return list; }

    // Decides the fault for one request of `count` registers from `address`
    // and counts it against every rule it matches.
    AppliedFault pick(int function, int address, int count = 1);

    // The answer as it goes on the line with the fault applied. An empty answer
    // (a broadcast) stays empty. otherAddress is used by WrongAddress without
    // an argument.
    // request: the frame as it came, for Echo.
    QVector<Segment> shape(const AppliedFault &fault, const QByteArray &answer,
                           int turnaroundMs, quint8 otherAddress, const QByteArray &request = {});

private:
    QVector<FaultRule> list;
    std::mt19937 random;
};

QString faultKindName(FaultKind kind);

#endif // FAULTS_H
