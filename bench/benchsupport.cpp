#include "benchsupport.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

double msSince(qint64 startNs)
{
    return (monotonicNs() - startNs) / 1e6;
}

long residentKib()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

namespace {
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

double processCpuSeconds()
{
    return cpuSeconds(RUSAGE_SELF);
}

double threadCpuSeconds()
{
    return cpuSeconds(RUSAGE_THREAD);
}

double percentile(QVector<double> values, double p)
{
    if (values.isEmpty())
        return NAN;
    std::sort(values.begin(), values.end());
    const double rank = p / 100.0 * (values.size() - 1);
    const int low = int(std::floor(rank));
    const int high = std::min(low + 1, int(values.size()) - 1);
    return values[low] + (rank - low) * (values[high] - values[low]);
}

double median(QVector<double> values)
{
    return percentile(std::move(values), 50);
}

double wireMs(int characters, int baud)
{
    return characters * 10 * 1000.0 / baud;
}

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}
