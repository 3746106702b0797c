#include "customplotwidget.h"

#include <qcustomplot.h>

CustomPlotWidget::CustomPlotWidget(QWidget *parent) : QFrame(parent) {}
void CustomPlotWidget::setupPlot() {}
void CustomPlotWidget::setColor(QColor) {}
void CustomPlotWidget::AddPnt(double, double) {}
void CustomPlotWidget::PlotClear() {}
void CustomPlotWidget::resizeEvent(QResizeEvent *event) { QFrame::resizeEvent(event); }
