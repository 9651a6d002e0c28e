#include "QSignalBrowseDisplay.h"

#include "AverageBeatSource.h"
#include "CanvasImage.h"
#include "EventGuard.h"
#include "ColumnSpanWriter.h"
#include "DisplayColorRole.h"
#include "LeadLabels.h"
#include "MonitorHighlightProvider.h"
#include "SignalGeometry.h"
#include "TBeatStore.h"
#include "TSignalBuffer.h"

#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {

QMap<int, QColor> browseDefaultColors()
{
    using namespace DisplayColorRole;
    return {{Trace, QColor(Qt::black)},
            {Background, QColor(Qt::white)},
            {Grid, QColor(220, 200, 180)},
            {LeadLabel, QColor(Qt::gray)},
            {AverageBeat, QColor(Qt::darkBlue)},
            {ReferenceBeat, QColor(Qt::darkGreen)},
            {Highlight, QColor(255, 128, 0, 128)},
            {BeatTick, QColor(Qt::blue)},
            {MeasurementMark, QColor(Qt::darkRed)},
            {SelectedBeat, QColor(128, 128, 128, 128)}};
}

// A beat is taken under the mouse only this close to it, in seconds.
constexpr double BeatPickTolerance = 0.2;
// Half the width of the selected-beat band, in seconds.
constexpr double SelectedBandHalfWidth = 0.2;
// A beat reached with the keys stays this far inside the window, in seconds.
constexpr double KeyScrollMargin = 0.3;

bool validBeat(const TBeat& beat)
{
    return beat.hasValue(TBeat::Time);
}

} // namespace

QSignalBrowseDisplay::QSignalBrowseDisplay(QWidget* parent) : QWidget(parent), m_settings(browseDefaultColors())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_scrollBar->setObjectName(QStringLiteral("scrollBar"));
    m_scrollBar->setFocusPolicy(Qt::ClickFocus);
    QMetaObject::connectSlotsByName(this);
    layoutScrollBar();
    recomputeScrollBar();
}

QSignalBrowseDisplay::~QSignalBrowseDisplay() = default;

void QSignalBrowseDisplay::markDirty()
{
    m_dirty = true;
    update();
}

void QSignalBrowseDisplay::setSignal(const TSignalBuffer* signal)
{
    m_signal = signal;
    m_caliper = BrowseCaliper();
    recomputeScrollBar();
    markDirty();
}

void QSignalBrowseDisplay::setAverageBeatSource(const AverageBeatSource* source)
{
    m_averageBeatSource = source;
    recomputeScrollBar();
    markDirty();
}

void QSignalBrowseDisplay::setBeatList(const TBeatStore* beats)
{
    m_beatList = beats;
    if (!m_beatList || m_selectedBeatId >= m_beatList->count())
        m_selectedBeatId = -1;
    markDirty();
}

void QSignalBrowseDisplay::setHighlightProvider(MonitorHighlightProvider* provider)
{
    m_highlightProvider = provider;
    markDirty();
}

void QSignalBrowseDisplay::setShowAverageBeat(bool show)
{
    m_showAverageBeat = show;
    recomputeScrollBar();
    markDirty();
}

void QSignalBrowseDisplay::setStartTime(double seconds)
{
    m_startTime = std::isfinite(seconds) ? std::max(0.0, seconds) : 0.0;
    recomputeScrollBar();
    markDirty();
}

void QSignalBrowseDisplay::setSpeed(double mmPerSecond)
{
    m_settings.setSpeed(mmPerSecond);
    recomputeScrollBar();
    markDirty();
}

void QSignalBrowseDisplay::setAmplitude(double mmPerMillivolt)
{
    m_settings.setAmplitude(mmPerMillivolt);
    markDirty();
}

void QSignalBrowseDisplay::setLeadOrder(int row, int lead)
{
    if (m_settings.setLeadOrder(row, lead))
        markDirty();
}

void QSignalBrowseDisplay::setLeadInverted(int lead, bool inverted)
{
    if (m_settings.setLeadInverted(lead, inverted))
        markDirty();
}

