#ifndef OPTIONS_H
#define OPTIONS_H

#include <QString>
#include <QStringList>
#include <QVector>

// What the detector looks like when it is switched on. Quantities are in the
// detector's display units; they become register integers with the decimal count.
struct DetectorSettings
{
    int address = 1;
    int hartAddress = 1;
    int deviceType = 0x10;
    int unit = 3;
    int decimals = 1;
    int ble = 1;
    quint32 serialNumber = 20240117;
    int firmwareMajor = 1;
    int firmwareMinor = 2;
    int firmwareBuild = 37;
    QString gasName;          // empty: the name of the target gas in the table
    int targetGas = 1;        // 1-based entries of the gas name table
    int mainGas = 2;
    double range = 50.0;
    double concentration = 2.0;
    double mainConcentration = -1.0; // negative: 1.5 times the concentration
    double drift = 0.5;
    double noise = 0.05;
    double driftPeriodSeconds = 60.0;
    int calibDelayMs = 3000;
    // How fast an applied test gas reaches the sensor and clears from it:
    // the time constant of the reading's rise and fall.
    double gasTimeConstant = 5.0;
    quint32 seed = 1;
};

// One detector of the line with the fault rules on its answers.
struct LineDetector
{
    DetectorSettings settings;
    QStringList faults;
};

struct SimOptions
{
    DetectorSettings detector;
    QString linkPath;
    QString logPath;          // empty: the log goes to standard output
    bool fast = false;
    int baud = 9600;
    int turnaroundMs = 5;
    QStringList faults;       // fault rules, checked when they are added
    // The detectors on the port: the one above with its faults, or one for
    // each --detector, each starting from the one above.
    QVector<LineDetector> line;
    bool quitOnEof = false;
    bool exitOnClose = false;
    bool help = false;
    bool version = false;
};

// Fills options from the command line (program name first). On a bad option
// returns false with a message naming it.
bool parseOptions(const QStringList &arguments, SimOptions &options, QString &error);

QString helpText();

#endif // OPTIONS_H
