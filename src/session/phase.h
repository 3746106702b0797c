#ifndef PHASE_H
#define PHASE_H

#include <QDebug>

// Where an operation that runs over several ticks stands. Every change goes
// through moveTo(), which knows the legal steps: a step the table does not
// allow is a bug, refused, logged and counted, so that a test sees it.
template <typename P>
class Phase
{
public:
    using Legal = bool (*)(P from, P to);

    Phase(P initial, Legal legal) : now(initial), legal(legal) {}

    P operator()() const { return now; }
    bool is(P phase) const { return now == phase; }

    bool moveTo(P next)
    {
        if (next == now)
            return true;
        if (!legal(now, next)) {
            ++illegal;
            qCritical("illegal phase step %d -> %d", int(now), int(next));
            return false;
        }
        now = next;
        return true;
    }

    int illegalSteps() const { return illegal; }

private:
    P now;
    Legal legal;
    int illegal = 0;
};

// A gas calibration: started (the detector in service mode, the zero command
// out, waiting for "Установить" or "Калибровать"), its save or value asked
// for, then sent and waited for until the detector's status bit has come and
// gone. Every phase may end, back to Idle.
enum class GasCalibrationPhase { Idle, ZeroStarted, ZeroSaving, ZeroWaiting, SpanStarted, SpanSending, SpanWaiting };

// A current-output calibration point (started, then its value set) or a
// test current forced on the output.
enum class CurrentPhase { Idle, Point4maStarted, Point4maSet, Point20maStarted, Point20maSet, Testing };

// A gas name waiting for the next tick's block write.
enum class GasSwitchPhase { None, ToTarget, ToMain };

bool gasCalibrationStepLegal(GasCalibrationPhase from, GasCalibrationPhase to);
bool currentStepLegal(CurrentPhase from, CurrentPhase to);
bool gasSwitchStepLegal(GasSwitchPhase from, GasSwitchPhase to);

#endif // PHASE_H
