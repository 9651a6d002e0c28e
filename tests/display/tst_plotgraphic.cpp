#include "DisplayTestSupport.h"
#include "PlotAxis.h"
#include "PlotPointList.h"
#include "QPlotGraphic.h"
#include "TestInk.h"

#include <QSignalSpy>
#include <QVector>

#include <cmath>
#include <vector>

Q_DECLARE_METATYPE(std::vector<double>)
#include <QtTest>

using namespace DisplayTest;
using namespace TestInk;

namespace {

// Shown at 440 x 220, so that the plot area is 40..440 x 0..200.
void show(QPlotGraphic& plot, PlotPointList* source, double xMax, double yMax)
{
    plot.resize(440, 220);
    plot.show();
    if (source)
        plot.setSource(source);
    plot.setXRange(0, xMax);
    plot.setYRange(0, yMax);
}

} // namespace

class TestPlotGraphic : public QObject
{
    Q_OBJECT

private slots:
    void autoRange_data();
    void autoRange();
    void mapping();
    void tickSteps_data();
    void tickSteps();
    void ticks();
    void labelFormats_data();
    void labelFormats();
    void clickSelectsFirstPointNotBelow();
    void markerModeFollowsMouse();
    void setSelectedValueSnapsToNearest();
    void shiftDragHighlights();
    void dragOnAxisPansAndZooms();
    void emptySourceDrawsNoSeries();
    void pointsAreSquares();
    void pointListKeepsOrder();
    void secondSeries();
    void coveringRange_data();
    void coveringRange();
    void timeSteps_data();
    void timeSteps();
};

void TestPlotGraphic::autoRange_data()
{
    QTest::addColumn<QVector<QPointF>>("points");
    QTest::addColumn<double>("xMin");
    QTest::addColumn<double>("xMax");
    QTest::addColumn<double>("yMin");
    QTest::addColumn<double>("yMax");
    QTest::addRow("flat 100 bpm") << QVector<QPointF>{{0, 100}, {60, 100}, {120, 100}} << -6.0 << 126.0 << 99.0
                                  << 101.0;
    QTest::addRow("rising") << QVector<QPointF>{{0, 0}, {10, 10}} << -0.5 << 10.5 << -0.5 << 10.5;
    // A flat negative series keeps its order, a flat zero series gets a unit range.
    QTest::addRow("flat -2") << QVector<QPointF>{{0, -2}, {10, -2}} << -0.5 << 10.5 << -2.02 << -1.98;
    QTest::addRow("flat 0") << QVector<QPointF>{{0, 0}, {10, 0}} << -0.5 << 10.5 << -1.0 << 1.0;
    QTest::addRow("one point") << QVector<QPointF>{{50, 120}} << 49.5 << 50.5 << 118.8 << 121.2;
    // Nothing to fit: the ranges stay as they were set.
    QTest::addRow("no points") << QVector<QPointF>{} << 1.0 << 2.0 << 0.0 << 10.0;
}

void TestPlotGraphic::autoRange()
{
    QFETCH(QVector<QPointF>, points);
    QFETCH(double, xMin);
    QFETCH(double, xMax);
    QFETCH(double, yMin);
    QFETCH(double, yMax);
    PlotPointList source(points);
    QPlotGraphic plot;
    plot.setXRange(1, 2);
    plot.setSource(&source);
    plot.autoRange();
    QVERIFY(std::abs(plot.xMin() - xMin) < 1e-9);
    QVERIFY(std::abs(plot.xMax() - xMax) < 1e-9);
    QVERIFY(std::abs(plot.yMin() - yMin) < 1e-9);
    QVERIFY(std::abs(plot.yMax() - yMax) < 1e-9);
}

void TestPlotGraphic::mapping()
{
    QPlotGraphic plot;
    plot.setXRange(0, 100);
    plot.setYRange(0, 50);
    const QSize size(440, 220); // plot area 40..440 x 0..200
    QCOMPARE(plot.plotArea(size), QRect(40, 0, 400, 200));
    QCOMPARE(plot.mapToPlot(0, 0, size), QPoint(40, 200));
    QCOMPARE(plot.mapToPlot(100, 50, size), QPoint(440, 0));
    QCOMPARE(plot.mapToPlot(50, 25, size), QPoint(240, 100));
    QCOMPARE(plot.xAtPixel(240, size), 50.0);
    plot.setShowYAxis(false);
    plot.setShowXAxis(false);
    QCOMPARE(plot.plotArea(size), QRect(0, 0, 440, 220));
}

