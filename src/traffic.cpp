#include "traffic.h"
#include "modbuscrc.h"
#include "modbusframes.h"

#include <QTime>

// Debug lines are off by default; QtInfoMsg is the least severe type left on.
Q_LOGGING_CATEGORY(zorvelTraffic, "zorvel.traffic", QtInfoMsg)

namespace {

quint8 byteAt(const QByteArray &data, int index)
{
    return static_cast<quint8>(data.at(index));
}

QString foreignText(const QByteArray &answer)
{
    return QString("answer from slave %1 with function %2")
        .arg(byteAt(answer, 0))
        .arg(byteAt(answer, 1), 2, 16, QChar('0'));
}

bool isException(const QByteArray &answer)
{
    return answer.size() >= 5 && (byteAt(answer, 1) & 0x80);
}

// The checks of the read evaluation, in its order, so that "ok" here means the
// master hands words on.
QString readOutcome(const QByteArray &request, const QByteArray &answer)
{
    if (answer.size() <= 4)
        return QString("incomplete answer (%1 bytes)").arg(answer.size());
    if (!modbusCrcMatches(answer))
        return "CRC mismatch";
    if (!answerBelongsTo(request, answer))
        return foreignText(answer);
    const int byteCount = byteAt(answer, 2);
    if (isException(answer))
        return modbusExceptionText(byteAt(answer, 2));
    if (answer.size() <= byteCount + 4)
        return QString("shorter than its byte count %1").arg(byteCount);
    // The master passes on any number of words; its callers reject a wrong one.
    const int asked = request.size() >= 6 ? byteAt(request, 4) << 8 | byteAt(request, 5) : -1;
    const int carried = byteCount / 2;
    return carried == asked ? QString("ok") : QString("ok, %1 words for %2 asked").arg(carried).arg(asked);
}

QString writeOutcome(const QByteArray &request, const QByteArray &answer)
{
    if (answer.size() <= 2)
        return QString("incomplete answer (%1 bytes)").arg(answer.size());
    if (!modbusCrcMatches(answer))
        return "CRC mismatch";
    if (!answerBelongsTo(request, answer))
        return foreignText(answer);
    if (isException(answer))
        return modbusExceptionText(byteAt(answer, 2));
    return answerConfirmsWrite(request, answer) ? QString("ok") : QString("does not confirm the write");
}

QString timeOfDay()
{
    return QTime::currentTime().toString("HH:mm:ss.zzz");
}

} // namespace

QString exchangeOutcome(const QByteArray &request, const QByteArray &answer, const QString &lineFault)
{
    if (answer.isEmpty())
        return lineFault.isEmpty() ? QString("no answer") : lineFault;
    const quint8 function = request.size() > 1 ? byteAt(request, 1) : 0;
    const bool read = function == 0x03 || function == 0x04;
    const QString judged = read ? readOutcome(request, answer) : writeOutcome(request, answer);
    return lineFault.isEmpty() ? judged : judged + ", " + lineFault;
}

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

void TrafficEntry::finish(const QByteArray &answer, const QString &lineFault)
{
    if (isOn())
        write(answer, exchangeOutcome(request, answer, lineFault));
}

void TrafficEntry::noteEcho()
{
    if (isOn())
        qCDebug(zorvelTraffic).noquote() << timeOfDay() << "line echoes every request; answers are taken after the echo";
}

void TrafficEntry::refuse(const QByteArray &kept, const QString &why)
{
    if (isOn())
        write(kept, why);
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
