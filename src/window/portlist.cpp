#include "portlist.h"

#include <QCoreApplication>
#include <QSerialPortInfo>

QStringList extraPortEntries(const QString &variable)
{
    QStringList entries;
    for (const QString &path : variable.split(':', Qt::SkipEmptyParts))
        entries << path + " (" + QCoreApplication::translate("MainWindow", "виртуальный порт") + ")";
    return entries;
}

QStringList portListEntries()
{
    QStringList entries;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        entries << port.portName() + " (" + port.manufacturer() + ")";
    entries << extraPortEntries(qEnvironmentVariable("ZORVEL_EXTRA_PORTS"));
    return entries;
}
