#ifndef CLI_OUTPUT_H
#define CLI_OUTPUT_H

#include <QByteArray>
#include <QString>

// What the program's exit status tells a script.
enum ExitCode {
    ExitOk = 0,
    ExitNoAnswer = 1,   // the detector did not answer, or refused
    ExitUsage = 2,      // bad usage, or a file or port that cannot be used
    ExitMismatch = 3    // the read-back differs from what was written
};

// One line on standard output, in UTF-8 whatever the locale, flushed at once
// so that a pipe or a log sees each poll as it happens. False when it could
// not be written (a full disk, a closed pipe); the first reason is kept.
bool printLine(const QString &line);
// Bytes as they are on standard output, flushed; false as for printLine.
bool printBytes(const QByteArray &bytes);
// Why standard output could not be written, or nothing while it could.
QString outputError();

// "zorvel-cli: reason" on standard error; returns code.
int fail(int code, const QString &reason);

#endif // CLI_OUTPUT_H
