#ifndef CUSTOMPLOTWIDGET_H
#define CUSTOMPLOTWIDGET_H

#include <QColor>
#include <QFrame>
#include <QSharedPointer>
#include <QString>
#include <QVector>

#include "alarmthresholds.h"

class QCPItemStraightLine;
class QCPItemText;
class QCustomPlot;
class SecondsAgoTicker;
class QResizeEvent;

// The last minute of concentration as a line scrolling to the left, one point
// per poll. The axes follow a fixed rule and are never scaled to the data.
class CustomPlotWidget : public QFrame
{
    Q_OBJECT
public:
    explicit CustomPlotWidget(QWidget *parent = nullptr);

    double upperBound = 100.0;

    void setupPlot();
    void setColor(QColor color);
    void AddPnt(double value, double key);
    void PlotClear();
    // The scale's unit and the alarm thresholds drawn across the plot, those
    // switched on; kept until changed.
    void setScale(const QString &unit, const RegisterModel::AlarmThresholds &thresholds);

    QCustomPlot *plotArea() const { return plot; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QCustomPlot *plot = nullptr;
    QVector<double> timeValues;
    QVector<double> concentrationValues;
    QCPItemText *unitText = nullptr;
    QSharedPointer<SecondsAgoTicker> timeTicker;
    QVector<QCPItemStraightLine *> thresholdLines;
    QVector<QCPItemText *> thresholdTexts;
    RegisterModel::AlarmThresholds shownThresholds;
};

#endif // CUSTOMPLOTWIDGET_H
