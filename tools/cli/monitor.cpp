#include "addresslist.h"
#include "commands.h"
#include "csvfile.h"
#include "detector.h"
#include "jsonout.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "stopsignal.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

using namespace RegisterModel;

namespace {

// The window gives up on a detector after three failed polls in a row; so
// does the monitor, and polls the others on.
const int failedPollLimit = 3;
// One detector's columns, as the monitor has always written them, and a
// line's, which say whose each row is and carry the status word as a number.
const QStringList oneDetectorHeader{"time", "concentration", "unit", "status"};
const QStringList lineHeader{"time", "address", "serial number", "concentration", "unit", "status word", "status"};

struct Watched
{
    int address = 0;
    QVector<quint16> block;   // its decimal count, unit and serial number
    int failedPolls = 0;
    int status = ExitOk;      // ExitOk while it is polled
    QString serial() const { return serialNumberText(block[SerialHighWord], block[SerialLowWord]); }
};

// Local time with its offset, so that logs from two places line up.
QString timestamp()
{
    QDateTime now = QDateTime::currentDateTime();
    now.setOffsetFromUtc(now.offsetFromUtc());
    return now.toString(Qt::ISODateWithMs);
}

QJsonObject withTime(QJsonObject object)
{
    object.insert("time", timestamp());
    return object;
}

// The first line of a regular file, read no further than a header can be:
// a device such as /dev/full never ends a line.
QString headerOf(const QString &path)
{
    const int longest = 256;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readLine(longest)).trimmed();
}

// Said before the port is opened: a log that cannot be kept is no reason to
// poll the detector. The file's own header decides its columns; a new file
// gets a line's when more than one detector is watched.
bool chooseColumns(const CliOptions &options, QStringList &header, QString &error)
{
    header = options.isList() ? lineHeader : oneDetectorHeader;
    if (options.csv.isEmpty())
        return true;
    const QString existing = headerOf(options.csv);
    if (existing == lineHeader.join(','))
        header = lineHeader;
    else if (existing == oneDetectorHeader.join(',') && options.isList()) {
        error = QString("%1 has the columns of one detector (%2); a line's rows need a new file").arg(options.csv, existing);
        return false;
    }
    QFile file;
    return openCsvForAppending(file, options.csv, error);
}

// Polls start at fixed times from the first, so the interval does not grow
// by the length of each exchange.
bool waitForRound(const QElapsedTimer &clock, int round, double intervalSeconds)
{
    const qint64 due = qint64(round * intervalSeconds * 1000.0);
    return sleepUnlessStopped(due - clock.elapsed());
}

// One poll of one detector: its CSV row, its line and its JSON object.
struct Poll
{
    QStringList row;
    QString line;
    QJsonObject json;
};

Poll poll(ModbusOperations &device, const Watched &w, bool lineColumns)
{
    const QString time = timestamp();
    device.setSlaveAddress(quint8(w.address));
    const QVector<quint16> input = device.readInputValues();
    const QStringList whose = lineColumns ? QStringList{QString::number(w.address), w.serial()} : QStringList();
    Poll p;
    p.json = {{"time", time}, {"address", w.address}, {"serialNumber", w.serial().toDouble()}};
    if (input.size() != kPolledInputWords) {
        const ExchangeOutcome outcome = device.lastOutcome();
        const QString why = outcome.text();
        p.row = QStringList{time} + whose + QStringList{QString(), QString()} +
                (lineColumns ? QStringList{QString(), why} : QStringList{why});
        p.line = (QStringList{time} + whose + QStringList{why}).join(' ');
        p.json.insert("failure", outcomeJson(outcome));
        return p;
    }
    const LiveReading reading = decodeReading(input, w.block[FormatWord]);
    const QString word = QString::number(input[StatusWord]);
    p.row = QStringList{time} + whose + QStringList{reading.concentration, reading.unit} +
            (lineColumns ? QStringList{word, reading.status} : QStringList{reading.status});
    p.line = (QStringList{time} + whose + QStringList{reading.concentration, reading.unit, reading.status}).join(' ');
    p.json.insert("concentration", reading.concentration.toDouble());
    p.json.insert("unit", reading.unit);
    p.json.insert("status", statusJson(input[StatusWord]));
    return p;
}

// The decimal count, unit and serial number are each detector's own, read
// before any poll; a detector whose block cannot be read is not polled.
QVector<Watched> readBlocks(ModbusOperations &device, const CliOptions &options, int &status)
{
    QVector<Watched> watched;
    status = forEachAddress(device, options, [&](const CliOptions &one) {
        Watched w;
        w.address = one.address;
        w.status = openAndReadBlock(device, one, w.block);
        watched << w;
        return w.status;
    });
    return watched;
}

} // namespace

int runMonitor(ModbusOperations &device, const CliOptions &options)
{
    QString error;
    QStringList header;
    if (!chooseColumns(options, header, error))
        return fail(ExitUsage, error);
    const bool lineColumns = header == lineHeader;
    int status = ExitOk;
    QVector<Watched> watched = readBlocks(device, options, status);
    if (status == ExitUsage && !device.isOpen())
        return status;
    // A reader of the objects learns of a detector that is not polled too.
    for (const Watched &w : watched) {
        if (options.json && w.status != ExitOk && !printJson(withTime(failureJson(w.address))))
            return ExitUsage;   // main() says why
    }

    QElapsedTimer clock;
    clock.start();
    bool stopped = false;
    for (int round = 0; !stopped && (options.count == 0 || round < options.count); ++round) {
        int polled = 0;
        for (Watched &w : watched) {
            if (w.status != ExitOk)
                continue;
            stopped = (polled++ == 0 && !waitForRound(clock, round, options.interval)) || stopRequested();
            if (stopped)
                break;
            const Poll p = poll(device, w, lineColumns);
            w.failedPolls = p.json.contains("failure") ? w.failedPolls + 1 : 0;
            // The row first: a reader that closes the pipe, as head does, ends
            // the program at the next line printed, and the row is kept.
            if (!options.csv.isEmpty() && !appendCsvRow(options.csv, header, p.row, error))
                return fail(ExitUsage, error);
            if (!(options.json ? printJson(p.json) : printLine(p.line.simplified())))
                return ExitUsage;   // main() says why
            if (!device.isOpen())
                return fail(ExitUsage, QString("port %1 was lost: %2").arg(options.port, device.portError()));
            if (w.failedPolls >= failedPollLimit) {
                CliOptions one = options;
                one.address = w.address;
                // Named by how the last one failed: garbled answers are two
                // devices at one address or noise, not a detector gone.
                const ExchangeOutcome last = device.lastOutcome();
                w.status = deviceFailed(one,
                                        QString("three polls in a row failed (the last: %1)").arg(last.text()) +
                                            (options.isList() ? "; the others are polled on" : ""),
                                        last);
            }
        }
        if (polled == 0)
            break;
    }
    QVector<int> statuses;
    for (const Watched &w : watched)
        statuses << w.status;
    return options.isList() ? listStatus(statuses) : statuses.first();
}
