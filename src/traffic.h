#ifndef TRAFFIC_H
#define TRAFFIC_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QString>

// Every request and answer on the serial line, in hex, with its time and
// outcome: for finding out in the field why a detector does not answer.
// Off unless turned on, e.g. QT_LOGGING_RULES="zorvel.traffic=true".
Q_DECLARE_LOGGING_CATEGORY(zorvelTraffic)

// How an exchange ended, as the traffic log says it: "ok", "no answer",
// "exception 02 (illegal data address)", "CRC mismatch", ... A read is "ok"
// only with the words asked for.
QString exchangeOutcome(const QByteArray &request, const QByteArray &answer, const QString &lineFault);

// A frame the master threw away as the late answer to an earlier request
// that had gone unanswered: said between that exchange's two lines.
void logLateAnswer(const QByteArray &frame);

// One transaction in the traffic log: a "->" line with the request when it
// goes out, and a "<-" line with the answer, the milliseconds it took and the
// outcome: "ok", or why not. Reads (0x03, 0x04) are judged by the master's
// read checks plus the word count, which the master leaves to its callers;
// anything else by the write checks. Costs nothing beyond a check while the
// category is off.
class TrafficEntry
{
public:
    explicit TrafficEntry(const QByteArray &request);
    // lineFault is what the port itself reported ("port not open", "write
    // timeout", an I/O error), empty when the line was fine.
    void finish(const QByteArray &answer, const QString &lineFault);
    // Said once a connection: the line puts every request back before its
    // answer (an echoing adapter), and answers are taken after the echo.
    void noteEcho();
    // An answer the master threw away unjudged; `why` is the outcome.
    void refuse(const QByteArray &kept, const QString &why);

private:
    bool isOn() const;
    void write(const QByteArray &answer, const QString &outcome);

    QByteArray request;
    QElapsedTimer clock;
};

#endif // TRAFFIC_H
