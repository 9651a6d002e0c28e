#include "QSignalMonitorDisplay.h"

#include "AverageBeatSource.h"
#include "CanvasImage.h"
#include "ColumnSpanWriter.h"
#include "DisplayColorRole.h"
#include "LeadLabels.h"
#include "MonitorHighlightProvider.h"
#include "MonitorMarkProvider.h"
#include "SignalGeometry.h"
#include "TSignalBuffer.h"
#include "WaitingRing.h"

#include <QPainter>
#include <QResizeEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

QMap<int, QColor> monitorDefaultColors()
{
    using namespace DisplayColorRole;
    return {{Trace, QColor(Qt::black)},
            {Background, QColor(Qt::white)},
            {Grid, QColor(220, 200, 180)},
            {LeadLabel, QColor(Qt::lightGray)},
            {AverageBeat, QColor(Qt::darkBlue)},
            {ReferenceBeat, QColor(0, 128, 0, 128)},
            {Highlight, QColor(255, 128, 0, 128)},
            {SweepCursor, QColor(Qt::gray)},
            {MeasurementMark, QColor(Qt::darkRed)}};
}

// Columns right of the sweep cursor left blank, so that the eye finds the newest sample.
constexpr int EraseGapColumns = 5;

} // namespace

QSignalMonitorDisplay::QSignalMonitorDisplay(QWidget* parent)
    : QWidget(parent), m_settings(monitorDefaultColors())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_canvas = CanvasImage::forWidget(*this, size());
    m_spinnerTimer = new QTimer(this);
    m_spinnerTimer->setInterval(200);
    connect(m_spinnerTimer, &QTimer::timeout, this, [this] { onSpinnerTick(); });
    m_spinnerTimer->start();
}

QSignalMonitorDisplay::~QSignalMonitorDisplay() = default;

void QSignalMonitorDisplay::setSignal(const TSignalBuffer* signal)
{
    m_signal = signal;
    resetBaselineTracking();
    renderAndRepaint();
}

void QSignalMonitorDisplay::setAverageBeatSource(const AverageBeatSource* source)
{
    m_averageBeatSource = source;
    renderAndRepaint();
}

void QSignalMonitorDisplay::setMarkProvider(MonitorMarkProvider* provider)
{
    m_markProvider = provider;
    renderAndRepaint();
}

void QSignalMonitorDisplay::setHighlightProvider(MonitorHighlightProvider* provider)
{
    m_highlightProvider = provider;
    renderAndRepaint();
}

void QSignalMonitorDisplay::setShowAverageBeat(bool show)
{
    m_showAverageBeat = show;
    renderAndRepaint();
}

void QSignalMonitorDisplay::setSpeed(double mmPerSecond)
{
    m_settings.setSpeed(mmPerSecond);
    renderAndRepaint();
}

void QSignalMonitorDisplay::setAmplitude(double mmPerMillivolt)
{
    m_settings.setAmplitude(mmPerMillivolt);
    renderAndRepaint();
}

void QSignalMonitorDisplay::setAutoBaseline(bool on)
{
    m_autoBaseline = on;
    resetBaselineTracking();
    renderAndRepaint();
}

void QSignalMonitorDisplay::setLeadVisible(int lead, bool visible)
{
    if (m_settings.setLeadVisible(lead, visible))
        renderAndRepaint();
}

void QSignalMonitorDisplay::setLeadInverted(int lead, bool inverted)
{
    if (m_settings.setLeadInverted(lead, inverted))
        renderAndRepaint();
}

void QSignalMonitorDisplay::setLeadOrder(int row, int lead)
{
    if (m_settings.setLeadOrder(row, lead))
        renderAndRepaint();
}

void QSignalMonitorDisplay::setHexaxialOrder(bool on)
{
    if (m_settings.setHexaxialOrder(on))
        renderAndRepaint();
}

void QSignalMonitorDisplay::setColor(int role, const QColor& color)
{
    if (m_settings.setColor(role, color))
        m_gridCache.invalidate();
}

