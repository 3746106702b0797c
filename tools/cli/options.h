#ifndef CLI_OPTIONS_H
#define CLI_OPTIONS_H

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// The command line, checked: every value in its range, every option with the
// command it belongs to.
struct CliOptions
{
    QString port;
    int address = 1;        // the detector being handled
    QVector<int> addresses{1};  // --address: each detector, in the order given
    QString command;
    QString file;           // read-settings (a name pattern), write-settings, diff-settings
    QString secondFile;     // diff-settings of two files
    bool all = false;       // write-settings, diff-settings: the detector's identity too
    double interval = 1.0;  // monitor, seconds between polls
    int count = 0;          // monitor, 0: until stopped
    QString csv;            // monitor, diff-settings
    QString journal;        // journal: the file given, or empty for the usual places
    QString serial;         // journal, certificate: one detector's rows
    bool due = false;       // journal: the due list instead of the rows
    int months = 0;         // journal --due, certificate: calibration interval; 0: the default
    int bumpDays = 0;       // journal --due: bump test interval; 0: the default
    QString output;         // certificate: the PDF
    QString language;       // certificate: "ru" or "en"
    QDate fromDate;         // certificate: the visit's first day; null: the day of the last row
    int from = 1;           // scan
    int to = 247;
    bool quick = false;     // scan: today's short wait, for a clean line
    int newAddress = 0;     // set-address
    bool json = false;      // machine-readable output
    bool verbose = false;   // the serial layer's debug lines on standard error

    bool isList() const { return addresses.size() > 1; }
};

enum class ParseResult { Run, Help, Version, Error };

// Fills options from the arguments (program name first). Help and Version
// come with the text to print in text, Error with a one-line reason.
ParseResult parseCommandLine(const QStringList &arguments, CliOptions &options, QString &text);

#endif // CLI_OPTIONS_H
