#include "commands.h"
#include "detector.h"
#include "exchangeoutcome.h"
#include "jsonout.h"
#include "modbusoperations.h"
#include "options.h"
#include "output.h"
#include "registermap.h"
#include "registermodel.h"
#include "stopsignal.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>
#include <unistd.h>

using namespace RegisterModel;

namespace {

// The window waits 360 ms for a poll's answer, and a detector that answers
// within it works with the window; --quick waits 100 ms, enough on a clean
// line for a detector that answers within a few milliseconds.
const int windowAnswerMs = 360;
const int quickAnswerMs = 100;
const int gasTableEntries = 32;

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

// What one address gave.
struct Found
{
    enum Kind { Nothing, Detector, Refusal, Garbled } kind = Nothing;
    QVector<quint16> identity;   // words 0..21
    QVector<quint16> input;      // the poll's 80 words, for the firmware and gas numbers
    QVector<QString> gasTable;
    QString refusal;
    ExchangeOutcome outcome;     // of the last try, for a refusal or garbled answers
};

// Three tries for an address that gives garbled answers, since noise may
// spoil one; silence is final at once, or an empty line would take minutes.
Found probe(ModbusOperations &device, int address)
{
    const int tries = 3;
    device.setSlaveAddress(quint8(address));
    Found found;
    for (int i = 0; i < tries; ++i) {
        found.identity = device.readIdentity();
        if (found.identity.size() == kIdentityWords) {
            found.kind = Found::Detector;
            break;
        }
        found.outcome = device.lastOutcome();
        if (found.outcome.isRefusal()) {
            found.kind = Found::Refusal;
            found.refusal = device.lastOutcome().text();
            return found;
        }
        if (!found.outcome.heardAnything())
            return found;
        found.kind = Found::Garbled;
    }
    if (found.kind != Found::Detector)
        return found;
    // Read in the same pass; what does not come is left empty.
    found.input = readPatiently([&] { return device.readInputValues(); }, kPolledInputWords);
    found.gasTable = readPatiently([&] { return device.readGazNameTable(); }, gasTableEntries);
    return found;
}

QString gasOf(const Found &f, int word)
{
    const quint16 number = f.input.size() == kPolledInputWords ? f.input[word] : 0;
    return f.gasTable.size() == gasTableEntries && number >= 1 && number <= gasTableEntries ? f.gasTable[number - 1]
                                                                                              : QString();
}

QString firmwareOf(const Found &f)
{
    return f.input.size() == kPolledInputWords
               ? firmwareVersionText(f.input[FirmwareMajorMinorWord], f.input[FirmwareBuildWord])
               : QString();
}

const char *garbledText = "garbled answers (two devices at one address, or noise)";

QString foundText(int address, const Found &f)
{
    switch (f.kind) {
    case Found::Detector:
        return QString("%1: %2, serial number %3, %4, gas %5 / %6, firmware %7")
            .arg(address)
            .arg(deviceTypeName(f.identity[DeviceTypeWord]),
                 serialNumberText(f.identity[SerialHighWord], f.identity[SerialLowWord]),
                 unitNames().at(unitIndex(f.identity[FormatWord])), gasOf(f, TargetGasNumberWord),
                 gasOf(f, MainGasNumberWord), firmwareOf(f));
    case Found::Refusal:
        return QString("%1: answers with %2").arg(address).arg(f.refusal);
    case Found::Garbled:
        return QString("%1: %2").arg(address).arg(garbledText);
    case Found::Nothing:
        break;
    }
    return QString();
}

QJsonObject foundJson(int address, const Found &f)
{
    if (f.kind == Found::Refusal)
        return {{"address", address}, {"failure", outcomeJson(f.outcome)}};
    if (f.kind == Found::Garbled)
        return {{"address", address},
                {"failure", QJsonObject{{"kind", outcomeKindName(ExchangeOutcome::Kind::Garbled)},
                                        {"message", garbledText}, {"answer", f.outcome.text()}}}};
    return {{"address", address},
            {"serialNumber", qint64(joinWords(f.identity[SerialHighWord], f.identity[SerialLowWord]))},
            {"deviceType", deviceTypeName(f.identity[DeviceTypeWord])},
            {"unit", unitNames().at(unitIndex(f.identity[FormatWord]))},
            {"targetGas", gasOf(f, TargetGasNumberWord)},
            {"mainGas", gasOf(f, MainGasNumberWord)},
            {"firmware", firmwareOf(f)}};
}

} // namespace

int runScan(ModbusOperations &device, const CliOptions &options)
{
    const int opened = openDetector(device, options);
    if (opened != ExitOk)
        return opened;
    // The window's poll wait finds every detector the window can talk to.
    device.setReadTimeout(options.quick ? quickAnswerMs : windowAnswerMs);
    Progress progress;
    int found = 0;
    QJsonArray documents;
    int address = options.from;
    for (; address <= options.to && !stopRequested(); ++address) {
        progress.show(address, address - options.from + 1, options.to - options.from + 1);
        const Found f = probe(device, address);
        if (f.kind == Found::Nothing)
            continue;
        progress.clear();
        if (options.json)
            documents << foundJson(address, f);
        else
            printLine(foundText(address, f));
        ++found;
    }
    progress.clear();
    if (options.json)
        printJson(documents);
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
