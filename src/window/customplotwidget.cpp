#include "customplotwidget.h"

#include <QResizeEvent>

#include <algorithm>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include "plotscale.h"

namespace {
const int kWindowPoints = 61;     // one minute of one-second points, both ends included
const double kVisibleSpan = 60.0;
const QColor kScaleColor(90, 90, 90);
// Threshold 1 warns, 2 and 3 alarm: from amber to red.
const QColor kThresholdColors[3] = {QColor(214, 140, 0), QColor(214, 70, 0), QColor(180, 0, 0)};

// Scale texts small and grey, so that they stay behind the line.
QFont scaleFont(const QFont &base)
{
    QFont font(base);
    font.setPointSize(8);
    return font;
}

// The scale is written inside the axis rectangle, which fills the widget.
void putScaleInside(QCPAxis *axis)
{
    axis->setTickLabelSide(QCPAxis::lsInside);
    axis->setTickLabelFont(scaleFont(axis->tickLabelFont()));
    axis->setTickLabelColor(kScaleColor);
}
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
    // The time scale runs along the top edge: clean air reads near zero, and
    // the line would cross it at the bottom.
    plot->xAxis2->setVisible(true);
    plot->xAxis->setTickLabels(false);
    putScaleInside(plot->xAxis2);
    putScaleInside(plot->yAxis);
    timeTicker.reset(new SecondsAgoTicker);
    timeTicker->unit = tr("с");
    plot->xAxis->setTicker(timeTicker);
    plot->xAxis2->setTicker(timeTicker);
    connect(plot->xAxis, QOverload<const QCPRange &>::of(&QCPAxis::rangeChanged), plot->xAxis2,
            QOverload<const QCPRange &>::of(&QCPAxis::setRange));
    plot->xAxis2->setRange(plot->xAxis->range());
    plot->yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new InnerValueTicker));

    unitText = new QCPItemText(plot);
    unitText->position->setType(QCPItemPosition::ptAxisRectRatio);
    unitText->position->setCoords(0, 0);
    unitText->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    unitText->setPadding(QMargins(4, 2, 4, 2));
    unitText->setFont(scaleFont(unitText->font()));
    unitText->setColor(kScaleColor);
    setupPlot();
}

// A threshold is a dashed line at its level with its name at the right end,
// above the line, where the newest point is drawn.
void CustomPlotWidget::setScale(const QString &unit, const RegisterModel::AlarmThresholds &thresholds)
{
    unitText->setText(unit);
    auto drawnAlike = [](const RegisterModel::AlarmThreshold &a, const RegisterModel::AlarmThreshold &b) {
        return a.on == b.on && (!a.on || a.level == b.level);
    };
    if (std::equal(thresholds.begin(), thresholds.end(), shownThresholds.begin(), drawnAlike))
        return;
    for (QCPItemStraightLine *line : thresholdLines)
        plot->removeItem(line);
    for (QCPItemText *text : thresholdTexts)
        plot->removeItem(text);
    thresholdLines.clear();
    thresholdTexts.clear();
    shownThresholds = thresholds;
    for (int i = 0; i < 3; ++i) {
        const RegisterModel::AlarmThreshold &threshold = thresholds[size_t(i)];
        if (!threshold.on)
            continue;
        auto *line = new QCPItemStraightLine(plot);
        line->setPen(QPen(kThresholdColors[i], 1.5, Qt::DashLine));
        line->point1->setCoords(0, threshold.level);
        line->point2->setCoords(1, threshold.level);
        auto *text = new QCPItemText(plot);
        text->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
        text->position->setTypeY(QCPItemPosition::ptPlotCoords);
        text->position->setCoords(1, threshold.level);
        text->setPositionAlignment(Qt::AlignRight | Qt::AlignBottom);
        text->setPadding(QMargins(4, 0, 4, 1));
        text->setFont(scaleFont(text->font()));
        text->setColor(kThresholdColors[i]);
        text->setText(tr("Порог %1").arg(i + 1));
        thresholdLines << line;
        thresholdTexts << text;
    }
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
