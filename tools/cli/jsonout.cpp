#include "jsonout.h"

#include "detector.h"
#include "exchangeoutcome.h"
#include "output.h"
#include "registermodel.h"

#include <QJsonArray>
#include <QJsonDocument>

QJsonObject statusJson(quint16 status)
{
    // The bits by their meaning, in the program's own English whatever the locale.
    static const struct { quint16 bit; const char *name; } bits[] = {
        {0x0002, "threshold 1"}, {0x0004, "threshold 2"}, {0x0008, "sensor fault"},
        {0x0010, "threshold 3"}, {0x0020, "over range"}, {0x0040, "initialising"},
        {0x0080, "service mode"}, {0x0100, "zero calibration"}, {0x0200, "span calibration"},
        {0x0400, "fault"},
    };
    QJsonArray named;
    for (const auto &b : bits) {
        if (status & b.bit)
            named << QString::fromLatin1(b.name);
    }
    return {{"word", status}, {"text", RegisterModel::statusText(status)}, {"bits", named}};
}

QJsonObject outcomeJson(const ExchangeOutcome &outcome)
{
    QJsonObject told{{"kind", outcomeKindName(outcome.kind())}, {"message", outcome.text()}};
    if (outcome.isRefusal())
        told.insert("exceptionCode", outcome.exceptionCode());
    return told;
}

QJsonObject failureJson(int address)
{
    return withFailure({{"address", address}});
}

QJsonObject withFailure(QJsonObject object)
{
    const DetectorFailure *failure = lastFailureAt(object.value("address").toInt());
    if (!failure)
        return object;
    QJsonObject told{{"kind", failure->kind}, {"message", failure->message}};
    if (failure->exceptionCode > 0)
        told.insert("exceptionCode", failure->exceptionCode);
    object.insert("failure", told);
    return object;
}

QJsonArray tableJson(const QVector<QStringList> &rows, const QStringList &numberColumns)
{
    QJsonArray list;
    const QStringList header = rows.value(0);
    for (int r = 1; r < rows.size(); ++r) {
        QJsonObject object;
        for (int c = 0; c < header.size(); ++c) {
            const QString cell = rows[r].value(c);
            bool number = false;
            const double value = cell.toDouble(&number);
            if (!numberColumns.contains(header[c]))
                object.insert(header[c], cell);
            else if (cell.isEmpty())
                object.insert(header[c], QJsonValue::Null);
            else
                object.insert(header[c], number ? QJsonValue(value) : QJsonValue(cell));
        }
        list << object;
    }
    return list;
}

bool printJson(const QJsonValue &value)
{
    const QByteArray text = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                                            : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    return printBytes(text + '\n');
}
