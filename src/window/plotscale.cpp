#include "plotscale.h"

#include <cmath>

namespace {
const double kTimeStep = 10.0;

bool atEnd(double tick, const QCPRange &range)
{
    const double near = range.size() * 1e-6;
    return std::abs(tick - range.lower) <= near || std::abs(tick - range.upper) <= near;
}
} // namespace

QVector<double> SecondsAgoTicker::createTickVector(double, const QCPRange &range)
{
    newest = range.upper;
    QVector<double> ticks;
    for (double tick = range.upper - kTimeStep; tick > range.lower; tick -= kTimeStep)
        ticks.prepend(tick);
    return ticks;
}

QString SecondsAgoTicker::getTickLabel(double tick, const QLocale &locale, QChar, int)
{
    return locale.toString(qRound(tick - newest)) + ' ' + unit;
}

QVector<double> InnerValueTicker::createTickVector(double tickStep, const QCPRange &range)
{
    shown = range;
    return QCPAxisTicker::createTickVector(tickStep, range);
}

QString InnerValueTicker::getTickLabel(double tick, const QLocale &locale, QChar formatChar, int precision)
{
    if (atEnd(tick, shown))
        return QString();
    return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
}
