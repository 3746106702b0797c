#include "stopsignal.h"

#include <QThread>

#include <algorithm>
#include <csignal>

namespace {

volatile std::sig_atomic_t stopFlag = 0;

void onStop(int)
{
    stopFlag = 1;
}

// Short enough that Ctrl-C feels immediate.
const qint64 sliceMs = 20;

} // namespace

void catchStopSignals()
{
    struct sigaction action = {};
    action.sa_handler = onStop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stopRequested()
{
    return stopFlag != 0;
}

bool sleepUnlessStopped(qint64 ms)
{
    while (ms > 0 && !stopRequested()) {
        const qint64 slice = std::min(ms, sliceMs);
        QThread::msleep(static_cast<unsigned long>(slice));
        ms -= slice;
    }
    return !stopRequested();
}
