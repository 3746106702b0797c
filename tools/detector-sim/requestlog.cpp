#include "requestlog.h"

#include <QStringList>

namespace {

QString stamp(double seconds)
{
    return QString::number(seconds, 'f', 3);
}

QString hex2(int value)
{
    return QString("%1").arg(value, 2, 16, QChar('0')).toUpper();
}

} // namespace

QString requestLogLine(double seconds, const Request &r, const AppliedFault &fault,
                       const QString &reply)
{
    QStringList fields{stamp(seconds), QString("slave=%1").arg(r.slave), "fc=" + hex2(r.function)};
    if (r.knownLayout) {
        fields << QString("addr=%1").arg(r.address);
        if (r.function == 0x06) {
            fields << QString("value=%1").arg(r.values.value(0));
        } else {
            fields << QString("count=%1").arg(r.count);
            if (r.function == 0x10) {
                QStringList values;
                for (quint16 v : r.values)
                    values << QString::number(v);
                fields << "values=" + values.join(',');
            }
        }
    }
    fields << "fault=" + fault.label() << "reply=" + reply;
    return fields.join(' ');
}

QString eventLogLine(double seconds, const QString &event)
{
    return stamp(seconds) + " event=" + event;
}

QString replyLabel(const QByteArray &pdu)
{
    if (pdu.size() >= 2 && (static_cast<quint8>(pdu[0]) & 0x80))
        return "exception:" + hex2(static_cast<quint8>(pdu[1]));
    return "ok";
}
