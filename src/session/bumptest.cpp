#include "bumptest.h"

#include <algorithm>

#include "registermap.h"

using namespace RegisterModel;

void BumpTest::start(const BumpCriteria &criteria, const AlarmThresholds &alarms, double readingBefore)
{
    *this = BumpTest();
    asked = criteria;
    thresholds = alarms;
    seen.readingBefore = readingBefore;
    seen.peak = readingBefore;
    now = Stage::GasOn;
}

void BumpTest::sample(double seconds, double reading, quint16 status)
{
    if (!running())
        return;
    // A detector that starts again, or that someone put into service mode,
    // may hold its outputs: what it shows says nothing of its alarms.
    if (status & kStatusInitialising)
        return interrupt(BumpInterruption::DetectorRestarted);
    if (status & kStatusServiceMode)
        return interrupt(BumpInterruption::ServiceMode);
    if (status & (kStatusFault | kStatusSensorFault))
        faultSeen = true;

    seen.peak = std::max(seen.peak, reading);
    auto firstAt = [seconds](std::optional<double> &time, bool reached) {
        if (reached && !time)
            time = seconds;
    };
    firstAt(seen.t50, reading >= 0.5 * asked.testGas);
    firstAt(seen.t90, reading >= 0.9 * asked.testGas);
    firstAt(seen.tPass, reading >= asked.passShare * asked.testGas);
    for (int i = 0; i < 3; ++i)
        firstAt(seen.thresholdTripped[i], status & kStatusThreshold[i]);

    if (now == Stage::GasOff && reading <= seen.readingBefore + kRecoveryShare * asked.testGas) {
        seen.recovery = seconds - *seen.gasRemovedAt;
        end(judge());
    }
}

void BumpTest::gasRemoved(double seconds)
{
    if (now != Stage::GasOn)
        return;
    seen.gasRemovedAt = seconds;
    now = Stage::GasOff;
}

void BumpTest::finish()
{
    if (now == Stage::GasOff)
        end(judge());
    else
        cancel();
}

void BumpTest::cancel()
{
    if (running())
        end(BumpVerdict::Cancelled);
}

bool BumpTest::thresholdExpected(int i) const
{
    const AlarmThreshold &t = thresholds[size_t(i)];
    return t.on && t.rising && t.level < asked.testGas;
}

void BumpTest::interrupt(BumpInterruption reason)
{
    if (!running())
        return;
    why = reason;
    end(BumpVerdict::Interrupted);
}

void BumpTest::end(BumpVerdict verdict)
{
    judged = verdict;
    now = Stage::Ended;
}

// An alarm counts only while the gas was on: one that trips once it is off
// did not answer the gas in time.
BumpVerdict BumpTest::judge()
{
    if (faultSeen)
        return BumpVerdict::DetectorFault;
    if (!seen.tPass || *seen.tPass > asked.withinSeconds)
        return BumpVerdict::SlowRise;
    for (int i = 0; i < 3; ++i) {
        const std::optional<double> &tripped = seen.thresholdTripped[size_t(i)];
        if (thresholdExpected(i) && (!tripped || *tripped > *seen.gasRemovedAt)) {
            silent = i + 1;
            return BumpVerdict::ThresholdSilent;
        }
    }
    return BumpVerdict::Passed;
}