void QSignalBrowseDisplay::setLeadVisible(int lead, bool visible)
{
    if (m_settings.setLeadVisible(lead, visible))
        markDirty();
}

void QSignalBrowseDisplay::setHexaxialOrder(bool on)
{
    if (m_settings.setHexaxialOrder(on))
        markDirty();
}

void QSignalBrowseDisplay::setSelectedBeat(int id)
{
    m_selectedBeatId = id >= 0 && m_beatList && id < m_beatList->count() ? id : -1;
    markDirty();
}

void QSignalBrowseDisplay::setMode(int mode)
{
    m_mode = mode == SelectionMode || mode == CaliperMode ? mode : NoMode;
    m_selecting = false;
    m_caliper = BrowseCaliper();
    markDirty();
}

void QSignalBrowseDisplay::setColor(int role, const QColor& color)
{
    if (m_settings.setColor(role, color))
        m_gridCache.invalidate();
    markDirty();
}

void QSignalBrowseDisplay::refresh()
{
    markDirty();
}

const QImage& QSignalBrowseDisplay::canvas()
{
    if (m_dirty) {
        m_dirty = false;
        // A failing read leaves the canvas as far as it was drawn.
        guardEvent([&] { render(m_canvas); });
    }
    return m_canvas;
}

QVector<int> QSignalBrowseDisplay::visibleLeads() const
{
    return m_settings.visibleLeads(m_signal ? std::min(m_signal->channelCount(), DisplaySettings::MaxLeads) : 0);
}

double QSignalBrowseDisplay::beatSeconds() const
{
    if (!m_showAverageBeat || !m_averageBeatSource || m_averageBeatSource->samplingRate() <= 0)
        return 0.0;
    return double(m_averageBeatSource->beatLength()) / m_averageBeatSource->samplingRate();
}

SignalGeometry QSignalBrowseDisplay::geometryFor(const QImage& image) const
{
    return SignalGeometry::compute(image.width(), image.height(), image.isNull() ? 0 : image.widthMM(),
                                   m_settings.speed(), m_settings.amplitude(),
                                   m_signal ? m_signal->valueStep() : 0.0, beatSeconds(), visibleLeads().size());
}

SignalGeometry QSignalBrowseDisplay::canvasGeometry() const
{
    return geometryFor(m_canvas);
}

double QSignalBrowseDisplay::windowSeconds() const
{
    return std::max(0.0, canvasGeometry().pageSeconds);
}

double QSignalBrowseDisplay::durationSeconds() const
{
    return m_signal && m_signal->samplingRate() > 0 ? m_signal->durationSeconds() : 0.0;
}

double QSignalBrowseDisplay::timeAtX(int x) const
{
    const SignalGeometry g = canvasGeometry();
    const double pps = g.tracePixelsPerSecond();
    return pps > 0.0 ? m_startTime + (x - g.traceX0) / pps : m_startTime;
}

int QSignalBrowseDisplay::xAtTime(double seconds) const
{
    const SignalGeometry g = canvasGeometry();
    // Nearest column, so that the time of the column maps back to the same sample.
    return g.traceX0 + TraceRenderer::toPixel(std::round((seconds - m_startTime) * g.tracePixelsPerSecond()));
}

bool QSignalBrowseDisplay::inInset(const SignalGeometry& geometry, int x) const
{
    return geometry.hasInset() && x < geometry.traceX0;
}

void QSignalBrowseDisplay::layoutScrollBar()
{
    const int h = m_scrollBar->sizeHint().height();
    m_scrollBar->setGeometry(0, height() - h, width(), h);
}

