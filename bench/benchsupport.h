#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

#include <QString>
#include <QVector>

// Small helpers the benchmarks share: clocks, process figures, statistics
// and the Markdown they print for docs/performance.md.

qint64 monotonicNs();
double msSince(qint64 startNs);

// Resident memory of this process in KiB, from /proc/self/statm.
long residentKib();
// CPU time (user + system) in seconds, of the process or of the calling thread.
double processCpuSeconds();
double threadCpuSeconds();

double median(QVector<double> values);
double percentile(QVector<double> values, double p);   // p in 0..100

// Wire time of n characters of 8N1 at the given baud rate, in milliseconds.
double wireMs(int characters, int baud = 9600);

QString fixed(double value, int decimals = 1);

#endif // BENCHSUPPORT_H
