#include "TraceRenderer.h"

#include "HighlightMask.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

int TraceRenderer::toPixel(double value)
{
    if (!(value == value))
        return 0;
    return int(std::trunc(std::clamp(value, -1.0e6, 1.0e6)));
}

void TraceRenderer::drawEnvelope(QPainter& painter, const Envelope& span, const QPen& trace, const QPen& highlight)
{
    if (!span.channel || span.columns <= 0 || span.samples < span.columns)
        return;
    m_minimum.resize(size_t(span.columns));
    m_maximum.resize(size_t(span.columns));
    span.channel->envelope(span.start, span.samples, m_minimum.data(), m_maximum.data(), 0, span.columns, span.wrap);

    m_lines.clear();
    m_highlightRects.clear();
    const int columns = std::min(span.drawColumns, span.columns);
    for (int c = 0; c < columns; ++c) {
        if (c >= span.gapBegin && c < span.gapEnd)
            continue;
        const int y1 = toPixel(span.baseline - (m_minimum[size_t(c)] - span.offset) * span.scale);
        const int y2 = toPixel(span.baseline - (m_maximum[size_t(c)] - span.offset) * span.scale);
        const int top = std::min(y1, y2);
        const int bottom = std::max(y1, y2);
        const int x = span.x0 + c;
        if (span.mask && span.mask->isMarked(c))
            m_highlightRects.append(QRect(x - highlight.width() / 2, top, std::max(1, highlight.width()),
                                          bottom - top + 1));
        else
            // A flat-capped line leaves out its last pixel: end one beyond, so that
            // both extremes of the column are drawn.
            m_lines.append(QLine(x, top, x, bottom + 1));
    }
    if (!m_lines.isEmpty()) {
        painter.setPen(trace);
        painter.drawLines(m_lines);
    }
    // Highlighted columns as one filled region: a wide flat-capped line of a flat
    // column would have no length and show nothing, and neighbouring columns must
    // not blend the half-transparent colour twice where they overlap.
    if (!m_highlightRects.isEmpty()) {
        QRegion merged;
        for (const QRect& r : m_highlightRects)
            merged += r;
        painter.save();
        painter.setClipRegion(merged, Qt::IntersectClip);
        painter.fillRect(merged.boundingRect(), highlight.color());
        painter.restore();
    }
}

void TraceRenderer::drawPolyline(QPainter& painter, const Polyline& span, const QPen& trace, const QPen& highlight)
{
    if (!span.channel || span.count <= 0)
        return;
    m_values.resize(size_t(span.count));
    span.channel->buffer()->samples(span.channel->index(), span.first, span.count, m_values.data());
    m_points.resize(span.count);
    for (int j = 0; j < span.count; ++j) {
        const int x = span.x0 + toPixel((span.position + j) * span.pixelsPerSample);
        const int y = span.baselineY - toPixel((m_values[size_t(j)] - span.offset) * span.scale);
        m_points[j] = QPoint(x, y);
    }
    if (span.count == 1) {
        painter.setPen(trace);
        painter.drawPoint(m_points[0]);
    } else {
        painter.setPen(trace);
        painter.drawPolyline(m_points.constData(), span.count);
    }
    if (!span.mask || !span.mask->any())
        return;
    // Highlighted samples go over the trace, each with the segment that leaves it.
    painter.setPen(highlight);
    int j = 0;
    while (j < span.count) {
        if (!span.mask->isMarked(span.position + j)) {
            ++j;
            continue;
        }
        const int runStart = j;
        while (j < span.count && span.mask->isMarked(span.position + j))
            ++j;
        const int runEnd = std::min(j + 1, span.count); // include the segment out of the run
        if (runEnd - runStart >= 2)
            painter.drawPolyline(m_points.constData() + runStart, runEnd - runStart);
        else
            painter.drawPoint(m_points[runStart]);
    }
}
