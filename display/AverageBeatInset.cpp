#include "AverageBeatInset.h"

#include "AverageBeatSource.h"
#include "DisplayColorRole.h"
#include "DisplaySettings.h"
#include "MonitorMarkProvider.h"
#include "SignalGeometry.h"
#include "TraceRenderer.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>

QString AverageBeatInset::stLabel(double levelMv)
{
    const double tenths = levelMv * 10.0;
    if (!std::isfinite(tenths) || (tenths > -1.0 && tenths < 1.0))
        return QString();
    return QString::asprintf("%+.1f", tenths);
}

int AverageBeatInset::sampleX(int index, int m, int width, int x0)
{
    return m > 0 ? x0 + int(qint64(index) * width / m) : x0;
}

void AverageBeatInset::drawBeat(QPainter& painter, const std::vector<double>& beat, int offset, int m, int x0,
                                int width, int baselineY, double scale)
{
    // Sample j of the beat is sample j + offset of the m drawn across the inset;
    // samples outside them are not drawn.
    const int from = std::max(0, offset);
    const int to = std::min(m, int(beat.size()) + offset);
    if (m <= 0 || width <= 0 || from >= to)
        return;
    auto y = [&](double v) { return baselineY - TraceRenderer::toPixel(v * scale); };
    auto value = [&](int i) { return beat[size_t(i - offset)]; };
    if (m <= width) {
        m_points.resize(to - from);
        for (int i = from; i < to; ++i)
            m_points[i - from] = QPoint(sampleX(i, m, width, x0), y(value(i)));
        painter.drawPolyline(m_points.constData(), to - from);
        return;
    }
    // More samples than columns: each column spans from its minimum to its maximum,
    // starting at the previous column's last sample so that the columns join.
    const int quotient = m / width;
    const int remainder = m % width;
    int error = 0;
    int position = 0;
    for (int c = 0; c < width; ++c) {
        int count = quotient;
        error += remainder;
        if (error >= width) {
            error -= width;
            ++count;
        }
        const int end = std::min(m - 1, position + count);
        const int first = std::max(position, from);
        const int last = std::min(end, to - 1);
        if (first <= last) {
            double low = value(first);
            double high = low;
            for (int i = first; i <= last; ++i) {
                low = std::min(low, value(i));
                high = std::max(high, value(i));
            }
            const int top = std::min(y(low), y(high));
            const int bottom = std::max(y(low), y(high));
            painter.fillRect(QRect(x0 + c, top, 1, bottom - top + 1), painter.pen().color());
        }
        position = end;
    }
}

void AverageBeatInset::paint(QPainter& painter, const SignalGeometry& geometry, const QVector<int>& leads,
                             const DisplaySettings& settings, const AverageBeatSource& source,
                             MonitorMarkProvider* marks)
{
    using namespace DisplayColorRole;
    if (!geometry.hasInset() || leads.isEmpty())
        return;
    const int x0 = geometry.insetX0;
    const int width = geometry.insetWidth;
    const bool averaged = source.hasAverage();
    const bool reference = averaged && source.hasReferenceBeat();

    QPen dotted(settings.color(AverageBeat), 1, Qt::DotLine);
    QPen referencePen(settings.color(ReferenceBeat), 0, Qt::SolidLine, Qt::FlatCap);
    QPen averagePen(settings.color(AverageBeat), 0, Qt::SolidLine, Qt::FlatCap);
    QPen markPen(settings.color(MeasurementMark), 0, Qt::SolidLine, Qt::FlatCap);
    const QFont labelFont(QStringLiteral("Helvetica"), 10, QFont::Bold);

    for (int row = 0; row < leads.size(); ++row) {
        const int lead = leads[row];
        const double scale = settings.leadSign(lead) * geometry.pixelsPerUnit;
        const int baselineY = int(std::trunc(geometry.baseline(row)));
        if (!averaged) {
            painter.setPen(dotted);
            painter.drawLine(x0, baselineY, x0 + width, baselineY);
            continue;
        }
        const std::vector<double> beat = source.averageBeat(lead);
        const int m = int(beat.size());
        if (reference) {
            // Taken at another rate, the reference may have another template:
            // it is drawn on the current beat's time scale with the R waves lined up.
            painter.setPen(referencePen);
            drawBeat(painter, source.referenceBeat(lead), source.rIndex() - source.referenceRIndex(), m, x0, width,
                     baselineY, scale);
        }
        painter.setPen(averagePen);
        drawBeat(painter, beat, 0, m, x0, width, baselineY, scale);

        if (!marks || width < MinimumMarkWidth)
            continue;
        int points[3] = {0, 0, 0};
        double level = 0.0;
        if (!marks->measure(lead, points[0], points[1], points[2], level))
            continue;
        painter.setPen(markPen);
        for (int index : points) {
            if (index < 0 || index >= m)
                continue;
            const int x = sampleX(index, m, width, x0);
            const int y = baselineY - TraceRenderer::toPixel(beat[size_t(index)] * scale);
            painter.drawLine(x, y - 5, x, y + 5);
        }
        const QString label = stLabel(level);
        if (!label.isEmpty()) {
            painter.setFont(labelFont);
            painter.drawText(width - 20, int(std::trunc(geometry.rowTop(row))) + 20, label);
        }
    }
}