void QSignalBrowseDisplay::recomputeScrollBar()
{
    const double window = windowSeconds();
    const double duration = durationSeconds();
    const int maximum = duration > window ? int(std::trunc((duration - window) * 100.0)) : 0;
    m_updatingScrollBar = true;
    m_scrollBar->setRange(0, maximum);
    m_scrollBar->setSingleStep(std::max(1, int(std::trunc(window * 10.0))));
    m_scrollBar->setPageStep(std::max(1, int(std::trunc(window * 100.0))));
    m_scrollBar->setValue(int(std::trunc(std::min(m_startTime * 100.0, 2.0e9))));
    m_scrollBar->setEnabled(maximum >= 1);
    m_updatingScrollBar = false;
}

void QSignalBrowseDisplay::on_scrollBar_valueChanged(int value)
{
    guardEvent([&] {
        if (m_updatingScrollBar)
            return;
        m_startTime = value * 0.01;
        markDirty();
        emit startTimeChanged();
    });
}

void QSignalBrowseDisplay::scrollTo(double seconds)
{
    const double start = std::max(0.0, seconds);
    if (start == m_startTime)
        return;
    m_startTime = start;
    recomputeScrollBar();
    markDirty();
    emit startTimeChanged();
}

void QSignalBrowseDisplay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, canvas());
}

void QSignalBrowseDisplay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutScrollBar();
    const int barHeight = m_scrollBar->height();
    m_canvas = CanvasImage::forWidget(*this, QSize(event->size().width(),
                                                   std::max(0, event->size().height() - barHeight)));
    recomputeScrollBar();
    markDirty();
}

// ---- Mouse and keys ----

void QSignalBrowseDisplay::mousePressEvent(QMouseEvent* event)
{
    guardEvent([&] {
        if (!m_signal)
            return;
        setFocus(Qt::MouseFocusReason);
        setMouseTracking(true);
        const SignalGeometry g = canvasGeometry();
        const int x = event->pos().x();
        if (event->button() == Qt::MiddleButton && !inInset(g, x)) {
            m_panning = true;
            m_panAnchor = timeAtX(x);
        } else if (event->button() == Qt::LeftButton) {
            if (m_mode == SelectionMode && m_beatList && !inInset(g, x)) {
                m_selecting = true;
                selectBeatAt(x);
            } else if (m_mode == CaliperMode) {
                updateCaliper(event->pos(), true);
            }
        }
    });
}

void QSignalBrowseDisplay::mouseMoveEvent(QMouseEvent* event)
{
    guardEvent([&] {
        if (!m_signal)
            return;
        const int x = event->pos().x();
        if (m_panning && (event->buttons() & Qt::MiddleButton)) {
            const double window = windowSeconds();
            const double latest = std::max(0.0, durationSeconds() - window);
            const double start = std::clamp(m_startTime + m_panAnchor - timeAtX(x), 0.0, latest);
            if (start != m_startTime) {
                m_startTime = start;
                recomputeScrollBar();
                markDirty();
                emit startTimeChanged();
            }
            m_panAnchor = timeAtX(x);
        }
        if (m_selecting && (event->buttons() & Qt::LeftButton))
            selectBeatAt(x);
        if (m_mode == CaliperMode)
            updateCaliper(event->pos(), event->buttons() & Qt::LeftButton);
    });
}

void QSignalBrowseDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    guardEvent([&] {
        if (event->button() == Qt::MiddleButton) {
            m_panning = false;
            m_panAnchor = 0.0;
            m_selecting = false;
        } else if (event->button() == Qt::LeftButton) {
            m_selecting = false;
            if (m_caliper.dragging) {
                m_caliper.dragging = false;
                markDirty();
            }
        }
    });
}

void QSignalBrowseDisplay::keyPressEvent(QKeyEvent* event)
{
    guardEvent([&] {
        if (!m_signal) {
            QWidget::keyPressEvent(event);
            return;
        }
        switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Left:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
        }
        if (!handleBeatKey(event->key()))
            handleScrollKey(event->key());
        event->accept();
    });
}

