#include "TReportPlot.h"

#include "PlotAxis.h"
#include "TReportText.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Least room between ticks, in millimetres of paper.
constexpr double ValueTickMm = 6.0;
constexpr double TimeTickMm = 16.0;
// A dense series keeps its lowest and highest point in every column this wide:
// more would not show on paper.
constexpr double ColumnMm = 0.25;

const QColor GridColour(150, 150, 150);
const QColor FrameColour(120, 120, 120);
const QColor StageColour(200, 200, 200);
const QColor LabelColour(60, 60, 60);

// A point a plot can draw: numbers, and none a study could not hold (a damaged
// file's).
bool usable(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::abs(p.x()) < 1e9 && std::abs(p.y()) < 1e9;
}

TReportFont font(double points, bool bold = false)
{
    TReportFont f;
    f.pointSize = points;
    f.bold = bold;
    return f;
}

// The points of a series as paper coordinates, a dense one thinned to the
// lowest and highest point of each column (in their order).
QVector<QPointF> thinned(const QVector<QPointF>& points, double columnWidth)
{
    if (points.size() < 4 || columnWidth <= 0.0)
        return points;
    QVector<QPointF> out;
    out.reserve(points.size());
    int i = 0;
    while (i < points.size()) {
        const double column = std::floor(points[i].x() / columnWidth);
        int low = i;
        int high = i;
        int j = i + 1;
        for (; j < points.size() && std::floor(points[j].x() / columnWidth) == column; ++j) {
            if (points[j].y() < points[low].y())
                low = j;
            if (points[j].y() > points[high].y())
                high = j;
        }
        const int first = std::min(low, high);
        const int second = std::max(low, high);
        out.append(points[first]);
        if (second != first)
            out.append(points[second]);
        i = j;
    }
    return out;
}

} // namespace

void TReportPlot::setTimeRange(double from, double to)
{
    if (!std::isfinite(from) || !std::isfinite(to))
        return;
    m_timeFrom = from;
    m_timeTo = to > from ? to : from + 1.0;
}

void TReportPlot::addSeries(const Series& series)
{
    m_series.append(series);
}

bool TReportPlot::hasData() const
{
    for (const Series& s : m_series)
        for (const QPointF& p : s.points)
            if (usable(p))
                return true;
    return false;
}

QPair<double, double> TReportPlot::valueRange() const
{
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const Series& s : m_series)
        for (const QPointF& p : s.points)
            if (usable(p)) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
    // Nothing to show: the range of the smallest span from 0, for the frame.
    if (!(low <= high))
        return {0.0, std::max(1.0, m_minimumSpan)};
    double margin = (high - low) * 0.05;
    if (low == high)
        margin = low == 0.0 ? 1.0 : std::abs(low) * 0.01;
    low -= margin;
    high += margin;
    if (high - low < m_minimumSpan) {
        const double centre = (low + high) / 2.0;
        low = centre - m_minimumSpan / 2.0;
        high = centre + m_minimumSpan / 2.0;
    }
    return {low, high};
}

QRectF TReportPlot::plotArea(const QRectF& rect, double u)
{
    return QRectF(rect.left() + LeftMm * u, rect.top() + TopMm * u,
                  std::max(0.0, rect.width() - (LeftMm + RightMm) * u),
                  std::max(0.0, rect.height() - (TopMm + BottomMm) * u));
}

double TReportPlot::yOf(double value, const QRectF& rect, double u) const
{
    const QRectF area = plotArea(rect, u);
    const QPair<double, double> range = valueRange();
    return area.bottom() - (value - range.first) / (range.second - range.first) * area.height();
}

double TReportPlot::timeStep(double span, double widthMm)
{
    return PlotAxis::timeTickStep(span, widthMm, TimeTickMm);
}

