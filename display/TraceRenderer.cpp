#include "TraceRenderer.h"

#include "ColumnSpanWriter.h"
#include "HighlightMask.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

int TraceRenderer::toPixel(double value)
{
    if (!(value == value))
        return 0;
    return int(std::trunc(std::clamp(value, -1.0e6, 1.0e6)));
}

void TraceRenderer::drawEnvelope(QImage& target, const Envelope& span, const QColor& trace, const QColor& highlight)
{
    if (!span.channel || span.columns <= 0 || span.samples < span.columns)
        return;
    const size_t n = size_t(span.columns);
    m_minimum.resize(n);
    m_maximum.resize(n);
    span.channel->envelope(span.start, span.samples, m_minimum.data(), m_maximum.data(), 0, span.columns, span.wrap);

    const int columns = std::min(span.drawColumns, span.columns);
    m_columns.assign(n, Column{0, -1});
    m_highlighted.assign(n + 1, 0);
    bool anyHighlight = false;
    {
        ColumnSpanWriter writer(target, trace);
        for (int c = 0; c < columns; ++c) {
            if (c >= span.gapBegin && c < span.gapEnd)
                continue;
            const int y1 = toPixel(span.baseline - (m_minimum[size_t(c)] - span.offset) * span.scale);
            const int y2 = toPixel(span.baseline - (m_maximum[size_t(c)] - span.offset) * span.scale);
            const Column column{std::min(y1, y2), std::max(y1, y2)};
            if (span.mask && span.mask->isMarked(c)) {
                m_columns[size_t(c)] = column;
                m_highlighted[size_t(c)] = 1;
                anyHighlight = true;
            } else {
                writer.span(span.x0 + c, column.top, column.bottom);
            }
        }
    }
    if (!anyHighlight)
        return;
    // A highlighted column c covers pixels x0 + c - 1 and x0 + c, so pixel x0 + c
    // shows the union of columns c and c + 1.
    ColumnSpanWriter writer(target, highlight);
    for (int c = -1; c < columns; ++c) {
        const bool here = c >= 0 && m_highlighted[size_t(c)];
        const bool next = c + 1 < columns && m_highlighted[size_t(c + 1)];
        if (!here && !next)
            continue;
        const int x = span.x0 + c;
        if (here && next) {
            const Column a = m_columns[size_t(c)];
            const Column b = m_columns[size_t(c + 1)];
            if (a.bottom + 1 >= b.top && b.bottom + 1 >= a.top) {
                writer.span(x, std::min(a.top, b.top), std::max(a.bottom, b.bottom));
            } else {
                writer.span(x, a.top, a.bottom);
                writer.span(x, b.top, b.bottom);
            }
        } else {
            const Column a = m_columns[size_t(here ? c : c + 1)];
            writer.span(x, a.top, a.bottom);
        }
    }
}

void TraceRenderer::drawPolyline(QImage& target, const Polyline& span, const QColor& trace, const QColor& highlight)
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
    QPainter painter(&target);
    painter.setPen(QPen(trace, 1));
    if (span.count == 1)
        painter.drawPoint(m_points[0]);
    else
        painter.drawPolyline(m_points.constData(), span.count);
    if (!span.mask || !span.mask->any())
        return;
    // Highlighted samples go over the trace, each with the segment that leaves it.
    painter.setPen(QPen(highlight, 2, Qt::SolidLine, Qt::FlatCap));
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
