#include "TEcgReportGraphic.h"

#include "AverageBeatSource.h"
#include "TReportText.h"
#include "TSignalBuffer.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr double MajorMm = 5.0;
// A trace point closer than this to the line its neighbours draw anyway adds
// nothing on paper (a printer dot is 0.04 mm); leaving it out keeps the PDF small.
constexpr double ToleranceMm = 0.01;

// Adds a polyline through points (x ascending) to path, leaving out points that
// lie within tolerance of the segment drawn past them: every left-out point is
// within tolerance (vertically) of the segment that replaces it.
void addSimplified(QPainterPath& path, const std::vector<QPointF>& points, double tolerance)
{
    if (points.empty())
        return;
    path.moveTo(points[0]);
    size_t anchor = 0;
    double low = -1e300;
    double high = 1e300;
    for (size_t j = 1; j < points.size(); ++j) {
        const double dx = points[j].x() - points[anchor].x();
        if (dx <= 0.0) {
            path.lineTo(points[j]);
            anchor = j;
            low = -1e300;
            high = 1e300;
            continue;
        }
        const double slope = (points[j].y() - points[anchor].y()) / dx;
        if (slope < low || slope > high) {
            // The points since the anchor do not all lie along the way to j: the
            // segment ends at the point before it.
            anchor = j - 1;
            path.lineTo(points[anchor]);
            const double dx2 = points[j].x() - points[anchor].x();
            low = -1e300;
            high = 1e300;
            if (dx2 <= 0.0)
                continue;
        }
        const double d = points[j].x() - points[anchor].x();
        low = std::max(low, (points[j].y() - tolerance - points[anchor].y()) / d);
        high = std::min(high, (points[j].y() + tolerance - points[anchor].y()) / d);
    }
    path.lineTo(points.back());
}

} // namespace

TEcgReportGraphic::TEcgReportGraphic(const TSignalBuffer& signal, double speed, double amplitude)
    : m_signal(signal), m_speed(speed > 0.0 ? speed : 25.0), m_amplitude(amplitude > 0.0 ? amplitude : 10.0)
{
}

double TEcgReportGraphic::leadingMm() const
{
    // Label room, the pulse, a little baseline after it.
    const double needed = 2.5 + PulseSeconds * m_speed + 2.5;
    return std::ceil(needed / MajorMm - 1e-9) * MajorMm;
}

double TEcgReportGraphic::insetMm() const
{
    if (!m_beats || !m_beats->hasAverage() || m_beats->samplingRate() <= 0 || m_beats->beatLength() <= 0)
        return 0.0;
    const double beatMm = double(m_beats->beatLength()) / m_beats->samplingRate() * m_speed;
    return beatMm + InsetGapMm;
}

double TEcgReportGraphic::traceSeconds(double widthMm) const
{
    return std::max(0.0, widthMm - leadingMm() - insetMm()) / m_speed;
}

double TEcgReportGraphic::baselineMm(int row, int count, double heightMm, double headroomMm)
{
    if (count <= 0)
        return 0.0;
    const double rowHeight = heightMm / count;
    const double first = rowHeight * BaselineShare;
    if (count == 1 || headroomMm <= first)
        return std::round(rowHeight * row + first);
    const double last = heightMm - rowHeight * (1.0 - BaselineShare);
    const double top = std::min(headroomMm, last);
    return std::round(top + row * (last - top) / (count - 1));
}

