#ifndef CLI_DETECTOR_H
#define CLI_DETECTOR_H

#include <QString>
#include <QVector>

class ModbusOperations;
struct CliOptions;

// Opens the port of the options at their address. ExitOk, or ExitUsage with
// the reason on standard error.
int openDetector(ModbusOperations &device, const CliOptions &options);

// "no answer from address N on PORT: what" on standard error; ExitNoAnswer.
int noAnswer(const CliOptions &options, const QString &what);

// The detector's parameter words 0..179, all of them or none: whatever goes to
// the detector is built on a block read completely from it in this run.
// Empty, with the reason on standard error, when the read failed.
QVector<quint16> readParameterBlock(ModbusOperations &device, const CliOptions &options);

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
