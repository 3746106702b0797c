#include "pty.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

Pty::~Pty()
{
    close();
}

bool Pty::open(QString &error)
{
    close();
    struct termios raw;
    std::memset(&raw, 0, sizeof raw);
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    char name[256] = {};
    if (openpty(&masterFd, &slaveFd, name, &raw, nullptr) != 0) {
        error = QString("cannot create a pseudo-terminal: %1").arg(std::strerror(errno));
        masterFd = slaveFd = -1;
        return false;
    }
    fcntl(masterFd, F_SETFL, fcntl(masterFd, F_GETFL) | O_NONBLOCK);
    fcntl(masterFd, F_SETFD, FD_CLOEXEC);
    fcntl(slaveFd, F_SETFD, FD_CLOEXEC);
    path = QString::fromLocal8Bit(name);
    if (!linkPath.isEmpty())
        return link(linkPath, error);
    return true;
}

bool Pty::link(const QString &target, QString &error)
{
    const QByteArray file = QFile::encodeName(target);
    const QFileInfo info(target);
    if (info.exists() || info.isSymLink()) {
        if (!info.isSymLink()) {
            error = QString("--link %1: exists and is not a symlink; not replacing it").arg(target);
            return false;
        }
        ::unlink(file.constData());
    }
    if (::symlink(QFile::encodeName(path).constData(), file.constData()) != 0) {
        error = QString("--link %1: %2").arg(target, std::strerror(errno));
        return false;
    }
    linkPath = target;
    return true;
}

void Pty::close()
{
    if (!linkPath.isEmpty() && QFileInfo(linkPath).isSymLink()
        && QFileInfo(linkPath).symLinkTarget() == QFileInfo(path).absoluteFilePath())
        ::unlink(QFile::encodeName(linkPath).constData());
    if (slaveFd >= 0)
        ::close(slaveFd);
    if (masterFd >= 0)
        ::close(masterFd);
    masterFd = slaveFd = -1;
}
