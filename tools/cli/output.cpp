#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString firstError;

bool written(bool ok)
{
    if (!ok && firstError.isEmpty())
        firstError = QString::fromLocal8Bit(std::strerror(errno));
    return ok;
}

} // namespace

bool printBytes(const QByteArray &bytes)
{
    const size_t size = size_t(bytes.size());
    return written(std::fwrite(bytes.constData(), 1, size, stdout) == size && std::fflush(stdout) == 0);
}

bool printLine(const QString &line)
{
    return printBytes((line + '\n').toUtf8());
}

QString outputError()
{
    return firstError;
}

int fail(int code, const QString &reason)
{
    std::fputs(("zorvel-cli: " + reason + '\n').toUtf8().constData(), stderr);
    return code;
}
