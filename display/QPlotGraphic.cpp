#include "QPlotGraphic.h"

#include "CanvasImage.h"
#include "EventGuard.h"
#include "PlotDataSource.h"
#include "TraceRenderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <algorithm>
#include <limits>
#include <cmath>

namespace {

const QColor AxisColor(Qt::darkGray);
const QColor GridLineColor(Qt::gray);
const QColor MarkerColor(Qt::gray);

// The range of a series' values widened for display: 5 % of the span beyond each
// end, or for a flat series 1 % of the value either side (1 either side of 0).
void widen(double& min, double& max)
{
    if (max > min) {
        const double margin = (max - min) * 0.05;
        min -= margin;
        max += margin;
    } else if (min == 0.0) {
        min = -1.0;
        max = 1.0;
    } else {
        // By the magnitude, so that a flat negative series is not turned upside down.
        const double margin = std::abs(min) * 0.01;
        min -= margin;
        max += margin;
    }
}

} // namespace

QPlotGraphic::QPlotGraphic(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_canvas = CanvasImage::forWidget(*this, size());
}

QPlotGraphic::~QPlotGraphic() = default;

void QPlotGraphic::setSource(const PlotDataSource* source)
{
    m_source = source;
    m_selectedIndex = -1;
    m_hasMarker = false;
    renderAndUpdate();
}

void QPlotGraphic::setSecondSource(const PlotDataSource* source, const QColor& color)
{
    m_second = source;
    m_secondColor = color;
    renderAndUpdate();
}

void QPlotGraphic::setXRange(double min, double max)
{
    if (!std::isfinite(min) || !std::isfinite(max))
        return;
    m_xMin = min;
    m_xMax = max;
    renderAndUpdate();
}

void QPlotGraphic::setYRange(double min, double max)
{
    if (!std::isfinite(min) || !std::isfinite(max))
        return;
    m_yMin = min;
    m_yMax = max;
    renderAndUpdate();
}

void QPlotGraphic::autoRange()
{
    double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;
    bool any = false;
    for (const PlotDataSource* source : {m_source, m_second}) {
        for (int i = 0; source && i < source->count(); ++i) {
            const double x = source->x(i);
            const double y = source->y(i);
            x0 = any ? std::min(x0, x) : x;
            x1 = any ? std::max(x1, x) : x;
            y0 = any ? std::min(y0, y) : y;
            y1 = any ? std::max(y1, y) : y;
            any = true;
        }
    }
    if (!any)
        return;
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1))
        return;
    widen(x0, x1);
    widen(y0, y1);
    m_xMin = x0;
    m_xMax = x1;
    m_yMin = y0;
    m_yMax = y1;
    renderAndUpdate();
}

void QPlotGraphic::setXFixed(bool fixed)
{
    m_xFixed = fixed;
}

void QPlotGraphic::setYFixed(bool fixed)
{
    m_yFixed = fixed;
}

void QPlotGraphic::setShowXAxis(bool show)
{
    m_showXAxis = show;
    renderAndUpdate();
}

void QPlotGraphic::setShowYAxis(bool show)
{
    m_showYAxis = show;
    renderAndUpdate();
}

void QPlotGraphic::setXFormat(const QString& format)
{
    m_xFormat = PlotLabelFormat(format);
    renderAndUpdate();
}

void QPlotGraphic::setYFormat(const QString& format)
{
    m_yFormat = PlotLabelFormat(format);
    renderAndUpdate();
}

void QPlotGraphic::setTitle(const QString& title)
{
    m_title = title;
    renderAndUpdate();
}

void QPlotGraphic::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    renderAndUpdate();
}

void QPlotGraphic::setPlotType(int type)
{
    m_plotType = type == Points || type == Steps || type == Bars ? type : Line;
    renderAndUpdate();
}

void QPlotGraphic::setMarkerMode(bool on)
{
    m_markerMode = on;
    renderAndUpdate();
}

void QPlotGraphic::setSelectable(bool on)
{
    m_selectable = on;
}

void QPlotGraphic::setHighlightEnabled(bool on)
{
    m_highlightEnabled = on;
}

void QPlotGraphic::setHighlight(int index, double from, double to, const QColor& color)
{
    if (index != 0 || !std::isfinite(from) || !std::isfinite(to))
        return;
    m_hasHighlight = true;
    m_highlightFrom = from;
    m_highlightTo = to;
    m_highlightColor = color;
    renderAndUpdate();
}

void QPlotGraphic::clearHighlight()
{
    m_hasHighlight = false;
    m_highlightFrom = m_highlightTo = 0.0;
    renderAndUpdate();
}