void TestPlotGraphic::tickSteps_data()
{
    QTest::addColumn<double>("span");
    QTest::addColumn<double>("pixels");
    QTest::addColumn<double>("minPixels");
    QTest::addColumn<double>("step");
    // The smallest step that keeps minPixels apart, rounded up to 2, 5 or 10 x 10^e.
    QTest::addRow("1.3 -> 2") << 10.0 << 100.0 << 13.0 << 2.0;
    QTest::addRow("2.6 -> 5") << 100.0 << 100.0 << 2.6 << 5.0;
    QTest::addRow("6 -> 10") << 60.0 << 100.0 << 10.0 << 10.0;
    QTest::addRow("exactly 2") << 20.0 << 100.0 << 10.0 << 2.0;
    QTest::addRow("exactly 5") << 500.0 << 100.0 << 1.0 << 5.0;
    QTest::addRow("1 -> 2") << 10.0 << 100.0 << 10.0 << 2.0;
    QTest::addRow("small") << 0.03 << 100.0 << 13.0 << 0.005;
    QTest::addRow("empty span") << 0.0 << 100.0 << 13.0 << 0.0;
    QTest::addRow("no pixels") << 10.0 << 0.0 << 13.0 << 0.0;
}

void TestPlotGraphic::tickSteps()
{
    QFETCH(double, span);
    QFETCH(double, pixels);
    QFETCH(double, minPixels);
    QFETCH(double, step);
    QVERIFY(std::abs(PlotAxis::tickStep(span, pixels, minPixels) - step) < 1e-12);
}

void TestPlotGraphic::ticks()
{
    QCOMPARE(PlotAxis::ticks(0.0, 10.0, 2.0), (QVector<double>{0, 2, 4, 6, 8, 10}));
    QCOMPARE(PlotAxis::ticks(-0.5, 10.5, 5.0), (QVector<double>{0, 5, 10}));
    QCOMPARE(PlotAxis::ticks(99.0, 101.0, 0.5), (QVector<double>{99.0, 99.5, 100.0, 100.5, 101.0}));
    QVERIFY(PlotAxis::ticks(0.0, 1e12, 1e-6).isEmpty()); // far too many
    QVERIFY(PlotAxis::ticks(5.0, 1.0, 1.0).isEmpty());
}

void TestPlotGraphic::labelFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("%g") << "%g" << 120.0 << "120";
    QTest::newRow("%+.1f") << "%+.1f" << -1.24 << "-1.2";
    QTest::addRow("with text") << "%.0f bpm" << 99.6 << "100 bpm";
    QTest::addRow("mm:ss") << "mm:ss" << 754.4 << "12:34";
    QTest::addRow("mm:ss negative") << "mm:ss" << -65.0 << "-01:05";
    // Anything printf could misread falls back to %g.
    QTest::newRow("%s") << "%s" << 2.5 << "2.5";
    QTest::newRow("%d") << "%d" << 2.5 << "2.5";
    QTest::addRow("two conversions") << "%f %f" << 2.5 << "2.5";
    QTest::addRow("no conversion") << "bpm" << 2.5 << "2.5";
    QTest::addRow("huge width") << "%999f" << 2.5 << "2.5";
    QTest::addRow("percent sign") << "%g %%" << 2.5 << "2.5 %";
}

void TestPlotGraphic::labelFormats()
{
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(PlotLabelFormat(format).text(value), text);
}

