#ifndef PTY_H
#define PTY_H

#include <QString>

// A pseudo-terminal pair in raw mode. The simulator works the master side;
// the slave side is the "serial port" a Modbus master opens. The simulator
// keeps a descriptor of the slave open itself, so that a master closing and
// reopening the port never hangs up the pair; closing the pair makes the port
// vanish for good.
class Pty
{
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool open(QString &error);
    // Points linkPath at the slave side, replacing an earlier symlink there
    // (but never a file that is not a symlink).
    bool link(const QString &linkPath, QString &error);
    void close();

    bool isOpen() const { return masterFd >= 0; }
    int master() const { return masterFd; }
    QString slavePath() const { return path; }

private:
    int masterFd = -1;
    int slaveFd = -1;
    QString path;
    QString linkPath;
};

#endif // PTY_H