bool QSignalBrowseDisplay::handleBeatKey(int key)
{
    if (!m_beatList || m_selectedBeatId < 0 || m_selectedBeatId >= m_beatList->count())
        return false;
    const int count = m_beatList->count();
    const double time = m_beatList->beat(m_selectedBeatId).time();
    const double window = windowSeconds();
    int target = -1;
    switch (key) {
    case Qt::Key_Right:
        target = m_selectedBeatId + 1 < count ? m_selectedBeatId + 1 : -1;
        break;
    case Qt::Key_Left:
        target = m_selectedBeatId - 1;
        break;
    case Qt::Key_Home:
        target = m_beatList->first();
        break;
    case Qt::Key_End:
        target = m_beatList->last();
        break;
    case Qt::Key_PageDown: {
        // The first beat a window later, or the last beat.
        const int i = m_beatList->previous(time + window) + 1;
        target = i < count ? i : m_beatList->last();
        break;
    }
    case Qt::Key_PageUp: {
        // The last beat a window earlier, or the first beat.
        const int after = m_beatList->next(time - window);
        const int i = (after < 0 ? count : after) - 1;
        target = i >= 0 ? i : m_beatList->first();
        break;
    }
    default:
        break;
    }
    if (target >= 0 && target != m_selectedBeatId)
        moveSelection(target);
    return true;
}

void QSignalBrowseDisplay::moveSelection(int beat)
{
    const double before = m_beatList->beat(m_selectedBeatId).time();
    const double time = m_beatList->beat(beat).time();
    m_selectedBeatId = beat;
    markDirty();
    emit selectedBeatChanged(m_selectedBeatId);
    const double window = windowSeconds();
    if (time > before) {
        if (time + KeyScrollMargin > m_startTime + window)
            scrollTo(time + KeyScrollMargin - window);
    } else if (m_startTime > time - KeyScrollMargin) {
        scrollTo(time - KeyScrollMargin);
    }
}

void QSignalBrowseDisplay::handleScrollKey(int key)
{
    switch (key) {
    case Qt::Key_PageDown:
        m_scrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_PageUp:
        m_scrollBar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_Right:
        m_scrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Left:
        m_scrollBar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Home:
        m_scrollBar->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        m_scrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        break;
    }
}

void QSignalBrowseDisplay::selectBeatAt(int x)
{
    const int beat = m_beatList->beatAt(timeAtX(x), BeatPickTolerance);
    if (beat == m_selectedBeatId)
        return;
    m_selectedBeatId = beat;
    markDirty();
    emit selectedBeatChanged(m_selectedBeatId);
}

// ---- Calipers ----

QSignalBrowseDisplay::CaliperPoint QSignalBrowseDisplay::caliperPointAt(const SignalGeometry& g, int x) const
{
    CaliperPoint point;
    if (x < g.traceX0) {
        // Before startTime: the inset, if there is one.
        if (!g.hasInset() || !m_averageBeatSource || !m_averageBeatSource->hasAverage())
            return point;
        const double t = (x - g.insetX0) / g.insetPixelsPerSecond();
        const int sample = sampleIndexOf(m_averageBeatSource->samplingRate(), t);
        point.valid = t > 0.0 && sample >= 0 && sample < m_averageBeatSource->beatLength();
        point.inInset = true;
        point.sample = sample;
        return point;
    }
    const double t = m_startTime + (x - g.traceX0) / g.tracePixelsPerSecond();
    const int sample = sampleIndexOf(m_signal->samplingRate(), t);
    point.valid = t >= m_startTime && sample >= 0 && sample < m_signal->length();
    point.sample = sample;
    return point;
}

