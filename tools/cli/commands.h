#ifndef CLI_COMMANDS_H
#define CLI_COMMANDS_H

#include <QString>

class ModbusOperations;
struct CliOptions;

// Each command opens the port when it is ready to (files are checked first)
// and returns the exit status; what went wrong is already on standard error.
int runInfo(ModbusOperations &device, const CliOptions &options);
int runReadSettings(ModbusOperations &device, const CliOptions &options);
int runWriteSettings(ModbusOperations &device, const CliOptions &options);
int runMonitor(ModbusOperations &device, const CliOptions &options);
int runScan(ModbusOperations &device, const CliOptions &options);
int runSetAddress(ModbusOperations &device, const CliOptions &options);
int runDiffSettings(ModbusOperations &device, const CliOptions &options);
int runJournal(ModbusOperations &device, const CliOptions &options);
int runCertificate(ModbusOperations &device, const CliOptions &options);

struct JournalRead;
// Finds and reads the journal of the options, naming each line passed over on
// standard error: ExitOk, or ExitUsage with the reason on standard error.
int readJournalOrFail(const CliOptions &options, JournalRead &read, QString &path);

// Reads the settings file at path into block; a caller reads its files before
// the port is touched, so that a bad file costs the detector nothing. ExitOk,
// or ExitUsage with the reason on standard error.
int readSettingsArgument(const QString &path, quint16 *block);

struct Command
{
    const char *name;
    int minFiles;            // FILE arguments after the name
    int maxFiles;
    int filesWithoutPort;    // with this many FILEs no port is needed; -1: never
    int (*run)(ModbusOperations &, const CliOptions &);
};

// The command of that name, or null.
const Command *findCommand(const QString &name);

#endif // CLI_COMMANDS_H