void TestPlotGraphic::clickSelectsFirstPointNotBelow()
{
    PlotPointList source(QVector<QPointF>{{0, 1}, {10, 2}, {20, 3}});
    QPlotGraphic plot;
    show(plot, &source, 20, 4);
    QSignalSpy selected(&plot, &QPlotGraphic::selectedValueChanged);

    // Not selectable: nothing.
    press(plot, QPoint(plot.mapToPlot(4, 1, plot.size()).x(), 100));
    release(plot, QPoint(0, 0));
    QCOMPARE(plot.selectedIndex(), -1);

    plot.setSelectable(true);
    // Between the first and the second point: the later one.
    press(plot, QPoint(plot.mapToPlot(4, 1, plot.size()).x(), 100));
    QCOMPARE(plot.selectedIndex(), 1);
    QCOMPARE(plot.marker(), QPointF(10, 2));
    // Dragging past the right edge of the plot: the range end, so the last point.
    dragTo(plot, QPoint(1000, 100));
    QCOMPARE(plot.selectedIndex(), 2);
    release(plot, QPoint(1000, 100));
    QCOMPARE(selected.count(), 2);
    // A press on the axis band does not select.
    press(plot, QPoint(10, 100));
    QCOMPARE(plot.selectedIndex(), 2);
    release(plot, QPoint(10, 100));

    plot.setSource(&source);
    QCOMPARE(plot.selectedIndex(), -1);
}

void TestPlotGraphic::markerModeFollowsMouse()
{
    PlotPointList source(QVector<QPointF>{{0, 0}, {10, 10}});
    QPlotGraphic plot;
    show(plot, &source, 10, 10);
    plot.setSelectable(true);
    plot.setMarkerMode(true);
    press(plot, QPoint(plot.mapToPlot(2.5, 0, plot.size()).x(), 100));
    QCOMPARE(plot.marker().x(), 2.5);
    QCOMPARE(plot.marker().y(), 2.5);
    QCOMPARE(plot.selectedIndex(), -1);
    // The gray marker line over the plot height.
    const int x = plot.mapToPlot(2.5, 0, plot.size()).x();
    QVERIFY(qGray(plot.canvas().pixel(x, 10)) < 250);
}

void TestPlotGraphic::setSelectedValueSnapsToNearest()
{
    PlotPointList source(QVector<QPointF>{{0, 1}, {10, 2}, {20, 3}});
    QPlotGraphic plot;
    QSignalSpy selected(&plot, &QPlotGraphic::selectedValueChanged);
    plot.setSource(&source);
    plot.setSelectedValue(4.0);
    QCOMPARE(plot.selectedIndex(), 0);
    plot.setSelectedValue(6.0);
    QCOMPARE(plot.selectedIndex(), 1);
    plot.setSelectedValue(99.0);
    QCOMPARE(plot.selectedIndex(), 2);
    QCOMPARE(plot.marker(), QPointF(20, 3));
    QCOMPARE(selected.count(), 0);
}

void TestPlotGraphic::shiftDragHighlights()
{
    PlotPointList source(QVector<QPointF>{{0, 0}, {100, 10}});
    QPlotGraphic plot;
    show(plot, &source, 100, 10);
    plot.setSelectable(true);
    QSignalSpy highlighted(&plot, &QPlotGraphic::highlightChanged);

    // Without the highlight enabled Shift selects as usual.
    press(plot, QPoint(140, 100), Qt::LeftButton, Qt::ShiftModifier);
    release(plot, QPoint(140, 100));
    QVERIFY(!plot.hasHighlight());

    plot.setHighlightEnabled(true);
    press(plot, QPoint(240, 100), Qt::LeftButton, Qt::ShiftModifier);
    dragTo(plot, QPoint(140, 100), Qt::LeftButton, Qt::ShiftModifier);
    release(plot, QPoint(140, 100));
    QVERIFY(plot.hasHighlight());
    QCOMPARE(plot.highlightFrom(), 25.0);
    QCOMPARE(plot.highlightTo(), 50.0);
    QCOMPARE(highlighted.count(), 2);

    // Released where it started: the range is empty and goes.
    press(plot, QPoint(300, 100), Qt::LeftButton, Qt::ShiftModifier);
    release(plot, QPoint(300, 100));
    QVERIFY(!plot.hasHighlight());
    QCOMPARE(highlighted.count(), 4);
}