void TReportPlot::draw(QPainter& painter, const QRectF& rect, double u) const
{
    const QRectF area = plotArea(rect, u);
    if (area.isEmpty() || u <= 0.0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);

    const QPair<double, double> range = valueRange();
    // A plot without a reading shows its frame and says so, with no scale to
    // read a value from.
    const bool empty = !hasData();
    const double timeSpan = m_timeTo - m_timeFrom;
    auto px = [&](double t) { return area.left() + (t - m_timeFrom) / timeSpan * area.width(); };
    auto py = [&](double v) { return area.bottom() - (v - range.first) / (range.second - range.first) * area.height(); };

    // Stage boundaries beneath everything.
    QPainterPath stages;
    for (double t : m_boundaries)
        if (t > m_timeFrom && t < m_timeTo) {
            stages.moveTo(px(t), area.top());
            stages.lineTo(px(t), area.bottom());
        }
    painter.setPen(QPen(StageColour, 0.2 * u, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(stages);

    // Value ticks with their grid lines and labels.
    const PlotLabelFormat valueFormat(m_valueFormat);
    const double valueStep = PlotAxis::tickStep(range.second - range.first, area.height() / u, ValueTickMm);
    QPainterPath grid;
    for (double v : PlotAxis::ticks(range.first, range.second, empty ? 0.0 : valueStep)) {
        const double y = py(v);
        grid.moveTo(area.left(), y);
        grid.lineTo(area.right(), y);
        TReportText::draw(painter, QRectF(rect.left(), y - 2.0 * u, (LeftMm - 1.0) * u, 4.0 * u),
                          valueFormat.text(v), font(6.5), Qt::AlignRight | Qt::AlignVCenter, false, LabelColour, u);
    }
    // Time ticks.
    const PlotLabelFormat timeFormat(QStringLiteral("mm:ss"));
    for (double t : PlotAxis::ticks(m_timeFrom, m_timeTo, timeStep(timeSpan, area.width() / u))) {
        const double x = px(t);
        grid.moveTo(x, area.top());
        grid.lineTo(x, area.bottom());
        // Centred under its tick, but within the plot's width, clear of the values.
        const double labelWidth = 16.0 * u;
        const double left = std::max(area.left(), std::min(x - labelWidth / 2.0, rect.right() - labelWidth));
        const Qt::Alignment align = left > x - labelWidth / 2.0 + 1e-9   ? Qt::AlignLeft
                                    : left < x - labelWidth / 2.0 - 1e-9 ? Qt::AlignRight
                                                                         : Qt::AlignHCenter;
        TReportText::draw(painter, QRectF(left, area.bottom() + 0.5 * u, labelWidth, (BottomMm - 0.5) * u),
                          timeFormat.text(t), font(6.5), align | Qt::AlignTop, false, LabelColour, u);
    }
    painter.setPen(QPen(GridColour, 0.1 * u, Qt::DotLine, Qt::FlatCap));
    painter.drawPath(grid);
    painter.setPen(QPen(FrameColour, 0.15 * u, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(area);

    // The series, inside the plot area.
    painter.save();
    painter.setClipRect(area.adjusted(-0.5 * u, -0.5 * u, 0.5 * u, 0.5 * u), Qt::IntersectClip);
    for (const Series& s : m_series) {
        QVector<QPointF> points;
        points.reserve(s.points.size());
        for (const QPointF& p : s.points)
            if (usable(p))
                points.append(QPointF(px(p.x()), py(p.y())));
        if (points.isEmpty())
            continue;
        if (!s.markers)
            points = thinned(points, ColumnMm * u);
        QPainterPath line;
        line.moveTo(points.first());
        for (int i = 1; i < points.size(); ++i)
            line.lineTo(points[i]);
        painter.setPen(QPen(s.color, (s.markers ? 0.2 : 0.3) * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(line);
        if (s.markers) {
            QPainterPath marks;
            const double half = 0.6 * u;
            for (const QPointF& p : points)
                marks.addRect(QRectF(p.x() - half, p.y() - half, 2.0 * half, 2.0 * half));
            painter.fillPath(marks, s.color);
        }
    }
    painter.restore();
    if (empty)
        TReportText::draw(painter, area, QCoreApplication::translate("TReportPlot", "No readings"), font(8.0),
                          Qt::AlignCenter, false, LabelColour, u);

    // The title above the plot, and which colour is which when there are several.
    TReportText::draw(painter, QRectF(area.left(), rect.top(), area.width() * 0.5, TopMm * u), m_title, font(8.0, true),
                      Qt::AlignLeft | Qt::AlignVCenter, false, Qt::black, u);
    if (m_series.size() > 1) {
        double x = area.right();
        for (int i = m_series.size() - 1; i >= 0; --i) {
            const Series& s = m_series[i];
            const double textMm = 3.0 + 1.6 * s.name.size();
            x -= textMm * u;
            TReportText::draw(painter, QRectF(x, rect.top(), textMm * u, TopMm * u), s.name, font(7.0),
                              Qt::AlignLeft | Qt::AlignVCenter, false, LabelColour, u);
            painter.setPen(QPen(s.color, 0.6 * u, Qt::SolidLine, Qt::FlatCap));
            const double y = rect.top() + TopMm * u / 2.0;
            painter.drawLine(QPointF(x - 5.0 * u, y), QPointF(x - 1.0 * u, y));
            x -= 7.0 * u;
        }
    }
    painter.restore();
}
