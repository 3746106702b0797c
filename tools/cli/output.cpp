#include "output.h"

#include <cstdio>

void printLine(const QString &line)
{
    std::fputs((line + '\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

int fail(int code, const QString &reason)
{
    std::fputs(("zorvel-cli: " + reason + '\n').toUtf8().constData(), stderr);
    return code;
}
