#ifndef CONSOLE_H
#define CONSOLE_H

#include <QString>
#include <QStringList>
#include <functional>

class Detector;
class FaultInjector;

// The commands a test or a trainer types while the simulator runs. Each
// command answers with zero or more data lines and then one line that is
// either "ok" or "error <reason>".
class Console
{
public:
    struct Actions
    {
        std::function<void()> closePort;
        std::function<QString()> reopenPort;  // the new path, or empty on failure
        std::function<void()> quit;
    };

    Console(Detector &detector, FaultInjector &faults, Actions actions);

    QStringList execute(const QString &line);

    static QStringList commandHelp();

private:
    QStringList fault(const QStringList &words);
    QStringList setRegisters(const QStringList &words);
    QStringList getRegisters(const QStringList &words);
    QStringList status(const QStringList &words);
    QStringList concentration(const QStringList &words);
    QStringList amplitude(const QStringList &words);
    QStringList testGas(const QStringList &words);
    QStringList dump();
    QStringList current();

    Detector &detector;
    FaultInjector &faults;
    Actions actions;
};

#endif // CONSOLE_H
