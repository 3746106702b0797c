#ifndef CLI_OPTIONS_H
#define CLI_OPTIONS_H

#include <QString>
#include <QStringList>

// The command line, checked: every value in its range, every option with the
// command it belongs to.
struct CliOptions
{
    QString port;
    int address = 1;
    QString command;
    QString file;           // read-settings, write-settings, diff-settings
    QString secondFile;     // diff-settings of two files
    bool all = false;       // write-settings, diff-settings: the detector's identity too
    double interval = 1.0;  // monitor, seconds between polls
    int count = 0;          // monitor, 0: until stopped
    QString csv;            // monitor, diff-settings
    QString journal;        // journal: the file given, or empty for the usual places
    QString serial;         // journal: one detector's rows
    int from = 1;           // scan
    int to = 247;
    bool verbose = false;   // the serial layer's debug lines on standard error
};

enum class ParseResult { Run, Help, Version, Error };

// Fills options from the arguments (program name first). Help and Version
// come with the text to print in text, Error with a one-line reason.
ParseResult parseCommandLine(const QStringList &arguments, CliOptions &options, QString &text);

#endif // CLI_OPTIONS_H
