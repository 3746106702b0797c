#include "soakchecks.h"

namespace {

const int modeRegister = 3;
const int firstHalfWords = 96;

bool isPoll(const SimRequest &r)
{
    return r.function == 0x04 && r.address == 256 && r.count == 80;
}

bool isHoldingRead(const SimRequest &r)
{
    return r.function == 0x03 && r.address == 0 && r.count == firstHalfWords;
}

bool isSecondHoldingRead(const SimRequest &r)
{
    return r.function == 0x03 && r.address == firstHalfWords && r.count == 84;
}

} // namespace

QString faultKind(const QString &faultLabel)
{
    return faultLabel.section(':', 0, 0);
}

PollExpectation expectationFor(const QString &faultLabel)
{
    const QString kind = faultKind(faultLabel);
    if (kind == "none" || kind == "delay")
        return PollExpectation::Succeeds;
    if (kind == "gap")
        return PollExpectation::Either;
    return PollExpectation::Fails;
}

bool spillsIntoNext(const QString &faultLabel)
{
    return faultKind(faultLabel) == "gap";
}

bool TickRequests::spillBeforePoll() const
{
    for (int i = 0; i < pollIndex; ++i) {
        if (spillsIntoNext(all[i].fault))
            return true;
    }
    return false;
}

int TickRequests::reloadOutcome() const
{
    int seen = 0;
    int outcome = 0;
    for (int i = 0; i < all.size(); ++i) {
        if (!isHoldingRead(all[i]) && !isSecondHoldingRead(all[i]))
            continue;
        ++seen;
        const bool spillFromBefore = i > 0 && spillsIntoNext(all[i - 1].fault);
        const PollExpectation e = expectationFor(all[i].fault);
        if (e == PollExpectation::Fails)
            outcome = qMax(outcome, 1);
        else if (e == PollExpectation::Either || spillFromBefore)
            outcome = 2;
    }
    // Only the first read seen means the second was never sent: spoilt.
    if (seen == 1 && outcome == 0)
        outcome = 1;
    return seen == 0 ? -1 : outcome;
}

TickRequests splitTick(const QVector<SimRequest> &requests)
{
    TickRequests tick;
    tick.all = requests;
    for (int i = 0; i < requests.size(); ++i) {
        if (isPoll(requests[i]))
            tick.pollIndex = i;
    }
    return tick;
}

int loggedConcentration(const SimRequest &request)
{
    for (const QString &field : request.line.split(' ')) {
        if (field.startsWith("conc="))
            return field.mid(5).toInt();
    }
    return -1;
}

int checkWrites(const QVector<SimRequest> &received, const MeantWrites &meant, QStringList *problems)
{
    int checked = 0;
    int nextMode = 0;
    for (const SimRequest &r : received) {
        if (!r.isWrite())
            continue;
        ++checked;
        if (r.function == 0x06) {
            if (r.address == modeRegister && nextMode < meant.singleMode.size()
                && r.values == QVector<quint16>{meant.singleMode[nextMode]}) {
                ++nextMode;
                continue;
            }
            *problems << "single write nobody meant: " + r.line;
            continue;
        }
        const bool firstHalf = r.address == 0 && r.count == firstHalfWords;
        const bool secondHalf = r.address == firstHalfWords && r.count == 84;
        if (!meant.block || !(firstHalf || secondHalf)) {
            *problems << "block write nobody meant: " + r.line.left(160);
            continue;
        }
        if (r.values != meant.words.mid(r.address, r.count))
            *problems << QString("block write at %1 differs from the block the window meant to send").arg(r.address);
    }
    return checked;
}

BlockRead afterReload(BlockRead before, int reloadOutcome)
{
    if (reloadOutcome == 0)
        return BlockRead::Yes;
    if (reloadOutcome == 2 && before == BlockRead::No)
        return BlockRead::Undecided;
    return before;
}

int checkBlockOrigin(const QVector<SimRequest> &received, BlockRead read, const DetectorIdentity &detector,
                     QStringList *problems)
{
    const int formatWord = 4, serialHighWord = 20, serialLowWord = 21;
    int checked = 0;
    for (const SimRequest &r : received) {
        if (r.function != 0x10 || r.address != 0 || r.values.size() <= serialLowWord)
            continue;
        ++checked;
        if (read == BlockRead::No)
            *problems << "a block reached the simulator that was never read from it";
        const quint32 serial = quint32(r.values[serialHighWord]) << 16 | r.values[serialLowWord];
        const int decimals = (r.values[formatWord] >> 8) & 0x3;
        if (serial != detector.serial || decimals != detector.decimals)
            *problems << QString("a block of serial number %1 with %2 decimals reached the simulator of %3 with %4")
                             .arg(serial).arg(decimals).arg(detector.serial).arg(detector.decimals);
    }
    return checked;
}
