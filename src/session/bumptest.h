#ifndef BUMPTEST_H
#define BUMPTEST_H

#include <QtGlobal>

#include <array>
#include <optional>

#include "alarmthresholds.h"

// What the user asks of a bump test: the test gas on the sensor, in the
// detector's unit, and the share of it the reading must reach within a time.
struct BumpCriteria
{
    double testGas = 0;
    double passShare = 0.5;
    double withinSeconds = 30;
};

// How a bump test ended. Only the detector's own polls decide it.
enum class BumpVerdict {
    Running,
    Passed,
    SlowRise,            // the reading did not reach the share in time
    ThresholdSilent,     // a threshold below the test gas never tripped
    DetectorFault,       // the detector reported a fault while tested
    Interrupted,         // see BumpInterruption: no verdict on the detector
    Cancelled,
};

enum class BumpInterruption { None, ConnectionLost, PollFailed, DetectorRestarted, ServiceMode };

// The figures a bump test records, every time in seconds from the start,
// which is when the user applies the gas, and the recovery from its removal.
struct BumpTestFigures
{
    double readingBefore = 0;
    double peak = 0;
    std::optional<double> t50, t90, tPass;
    std::array<std::optional<double>, 3> thresholdTripped;
    std::optional<double> gasRemovedAt;
    std::optional<double> recovery;
};

// A bump test without a port: fed with the polls as they come, it keeps the
// figures and judges them once the test ends. It never talks to the
// detector, so nothing it does can write to one.
class BumpTest
{
public:
    enum class Stage { Idle, GasOn, GasOff, Ended };

    // The reading falls back once it is no more than this share of the test
    // gas above the reading before gas.
    static constexpr double kRecoveryShare = 0.1;

    void start(const BumpCriteria &criteria, const RegisterModel::AlarmThresholds &thresholds,
               double readingBefore);
    // One good poll: its time, the reading in the detector's unit and the
    // status word.
    void sample(double seconds, double reading, quint16 status);
    void pollFailed() { interrupt(BumpInterruption::PollFailed); }
    void connectionLost() { interrupt(BumpInterruption::ConnectionLost); }
    void gasRemoved(double seconds);
    // The user ends it: judged on what was seen after the gas came off,
    // cancelled before.
    void finish();
    void cancel();

    Stage stage() const { return now; }
    bool running() const { return now == Stage::GasOn || now == Stage::GasOff; }
    BumpVerdict verdict() const { return judged; }
    BumpInterruption interruption() const { return why; }
    // The threshold (1..3) that failed the test, 0 for another verdict.
    int silentThreshold() const { return silent; }
    const BumpTestFigures &figures() const { return seen; }
    const BumpCriteria &criteria() const { return asked; }
    // Whether threshold i (0..2) must trip: on, rising, below the test gas.
    bool thresholdExpected(int i) const;

private:
    void interrupt(BumpInterruption reason);
    void end(BumpVerdict verdict);
    BumpVerdict judge();

    Stage now = Stage::Idle;
    BumpCriteria asked;
    RegisterModel::AlarmThresholds thresholds;
    BumpTestFigures seen;
    bool faultSeen = false;
    BumpVerdict judged = BumpVerdict::Running;
    BumpInterruption why = BumpInterruption::None;
    int silent = 0;
};

#endif // BUMPTEST_H