void TEcgReportGraphic::drawGrid(QPainter& painter, const QRectF& rect, double u) const
{
    QPainterPath minor;
    QPainterPath major;
    const double widthMm = rect.width() / u;
    const double heightMm = rect.height() / u;
    for (int i = 0; i <= int(std::floor(widthMm + 1e-9)); ++i) {
        QPainterPath& path = i % 5 == 0 ? major : minor;
        const double x = rect.left() + i * u;
        path.moveTo(x, rect.top());
        path.lineTo(x, rect.bottom());
    }
    for (int j = 0; j <= int(std::floor(heightMm + 1e-9)); ++j) {
        QPainterPath& path = j % 5 == 0 ? major : minor;
        const double y = rect.top() + j * u;
        path.moveTo(rect.left(), y);
        path.lineTo(rect.right(), y);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(m_style.minorGrid, m_style.minorWidthMm * u, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(minor);
    painter.setPen(QPen(m_style.majorGrid, m_style.majorWidthMm * u, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(major);
}

void TEcgReportGraphic::addTrace(QPainterPath& path, const Row& row, const QRectF& rect, double u, double x0Mm,
                                 double baseline, double startSeconds, double seconds) const
{
    const int rate = m_signal.samplingRate();
    if (rate <= 0 || seconds <= 0.0 || row.lead < 0 || row.lead >= m_signal.channelCount())
        return;
    const int first = std::max(0, int(std::lround(startSeconds * rate)));
    // The sample at the right edge too, so the trace reaches it.
    const int last = std::min(m_signal.length() - 1, first + int(std::lround(seconds * rate)));
    if (last < first)
        return;
    const int count = last - first + 1;
    m_values.resize(size_t(count));
    m_signal.samples(row.lead, first, count, m_values.data());
    double offset = 0.0;
    if (m_centre) {
        std::vector<double> sorted(m_values);
        std::nth_element(sorted.begin(), sorted.begin() + count / 2, sorted.end());
        offset = sorted[size_t(count / 2)];
    }
    const double unitsPerCode = m_signal.valueStep() * m_amplitude * u * (row.inverted ? -1.0 : 1.0);
    const double unitsPerSample = m_speed / rate * u;
    // Sample times measured from the start time, so a column starts where asked.
    const double shift = (first - startSeconds * rate) * unitsPerSample;
    const double x0 = rect.left() + x0Mm * u + shift;
    std::vector<QPointF> points(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        points[size_t(i)] = QPointF(x0 + i * unitsPerSample, baseline - (m_values[size_t(i)] - offset) * unitsPerCode);
    addSimplified(path, points, ToleranceMm * u);
}

void TEcgReportGraphic::addAverageBeat(QPainterPath& path, const Row& row, const QRectF& rect, double u, double x0Mm,
                                       double baseline) const
{
    const std::vector<double> beat = m_beats->averageBeat(row.lead);
    const int rate = m_beats->samplingRate();
    if (beat.size() < 2 || rate <= 0)
        return;
    const double unitsPerUnit = m_beats->millivoltsPerUnit() * m_amplitude * u * (row.inverted ? -1.0 : 1.0);
    const double unitsPerSample = m_speed / rate * u;
    std::vector<QPointF> points(beat.size(), QPointF());
    for (size_t i = 0; i < beat.size(); ++i)
        points[i] = QPointF(rect.left() + x0Mm * u + double(i) * unitsPerSample, baseline - beat[i] * unitsPerUnit);
    addSimplified(path, points, ToleranceMm * u);
}

void TEcgReportGraphic::draw(QPainter& painter, const QRectF& rect, double u, const QVector<Row>& rows,
                             double startSeconds, bool calibration) const
{
    if (rect.isEmpty() || u <= 0.0 || rows.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, m_style.antialiased);
    if (m_style.grid)
        drawGrid(painter, rect, u);

    const double heightMm = rect.height() / u;
    const double widthMm = rect.width() / u;
    const double leading = leadingMm();
    const double inset = insetMm();
    const double seconds = traceSeconds(widthMm);
    const double pulseMm = PulseSeconds * m_speed;
    TReportFont labelFont;
    labelFont.pointSize = m_style.labelPointSize;
    labelFont.bold = true;

    QPainterPath traces;
    QPainterPath pulses;
    QPainterPath averages;
    for (int k = 0; k < rows.size(); ++k) {
        const Row& row = rows[k];
        // The first row's pulse (1 mV) and a millimetre above it stay on the graphic.
        const double baseMm = baselineMm(k, rows.size(), heightMm, m_amplitude + 1.0);
        const double baseline = rect.top() + baseMm * u;
        if (calibration) {
            // 1 mV for PulseSeconds, on a little baseline either side.
            const double x = rect.left() + 2.5 * u;
            const double top = baseline - m_amplitude * u;
            pulses.moveTo(rect.left() + 1.0 * u, baseline);
            pulses.lineTo(x, baseline);
            pulses.lineTo(x, top);
            pulses.lineTo(x + pulseMm * u, top);
            pulses.lineTo(x + pulseMm * u, baseline);
            pulses.lineTo(x + (pulseMm + 1.0) * u, baseline);
        }
        if (row.lead < 0)
            continue;
        const QRectF labelBox(rect.left() + 0.5 * u, baseline + 0.8 * u, (leading - 0.5) * u, 4.0 * u);
        TReportText::draw(painter, labelBox, row.label, labelFont, Qt::AlignLeft | Qt::AlignTop, false, m_style.text,
                          u);
        if (inset > 0.0)
            addAverageBeat(averages, row, rect, u, leading, baseline);
        addTrace(traces, row, rect, u, leading + inset, baseline, startSeconds, seconds);
    }
    painter.setBrush(Qt::NoBrush);
    const double width = m_style.traceWidthMm * u;
    painter.setPen(QPen(m_style.trace, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawPath(pulses);
    painter.setPen(QPen(m_style.averageBeat, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(averages);
    painter.setPen(QPen(m_style.trace, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(traces);
    painter.restore();
}
