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

struct Command
{
    const char *name;
    int arguments;           // FILE arguments after the name
    int (*run)(ModbusOperations &, const CliOptions &);
};

// The command of that name, or null.
const Command *findCommand(const QString &name);

#endif // CLI_COMMANDS_H
