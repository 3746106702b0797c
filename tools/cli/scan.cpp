#include "commands.h"
#include "detector.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "stopsignal.h"

#include <cstdio>
#include <unistd.h>

using namespace RegisterModel;

namespace {

// A detector answers within a few milliseconds; the window's wait of over a
// third of a second would make an empty bus take a minute and a half.
const int scanAnswerMs = 100;

// A line on standard error that the next one overwrites; only for a person at
// a terminal, never into a log.
class Progress
{
public:
    Progress() : shown(isatty(STDERR_FILENO)) {}
    ~Progress() { clear(); }
    void show(int address, int tried, int all)
    {
        if (shown)
            std::fprintf(stderr, "\rscanning address %d (%d of %d)...", address, tried, all);
    }
    void clear()
    {
        if (shown)
            std::fputs("\r\033[K", stderr);
    }

private:
    const bool shown;
};

} // namespace

int runScan(ModbusOperations &device, const CliOptions &options)
{
    const int opened = openDetector(device, options);
    if (opened != ExitOk)
        return opened;
    device.setReadTimeout(scanAnswerMs);
    Progress progress;
    int found = 0;
    int address = options.from;
    for (; address <= options.to && !stopRequested(); ++address) {
        progress.show(address, address - options.from + 1, options.to - options.from + 1);
        device.setSlaveAddress(quint8(address));
        const QVector<quint16> words = device.readIdentity();
        // A refusal is an answer: something is there, if not a detector of ours.
        const ExchangeOutcome outcome = device.lastOutcome();
        if (words.size() != kIdentityWords && !outcome.isRefusal())
            continue;
        progress.clear();
        if (!outcome.isRefusal())
            printLine(QString("%1: %2, serial number %3")
                          .arg(address)
                          .arg(deviceTypeName(words[DeviceTypeWord]),
                               serialNumberText(words[SerialHighWord], words[SerialLowWord])));
        else
            printLine(QString("%1: answers with %2").arg(address).arg(outcome.text()));
        ++found;
    }
    progress.clear();
    if (stopRequested())
        return fail(found > 0 ? ExitOk : ExitNoAnswer,
                    QString("scan stopped by the user; addresses %1-%2 were not tried").arg(address).arg(options.to));
    if (found == 0)
        return fail(ExitNoAnswer, QString("no detector answered at addresses %1-%2 on %3")
                                      .arg(options.from)
                                      .arg(options.to)
                                      .arg(options.port));
    return ExitOk;
}
