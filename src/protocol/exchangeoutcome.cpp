#include "exchangeoutcome.h"
#include "modbusframes.h"

ExchangeOutcome ExchangeOutcome::answered(const QString &text)
{
    return {Kind::Answered, 0, text};
}

ExchangeOutcome ExchangeOutcome::refused(quint8 exceptionCode)
{
    return {Kind::Refused, exceptionCode, modbusExceptionText(exceptionCode)};
}

ExchangeOutcome ExchangeOutcome::noAnswer()
{
    return {Kind::NoAnswer, 0, QStringLiteral("no answer")};
}

ExchangeOutcome ExchangeOutcome::failed(Kind kind, const QString &text)
{
    return {kind, 0, text};
}

QString outcomeKindName(ExchangeOutcome::Kind kind)
{
    switch (kind) {
    case ExchangeOutcome::Kind::Answered:
        return QStringLiteral("answered");
    case ExchangeOutcome::Kind::Refused:
        return QStringLiteral("refused");
    case ExchangeOutcome::Kind::NoAnswer:
        return QStringLiteral("no-answer");
    case ExchangeOutcome::Kind::Garbled:
        return QStringLiteral("garbled");
    case ExchangeOutcome::Kind::Foreign:
        return QStringLiteral("foreign");
    case ExchangeOutcome::Kind::NotConfirmed:
        return QStringLiteral("not-confirmed");
    case ExchangeOutcome::Kind::NotSent:
        return QStringLiteral("not-sent");
    case ExchangeOutcome::Kind::PortError:
        return QStringLiteral("port-error");
    }
    return QString();
}
