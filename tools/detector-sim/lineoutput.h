#ifndef LINEOUTPUT_H
#define LINEOUTPUT_H

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// Writes whole lines to a descriptor at once. On a pipe whose reader is slow
// the lines wait in memory instead of blocking the simulator, so a busy test
// never stalls the detector it is talking to.
class LineOutput : public QObject
{
    Q_OBJECT
public:
    explicit LineOutput(int fd, QObject *parent = nullptr);
    ~LineOutput() override;

    // Opens (and truncates) a file for the lines; false with error if it cannot.
    static LineOutput *openFile(const QString &path, QString &error, QObject *parent);

    void writeLine(const QString &line);
    // Waits up to timeoutMs for a slow reader to take what is left.
    void flushBlocking(int timeoutMs = 1000);

private:
    void flush();

    int fd;
    bool ownsFd = false;
    QByteArray pending;
    QSocketNotifier *writable = nullptr;
};

#endif // LINEOUTPUT_H
