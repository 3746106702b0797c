#include <QtTest>

#include <qcustomplot.h>

#include "customplotwidget.h"

class TestPlot : public QObject
{
    Q_OBJECT
private slots:
    void startsOnTheFixedAxes();
    void keepsTheLast61Points_data();
    void keepsTheLast61Points();
    void upperBoundTakesEffectWithTheNextPoint();
    void clearResetsOnlyTheTimeAxis();
    void graphFillsTheWidget();
    void scaleAndThresholdsInside();
};

namespace {
QCPRange xRange(CustomPlotWidget &plot) { return plot.plotArea()->xAxis->range(); }
QCPRange yRange(CustomPlotWidget &plot) { return plot.plotArea()->yAxis->range(); }
QCPGraph *graph(CustomPlotWidget &plot) { return plot.plotArea()->graph(0); }
}

void TestPlot::startsOnTheFixedAxes()
{
    CustomPlotWidget plot;
    QCOMPARE(plot.plotArea()->graphCount(), 1);
    QCOMPARE(xRange(plot), QCPRange(-60, 0));
    QCOMPARE(yRange(plot), QCPRange(0, 100));
    QCOMPARE(graph(plot)->dataCount(), 0);
}

void TestPlot::keepsTheLast61Points_data()
{
    QTest::addColumn<int>("added");
    QTest::newRow("1") << 1;
    QTest::newRow("60") << 60;
    QTest::newRow("61") << 61;
    QTest::newRow("62") << 62;
    QTest::newRow("200") << 200;
}

void TestPlot::keepsTheLast61Points()
{
    QFETCH(int, added);
    CustomPlotWidget plot;
    for (int key = 0; key < added; ++key)
        plot.AddPnt(key * 2.0, key);

    const int last = added - 1;
    const int kept = std::min(added, 61);
    QCPGraph *line = graph(plot);
    QCOMPARE(line->dataCount(), kept);
    QCOMPARE(line->data()->at(0)->key, double(added - kept));
    QCOMPARE(line->data()->at(kept - 1)->key, double(last));
    QCOMPARE(line->data()->at(kept - 1)->value, last * 2.0);
    QCOMPARE(xRange(plot), QCPRange(last - 60, last));
    QCOMPARE(yRange(plot), QCPRange(0, 100));
}

void TestPlot::upperBoundTakesEffectWithTheNextPoint()
{
    CustomPlotWidget plot;
    plot.upperBound = 50.0;
    QCOMPARE(yRange(plot), QCPRange(0, 100));
    plot.AddPnt(500.0, 0);
    QCOMPARE(yRange(plot), QCPRange(0, 50));
    // The axis is never scaled to the data: the point just runs off the top.
    QCOMPARE(graph(plot)->data()->at(0)->value, 500.0);
}

void TestPlot::clearResetsOnlyTheTimeAxis()
{
    CustomPlotWidget plot;
    plot.setColor(QColor(25, 94, 172));
    plot.upperBound = 20.0;
    for (int key = 0; key < 80; ++key)
        plot.AddPnt(1.0, key);

    plot.PlotClear();
    QCOMPARE(graph(plot)->dataCount(), 0);
    QCOMPARE(xRange(plot), QCPRange(-60, 0));
    QCOMPARE(yRange(plot), QCPRange(0, 20));
    QCOMPARE(plot.upperBound, 20.0);
    QCOMPARE(graph(plot)->pen().color(), QColor(25, 94, 172));
    QCOMPARE(graph(plot)->pen().widthF(), 3.0);
    QCOMPARE(graph(plot)->pen().style(), Qt::SolidLine);

    // A new run starts at key 0 and does not see the old points.
    plot.AddPnt(7.0, 0);
    QCOMPARE(graph(plot)->dataCount(), 1);
}

void TestPlot::graphFillsTheWidget()
{
    QWidget frame;
    frame.resize(531, 281);
    auto *plot = new CustomPlotWidget(&frame);
    plot->setGeometry(0, 0, 531, 281);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    for (const QSize size : {QSize(531, 281), QSize(300, 150)}) {
        plot->resize(size);
        QCoreApplication::processEvents();
        plot->plotArea()->replot();
        QCOMPARE(plot->plotArea()->geometry(), QRect(QPoint(0, 0), size));
        QCOMPARE(plot->plotArea()->axisRect(0)->rect(), QRect(QPoint(0, 0), size));
    }
}

namespace {
// The thresholds drawn, as "LABEL@LEVEL", and the scale's own texts.
QStringList drawnThresholds(CustomPlotWidget &plot)
{
    QStringList drawn;
    for (int i = 0; i < plot.plotArea()->itemCount(); ++i) {
        auto *text = qobject_cast<QCPItemText *>(plot.plotArea()->item(i));
        if (text && text->position->typeY() == QCPItemPosition::ptPlotCoords)
            drawn << QString("%1@%2").arg(text->text()).arg(text->position->value());
    }
    return drawn;
}
} // namespace

// The scales are written inside the plot, which keeps its size: the unit at
// the top left, the values up the left edge, the seconds before the newest
// point along the top, and a labelled line for each threshold that is on.
void TestPlot::scaleAndThresholdsInside()
{
    CustomPlotWidget plot;
    plot.resize(531, 281);
    RegisterModel::AlarmThresholds thresholds;
    thresholds[0] = {true, true, 10};
    thresholds[1] = {true, false, 20};   // a falling threshold is a level all the same
    thresholds[2] = {false, true, 40};
    plot.setScale("%НКПР", thresholds);
    plot.upperBound = 50;
    plot.AddPnt(3, 100);
    plot.plotArea()->replot(QCustomPlot::rpImmediateRefresh);

    QCOMPARE(drawnThresholds(plot), QStringList({"Порог 1@10", "Порог 2@20"}));
    QCOMPARE(plot.plotArea()->itemCount(), 5);   // the unit, two lines and their names
    for (QCPAxis *axis : {plot.plotArea()->yAxis, plot.plotArea()->xAxis2}) {
        QVERIFY(axis->visible() && axis->tickLabels());
        QCOMPARE(axis->tickLabelSide(), QCPAxis::lsInside);
    }
    QCOMPARE(plot.plotArea()->xAxis2->range(), QCPRange(40, 100));
    QCOMPARE(plot.plotArea()->xAxis2->tickVectorLabels(),
             QVector<QString>({"-50 с", "-40 с", "-30 с", "-20 с", "-10 с"}));
    // The ends of the value scale would be cut by the frame.
    const QVector<QString> values = plot.plotArea()->yAxis->tickVectorLabels();
    QVERIFY(!values.isEmpty() && values.first().isEmpty() && values.last().isEmpty());
    QVERIFY(values.contains("20"));

    thresholds[2].on = true;
    thresholds[0].level = 12;
    plot.setScale("%НКПР", thresholds);
    QCOMPARE(drawnThresholds(plot), QStringList({"Порог 1@12", "Порог 2@20", "Порог 3@40"}));
    QCOMPARE(plot.plotArea()->itemCount(), 7);
}

QTEST_MAIN(TestPlot)
#include "tst_plot.moc"
