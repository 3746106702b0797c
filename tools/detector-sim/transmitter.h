#ifndef TRANSMITTER_H
#define TRANSMITTER_H

#include "faults.h"

#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QTimer>

// Puts answers on the line one after the other, each segment after its
// silence and, unless pacing is off, one character per character time, as a
// UART at the line's baud rate would: a character reaches the reader when its
// stop bit is over. One detector answers its requests in turn; another's
// answer that is due first goes ahead of one still waiting to start, since
// detectors on a line wait each for itself.
class Transmitter : public QObject
{
    Q_OBJECT
public:
    // characterNs 0: every segment goes out at once.
    explicit Transmitter(qint64 characterNs, QObject *parent = nullptr);

    void setDescriptor(int fd);        // -1: drop everything, write nothing
    // heardAfterNs: how long the request still takes to come in on a real
    // line, where the pty handed it over at once; the answer waits for it.
    // sender: which detector answers.
    void send(const QVector<Segment> &answer, qint64 heardAfterNs = 0, int sender = 0);
    bool idle() const { return queue.isEmpty(); }

private:
    void pump();
    void startFront(qint64 now);
    bool overtakes(int sender, qint64 startNs) const;

    struct Pending
    {
        Segment segment;
        qint64 startNs = -1;  // when its first character goes out
        int sent = 0;
        int sender = 0;
    };

    QQueue<Pending> queue;
    qint64 characterNs;
    qint64 lineFreeNs = 0;    // end of the last character written
    int fd = -1;
    QTimer timer;
    QElapsedTimer clock;
};

#endif // TRANSMITTER_H
