#ifndef CLI_STOPSIGNAL_H
#define CLI_STOPSIGNAL_H

#include <QtGlobal>

// Ctrl-C and SIGTERM only raise a flag: a command ends at its next check
// rather than in the middle of an exchange, so no write is cut in half and a
// monitor's last line and row are complete.
void catchStopSignals();
bool stopRequested();

// Sleeps for ms milliseconds unless a stop comes first; false if it did.
bool sleepUnlessStopped(qint64 ms);

#endif // CLI_STOPSIGNAL_H
