#include "transmitter.h"

#include <cerrno>
#include <unistd.h>

namespace {
const qint64 msNs = 1000000;
const int retryMs = 5;  // the pty's buffer was full
} // namespace

Transmitter::Transmitter(qint64 characterNs, QObject *parent)
    : QObject(parent), characterNs(characterNs)
{
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &Transmitter::pump);
    clock.start();
}

void Transmitter::setDescriptor(int descriptor)
{
    fd = descriptor;
    if (fd < 0) {
        queue.clear();
        timer.stop();
    }
}

void Transmitter::send(const QVector<Segment> &answer, qint64 heardAfterNs, int sender)
{
    if (fd < 0 || answer.isEmpty())
        return;
    // The turnaround counts from now, or from the end of what is still on
    // the line.
    const qint64 from = qMax(clock.nsecsElapsed() + heardAfterNs, lineFreeNs);
    if (overtakes(sender, from + answer.first().delayMs * msNs)) {
        for (int i = answer.size() - 1; i >= 0; --i)
            queue.prepend({answer[i], -1, 0, sender});
        startFront(from);
        pump();
        return;
    }
    const bool wasIdle = queue.isEmpty();
    for (const Segment &segment : answer)
        queue.enqueue({segment, -1, 0, sender});
    if (wasIdle) {
        startFront(from);
        pump();
    }
}

// Another detector's answer that has not begun and would begin later.
bool Transmitter::overtakes(int sender, qint64 startNs) const
{
    return !queue.isEmpty() && queue.head().sender != sender && queue.head().sent == 0 &&
           queue.head().startNs > startNs;
}

void Transmitter::startFront(qint64 now)
{
    if (queue.isEmpty())
        return;
    // One that was overtaken keeps its own time, unless the line is busy then.
    Pending &head = queue.head();
    head.startNs = head.startNs < 0 ? now + head.segment.delayMs * msNs : qMax(head.startNs, now);
}

void Transmitter::pump()
{
    while (!queue.isEmpty()) {
        Pending &p = queue.head();
        const qint64 now = clock.nsecsElapsed();
        const int size = p.segment.bytes.size();
        if (now < p.startNs) {
            timer.start(int((p.startNs - now + msNs - 1) / msNs));
            return;
        }
        int due = size;
        if (characterNs > 0)
            due = int(qMin<qint64>(size, (now - p.startNs) / characterNs));
        const int wanted = due - p.sent;
        if (wanted > 0) {
            const ssize_t n = ::write(fd, p.segment.bytes.constData() + p.sent, size_t(wanted));
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                queue.clear();
                return;
            }
            if (n > 0)
                p.sent += int(n);
            if (n < wanted) {
                timer.start(retryMs);
                return;
            }
        }
        if (p.sent < size) {
            const qint64 next = p.startNs + (p.sent + 1) * characterNs;
            timer.start(int(qMax<qint64>(0, (next - now + msNs - 1) / msNs)));
            return;
        }
        lineFreeNs = characterNs > 0 ? p.startNs + size * characterNs : now;
        queue.dequeue();
        startFront(qMax(now, lineFreeNs));
    }
}
