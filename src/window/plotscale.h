#ifndef PLOTSCALE_H
#define PLOTSCALE_H

#include <qcustomplot.h>

// The plot's scales are drawn inside it, where the line runs, so that the
// plot keeps its size and its graph fills the frame. Labels at either end
// of an axis would be cut by the frame's edge and are left out.

// The time axis in seconds before the newest point, a tick every ten.
class SecondsAgoTicker : public QCPAxisTicker
{
public:
    QString unit;   // after each number, in the window's language

protected:
    QVector<double> createTickVector(double tickStep, const QCPRange &range) override;
    QString getTickLabel(double tick, const QLocale &locale, QChar formatChar, int precision) override;

private:
    double newest = 0;
};

// The value axis as the library chooses its steps, without its end labels.
class InnerValueTicker : public QCPAxisTicker
{
protected:
    QVector<double> createTickVector(double tickStep, const QCPRange &range) override;
    QString getTickLabel(double tick, const QLocale &locale, QChar formatChar, int precision) override;

private:
    QCPRange shown;
};

#endif // PLOTSCALE_H