void QPlotGraphic::setSelectedValue(double x)
{
    if (!std::isfinite(x))
        return;
    if (m_markerMode) {
        m_marker = QPointF(x, interpolatedY(x));
        m_hasMarker = true;
    } else {
        const int i = nearest(x);
        if (i < 0)
            return;
        m_selectedIndex = i;
        m_marker = QPointF(m_source->x(i), m_source->y(i));
        m_hasMarker = true;
    }
    renderAndUpdate();
}

void QPlotGraphic::refresh()
{
    renderAndUpdate();
}

QRect QPlotGraphic::plotArea(const QSize& size) const
{
    const int left = m_showYAxis ? YAxisWidth : 0;
    const int bottom = m_showXAxis ? size.height() - XAxisHeight : size.height();
    return QRect(left, 0, std::max(0, size.width() - left), std::max(0, bottom));
}

QPoint QPlotGraphic::mapToPlot(double x, double y, const QSize& size) const
{
    const QRect area = plotArea(size);
    const int plotBottom = area.y() + area.height();
    // Rounded to the nearest pixel; the y offset is negative (upwards), where
    // truncation would not round.
    const int px = area.x() + TraceRenderer::toPixel(std::floor((x - m_xMin) * area.width() / (m_xMax - m_xMin) + 0.5));
    const int py = plotBottom + TraceRenderer::toPixel(
                                    std::floor((y - m_yMin) * (area.y() - plotBottom) / (m_yMax - m_yMin) + 0.5));
    return QPoint(px, py);
}

double QPlotGraphic::xAtPixel(int px, const QSize& size) const
{
    const QRect area = plotArea(size);
    if (area.width() <= 0)
        return m_xMin;
    return m_xMin + double(px - area.x()) * (m_xMax - m_xMin) / area.width();
}

int QPlotGraphic::firstNotBelow(double x) const
{
    const int n = m_source ? m_source->count() : 0;
    if (n == 0)
        return -1;
    int low = 0;
    int high = n;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (m_source->x(mid) < x)
            low = mid + 1;
        else
            high = mid;
    }
    return low < n ? low : n - 1;
}

int QPlotGraphic::nearest(double x) const
{
    const int i = firstNotBelow(x);
    if (i <= 0 || m_source->x(i) < x)
        return i;
    return x - m_source->x(i - 1) <= m_source->x(i) - x ? i - 1 : i;
}

double QPlotGraphic::interpolatedY(double x) const
{
    const int i = firstNotBelow(x);
    if (i < 0)
        return 0.0;
    if (i == 0 || m_source->x(i) <= x)
        return m_source->y(i);
    const double x0 = m_source->x(i - 1);
    const double x1 = m_source->x(i);
    const double f = x1 > x0 ? (x - x0) / (x1 - x0) : 0.0;
    return m_source->y(i - 1) + f * (m_source->y(i) - m_source->y(i - 1));
}

void QPlotGraphic::renderAndUpdate()
{
    try {
        render(m_canvas);
    } catch (...) {
        // A failing source leaves the picture as it was drawn; the event loop goes on.
    }
    update();
}

void QPlotGraphic::render(QImage& target)
{
    if (target.isNull())
        return;
    target.fill(Qt::white);
    QPainter painter(&target);
    const QRect area = plotArea(target.size());
    const bool drawable = area.width() > 0 && area.height() > 0 && m_xMax > m_xMin && m_yMax > m_yMin;

    if (drawable && m_hasHighlight) {
        const int a = mapToPlot(std::min(m_highlightFrom, m_highlightTo), m_yMin, target.size()).x();
        const int b = mapToPlot(std::max(m_highlightFrom, m_highlightTo), m_yMin, target.size()).x();
        painter.fillRect(QRect(QPoint(a, area.top()), QPoint(b, area.bottom())) & area, m_highlightColor);
    }
    if (drawable) {
        drawAxes(painter, area);
        if (m_second)
            drawSeries(painter, area, target.size(), *m_second, m_secondColor);
        if (m_source)
            drawSeries(painter, area, target.size(), *m_source, m_color);
        if (m_hasMarker) {
            const QPoint p = mapToPlot(m_marker.x(), m_marker.y(), target.size());
            painter.save();
            painter.setClipRect(area);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(QPen(MarkerColor, 1.5));
            painter.drawLine(QPointF(p.x(), area.top()), QPointF(p.x(), area.bottom()));
            if (!m_markerMode && m_selectedIndex >= 0) {
                painter.setPen(QPen(m_color, 1.5));
                painter.drawEllipse(QPointF(p), 4.0, 4.0);
            }
            painter.restore();
        }
    }
    if (!m_title.isEmpty()) {
        const QFont font(QStringLiteral("Helvetica"), 10, QFont::Bold);
        painter.setFont(font);
        painter.setPen(m_color);
        painter.drawText(area.x() + 4, area.y() + QFontMetrics(font, painter.device()).height(), m_title);
    }
}

