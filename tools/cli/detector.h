#ifndef CLI_DETECTOR_H
#define CLI_DETECTOR_H

#include <QString>
#include <QVector>

class ExchangeOutcome;
class ModbusOperations;
struct CliOptions;

// Opens the port of the options at their address, or, once it is open, turns
// to that address. ExitOk, or ExitUsage with the reason on standard error.
int openDetector(ModbusOperations &device, const CliOptions &options);

// Opens the port and reads the detector's parameter words 0..179 into block:
// ExitOk, or the exit status with the reason on standard error. Whatever goes
// to the detector is built on a block read completely from it in this run.
int openAndReadBlock(ModbusOperations &device, const CliOptions &options, QVector<quint16> &block);
// The same on a port already open.
int readBlock(ModbusOperations &device, const CliOptions &options, QVector<quint16> &block);

// What went wrong with an operation, from the master's last failure: "no
// answer to WHAT", "WHAT was refused: exception 02 (illegal data address)",
// "WHAT failed: CRC mismatch".
QString failedBecause(const ModbusOperations &device, const QString &what);
// The same from a given outcome, such as the part of a read that came short.
QString failedBecause(const ExchangeOutcome &outcome, const QString &what);

// "address N on PORT: what" on standard error; ExitNoAnswer. With the device,
// the kind of its last exchange's outcome is kept for --json.
int deviceFailed(const CliOptions &options, const QString &what);
int deviceFailed(const CliOptions &options, const QString &what, const ModbusOperations &device);
int deviceFailed(const CliOptions &options, const QString &what, const ExchangeOutcome &outcome);

// A failure told of one detector, for a JSON document.
struct DetectorFailure
{
    int address = 0;
    QString message;
    QString kind;            // outcomeKindName: "no-answer", "refused", "garbled", ... or "failed"
    int exceptionCode = 0;   // with "refused"
};
// The last failure told of that address in this run, or null.
const DetectorFailure *lastFailureAt(int address);

// A read is harmless to repeat, and one spoilt answer on a noisy line should
// not fail a command: a read whose result is not `size` long is tried again,
// three times in all. Polls are not repeated: a monitor reports each one.
template <typename Read>
auto readPatiently(Read read, int size) -> decltype(read())
{
    const int tries = 3;
    auto result = read();
    for (int i = 1; i < tries && result.size() != size; ++i)
        result = read();
    return result;
}

// One poll as the window shows it, decoded with the decimal count and unit of
// the detector's own parameter block.
struct LiveReading
{
    QString concentration;   // with the detector's decimals, e.g. "2.0"
    QString unit;
    QString status;
};
LiveReading decodeReading(const QVector<quint16> &input, quint16 formatWord);

// The device type's name, or its code in hex when the table does not know it.
QString deviceTypeName(quint16 deviceTypeWord);
QString serialNumberText(quint16 high, quint16 low);

#endif // CLI_DETECTOR_H