void QSignalBrowseDisplay::updateCaliper(const QPoint& position, bool leftHeld)
{
    const SignalGeometry g = canvasGeometry();
    const QVector<int> leads = visibleLeads();
    if (leads.isEmpty() || !g.canDrawTrace())
        return;
    if (m_caliper.shown && m_caliper.dragging && leftHeld) {
        CaliperPoint point = caliperPointAt(g, position.x());
        const int samples = m_caliper.inInset ? m_averageBeatSource->beatLength() : m_signal->length();
        // Outside its own area the end stays at the nearest sample of that area.
        int end = point.sample;
        if (point.inInset != m_caliper.inInset)
            end = m_caliper.inInset ? samples - 1 : sampleIndexOf(m_signal->samplingRate(), m_startTime);
        m_caliper.end = std::clamp(end, 0, std::max(0, samples - 1));
        markDirty();
        return;
    }
    const CaliperPoint point = caliperPointAt(g, position.x());
    if (!point.valid) {
        if (m_caliper.shown) {
            m_caliper.shown = false;
            markDirty();
        }
        return;
    }
    m_caliper.shown = true;
    m_caliper.inInset = point.inInset;
    m_caliper.lead = leads[g.rowAt(position.y())];
    m_caliper.start = m_caliper.end = point.sample;
    m_caliper.dragging = leftHeld;
    markDirty();
}

double QSignalBrowseDisplay::caliperValue(int sample) const
{
    if (m_caliper.inInset) {
        if (!m_averageBeatSource)
            return 0.0;
        const std::vector<double> beat = m_averageBeatSource->averageBeat(m_caliper.lead);
        return sample >= 0 && sample < int(beat.size()) ? beat[size_t(sample)] : 0.0;
    }
    return m_signal ? m_signal->sample(m_caliper.lead, sample) : 0.0;
}

double QSignalBrowseDisplay::caliperRate() const
{
    if (m_caliper.inInset)
        return m_averageBeatSource ? m_averageBeatSource->samplingRate() : 0.0;
    return m_signal ? m_signal->samplingRate() : 0.0;
}

double QSignalBrowseDisplay::caliperMillivoltsPerUnit() const
{
    if (m_caliper.inInset)
        return m_averageBeatSource ? m_averageBeatSource->millivoltsPerUnit() : 0.0;
    return m_signal ? m_signal->valueStep() : 0.0;
}

QString QSignalBrowseDisplay::caliperTimeText() const
{
    if (!m_caliper.shown || !m_caliper.dragging)
        return QString();
    return BrowseCaliper::timeText(m_caliper.end - m_caliper.start, caliperRate());
}

QString QSignalBrowseDisplay::caliperAmplitudeText() const
{
    if (!m_caliper.shown || !m_caliper.dragging)
        return QString();
    return BrowseCaliper::amplitudeText(caliperValue(m_caliper.end) - caliperValue(m_caliper.start),
                                        caliperMillivoltsPerUnit());
}

// ---- Rendering ----

void QSignalBrowseDisplay::render(QImage& target)
{
    using namespace DisplayColorRole;
    if (target.isNull())
        return;
    const QVector<int> leads = visibleLeads();
    const SignalGeometry g = geometryFor(target);

    if (g.widthMM > 0.0)
        CanvasImage::copyInto(target, m_gridCache.image(target, PaperGrid::Dotted, m_settings.color(Background),
                                                        m_settings.color(Grid)));
    else
        target.fill(m_settings.color(Background));
    // Without signal, rows or time to show there is only paper: a stale picture
    // of another recording would mislead.
    if (!m_signal || leads.isEmpty() || !g.canDrawTrace() || m_signal->samplingRate() <= 0)
        return;

    // Baselines: the mean of the visible samples of each lead.
    const int rate = m_signal->samplingRate();
    const int startSample = sampleIndexOf(rate, m_startTime);
    const int windowSamples = sampleIndexOf(rate, g.pageSeconds);
    const int visible = std::clamp(m_signal->length() - startSample, 0, windowSamples);
    for (int lead : leads)
        m_baselineOffset[size_t(lead)] = m_signal->channel(lead)->mean(startSample, visible);

    QPainter painter(&target);
    LeadLabels::paint(painter, g, leads, m_settings, *m_signal);
    drawSelectedBeat(painter, g);
    // The traces write into the image directly: no painter may be active meanwhile.
    painter.end();
    drawTraces(target, g, leads);
    painter.begin(&target);
    if (m_showAverageBeat && m_averageBeatSource)
        m_inset.paint(painter, g, leads, m_settings, *m_averageBeatSource, nullptr);
    drawTimeRuler(painter, g);
    drawBeatTicks(painter, g);
    if (m_mode == CaliperMode)
        drawCaliper(painter, g, leads);
}