void QSignalMonitorDisplay::setGridStyle(int style)
{
    m_gridStyle = style == PaperGrid::Antialiased ? PaperGrid::Antialiased : PaperGrid::Dotted;
    renderAndRepaint();
}

void QSignalMonitorDisplay::refresh()
{
    renderAndRepaint();
}

QString QSignalMonitorDisplay::rowLabel(int row) const
{
    if (!m_signal)
        return QString();
    const QVector<int> leads = m_settings.visibleLeads(std::min(m_signal->channelCount(), DisplaySettings::MaxLeads));
    return row >= 0 && row < leads.size() ? m_settings.leadLabel(*m_signal, leads[row]) : QString();
}

int QSignalMonitorDisplay::baselineOffset(int lead) const
{
    return lead >= 0 && lead < DisplaySettings::MaxLeads ? m_baselineOffset[size_t(lead)] : 0;
}

void QSignalMonitorDisplay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas);
}

void QSignalMonitorDisplay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_canvas = CanvasImage::forWidget(*this, event->size());
    renderAndRepaint();
}

void QSignalMonitorDisplay::renderAndRepaint()
{
    // Drawing reads the signal and the providers; whatever they throw must not
    // leave the event loop. The canvas then shows what was drawn before.
    try {
        render(m_canvas);
    } catch (...) {
    }
    repaint();
}

void QSignalMonitorDisplay::resetBaselineTracking()
{
    m_currentPage = -1;
    m_baselineOffset.fill(0);
}

void QSignalMonitorDisplay::onSpinnerTick()
{
    if (!m_signal || m_signal->length() != 0)
        return;
    m_spinnerStep = WaitingRing::nextStep(m_spinnerStep);
    // Nothing else re-renders while no samples arrive: render here, or the ring
    // would stand still until the first block.
    renderAndRepaint();
}

double QSignalMonitorDisplay::beatSeconds() const
{
    if (!m_showAverageBeat || !m_averageBeatSource || m_averageBeatSource->samplingRate() <= 0)
        return 0.0;
    return double(m_averageBeatSource->beatLength()) / m_averageBeatSource->samplingRate();
}

void QSignalMonitorDisplay::render(QImage& target)
{
    using namespace DisplayColorRole;
    if (target.isNull())
        return;
    const int leadCount = m_signal ? std::min(m_signal->channelCount(), DisplaySettings::MaxLeads) : 0;
    const QVector<int> leads = m_settings.visibleLeads(leadCount);
    const SignalGeometry geometry =
        SignalGeometry::compute(target.width(), target.height(), target.widthMM(), m_settings.speed(),
                                m_settings.amplitude(), m_signal ? m_signal->valueStep() : 0.0, beatSeconds(),
                                leads.size());

    if (geometry.widthMM > 0.0)
        CanvasImage::copyInto(target, m_gridCache.image(target, m_gridStyle, m_settings.color(Background),
                                                        m_settings.color(Grid)));
    else
        target.fill(m_settings.color(Background));

    QPainter painter(&target);
    if (m_signal)
        LeadLabels::paint(painter, geometry, leads, m_settings, *m_signal);
    // The traces write into the image directly: no painter may be active meanwhile.
    painter.end();
    if (m_signal && geometry.screenSeconds != 0.0)
        drawTrace(target, geometry, leads);
    painter.begin(&target);
    if (m_showAverageBeat && m_averageBeatSource && m_signal && !leads.isEmpty())
        m_inset.paint(painter, geometry, leads, m_settings, *m_averageBeatSource, m_markProvider);
    if (m_signal && m_signal->length() == 0)
        WaitingRing::paint(painter, QPoint(target.width() / 2, target.height() / 2), m_spinnerStep);
}