void QPlotGraphic::drawAxes(QPainter& painter, const QRect& area) const
{
    const QFont font(QStringLiteral("Helvetica"), 8);
    const QFontMetrics metrics(font, painter.device());
    painter.setFont(font);
    const QPen gridPen(GridLineColor, 1, Qt::DotLine);
    const QSize size(area.x() + area.width(), area.y() + area.height() + (m_showXAxis ? XAxisHeight : 0));

    const double yStep = PlotAxis::tickStep(m_yMax - m_yMin, area.height(), metrics.height());
    for (double v : PlotAxis::ticks(m_yMin, m_yMax, yStep)) {
        const int y = mapToPlot(m_xMin, v, size).y();
        painter.setPen(gridPen);
        painter.drawLine(area.left(), y, area.right(), y);
        if (m_showYAxis) {
            painter.setPen(AxisColor);
            // Labels of ticks at the plot's top or bottom edge stay whole.
            const int top = std::clamp(y - metrics.height() / 2, 0, std::max(0, size.height() - metrics.height()));
            painter.drawText(QRect(0, top, YAxisWidth - 4, metrics.height()), Qt::AlignRight | Qt::AlignVCenter,
                             m_yFormat.text(v));
        }
    }
    const int labelWidth =
        std::max(metrics.horizontalAdvance(m_xFormat.text(m_xMin)), metrics.horizontalAdvance(m_xFormat.text(m_xMax))) + 10;
    const double xStep = m_xFormat.isMinutesSeconds()
                             ? PlotAxis::timeTickStep(m_xMax - m_xMin, area.width(), labelWidth)
                             : PlotAxis::tickStep(m_xMax - m_xMin, area.width(), labelWidth);
    int labelsEnd = std::numeric_limits<int>::min();
    for (double v : PlotAxis::ticks(m_xMin, m_xMax, xStep)) {
        const int x = mapToPlot(v, m_yMin, size).x();
        painter.setPen(gridPen);
        painter.drawLine(x, area.top(), x, area.bottom());
        if (m_showXAxis) {
            painter.setPen(AxisColor);
            const QString text = m_xFormat.text(v);
            const int w = metrics.horizontalAdvance(text);
            const int left = std::clamp(x - w / 2, area.left(), std::max(area.left(), size.width() - w));
            // A label pushed in from the edge onto its neighbour is left out.
            if (left < labelsEnd + 4)
                continue;
            painter.drawText(QRect(left, area.bottom() + 1, w, XAxisHeight - 1), Qt::AlignCenter, text);
            labelsEnd = left + w;
        }
    }
    painter.setPen(QPen(AxisColor, 1));
    if (m_showYAxis)
        painter.drawLine(area.left(), area.top(), area.left(), area.bottom());
    if (m_showXAxis)
        painter.drawLine(area.left(), area.bottom(), area.right(), area.bottom());
}

void QPlotGraphic::drawSeries(QPainter& painter, const QRect& area, const QSize& size, const PlotDataSource& source,
                              const QColor& color) const
{
    const int n = source.count();
    if (n == 0)
        return;
    QVector<QPointF> points(n);
    for (int i = 0; i < n; ++i)
        points[i] = QPointF(mapToPlot(source.x(i), source.y(i), size));

    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, true);
    switch (m_plotType) {
    case Points:
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (const QPointF& p : points)
            painter.drawRect(QRectF(p.x() - 3.0, p.y() - 3.0, 5.0, 5.0));
        break;
    case Steps: {
        QPainterPath path(points[0]);
        for (int i = 1; i < n; ++i) {
            path.lineTo(points[i].x(), points[i - 1].y());
            path.lineTo(points[i]);
        }
        painter.setPen(QPen(color, 1.5));
        painter.drawPath(path);
        break;
    }
    case Bars: {
        // Bars a little narrower than the closest spacing, so that neighbours never touch.
        double spacing = area.width();
        for (int i = 1; i < n; ++i)
            spacing = std::min(spacing, points[i].x() - points[i - 1].x());
        const double width = std::clamp(spacing * 0.8, 2.0, 40.0);
        painter.setRenderHint(QPainter::Antialiasing, false);
        const double bottom = area.y() + area.height();
        for (const QPointF& p : points)
            painter.fillRect(QRectF(p.x() - width / 2.0, p.y(), width, bottom - p.y()), color);
        break;
    }
    default:
        painter.setPen(QPen(color, 1.5));
        painter.drawPolyline(points.constData(), n);
        break;
    }
    painter.restore();
}

