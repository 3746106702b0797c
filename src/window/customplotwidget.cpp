#include "customplotwidget.h"

#include <QResizeEvent>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace {
const int kWindowPoints = 61;     // one minute of one-second points, both ends included
const double kVisibleSpan = 60.0;
}

CustomPlotWidget::CustomPlotWidget(QWidget *parent) : QFrame(parent)
{
    plot = new QCustomPlot(this);
    plot->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    upperBound = 100.0;

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(plot);
    layout->setContentsMargins(0, 0, 0, 0);

    plot->xAxis->setRange(-kVisibleSpan, 0);
    plot->yAxis->setLabel(tr("Концентрация"));
    plot->xAxis->setLabel(tr("Время (сек)"));
    // Without margins the axis rectangle is the whole widget: the line and its
    // grid fill the frame, and the tick and axis labels fall outside the view.
    // Switched off before the first replot, which would otherwise compute
    // margins for the labels and leave them frozen in place.
    plot->axisRect(0)->setAutoMargins(QCP::msNone);
    setupPlot();
}

void CustomPlotWidget::setupPlot()
{
    plot->addGraph();
    plot->yAxis->setRange(0, upperBound);
    plot->replot(QCustomPlot::rpRefreshHint);
}

void CustomPlotWidget::setColor(QColor color)
{
    plot->graph(0)->setPen(QPen(color, 3));
}

void CustomPlotWidget::AddPnt(double value, double key)
{
    if (timeValues.size() >= kWindowPoints) {
        timeValues.removeFirst();
        concentrationValues.removeFirst();
    }
    plot->xAxis->setRange(key - kVisibleSpan, key);
    plot->yAxis->setRange(0, upperBound);
    timeValues.append(key);
    concentrationValues.append(value);
    plot->graph(0)->setData(timeValues, concentrationValues, false);
    plot->replot(QCustomPlot::rpRefreshHint);
}

void CustomPlotWidget::PlotClear()
{
    timeValues.resize(0);
    concentrationValues.resize(0);
    plot->graph(0)->setData(timeValues, concentrationValues, false);
    plot->xAxis->setRange(-kVisibleSpan, 0);
    plot->replot(QCustomPlot::rpRefreshHint);
}

void CustomPlotWidget::resizeEvent(QResizeEvent *event)
{
    if (plot)
        plot->setGeometry(0, 0, event->size().width(), event->size().height());
    QFrame::resizeEvent(event);
}