void QSignalMonitorDisplay::drawTrace(QImage& target, const SignalGeometry& geometry, const QVector<int>& leads)
{
    using namespace DisplayColorRole;
    const int count = m_signal->length();
    const int rate = m_signal->samplingRate();
    if (leads.isEmpty() || count <= 0 || rate <= 0 || !geometry.canDrawTrace())
        return;

    const int samplesAcross = sampleIndexOf(rate, geometry.screenSeconds);
    const int pageSamples = sampleIndexOf(rate, geometry.pageSeconds);
    if (pageSamples <= 0)
        return;
    const double duration = double(count) / rate;
    const int page = int(std::floor(duration / geometry.pageSeconds));
    const int pageStart = sampleIndexOf(rate, page * geometry.pageSeconds);
    const int last = count - 1;
    const bool firstPage = page == 0;
    const int traceWidth = geometry.traceWidth;
    const int cursor = int(std::clamp<qint64>(qint64(last - pageStart) * traceWidth / pageSamples, 0, traceWidth));

    // Baselines follow the signal from page to page, and continuously while less than
    // a second has arrived.
    if (m_autoBaseline && (count < rate || page != m_currentPage)) {
        const int n = std::min(count, pageSamples);
        for (int lead : leads)
            m_baselineOffset[size_t(lead)] = m_signal->channel(lead)->mean(count - n, n);
    }
    m_currentPage = page;

    const QColor traceColor = m_settings.color(Trace);
    const QColor highlightColor = m_settings.color(Highlight);
    if (geometry.hasInset())
        ColumnSpanWriter(target, traceColor).span(geometry.traceX0, 0, geometry.height - 1);
    // The envelope needs at least one sample per column; a page a column short of
    // that (rounding) is drawn as a polyline.
    const bool envelope = samplesAcross >= geometry.width && pageSamples >= traceWidth;

    for (int row = 0; row < leads.size(); ++row) {
        const int lead = leads[row];
        const TSignalChannel* channel = m_signal->channel(lead);
        const double scale = m_settings.leadSign(lead) * geometry.pixelsPerUnit;
        const int offset = m_baselineOffset[size_t(lead)];
        const int previousStart = pageStart - pageSamples;
        const int columns = envelope ? traceWidth : pageSamples;

        const HighlightMask* mask = nullptr;
        if (m_highlightProvider) {
            m_mask.reset(columns);
            m_mask.addIntervals(*m_highlightProvider, lead, pageStart, count, pageStart, pageSamples);
            if (!firstPage)
                m_mask.addIntervals(*m_highlightProvider, lead, std::max(0, count - pageSamples), pageStart,
                                    previousStart, pageSamples);
            mask = &m_mask;
        }

        if (envelope) {
            TraceRenderer::Envelope span;
            span.channel = channel;
            span.start = pageStart;
            span.samples = pageSamples;
            span.columns = traceWidth;
            span.wrap = true;
            span.offset = offset;
            span.scale = scale;
            span.baseline = geometry.baseline(row);
            span.x0 = geometry.traceX0;
            span.drawColumns = firstPage ? cursor : traceWidth;
            span.gapBegin = cursor;
            span.gapEnd = cursor + EraseGapColumns;
            span.mask = mask;
            m_traceRenderer.drawEnvelope(target, span, traceColor, highlightColor);
        } else {
            // Rows of whole pixels, so that every sample of a row lands on the same grid.
            const int rowHeight = geometry.height / geometry.rows;
            TraceRenderer::Polyline span;
            span.channel = channel;
            span.pixelsPerSample = double(traceWidth) / pageSamples;
            span.x0 = geometry.traceX0;
            span.baselineY = int(std::trunc(rowHeight * (row + 0.5)));
            span.scale = scale;
            span.offset = offset;
            span.mask = mask;
            span.first = pageStart;
            span.count = count - pageStart;
            span.position = 0;
            m_traceRenderer.drawPolyline(target, span, traceColor, highlightColor);
            // The previous page continues right of the cursor.
            const int previousFirst = last - pageSamples;
            if (!firstPage && previousFirst > 0 && previousFirst < pageStart) {
                span.first = previousFirst;
                span.count = pageStart - previousFirst;
                span.position = previousFirst - previousStart;
                m_traceRenderer.drawPolyline(target, span, traceColor, highlightColor);
            }
        }
    }

    QPainter painter(&target);
    painter.setPen(QPen(m_settings.color(SweepCursor), 1, Qt::DotLine));
    const int x = geometry.traceX0 + cursor;
    painter.drawLine(x, 0, x, geometry.height - 1);
}
