#ifndef TRAFFIC_H
#define TRAFFIC_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QString>

#include "exchangeoutcome.h"

// Every request and answer on the serial line, in hex, with its time and
// outcome: for finding out in the field why a detector does not answer.
// Off unless turned on, e.g. QT_LOGGING_RULES="zorvel.traffic=true".
Q_DECLARE_LOGGING_CATEGORY(zorvelTraffic)

// A frame the master threw away as the late answer to an earlier request
// that had gone unanswered: said between that exchange's two lines.
void logLateAnswer(const QByteArray &frame);

// One transaction in the traffic log: a "->" line with the request when it
// goes out, and a "<-" line with the answer, the milliseconds it took and the
// outcome as the master judged it: "ok", or why not. The log judges nothing
// itself. Costs nothing beyond a check while the category is off.
class TrafficEntry
{
public:
    explicit TrafficEntry(const QByteArray &request);
    // `answer` is what was heard, cut or not.
    void finish(const QByteArray &answer, const ExchangeOutcome &outcome);
    // Said once a connection: the line puts every request back before its
    // answer (an echoing adapter), and answers are taken after the echo.
    void noteEcho();

private:
    bool isOn() const;
    void write(const QByteArray &answer, const QString &outcome);

    QByteArray request;
    QElapsedTimer clock;
};

#endif // TRAFFIC_H
