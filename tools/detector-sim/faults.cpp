#include "faults.h"

#include "modbuscrc.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

struct KindInfo
{
    FaultKind kind;
    const char *name;
    int defaultArgument;  // -1: the kind takes no argument
    int minArgument;
    int maxArgument;
};

const KindInfo kinds[] = {
    {FaultKind::NoAnswer, "noanswer", -1, 0, 0},
    {FaultKind::BadCrc, "badcrc", -1, 0, 0},
    {FaultKind::Truncate, "truncate", 0, 0, 65535},   // 0: half the answer
    {FaultKind::Exception, "exception", 4, 1, 255},   // 04: slave device failure
    {FaultKind::Delay, "delay", 500, 0, 600000},
    {FaultKind::Gap, "gap", 20, 0, 600000},
    {FaultKind::Garbage, "garbage", 3, 1, 256},
    {FaultKind::WrongAddress, "wrongaddr", 0, 0, 255},
    {FaultKind::Close, "close", -1, 0, 0},
    {FaultKind::HideBits, "hidebits", 0x0300, 1, 65535},   // both calibration bits
    {FaultKind::Restart, "restart", 1200, 0, 600000},
    {FaultKind::Echo, "echo", 0, 0, 600000},
    {FaultKind::Ignore, "ignore", 0, 0, 65535},
};

const KindInfo *findKind(const QString &name)
{
    for (const KindInfo &k : kinds) {
        if (name == QLatin1String(k.name))
            return &k;
    }
    return nullptr;
}

const KindInfo &infoOf(FaultKind kind)
{
    for (const KindInfo &k : kinds) {
        if (k.kind == kind)
            return k;
    }
    static const KindInfo none{FaultKind::None, "none", -1, 0, 0};
    return none;
}