void TestPlotGraphic::dragOnAxisPansAndZooms()
{
    QPlotGraphic plot;
    show(plot, nullptr, 100, 100);
    QSignalSpy scaled(&plot, &QPlotGraphic::scaleChanged);

    // Fixed axes (the default) do not move.
    press(plot, QPoint(100, 210));
    dragTo(plot, QPoint(140, 210));
    release(plot, QPoint(140, 210));
    QCOMPARE(plot.xMin(), 0.0);
    QCOMPARE(scaled.count(), 0);

    // 40 px right over a 400 px plot of 100 units: the content follows by 10 units.
    plot.setXFixed(false);
    press(plot, QPoint(100, 210));
    dragTo(plot, QPoint(140, 210));
    release(plot, QPoint(140, 210));
    QCOMPARE(plot.xMin(), -10.0);
    QCOMPARE(plot.xMax(), 90.0);
    QCOMPARE(plot.yMin(), 0.0);
    QCOMPARE(scaled.count(), 1);

    // With Ctrl the range widens about its centre.
    press(plot, QPoint(100, 210), Qt::LeftButton, Qt::ControlModifier);
    dragTo(plot, QPoint(140, 210), Qt::LeftButton, Qt::ControlModifier);
    release(plot, QPoint(140, 210));
    QCOMPARE(plot.xMin(), -15.0);
    QCOMPARE(plot.xMax(), 95.0);
    QCOMPARE(scaled.count(), 2);

    // Narrowing never turns the range inside out.
    press(plot, QPoint(400, 210), Qt::LeftButton, Qt::ControlModifier);
    dragTo(plot, QPoint(-5000, 210), Qt::LeftButton, Qt::ControlModifier);
    QVERIFY(plot.xMax() > plot.xMin());
}

void TestPlotGraphic::emptySourceDrawsNoSeries()
{
    PlotPointList source;
    QPlotGraphic plot;
    plot.setSource(&source);
    const QColor series(255, 0, 0);
    plot.setColor(series);
    QImage image(440, 220, QImage::Format_ARGB32_Premultiplied);
    plot.render(image);
    QCOMPARE(countInk(image, image.rect(), series, Qt::white), 0);
    // The axis labels are there, in the axis colour: left of the y axis, and below
    // the x axis and the grid line of the lowest tick, which lies on the first row
    // under the plot area.
    const QRect area = plot.plotArea(image.size());
    const QRect yLabels(0, 0, area.left(), image.height());
    const QRect xLabels(area.left(), area.bottom() + 2, area.width(), image.height() - area.bottom() - 2);
    QVERIFY(countInk(image, yLabels, Qt::darkGray, Qt::white) > 0);
    QVERIFY(countInk(image, xLabels, Qt::darkGray, Qt::white) > 0);
    // The title is the only thing in the series colour.
    plot.setTitle(QStringLiteral("HR"));
    plot.render(image);
    const int title = countInk(image, QRect(40, 0, 60, 30), series, Qt::white);
    QVERIFY(title > 0);
    QCOMPARE(countInk(image, image.rect(), series, Qt::white), title);
}

void TestPlotGraphic::pointsAreSquares()
{
    PlotPointList source(QVector<QPointF>{{50, 50}});
    QPlotGraphic plot;
    plot.setSource(&source);
    plot.setXRange(0, 100);
    plot.setYRange(0, 100);
    plot.setColor(QColor(255, 0, 0));
    plot.setPlotType(QPlotGraphic::Points);
    QImage image(440, 220, QImage::Format_ARGB32_Premultiplied);
    plot.render(image);
    // A 5 x 5 square from px - 3, py - 3.
    const QPoint p = plot.mapToPlot(50, 50, image.size());
    QCOMPARE(countColor(image, QRect(p.x() - 3, p.y() - 3, 5, 5), QColor(255, 0, 0)), 25);
    QCOMPARE(countColor(image, image.rect(), QColor(255, 0, 0)), 25);
}

void TestPlotGraphic::pointListKeepsOrder()
{
    PlotPointList list;
    list.append(10, 1);
    list.append(30, 3);
    list.append(20, 2);
    list.append(20, 4);
    QCOMPARE(list.count(), 4);
    QCOMPARE(list.x(1), 20.0);
    QCOMPARE(list.y(2), 4.0);
    QCOMPARE(list.x(3), 30.0);
    QCOMPARE(list.x(9), 0.0);
}

