#include "addresslist.h"

#include "modbusoperations.h"
#include "options.h"
#include "output.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const int firstAddress = 1;
const int lastAddress = 247;   // 0 is broadcast, 248-255 are reserved

bool addressValue(const QString &text, int &address)
{
    bool ok = false;
    address = text.trimmed().toInt(&ok);
    return ok && address >= firstAddress && address <= lastAddress;
}

} // namespace

bool parseAddressList(const QString &text, QVector<int> &addresses, QString &error)
{
    addresses.clear();
    const QString wanted = QString("--address must be addresses 1-247 and ranges such as 1,2,5-9, not \"%1\"").arg(text);
    for (const QString &item : text.split(',')) {
        const QStringList ends = item.split('-');
        int low = 0, high = 0;
        if (ends.size() > 2 || !addressValue(ends.first(), low) || !addressValue(ends.last(), high)) {
            error = wanted;
            return false;
        }
        if (low > high) {
            error = QString("--address range %1 runs backwards").arg(item.trimmed());
            return false;
        }
        for (int a = low; a <= high; ++a) {
            if (!addresses.contains(a))
                addresses << a;
        }
    }
    return true;
}

int listStatus(const QVector<int> &statuses)
{
    bool differed = false;
    for (int status : statuses) {
        if (status == ExitMismatch)
            differed = true;
        else if (status != ExitOk)
            return ExitNoAnswer;
    }
    return differed ? ExitMismatch : ExitOk;
}

QString addressesText(const QVector<int> &addresses)
{
    QStringList parts;
    for (int a : addresses)
        parts << QString::number(a);
    if (parts.size() < 2)
        return parts.join(QString());
    const QString last = parts.takeLast();
    return parts.join(", ") + " and " + last;
}

int forEachAddress(ModbusOperations &device, const CliOptions &options,
                   const std::function<int(const CliOptions &)> &run, QVector<int> *statuses)
{
    QVector<int> all;
    for (int i = 0; i < options.addresses.size(); ++i) {
        CliOptions one = options;
        one.address = options.addresses[i];
        const int status = run(one);
        all << status;
        // The port, not the detector: the next one would fail the same way.
        if (status == ExitUsage && !device.isOpen()) {
            if (options.isList() && i + 1 < options.addresses.size())
                fail(ExitUsage, QString("addresses %1 were not tried").arg(addressesText(options.addresses.mid(i + 1))));
            if (statuses)
                *statuses = all;
            return ExitUsage;
        }
    }
    if (statuses)
        *statuses = all;
    return options.isList() ? listStatus(all) : all.first();
}
