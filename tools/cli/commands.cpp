#include "commands.h"

namespace {

const Command commands[] = {
    {"info", 0, 0, -1, runInfo},
    {"read-settings", 1, 1, -1, runReadSettings},
    {"write-settings", 1, 1, -1, runWriteSettings},
    {"monitor", 0, 0, -1, runMonitor},
    {"scan", 0, 0, -1, runScan},
    {"set-address", 1, 1, -1, runSetAddress},
    {"diff-settings", 1, 2, 2, runDiffSettings},
    {"journal", 0, 0, 0, runJournal},
    {"certificate", 0, 0, 0, runCertificate},
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
