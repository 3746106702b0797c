#include "lineoutput.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

LineOutput::LineOutput(int descriptor, QObject *parent) : QObject(parent), fd(descriptor)
{
    struct stat st;
    // Only a pipe is made non-blocking: a terminal's flags are shared with the shell.
    if (fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode)) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        writable = new QSocketNotifier(fd, QSocketNotifier::Write, this);
        writable->setEnabled(false);
        connect(writable, &QSocketNotifier::activated, this, &LineOutput::flush);
    }
}

LineOutput::~LineOutput()
{
    flushBlocking();
    if (ownsFd)
        ::close(fd);
}

LineOutput *LineOutput::openFile(const QString &path, QString &error, QObject *parent)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = QString("--log %1: %2").arg(path, std::strerror(errno));
        return nullptr;
    }
    auto *output = new LineOutput(fd, parent);
    output->ownsFd = true;
    return output;
}

void LineOutput::writeLine(const QString &line)
{
    pending += line.toUtf8();
    pending += '\n';
    flush();
}

void LineOutput::flush()
{
    while (!pending.isEmpty()) {
        const ssize_t n = ::write(fd, pending.constData(), size_t(pending.size()));
        if (n > 0) {
            pending.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && writable) {
            writable->setEnabled(true);
            return;
        }
        pending.clear();  // the reader is gone; nothing more can be delivered
        break;
    }
    if (writable)
        writable->setEnabled(false);
}

void LineOutput::flushBlocking(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    flush();
    // A reader that has stopped reading must not keep the simulator from ending.
    while (!pending.isEmpty() && clock.elapsed() < timeoutMs) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, int(timeoutMs - clock.elapsed())) <= 0)
            break;
        flush();
    }
}