void QPlotGraphic::selectAt(int px)
{
    const double x = std::clamp(xAtPixel(px, m_canvas.size()), std::min(m_xMin, m_xMax), std::max(m_xMin, m_xMax));
    if (m_markerMode) {
        const QPointF marker(x, interpolatedY(x));
        if (m_hasMarker && marker == m_marker)
            return;
        m_marker = marker;
        m_hasMarker = true;
    } else {
        const int i = firstNotBelow(x);
        if (i < 0 || i == m_selectedIndex)
            return;
        m_selectedIndex = i;
        m_marker = QPointF(m_source->x(i), m_source->y(i));
        m_hasMarker = true;
    }
    renderAndUpdate();
    emit selectedValueChanged();
}

void QPlotGraphic::dragScale(const QPoint& position, bool zoom)
{
    const QRect area = plotArea(m_canvas.size());
    const int dx = position.x() - m_lastPosition.x();
    const int dy = position.y() - m_lastPosition.y();
    m_lastPosition = position;
    if (area.width() <= 0 || area.height() <= 0 || (dx == 0 && dy == 0))
        return;
    bool changed = false;
    auto apply = [&](double& min, double& max, double lowShift, double highShift) {
        const double span = max - min;
        const double newSpan = (max + highShift) - (min + lowShift);
        if (!(span > 0.0) || !(newSpan > span * 1e-6) || !std::isfinite(newSpan))
            return;
        min += lowShift;
        max += highShift;
        changed = true;
    };
    const double xUnits = (m_xMax - m_xMin) / area.width();
    const double yUnits = (m_yMax - m_yMin) / area.height();
    if (zoom) {
        // Dragging right or up widens the range about its centre.
        if (!m_xFixed && dx != 0)
            apply(m_xMin, m_xMax, -dx * xUnits / 2.0, dx * xUnits / 2.0);
        if (!m_yFixed && dy != 0)
            apply(m_yMin, m_yMax, dy * yUnits / 2.0, -dy * yUnits / 2.0);
    } else {
        // The content follows the mouse.
        if (!m_xFixed && dx != 0)
            apply(m_xMin, m_xMax, -dx * xUnits, -dx * xUnits);
        if (!m_yFixed && dy != 0)
            apply(m_yMin, m_yMax, dy * yUnits, dy * yUnits);
    }
    if (!changed)
        return;
    renderAndUpdate();
    emit scaleChanged();
}

void QPlotGraphic::mousePressEvent(QMouseEvent* event)
{
    guardEvent([&] {
        const QRect area = plotArea(m_canvas.size());
        const bool inside = area.contains(event->pos());
        m_drag = Drag::None;
        if (event->button() == Qt::LeftButton && inside && m_highlightEnabled &&
            (event->modifiers() & Qt::ShiftModifier)) {
            m_drag = Drag::Highlight;
            m_hasHighlight = true;
            m_highlightFrom = m_highlightTo = xAtPixel(event->pos().x(), m_canvas.size());
            renderAndUpdate();
            emit highlightChanged();
        } else if (event->button() == Qt::LeftButton && inside && m_selectable) {
            m_drag = Drag::Select;
            selectAt(event->pos().x());
        } else if (!inside) {
            m_drag = Drag::Scale;
            m_lastPosition = event->pos();
        }
    });
}

void QPlotGraphic::mouseMoveEvent(QMouseEvent* event)
{
    guardEvent([&] {
        switch (m_drag) {
        case Drag::Highlight: {
            const QRect area = plotArea(m_canvas.size());
            const int px = std::clamp(event->pos().x(), area.left(), area.right());
            const double x = xAtPixel(px, m_canvas.size());
            if (x != m_highlightTo) {
                m_highlightTo = x;
                renderAndUpdate();
                emit highlightChanged();
            }
            break;
        }
        case Drag::Select:
            if (event->buttons() & Qt::LeftButton)
                selectAt(event->pos().x());
            break;
        case Drag::Scale:
            dragScale(event->pos(), event->modifiers() & Qt::ControlModifier);
            break;
        case Drag::None:
            break;
        }
    });
}

void QPlotGraphic::mouseReleaseEvent(QMouseEvent*)
{
    guardEvent([&] {
        if (m_drag == Drag::Highlight && m_highlightFrom == m_highlightTo) {
            m_hasHighlight = false;
            renderAndUpdate();
            emit highlightChanged();
        }
        m_drag = Drag::None;
    });
}

void QPlotGraphic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas);
}

void QPlotGraphic::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_canvas = CanvasImage::forWidget(*this, event->size());
    renderAndUpdate();
}
