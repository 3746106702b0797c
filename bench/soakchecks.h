#ifndef SOAKCHECKS_H
#define SOAKCHECKS_H

#include "simulator.h"

#include <QString>
#include <QStringList>
#include <QVector>

// What the soak run may expect of a poll, by the fault the simulator put on
// its answer.
enum class PollExpectation { Succeeds, Fails, Either };
PollExpectation expectationFor(const QString &faultLabel);

// The fault's kind without its argument: "truncate:82" -> "truncate".
QString faultKind(const QString &faultLabel);

// The answer's bytes arrive in pieces far enough apart that what is left of
// them may still be on the way when the next request goes out.
bool spillsIntoNext(const QString &faultLabel);

// The requests of one tick, with the poll picked out.
struct TickRequests
{
    QVector<SimRequest> all;
    int pollIndex = -1;     // the 80-word input read, -1 if none reached the simulator

    const SimRequest *poll() const { return pollIndex < 0 ? nullptr : &all[pollIndex]; }
    // Whether a request before the poll in this tick spilled into later ones.
    bool spillBeforePoll() const;
    // The holding-block reads of a reload: -1 none seen, 0 both answered
    // cleanly, 1 one of them spoilt, 2 undecided (a spill).
    int reloadOutcome() const;
};
TickRequests splitTick(const QVector<SimRequest> &requests);

// The concentration word an answer carried ("conc=" in the log), or -1.
int loggedConcentration(const SimRequest &request);

// Compares the writes the simulator received with the ones meant; every
// mismatch is one line in *problems.
struct MeantWrites
{
    bool block = false;            // the 180 words in `words`
    QVector<quint16> words;
    QVector<quint16> singleMode;   // values meant for holding 3, in order
};
int checkWrites(const QVector<SimRequest> &received, const MeantWrites &meant, QStringList *problems);

// Whether the window has read the simulator's block on this connection, as
// the simulator's log tells: a reload is undecided when a spill may have
// spoilt it unseen.
enum class BlockRead { No, Undecided, Yes };
BlockRead afterReload(BlockRead before, int reloadOutcome);

// What tells one simulated detector from another in its block.
struct DetectorIdentity
{
    quint32 serial = 0;
    int decimals = 0;
};
// Every block write must come after a read of this detector's block on this
// connection and carry its serial number and decimal count, not an earlier
// detector's or a fresh window's. Returns the number of blocks checked.
int checkBlockOrigin(const QVector<SimRequest> &received, BlockRead read, const DetectorIdentity &detector,
                     QStringList *problems);

#endif // SOAKCHECKS_H
