#include "line.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const qint64 nineSixHundredCharacterNs = 10LL * 1000000000LL / 9600;
const qint64 msNs = 1000000;

// An answer as one run of characters: when its first one starts, in ns
// after the earliest answer's, and its bytes.
struct Run
{
    qint64 startNs = 0;
    QByteArray bytes;
};

Run flatten(const QVector<Segment> &answer)
{
    Run run;
    run.startNs = answer.isEmpty() ? 0 : answer.first().delayMs * msNs;
    for (const Segment &segment : answer)
        run.bytes += segment.bytes;
    return run;
}

} // namespace

LineMember::LineMember(const LineDetector &entry, const Console::Actions &actions)
    : detector(entry.settings),
      faults(entry.settings.seed),
      console(detector, faults, actions),
      faultRules(entry.faults)
{
}

Line::Line(const QVector<LineDetector> &detectors, const Console::Actions &actions)
{
    for (const LineDetector &entry : detectors)
        members.push_back(std::make_unique<LineMember>(entry, actions));
}

bool Line::addFaults(QString &error)
{
    for (const auto &m : members) {
        for (const QString &text : m->faultRules) {
            FaultRule rule;
            if (!parseFaultRule(text, rule, error))
                return false;
            m->faults.add(rule);
        }
    }
    return true;
}

QVector<int> Line::addressed(quint8 slave) const
{
    QVector<int> found;
    for (int i = 0; i < int(members.size()); ++i) {
        if (slave == 0 || members[i]->detector.slaveAddress() == slave)
            found << i;
    }
    return found;
}

QStringList Line::commandHelp()
{
    return {
        "on N COMMAND          COMMAND for the N-th detector of the line (1 first);",
        "                      without it a command goes to the first",
        "line                  print \"detector N address=A serial=S\" for each one",
    };
}

QStringList Line::list() const
{
    QStringList lines;
    for (int i = 0; i < int(members.size()); ++i) {
        Detector &d = members[i]->detector;
        const QVector<quint16> serial = d.readHolding(20, 2);
        lines << QString("detector %1 address=%2 serial=%3")
                     .arg(i + 1)
                     .arg(d.slaveAddress())
                     .arg(quint32(serial[0]) << 16 | serial[1]);
    }
    return lines << "ok";
}

QStringList Line::execute(const QString &text)
{
    const QStringList words = text.simplified().split(' ', Qt::SkipEmptyParts);
    if (words.value(0).toLower() == "line")
        return list();
    if (words.value(0).toLower() != "on")
        return members.front()->console.execute(text);
    bool ok = false;
    const int position = words.value(1).toInt(&ok);
    if (!ok || position < 1 || position > int(members.size()) || words.size() < 3)
        return {QString("error usage: on N COMMAND, N from 1 to %1").arg(members.size())};
    return members[position - 1]->console.execute(QStringList(words.mid(2)).join(' '));
}

QVector<Segment> collide(const QVector<QVector<Segment>> &answers, qint64 characterNs)
{
    const qint64 character = characterNs > 0 ? characterNs : nineSixHundredCharacterNs;
    QVector<QVector<Segment>> heard;   // the answers that go out at all
    for (const QVector<Segment> &answer : answers) {
        if (!answer.isEmpty())
            heard << answer;
    }
    if (heard.size() < 2)
        return heard.value(0);
    QVector<Run> runs;
    for (const QVector<Segment> &answer : heard)
        runs << flatten(answer);
    const qint64 first =
        std::min_element(runs.cbegin(), runs.cend(), [](const Run &a, const Run &b) { return a.startNs < b.startNs; })
            ->startNs;
    // The wire character by character: -1 where it is idle.
    QVector<int> wire;
    for (const Run &run : runs) {
        const int offset = int((run.startNs - first + character / 2) / character);
        while (wire.size() < offset + run.bytes.size())
            wire << -1;
        for (int i = 0; i < run.bytes.size(); ++i) {
            int &slot = wire[offset + i];
            const int byte = quint8(run.bytes[i]);
            slot = slot < 0 ? byte : (slot & byte);
        }
    }
    // Each stretch of characters after an idle stretch is a segment of its own.
    QVector<Segment> segments;
    int idle = 0;
    for (int i = 0; i < wire.size(); ++i) {
        if (wire[i] < 0) {
            ++idle;
            continue;
        }
        if (segments.isEmpty() || idle > 0)
            segments << Segment{int(segments.isEmpty() ? first / msNs : idle * character / msNs), QByteArray()};
        segments.last().bytes.append(char(wire[i]));
        idle = 0;
    }
    return segments;
}
