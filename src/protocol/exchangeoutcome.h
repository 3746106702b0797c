#ifndef EXCHANGEOUTCOME_H
#define EXCHANGEOUTCOME_H

#include <QString>

// How one request/answer exchange ended, as the master judged it. A caller
// decides by the kind alone; the text is for people (the traffic log, the
// command line's messages) and never parsed.
//
// Only an answer is a known outcome: taken, or refused with an exception.
// No answer, a garbled or foreign one, or a write answer that confirms some
// other write leave it unknown whether the detector carried the request out.
// A request that was never sent is known not to have reached it.
class ExchangeOutcome
{
public:
    enum class Kind {
        Answered,       // the answer the request asked for
        Refused,        // an exception answer, with its code
        NoAnswer,       // silence until the time-out
        Garbled,        // cut, bad CRC, too short, or other than the words asked for
        Foreign,        // another slave's answer, or one to another function
        NotConfirmed,   // a write answer that confirms another register or value
        NotSent,        // the port was closed, or the line would not fall quiet
        PortError,      // the port failed during the exchange
    };

    ExchangeOutcome() = default;
    static ExchangeOutcome answered(const QString &text = QStringLiteral("ok"));
    static ExchangeOutcome refused(quint8 exceptionCode);
    static ExchangeOutcome noAnswer();
    static ExchangeOutcome failed(Kind kind, const QString &text);

    Kind kind() const { return what; }
    // The exception code of a refusal, 0 otherwise.
    quint8 exceptionCode() const { return code; }
    // In the traffic log's words: "ok", "no answer", "exception 02 (illegal
    // data address)", "CRC mismatch", ...
    QString text() const { return words; }

    bool taken() const { return what == Kind::Answered; }
    bool isRefusal() const { return what == Kind::Refused; }
    bool notSent() const { return what == Kind::NotSent; }
    // The request may or may not have been carried out.
    bool unknown() const { return !taken() && !isRefusal() && !notSent(); }
    // The line carried something back, an answer, a refusal or noise: some
    // device listens at the address.
    bool heardAnything() const { return what != Kind::NoAnswer && what != Kind::NotSent && what != Kind::PortError; }

    // So that `if (modbus.setWorkingMode())` reads as "if it was taken".
    explicit operator bool() const { return taken(); }

private:
    ExchangeOutcome(Kind kind, quint8 code, const QString &text) : what(kind), code(code), words(text) {}

    Kind what = Kind::Answered;
    quint8 code = 0;
    QString words = QStringLiteral("ok");
};

// A stable name for each kind, for machine-readable output: "answered",
// "refused", "no-answer", "garbled", "foreign", "not-confirmed", "not-sent",
// "port-error".
QString outcomeKindName(ExchangeOutcome::Kind kind);

#endif // EXCHANGEOUTCOME_H
