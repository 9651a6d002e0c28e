#pragma once

#include "PlotAxis.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <algorithm>

class PlotDataSource;

// A small x-y chart for the trends of a stress test (heart rate, blood pressure,
// double product, METS, ST level over time): one series from a data source, dotted
// grid lines at 1-2-5 ticks, a selected value (a vertical marker), a highlighted x
// range dragged with Shift, and panning or zooming (with Ctrl) by dragging on an
// axis.
class QPlotGraphic : public QWidget
{
    Q_OBJECT

public:
    enum PlotType
    {
        Points = 0, // filled squares
        Line = 1,   // the points joined
        Steps = 2,  // each value held until the next point
        Bars = 4    // a bar from the bottom of the plot per point
    };
    static constexpr int YAxisWidth = 40;
    static constexpr int XAxisHeight = 20;

    explicit QPlotGraphic(QWidget* parent = nullptr);
    ~QPlotGraphic() override;

    // The series (not owned); clears the selection.
    void setSource(const PlotDataSource* source);
    const PlotDataSource* source() const { return m_source; }
    // A second series on the same axes in its own colour (diastolic under
    // systolic pressure), not owned and never selected; null for none.
    void setSecondSource(const PlotDataSource* source, const QColor& color);
    const PlotDataSource* secondSource() const { return m_second; }
    void setXRange(double min, double max);
    void setYRange(double min, double max);
    double xMin() const { return m_xMin; }
    double xMax() const { return m_xMax; }
    double yMin() const { return m_yMin; }
    double yMax() const { return m_yMax; }
    // Fits both ranges to the series (both series when there are two): 5 % of the span beyond each end, or 1 % of
    // the value either side for a flat series.
    void autoRange();
    // A fixed axis does not follow panning or zooming with the mouse.
    void setXFixed(bool fixed);
    void setYFixed(bool fixed);
    void setShowXAxis(bool show);
    void setShowYAxis(bool show);
    void setXFormat(const QString& format);
    void setYFormat(const QString& format);
    QString xFormat() const { return m_xFormat.format(); }
    QString yFormat() const { return m_yFormat.format(); }
    void setTitle(const QString& title);
    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    void setPlotType(int type);
    int plotType() const { return m_plotType; }
    // A free vertical marker instead of snapping to the data points.
    void setMarkerMode(bool on);
    void setSelectable(bool on);
    // Lets the user drag a highlighted range with Shift held.
    void setHighlightEnabled(bool on);
    // Only highlight 0 exists: the x range [from, to] filled with color.
    void setHighlight(int index, double from, double to, const QColor& color);
    void clearHighlight();
    bool hasHighlight() const { return m_hasHighlight; }
    // The highlighted range, lower end first whichever way it was dragged.
    double highlightFrom() const { return std::min(m_highlightFrom, m_highlightTo); }
    double highlightTo() const { return std::max(m_highlightFrom, m_highlightTo); }
    // Selects the data point nearest to x (in marker mode, puts the marker at x).
    void setSelectedValue(double x);
    int selectedIndex() const { return m_selectedIndex; }
    QPointF marker() const { return m_marker; }
    bool hasMarker() const { return m_hasMarker; }

    void refresh();
    void render(QImage& target);
    const QImage& canvas() const { return m_canvas; }

    // The plot area of a canvas of size, and the mapping into it.
    QRect plotArea(const QSize& size) const;
    QPoint mapToPlot(double x, double y, const QSize& size) const;
    double xAtPixel(int px, const QSize& size) const;

signals:
    void selectedValueChanged();
    void scaleChanged();
    void highlightChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Drag
    {
        None,
        Select,
        Highlight,
        Scale
    };

    void renderAndUpdate();
    void selectAt(int px);
    void dragScale(const QPoint& position, bool zoom);
    int firstNotBelow(double x) const;
    int nearest(double x) const;
    double interpolatedY(double x) const;
    void drawAxes(QPainter& painter, const QRect& area) const;
    void drawSeries(QPainter& painter, const QRect& area, const QSize& size, const PlotDataSource& source,
                    const QColor& color) const;

    QImage m_canvas;
    const PlotDataSource* m_source = nullptr;
    const PlotDataSource* m_second = nullptr;
    QColor m_secondColor = Qt::black;
    double m_xMin = 0.0;
    double m_yMin = 0.0;
    double m_xMax = 10.0;
    double m_yMax = 10.0;
    bool m_xFixed = true;
    bool m_yFixed = true;
    bool m_showXAxis = true;
    bool m_showYAxis = true;
    PlotLabelFormat m_xFormat;
    PlotLabelFormat m_yFormat;
    QString m_title;
    QColor m_color = Qt::black;
    int m_plotType = Line;
    bool m_markerMode = false;
    bool m_selectable = false;
    bool m_highlightEnabled = false;
    bool m_hasHighlight = false;
    double m_highlightFrom = 0.0;
    double m_highlightTo = 0.0;
    QColor m_highlightColor = QColor(0, 0, 0, 20);
    QPointF m_marker;
    bool m_hasMarker = false;
    int m_selectedIndex = -1;

    Drag m_drag = Drag::None;
    QPoint m_lastPosition;
};
