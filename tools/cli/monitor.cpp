#include "commands.h"
#include "csvlog.h"
#include "detector.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "stopsignal.h"

#include <QDateTime>
#include <QElapsedTimer>

using namespace RegisterModel;

namespace {

// The window gives up on a detector after three polls in a row without an
// answer; so does the monitor.
const int failedPollLimit = 3;

// Local time with its offset, so that logs from two places line up.
QString timestamp()
{
    QDateTime now = QDateTime::currentDateTime();
    now.setOffsetFromUtc(now.offsetFromUtc());
    return now.toString(Qt::ISODateWithMs);
}

// Polls start at fixed times from the first, so the interval does not grow
// by the length of each exchange.
bool waitForPoll(const QElapsedTimer &clock, int poll, double intervalSeconds)
{
    const qint64 due = qint64(poll * intervalSeconds * 1000.0);
    return sleepUnlessStopped(due - clock.elapsed());
}

} // namespace

int runMonitor(ModbusOperations &device, const CliOptions &options)
{
    CsvLog csv;
    QString error;
    if (!options.csv.isEmpty() && !csv.open(options.csv, {"time", "concentration", "unit", "status"}, error))
        return fail(ExitUsage, error);
    // The decimal count and unit are the detector's own, read before any poll.
    QVector<quint16> block;
    const int opened = openAndReadBlock(device, options, block);
    if (opened != ExitOk)
        return opened;

    QElapsedTimer clock;
    clock.start();
    int failedPolls = 0;
    for (int poll = 0; options.count == 0 || poll < options.count; ++poll) {
        if (!waitForPoll(clock, poll, options.interval))
            break;
        const QString time = timestamp();
        const QVector<quint16> input = device.readInputValues();
        QStringList row{time, QString(), QString(), device.lastFailure()};
        if (input.size() == kPolledInputWords) {
            failedPolls = 0;
            const LiveReading reading = decodeReading(input, block[FormatWord]);
            row = QStringList{time, reading.concentration, reading.unit, reading.status};
        } else {
            ++failedPolls;
        }
        printLine(row.join(' ').simplified());
        if (csv.isOpen() && !csv.append(row))
            return fail(ExitUsage, QString("cannot write %1").arg(options.csv));
        if (!device.isOpen())
            return fail(ExitUsage, QString("port %1 was lost: %2").arg(options.port, device.portError()));
        if (failedPolls >= failedPollLimit)
            return deviceFailed(options, "no answer to three polls in a row");
    }
    return ExitOk;
}
