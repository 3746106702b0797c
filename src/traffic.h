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

enum class TrafficKind { Read, Write };

// How the traffic log judges the answer to a request: "ok", or why it is not
// (the word count of a read included, which the master leaves to its callers).
// lineFault is what the port itself reported ("port not open", "write
// timeout", an I/O error), empty when the line was fine.
QString trafficOutcome(TrafficKind kind, const QByteArray &request, const QByteArray &answer,
                       const QString &lineFault);

// One transaction in the traffic log: a "->" line with the request when it
// goes out, and a "<-" line with the answer, the milliseconds it took and the
// outcome. Costs nothing beyond a check while the category is off.
class TrafficEntry
{
public:
    TrafficEntry(TrafficKind kind, const QByteArray &request);
    void finish(const QByteArray &answer, const QString &lineFault);

private:
    TrafficKind kind;
    QByteArray request;
    QElapsedTimer clock;
};

#endif // TRAFFIC_H