void QSignalBrowseDisplay::drawSelectedBeat(QPainter& painter, const SignalGeometry& g)
{
    if (!m_beatList || m_selectedBeatId < 0 || m_selectedBeatId >= m_beatList->count())
        return;
    const TBeat beat = m_beatList->beat(m_selectedBeatId);
    if (!validBeat(beat))
        return;
    const double pps = g.tracePixelsPerSecond();
    const int x1 = g.traceX0 + TraceRenderer::toPixel((beat.time() - SelectedBandHalfWidth - m_startTime) * pps);
    const int x2 = g.traceX0 + TraceRenderer::toPixel((beat.time() + SelectedBandHalfWidth - m_startTime) * pps);
    const QRect band = QRect(QPoint(x1, 0), QPoint(x2, g.height - 1)) &
                       QRect(g.traceX0, 0, g.traceWidth, g.height);
    if (!band.isEmpty())
        painter.fillRect(band, m_settings.color(DisplayColorRole::SelectedBeat));
}

void QSignalBrowseDisplay::drawTraces(QImage& target, const SignalGeometry& g, const QVector<int>& leads)
{
    using namespace DisplayColorRole;
    const int rate = m_signal->samplingRate();
    const int count = m_signal->length();
    const int startSample = sampleIndexOf(rate, m_startTime);
    const int windowSamples = sampleIndexOf(rate, g.pageSeconds);
    if (windowSamples <= 0)
        return;
    const int available = std::clamp(count - startSample, 0, windowSamples);
    const bool envelope = windowSamples >= g.width && windowSamples >= g.traceWidth;
    const QColor traceColor = m_settings.color(Trace);
    const QColor highlightColor = m_settings.color(Highlight);
    if (g.hasInset())
        ColumnSpanWriter(target, traceColor).span(g.traceX0, 0, g.height - 1);
    for (int row = 0; row < leads.size(); ++row) {
        const int lead = leads[row];
        const double scale = m_settings.leadSign(lead) * g.pixelsPerUnit;
        const int columns = envelope ? g.traceWidth : windowSamples;
        const HighlightMask* mask = nullptr;
        if (m_highlightProvider) {
            m_mask.reset(columns);
            m_mask.addIntervals(*m_highlightProvider, lead, startSample, startSample + available, startSample,
                                windowSamples);
            mask = &m_mask;
        }
        if (envelope) {
            TraceRenderer::Envelope span;
            span.channel = m_signal->channel(lead);
            span.start = startSample;
            span.samples = windowSamples;
            span.columns = g.traceWidth;
            span.offset = m_baselineOffset[size_t(lead)];
            span.scale = scale;
            span.baseline = g.baseline(row);
            span.x0 = g.traceX0;
            // Only the columns the recording fills: past its end there is nothing to draw.
            span.drawColumns = int(qint64(available) * g.traceWidth / windowSamples);
            span.mask = mask;
            m_traceRenderer.drawEnvelope(target, span, traceColor, highlightColor);
        } else {
            const int rowHeight = g.height / g.rows;
            TraceRenderer::Polyline span;
            span.channel = m_signal->channel(lead);
            span.first = startSample;
            span.count = available;
            span.pixelsPerSample = double(g.traceWidth) / windowSamples;
            span.x0 = g.traceX0;
            span.baselineY = int(std::trunc(rowHeight * (row + 0.5)));
            span.scale = scale;
            span.offset = m_baselineOffset[size_t(lead)];
            span.mask = mask;
            m_traceRenderer.drawPolyline(target, span, traceColor, highlightColor);
        }
    }
}

