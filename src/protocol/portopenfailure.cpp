#include "portopenfailure.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

PortOpenFailure classifyOpenFailure(const QString &location, bool permissionError)
{
    if (location.isEmpty())
        return PortOpenFailure::NoPortChosen;
    if (!QFileInfo::exists(location))
        return PortOpenFailure::Missing;
    if (!permissionError)
        return PortOpenFailure::Other;
    // The file's own rights decide between the two: open it as the port layer
    // would, without becoming its controlling terminal and without waiting.
    const int fd = ::open(QFile::encodeName(location).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == EACCES || errno == EPERM ? PortOpenFailure::NoPermission : PortOpenFailure::Busy;
    ::close(fd);
    return PortOpenFailure::Busy;   // the rights let us in: a lock held it
}
