#include "stopsignal.h"

#include <QElapsedTimer>

#include <csignal>
#include <ctime>
#include <poll.h>

namespace {

volatile std::sig_atomic_t stopFlag = 0;

void onStop(int)
{
    stopFlag = 1;
}

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

// One sleep that a stop ends at once. The stop signals are held back while
// the flag is checked, and ppoll lets them in only as it starts waiting: a
// stop between the check and the sleep cannot be missed, and the sleep does
// not wake the process before it is due.
bool sleepUnlessStopped(qint64 ms)
{
    sigset_t stops, before;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigprocmask(SIG_BLOCK, &stops, &before);
    QElapsedTimer clock;
    clock.start();
    // Another signal may end the wait early; only a stop or the time ends it.
    for (qint64 left = ms; left > 0 && !stopRequested(); left = ms - clock.elapsed()) {
        const timespec wait = {time_t(left / 1000), long(left % 1000) * 1000000L};
        ppoll(nullptr, 0, &wait, &before);
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return !stopRequested();
}
