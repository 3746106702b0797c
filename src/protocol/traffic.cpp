#include "traffic.h"

#include <QTime>

// Debug lines are off by default; QtInfoMsg is the least severe type left on.
Q_LOGGING_CATEGORY(zorvelTraffic, "zorvel.traffic", QtInfoMsg)

namespace {

QString timeOfDay()
{
    return QTime::currentTime().toString("HH:mm:ss.zzz");
}

} // namespace

void logLateAnswer(const QByteArray &frame)
{
    if (zorvelTraffic().isDebugEnabled())
        qCDebug(zorvelTraffic).noquote() << timeOfDay() << "late answer to an earlier request, discarded:"
                                         << frame.toHex(' ');
}

TrafficEntry::TrafficEntry(const QByteArray &request) : request(request)
{
    if (!zorvelTraffic().isDebugEnabled())
        return;
    clock.start();
    qCDebug(zorvelTraffic).noquote() << timeOfDay() << "->" << request.toHex(' ');
}

void TrafficEntry::finish(const QByteArray &answer, const ExchangeOutcome &outcome)
{
    if (isOn())
        write(answer, outcome.text());
}

void TrafficEntry::noteEcho()
{
    if (isOn())
        qCDebug(zorvelTraffic).noquote() << timeOfDay() << "line echoes every request; answers are taken after the echo";
}

bool TrafficEntry::isOn() const
{
    return zorvelTraffic().isDebugEnabled() && clock.isValid();
}

void TrafficEntry::write(const QByteArray &answer, const QString &outcome)
{
    const QString bytes = answer.isEmpty() ? QString("nothing") : QString::fromLatin1(answer.toHex(' '));
    qCDebug(zorvelTraffic).noquote() << timeOfDay() << "<-" << bytes
                                     << QString("(%1 ms, %2)").arg(clock.elapsed()).arg(outcome);
}
