#ifndef LINE_H
#define LINE_H

#include "console.h"
#include "detector.h"
#include "faults.h"
#include "options.h"

#include <QVector>
#include <memory>

// One detector on the line, with the faults on its answers and the console
// that changes it.
struct LineMember
{
    LineMember(const LineDetector &entry, const Console::Actions &actions);

    Detector detector;
    FaultInjector faults;
    Console console;
    QStringList faultRules;   // from the options, added by Line::addFaults
};

// The detectors that share the simulator's one port, in the order they were
// given. Every detector hears every request; those at the request's address
// answer it, and where two answer at once their bytes collide on the wire.
class Line
{
public:
    Line(const QVector<LineDetector> &detectors, const Console::Actions &actions);

    // Checks and adds each member's fault rules; false with the reason.
    bool addFaults(QString &error);

    int size() const { return members.size(); }
    LineMember &member(int index) { return *members[index]; }
    // The members a request to this slave address reaches: all for a broadcast.
    QVector<int> addressed(quint8 slave) const;

    // A console line: "on N COMMAND" for the N-th detector, "line" for the
    // list, any other command for the first detector.
    QStringList execute(const QString &text);
    static QStringList commandHelp();

private:
    QStringList list() const;

    std::vector<std::unique_ptr<LineMember>> members;
};

// What the wire carries when several answers go out at once. Each answer is
// taken as one run of characters from its first segment's start (a gap within
// an answer is not kept); runs that overlap are laid on each other, a byte
// where two overlap being the AND of both, as two drivers pulling the same
// pair make of it; runs that do not overlap stay apart, each intact.
// characterNs 0 (no pacing) counts a character as at 9600 baud.
QVector<Segment> collide(const QVector<QVector<Segment>> &answers, qint64 characterNs);

#endif // LINE_H