bool toInt(const QString &text, int low, int high, int &value, int base = 10)
{
    bool ok = false;
    const long long v = text.toLongLong(&ok, base);
    if (!ok || v < low || v > high)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool isNumber(const QString &text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

// The words after the kind: modes, filters and their numbers.
bool parseModifiers(const QStringList &words, int start, FaultRule &rule, QString &error)
{
    for (int i = start; i < words.size(); ++i) {
        const QString word = words[i];
        const QString next = i + 1 < words.size() ? words[i + 1] : QString();
        auto needNumber = [&](int low, int high, int &target, int base = 10) {
            if (!toInt(next, low, high, target, base)) {
                error = QString("\"%1\" needs a number %2-%3").arg(word).arg(low).arg(high);
                return false;
            }
            ++i;
            return true;
        };
        if (word == "once") {
            rule.mode = FaultRule::Mode::Count;
            rule.remaining = 1;
        } else if (word == "persist" || word == "always") {
            rule.mode = FaultRule::Mode::Persist;
        } else if (word == "count" || word == "times") {
            rule.mode = FaultRule::Mode::Count;
            if (!needNumber(1, 1000000000, rule.remaining))
                return false;
        } else if (word == "rate") {
            bool ok = false;
            rule.rate = next.toDouble(&ok);
            if (!ok || rule.rate < 0 || rule.rate > 1) {
                error = "\"rate\" needs a probability 0-1";
                return false;
            }
            rule.mode = FaultRule::Mode::Rate;
            ++i;
        } else if (word == "after") {
            if (!needNumber(0, 1000000000, rule.after))
                return false;
        } else if (word == "fc") {
            if (!needNumber(1, 255, rule.function, 16))
                return false;
        } else if (word == "addr") {
            if (!needNumber(0, 65535, rule.address))
                return false;
        } else if (word == "writeto") {
            if (!needNumber(0, 65535, rule.writeTo))
                return false;
        } else {
            error = QString("unknown fault word \"%1\"").arg(word);
            return false;
        }
    }
    return true;
}

} // namespace

QString faultKindName(FaultKind kind)
{
    return QString::fromLatin1(infoOf(kind).name);
}

bool parseFaultRule(const QString &text, FaultRule &rule, QString &error)
{
    const QStringList words =
        text.trimmed().toLower().split(QRegularExpression("[\\s,=]+"), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        error = "empty fault";
        return false;
    }
    rule = FaultRule();
    int next = 1;
    if (words[0] == "silent") {
        // Going silent after N requests: every answer from the (N+1)-th on is lost.
        rule.kind = FaultKind::NoAnswer;
        rule.mode = FaultRule::Mode::Persist;
        if (words.size() > 1 && isNumber(words[1])) {
            if (!toInt(words[1], 0, 1000000000, rule.after)) {
                error = "\"silent\" needs a number of requests";
                return false;
            }
            next = 2;
        }
        return parseModifiers(words, next, rule, error);
    }
    const KindInfo *info = findKind(words[0]);
    if (!info) {
        error = QString("unknown fault \"%1\" (noanswer, badcrc, truncate, exception, delay, "
                        "gap, garbage, wrongaddr, close, hidebits, restart, echo, ignore, silent)").arg(words[0]);
        return false;
    }
    rule.kind = info->kind;
    rule.argument = qMax(info->defaultArgument, 0);
    if (info->defaultArgument >= 0 && words.size() > 1 && isNumber(words[1])) {
        if (!toInt(words[1], info->minArgument, info->maxArgument, rule.argument)) {
            error = QString("\"%1\" takes %2-%3").arg(words[0]).arg(info->minArgument).arg(info->maxArgument);
            return false;
        }
        rule.argumentGiven = true;
        next = 2;
    }
    return parseModifiers(words, next, rule, error);
}

QString FaultRule::text() const
{
    QStringList parts;
    QString head = faultKindName(kind);
    if (infoOf(kind).defaultArgument >= 0 && (argumentGiven || kind != FaultKind::WrongAddress))
        head += QString("=%1").arg(argument);
    parts << head;
    switch (mode) {
    case Mode::Count:
        parts << (remaining == 1 ? QString("once") : QString("count=%1").arg(remaining));
        break;
    case Mode::Persist:
        parts << "persist";
        break;
    case Mode::Rate:
        parts << QString("rate=%1").arg(rate);
        break;
    }
    if (after > 0)
        parts << QString("after=%1").arg(after);
    if (function >= 0)
        parts << "fc=" + QString("%1").arg(function, 2, 16, QChar('0')).toUpper();
    if (address >= 0)
        parts << QString("addr=%1").arg(address);
    if (writeTo >= 0)
        parts << QString("writeto=%1").arg(writeTo);
    return parts.join(',');
}

QString AppliedFault::label() const
{
    // A wrong address without an argument is the next one, fixed only when applied.
    if (infoOf(kind).defaultArgument < 0 || argument < 0)
        return faultKindName(kind);
    return QString("%1:%2").arg(faultKindName(kind)).arg(argument);
}

FaultInjector::FaultInjector(quint32 seed) : random(seed) {}

void FaultInjector::add(const FaultRule &rule)
{
    list.append(rule);
}

void FaultInjector::clear()
{
    list.clear();
}

namespace {

// A block write counts as a write to every register it covers.
bool writesTo(int function, int address, int count, int reg)
{
    return (function == 0x06 || function == 0x10) && reg >= address && reg < address + qMax(count, 1);
}

} // namespace

AppliedFault FaultInjector::pick(int function, int address, int count)
{
    AppliedFault applied;
    int chosen = -1;
    for (int i = 0; i < list.size(); ++i) {
        FaultRule &rule = list[i];
        if ((rule.function >= 0 && rule.function != function)
            || (rule.address >= 0 && rule.address != address)
            || (rule.writeTo >= 0 && !writesTo(function, address, count, rule.writeTo))
            || (rule.kind == FaultKind::Ignore && !writesTo(function, address, count, rule.argument)))
            continue;
        ++rule.seen;
        if (chosen >= 0 || rule.seen <= rule.after)
            continue;
        bool fires = true;
        if (rule.mode == FaultRule::Mode::Rate)
            fires = std::uniform_real_distribution<double>(0, 1)(random) < rule.rate;
        if (fires)
            chosen = i;
    }
    if (chosen < 0)
        return applied;
    applied.kind = list[chosen].kind;
    applied.argument = list[chosen].argument;
    if (!list[chosen].argumentGiven && applied.kind == FaultKind::WrongAddress)
        applied.argument = -1;
    if (list[chosen].mode == FaultRule::Mode::Count && --list[chosen].remaining <= 0)
        list.removeAt(chosen);
    return applied;
}

QVector<Segment> FaultInjector::shape(const AppliedFault &fault, const QByteArray &answer,
                                      int turnaroundMs, quint8 otherAddress, const QByteArray &request)
{
    if (answer.isEmpty())
        return {};
    QByteArray bytes = answer;
    switch (fault.kind) {
    case FaultKind::NoAnswer:
    case FaultKind::Close:
        return {};
    case FaultKind::BadCrc:
        bytes[bytes.size() - 1] = static_cast<char>(bytes[bytes.size() - 1] ^ 0x5A);
        break;
    case FaultKind::Truncate: {
        const int keep = fault.argument > 0 ? fault.argument : bytes.size() / 2;
        bytes.truncate(qMin(keep, bytes.size() - 1));
        break;
    }
    case FaultKind::Delay:
        return {{turnaroundMs + fault.argument, bytes}};
    case FaultKind::Gap: {
        const int half = bytes.size() / 2;
        return {{turnaroundMs, bytes.left(half)}, {fault.argument, bytes.mid(half)}};
    }
    case FaultKind::Garbage: {
        QByteArray junk;
        std::uniform_int_distribution<int> byte(0, 255);
        for (int i = 0; i < fault.argument; ++i)
            junk.append(static_cast<char>(byte(random)));
        bytes.prepend(junk);
        break;
    }
    case FaultKind::WrongAddress:
        bytes.chop(2);
        bytes[0] = static_cast<char>(fault.argument >= 0 ? fault.argument : otherAddress);
        appendModbusCrc(bytes);
        break;
    case FaultKind::Echo:
        return {{0, request}, {turnaroundMs + fault.argument, bytes}};
    case FaultKind::None:
    case FaultKind::Exception:  // already the exception answer
    case FaultKind::HideBits:   // already in the answer
    case FaultKind::Restart:    // never answered
    case FaultKind::Ignore:     // the detector's doing, not the answer's
        break;
    }
    return {{turnaroundMs, bytes}};
}
