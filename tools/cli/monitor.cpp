#include "commands.h"
#include "csvfile.h"
#include "detector.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "stopsignal.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>

using namespace RegisterModel;

namespace {

// The window gives up on a detector after three polls in a row without an
// answer; so does the monitor.
const int failedPollLimit = 3;
const QStringList csvHeader{"time", "concentration", "unit", "status"};

// Local time with its offset, so that logs from two places line up.
QString timestamp()
{
    QDateTime now = QDateTime::currentDateTime();
    now.setOffsetFromUtc(now.offsetFromUtc());
    return now.toString(Qt::ISODateWithMs);
}

// Said before the port is opened: a log that cannot be kept is no reason to
// poll the detector.
bool csvOpens(const QString &path, QString &error)
{
    QFile file;
    return openCsvForAppending(file, path, error);
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
    QString error;
    if (!options.csv.isEmpty() && !csvOpens(options.csv, error))
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
        QStringList row{time, QString(), QString(), device.lastOutcome().text()};
        if (input.size() == kPolledInputWords) {
            failedPolls = 0;
            const LiveReading reading = decodeReading(input, block[FormatWord]);
            row = QStringList{time, reading.concentration, reading.unit, reading.status};
        } else {
            ++failedPolls;
        }
        // The row first: a reader that closes the pipe, as head does, ends
        // the program at the next line printed, and the row is kept.
        if (!options.csv.isEmpty() && !appendCsvRow(options.csv, csvHeader, row, error))
            return fail(ExitUsage, error);
        if (!printLine(row.join(' ').simplified()))
            return ExitUsage;   // main() says why
        if (!device.isOpen())
            return fail(ExitUsage, QString("port %1 was lost: %2").arg(options.port, device.portError()));
        if (failedPolls >= failedPollLimit)
            return deviceFailed(options, "no answer to three polls in a row");
    }
    return ExitOk;
}
