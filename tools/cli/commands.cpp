#include "commands.h"

namespace {

const Command commands[] = {
    {"info", 0, runInfo},
    {"read-settings", 1, runReadSettings},
    {"write-settings", 1, runWriteSettings},
    {"monitor", 0, runMonitor},
    {"scan", 0, runScan},
};

} // namespace

const Command *findCommand(const QString &name)
{
    for (const Command &command : commands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}