void TestPlotGraphic::secondSeries()
{
    // Systolic over diastolic: both on the same axes, each in its colour.
    PlotPointList systolic({{0, 160}, {60, 180}});
    PlotPointList diastolic({{0, 60}, {60, 90}});
    QPlotGraphic plot;
    plot.setSource(&systolic);
    plot.setSecondSource(&diastolic, QColor(0, 0, 255));
    plot.setColor(QColor(255, 0, 0));
    plot.autoRange();
    QVERIFY(plot.yMin() < 60.0 && plot.yMax() > 180.0);
    QImage image(440, 220, QImage::Format_ARGB32_Premultiplied);
    plot.render(image);
    const QRect area = plot.plotArea(image.size());
    const int low = plot.mapToPlot(30, 75, image.size()).y();
    const int high = plot.mapToPlot(30, 170, image.size()).y();
    // The diastolic trace lies in the lower band, the systolic in the upper.
    QVERIFY(countInk(image, QRect(area.left(), low - 6, area.width(), 12), QColor(0, 0, 255), Qt::white) > 0);
    QCOMPARE(countInk(image, QRect(area.left(), high - 6, area.width(), 12), QColor(0, 0, 255), Qt::white), 0);
    QVERIFY(countInk(image, QRect(area.left(), high - 6, area.width(), 12), QColor(255, 0, 0), Qt::white) > 0);
    plot.setSecondSource(nullptr, Qt::black);
    plot.render(image);
    QCOMPARE(countInk(image, image.rect(), QColor(0, 0, 255), Qt::white), 0);
}

void TestPlotGraphic::coveringRange_data()
{
    QTest::addColumn<std::vector<double>>("values");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    // The usual 50..200 per minute, grown in steps of 20 with 5 to spare.
    QTest::newRow("within") << std::vector<double>{80, 150} << 50.0 << 200.0;
    QTest::newRow("a cat at 240") << std::vector<double>{180, 240} << 50.0 << 260.0;
    QTest::newRow("a dog at 280") << std::vector<double>{280} << 50.0 << 300.0;
    QTest::newRow("a horse at 28") << std::vector<double>{28, 60} << 20.0 << 200.0;
    QTest::newRow("never below the floor") << std::vector<double>{2} << 0.0 << 200.0;
    QTest::newRow("not finite left out") << std::vector<double>{std::nan(""), 1e300 * 1e300} << 50.0 << 200.0;
}

void TestPlotGraphic::coveringRange()
{
    QFETCH(std::vector<double>, values);
    QFETCH(double, low);
    QFETCH(double, high);
    std::vector<double> times(values.size());
    for (size_t i = 0; i < times.size(); ++i)
        times[i] = double(i);
    const PlotAxis::Range r = PlotAxis::covering(times, values, 0.0, 1e9, {50.0, 200.0}, 20.0, 5.0);
    QCOMPARE(r.low, low);
    QCOMPARE(r.high, high);
    // Values outside the times asked for do not count.
    const PlotAxis::Range none = PlotAxis::covering(times, values, -10.0, -1.0, {50.0, 200.0}, 20.0, 5.0);
    QCOMPARE(none.low, 50.0);
    QCOMPARE(none.high, 200.0);
}

void TestPlotGraphic::timeSteps_data()
{
    // A time axis of span seconds over 600 pixels, a label every 40 at least.
    QTest::addColumn<double>("span");
    QTest::addColumn<double>("step");
    QTest::newRow("half a minute") << 30.0 << 2.0;
    QTest::newRow("two minutes") << 120.0 << 10.0;
    QTest::newRow("seven minutes: not 50 s") << 420.0 << 30.0;
    QTest::newRow("ten minutes") << 600.0 << 60.0;
    QTest::newRow("half an hour") << 1800.0 << 120.0;
    QTest::newRow("an hour: not 500 s") << 3600.0 << 300.0;
    QTest::newRow("a day") << 86400.0 << 7200.0;
    QTest::newRow("fractions of a second") << 6.0 << 0.5;
    QTest::newRow("no span") << 0.0 << 0.0;
}

void TestPlotGraphic::timeSteps()
{
    QFETCH(double, span);
    QFETCH(double, step);
    QCOMPARE(PlotAxis::timeTickStep(span, 600.0, 40.0), step);
}

QTEST_MAIN(TestPlotGraphic)
#include "tst_plotgraphic.moc"