void QSignalBrowseDisplay::drawTimeRuler(QPainter& painter, const SignalGeometry& g)
{
    const double window = g.pageSeconds;
    const QFont font(QStringLiteral("Helvetica"), 10, QFont::Bold);
    const QFontMetrics metrics(font, painter.device());
    const double labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00"));
    const double r = labelWidth * window / g.traceWidth;
    const int step = r <= 1.0 ? 1 : r <= 5.0 ? 5 : r <= 10.0 ? 10 : r <= 30.0 ? 30 : 60;

    painter.save();
    painter.setClipRect(QRect(g.traceX0, 0, g.traceWidth, g.height));
    painter.setFont(font);
    painter.setPen(m_settings.color(DisplayColorRole::LeadLabel));
    const qint64 first = qint64(std::ceil(m_startTime / step - 1e-9)) * step;
    for (qint64 t = first; t <= m_startTime + window; t += step) {
        const QString text = QString::asprintf("%2.2i:%2.2i", int((t / 60) % 60), int(t % 60));
        const int x = g.traceX0 + TraceRenderer::toPixel((t - m_startTime) * g.traceWidth / window);
        painter.drawText(x - metrics.horizontalAdvance(text) / 2, g.height - 4, text);
    }
    painter.restore();
}

void QSignalBrowseDisplay::drawBeatTicks(QPainter& painter, const SignalGeometry& g)
{
    if (!m_beatList || m_beatList->count() == 0)
        return;
    const double window = g.pageSeconds;
    const double pps = g.tracePixelsPerSecond();
    const QFont font(QStringLiteral("Helvetica"), 8, QFont::Normal);
    const QFontMetrics metrics(font, painter.device());
    const bool withRR = m_settings.speed() >= 25.0;

    painter.save();
    painter.setPen(QPen(m_settings.color(DisplayColorRole::BeatTick), 2));
    painter.setFont(font);
    int previousX = -1;
    const int count = m_beatList->count();
    for (int i = m_beatList->previous(m_startTime) + 1; i < count; ++i) {
        const TBeat beat = m_beatList->beat(i);
        if (beat.time() >= m_startTime + window)
            break;
        if (!validBeat(beat))
            continue;
        const int x = TraceRenderer::toPixel((beat.time() - m_startTime) * pps);
        if (x <= 0)
            continue;
        painter.drawLine(g.traceX0 + x, 0, g.traceX0 + x, 10);
        if (previousX >= 0 && withRR && beat.hasValue(TBeat::RR) && beat.value(TBeat::RR) > 0.0) {
            const QString text = QString::asprintf("%d", int(std::lround(beat.value(TBeat::RR) * 1000.0)));
            const int centre = g.traceX0 + (previousX + x) / 2;
            painter.drawText(centre - metrics.horizontalAdvance(text) / 2, metrics.height(), text);
        }
        previousX = x;
    }
    painter.restore();
}

void QSignalBrowseDisplay::drawCaliper(QPainter& painter, const SignalGeometry& g, const QVector<int>& leads)
{
    if (!m_caliper.shown)
        return;
    const int row = leads.indexOf(m_caliper.lead);
    if (row < 0 || (m_caliper.inInset && (!m_averageBeatSource || !g.hasInset())))
        return;
    const double scale = m_settings.leadSign(m_caliper.lead) * g.pixelsPerUnit;
    const double baseline = g.baseline(row);
    const double rate = caliperRate();
    if (!(rate > 0.0))
        return;
    auto pointOf = [&](int sample) {
        double value = caliperValue(sample);
        int x = 0;
        if (m_caliper.inInset) {
            x = g.insetX0 + TraceRenderer::toPixel(sample / rate * g.insetPixelsPerSecond());
        } else {
            x = g.traceX0 + TraceRenderer::toPixel((sample / rate - m_startTime) * g.tracePixelsPerSecond());
            value -= m_baselineOffset[size_t(m_caliper.lead)];
        }
        return QPoint(x, TraceRenderer::toPixel(baseline - value * scale));
    };
    m_caliper.paint(painter, pointOf(m_caliper.start), pointOf(m_caliper.end), caliperTimeText(),
                    caliperAmplitudeText());
}
