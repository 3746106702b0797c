#include "phase.h"

bool gasCalibrationStepLegal(GasCalibrationPhase from, GasCalibrationPhase to)
{
    using P = GasCalibrationPhase;
    switch (to) {
    case P::Idle:
        return true;
    case P::ZeroStarted:
    case P::SpanStarted:
        return from == P::Idle;
    case P::ZeroSaving:
        return from == P::ZeroStarted;
    case P::ZeroWaiting:
        return from == P::ZeroSaving;
    case P::SpanSending:
        return from == P::SpanStarted;
    case P::SpanWaiting:
        return from == P::SpanSending;
    }
    return false;
}

bool currentStepLegal(CurrentPhase from, CurrentPhase to)
{
    using P = CurrentPhase;
    switch (to) {
    case P::Idle:
        return true;
    case P::Point4maStarted:
    case P::Point20maStarted:
    case P::Testing:
        return from == P::Idle;
    case P::Point4maSet:
        return from == P::Point4maStarted;
    case P::Point20maSet:
        return from == P::Point20maStarted;
    }
    return false;
}

// A switch asked for replaces one still waiting: the last click counts.
bool gasSwitchStepLegal(GasSwitchPhase, GasSwitchPhase)
{
    return true;
}
