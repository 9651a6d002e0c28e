#include "QBeatDisplay.h"

#include "AverageBeatSource.h"
#include "CanvasImage.h"
#include "DisplayColorRole.h"
#include "EventGuard.h"
#include "TraceRenderer.h"
#include "WaveAmplitudes.h"

#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace {

// The proportions of standard paper: 25 mm/s and 10 mm/mV, so that one millivolt
// spans 0.4 seconds' worth of pixels.
constexpr double PixelsPerMillivoltPerPixelPerSecond = 0.4;
constexpr double SecondsPerMillimetre = 0.04;
// A cursor is under the mouse when its line is closer than this, in pixels.
constexpr int CursorPickDistance = 4;

// The display's own colours until a scheme is applied: the look of paper.
QMap<int, QColor> defaultColors()
{
    using namespace DisplayColorRole;
    return {{Trace, QColor(Qt::black)},          {Background, QColor(Qt::white)},
            {Grid, QColor(220, 200, 180)},       {LeadLabel, QColor(Qt::darkGray)},
            {BeatTick, QColor(Qt::blue)},        {MeasurementMark, QColor(Qt::darkGray)}};
}

} // namespace

QBeatDisplay::QBeatDisplay(QWidget* parent) : QWidget(parent), m_colors(defaultColors())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    struct Default
    {
        const char* name;
        const char* label;
        bool enabled;
    };
    static const Default defaults[CursorCount] = {{"P on", "(P", true},      {"P off", "P)", false},
                                                  {"P peak", "P^", false},   {"QRS on", "(QRS", true},
                                                  {"QRS off", "QRS)", true}, {"T on", "(T", false},
                                                  {"T off", "T)", true},     {"T peak", "T^", false}};
    for (const Default& d : defaults) {
        BeatCursor cursor;
        cursor.enabled = d.enabled;
        cursor.name = QString::fromLatin1(d.name);
        cursor.shortLabel = QString::fromLatin1(d.label);
        cursor.color = m_colors.value(DisplayColorRole::BeatTick);
        m_cursors.append(cursor);
    }
    m_canvas = CanvasImage::forWidget(*this, size());
}

QBeatDisplay::~QBeatDisplay() = default;

const QVector<QBeatDisplay::Interval>& QBeatDisplay::intervals()
{
    // Bands are ninths of the height; the cursors take the middle three, so the
    // labels sit above and below them. Labels that share a band never overlap in
    // time (P ends before the T peak, QRS before the T wave).
    static const QVector<Interval> table = {
        {QStringLiteral("PR\n%1"), POn, QrsOn, 7},   {QStringLiteral("P %1"), POn, POff, 6},
        {QStringLiteral("QRS\n%1"), QrsOn, QrsOff, 8}, {QStringLiteral("ST %1"), QrsOff, TOff, 2},
        {QStringLiteral("QT %1"), QrsOn, TOff, 1},   {QStringLiteral("T %1"), TOn, TOff, 0},
        {QStringLiteral("Tpf\n%1"), TPeak, TOff, 6}};
    return table;
}

void QBeatDisplay::setBeat(const AverageBeatSource* beat)
{
    m_beat = beat;
    renderAndRepaint();
}

void QBeatDisplay::setLead(int lead)
{
    m_lead = lead;
    renderAndRepaint();
}

void QBeatDisplay::setCursorPosition(int index, double seconds)
{
    if (index >= 0 && index < CursorCount && std::isfinite(seconds))
        m_cursors[index].position = seconds;
}

void QBeatDisplay::setCursorEnabled(int index, bool enabled)
{
    if (index >= 0 && index < CursorCount)
        m_cursors[index].enabled = enabled;
}

double QBeatDisplay::cursorPosition(int index) const
{
    return index >= 0 && index < CursorCount ? m_cursors[index].position : 0.0;
}

bool QBeatDisplay::cursorEnabled(int index) const
{
    return index >= 0 && index < CursorCount && m_cursors[index].enabled;
}

void QBeatDisplay::setColor(int role, const QColor& color)
{
    m_colors.insert(role, color);
    if (role == DisplayColorRole::BeatTick)
        for (BeatCursor& cursor : m_cursors)
            cursor.color = color;
}

const BeatCursor& QBeatDisplay::beatCursor(int index) const
{
    static const BeatCursor none;
    return index >= 0 && index < CursorCount ? m_cursors[index] : none;
}

void QBeatDisplay::refresh()
{
    renderAndRepaint();
}

double QBeatDisplay::beatSeconds() const
{
    if (!m_beat || m_beat->samplingRate() <= 0 || m_beat->beatLength() <= 0)
        return 0.0;
    return double(m_beat->beatLength()) / m_beat->samplingRate();
}

int QBeatDisplay::cursorX(int index, int width) const
{
    const double seconds = beatSeconds();
    if (seconds <= 0.0)
        return 0;
    // A position set from a pixel column maps back to that column despite rounding.
    return TraceRenderer::toPixel(width * m_cursors[index].position / seconds + 1e-9);
}

QStringList QBeatDisplay::intervalLabels() const
{
    QStringList labels;
    for (const Interval& interval : intervals()) {
        const BeatCursor& from = m_cursors[interval.from];
        const BeatCursor& to = m_cursors[interval.to];
        const double seconds = to.position - from.position;
        if (from.enabled && to.enabled && seconds > 0.0)
            labels.append(interval.format.arg(std::lround(seconds * 1000.0)));
    }
    return labels;
}

QVector<QBeatDisplay::Amplitude> QBeatDisplay::amplitudes() const
{
    QVector<Amplitude> result;
    if (!m_beat || beatSeconds() <= 0.0)
        return result;
    const std::vector<double> beat = m_beat->averageBeat(m_lead);
    if (beat.empty())
        return result;
    const double rate = m_beat->samplingRate();
    std::array<int, WaveAmplitudes::PointCount> index{};
    std::array<bool, WaveAmplitudes::PointCount> enabled{};
    for (int c = 0; c < WaveAmplitudes::PointCount; ++c) {
        index[size_t(c)] = int(std::lround(m_cursors[c].position * rate));
        enabled[size_t(c)] = m_cursors[c].enabled;
    }
    const WaveAmplitudes waves = WaveAmplitudes::measure(beat, m_beat->millivoltsPerUnit(), index, enabled);
    for (const WaveAmplitudes::Wave* wave : {&waves.p, &waves.qrs, &waves.t})
        if (wave->found)
            result.append({wave->millivolts, wave->peak / rate, wave->value});
    return result;
}

QStringList QBeatDisplay::amplitudeLabels() const
{
    QStringList labels;
    for (const Amplitude& a : amplitudes())
        labels.append(QString::asprintf("%.2f mV", a.millivolts));
    return labels;
}

void QBeatDisplay::renderAndRepaint()
{
    // A hidden display draws once, when it is shown: a window that sets its
    // beat, lead and cursors one after the other before it opens does not
    // draw (and average) each in between.
    if (!isVisible()) {
        m_renderPending = true;
        return;
    }
    m_renderPending = true;
    renderPending();
    repaint();
}

void QBeatDisplay::renderPending() const
{
    if (!m_renderPending)
        return;
    m_renderPending = false;
    try {
        // Drawing what was asked for changes nothing the caller sees but the canvas.
        QBeatDisplay* self = const_cast<QBeatDisplay*>(this);
        // Resized while hidden, the display has had no resize event yet.
        if (m_canvas.size() != size())
            self->m_canvas = CanvasImage::forWidget(*this, size());
        self->render(self->m_canvas);
    } catch (...) {
        // The canvas shows what was drawn; the event loop must go on.
    }
}

const QImage& QBeatDisplay::canvas() const
{
    renderPending();
    return m_canvas;
}

void QBeatDisplay::drawGrid(QPainter& painter, int width, int height) const
{
    const double millimetre = width / beatSeconds() * SecondsPerMillimetre;
    if (millimetre < 2.0)
        return;
    const QColor grid = color(DisplayColorRole::Grid);
    const QPen minor(grid, 0, Qt::DotLine);
    const QPen major(grid, 1);
    const double baseline = height / 2.0;
    for (int i = 0; i * millimetre < width; ++i) {
        painter.setPen(i % 5 == 0 ? major : minor);
        const int x = TraceRenderer::toPixel(i * millimetre);
        painter.drawLine(x, 0, x, height - 1);
    }
    // Horizontal lines from the baseline out, so that the baseline is a heavy line.
    for (int j = 0; baseline - j * millimetre >= 0.0; ++j) {
        painter.setPen(j % 5 == 0 ? major : minor);
        const int up = TraceRenderer::toPixel(baseline - j * millimetre);
        const int down = TraceRenderer::toPixel(baseline + j * millimetre);
        painter.drawLine(0, up, width - 1, up);
        painter.drawLine(0, down, width - 1, down);
    }
}

void QBeatDisplay::render(QImage& target)
{
    if (target.isNull())
        return;
    target.fill(color(DisplayColorRole::Background));
    const int w = target.width();
    const int h = target.height();
    const double seconds = beatSeconds();
    if (!m_beat || w <= 0 || h <= 0 || seconds <= 0.0)
        return;

    QPainter painter(&target);
    drawGrid(painter, w, h);

    const QFont nameFont(QStringLiteral("Helvetica"), 12, QFont::Bold);
    const QFont labelFont(QStringLiteral("Helvetica"), 8, QFont::Normal);
    const QFontMetrics nameMetrics(nameFont, painter.device());
    const QFontMetrics labelMetrics(labelFont, painter.device());
    painter.setFont(nameFont);
    painter.setPen(color(DisplayColorRole::LeadLabel));
    painter.drawText(4, nameMetrics.height(), QString::fromLatin1(m_beat->leadName(m_lead)));

    const double pixelsPerSecond = w / seconds;
    const double pixelsPerUnit = m_beat->millivoltsPerUnit() * PixelsPerMillivoltPerPixelPerSecond * pixelsPerSecond;
    const double baseline = h / 2.0;
    auto yOf = [&](double value) { return baseline - value * pixelsPerUnit; };

    const std::vector<double> beat = m_beat->averageBeat(m_lead);
    const int m = int(beat.size());
    if (m > 1) {
        QPainterPath path;
        path.moveTo(0.0, yOf(beat[0]));
        for (int i = 1; i < m; ++i)
            path.lineTo(double(i) * w / m, yOf(beat[size_t(i)]));
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(color(DisplayColorRole::Trace), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
        painter.restore();
    }

    // Cursors, the one under the mouse in red with its short label.
    painter.setFont(labelFont);
    for (int i = 0; i < CursorCount; ++i) {
        const BeatCursor& cursor = m_cursors[i];
        if (!cursor.enabled)
            continue;
        const int x = cursorX(i, w);
        const bool active = i == m_activeCursor;
        painter.setPen(QPen(active ? QColor(Qt::red) : cursor.color, 1));
        painter.drawLine(x, h / 3, x, 2 * h / 3);
        if (active)
            painter.drawText(x + 3, h / 3 + labelMetrics.ascent(), cursor.shortLabel);
    }

    // Interval labels, each over a bracket between its two cursors.
    const QColor marks = color(DisplayColorRole::MeasurementMark);
    painter.setPen(marks);
    for (const Interval& interval : intervals()) {
        const BeatCursor& from = m_cursors[interval.from];
        const BeatCursor& to = m_cursors[interval.to];
        const double length = to.position - from.position;
        if (!from.enabled || !to.enabled || length <= 0.0)
            continue;
        const QString text = interval.format.arg(std::lround(length * 1000.0));
        const int x1 = cursorX(interval.from, w);
        const int x2 = cursorX(interval.to, w);
        const int bandTop = interval.band * h / 9;
        const int bracketY = (interval.band + 1) * h / 9 - 3;
        painter.drawLine(x1, bracketY, x2, bracketY);
        painter.drawLine(x1, bracketY, x1, bracketY - 4);
        painter.drawLine(x2, bracketY, x2, bracketY - 4);
        const int textWidth = std::max(x2 - x1, labelMetrics.boundingRect(QRect(0, 0, w, h), 0, text).width() + 4);
        const QRect box((x1 + x2) / 2 - textWidth / 2, bandTop, textWidth, std::max(1, bracketY - 1 - bandTop));
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip, text);
    }

    // Wave amplitudes beside their peaks.
    painter.setPen(marks);
    for (const Amplitude& a : amplitudes()) {
        const int x = TraceRenderer::toPixel(a.atSeconds * pixelsPerSecond) + 4;
        const int y = TraceRenderer::toPixel(yOf(a.value));
        const QString text = QString::asprintf("%.2f mV", a.millivolts);
        // A tall R wave leaves the widget at this scale: its label stays inside.
        const int baselineY = a.value >= 0.0 ? y - 4 : y + labelMetrics.ascent() + 4;
        painter.drawText(x, std::clamp(baselineY, labelMetrics.ascent(), h - labelMetrics.descent() - 1), text);
    }

    const double rr = m_beat->meanRRInterval();
    if (rr > 0.0) {
        const QString text = QStringLiteral("[RR %1]").arg(std::lround(rr * 1000.0));
        painter.setFont(nameFont);
        painter.drawText(w - nameMetrics.horizontalAdvance(text) - 4, nameMetrics.height(), text);
    }
}

double QBeatDisplay::secondsAt(int x) const
{
    const int w = m_canvas.width();
    const double seconds = beatSeconds();
    if (w <= 0 || seconds <= 0.0)
        return 0.0;
    return std::clamp(x, 0, w - 1) * seconds / w;
}

void QBeatDisplay::mousePressEvent(QMouseEvent*)
{
}

void QBeatDisplay::mouseReleaseEvent(QMouseEvent*)
{
}

void QBeatDisplay::mouseMoveEvent(QMouseEvent* event)
{
    guardEvent([&] {
        const int w = m_canvas.width();
        const double seconds = beatSeconds();
        if (w <= 0 || seconds <= 0.0)
            return;
        const int x = event->pos().x();
        if (event->buttons() & Qt::LeftButton) {
            if (m_activeCursor < 0)
                return;
            const int column = std::clamp(x, 0, w - 1);
            m_cursors[m_activeCursor].position = column * seconds / w;
            renderAndRepaint();
            emit cursorChanged();
            return;
        }
        if (event->buttons() != Qt::NoButton)
            return;
        int active = -1;
        for (int i = 0; i < CursorCount && active < 0; ++i)
            if (m_cursors[i].enabled && std::abs(x - cursorX(i, w)) < CursorPickDistance)
                active = i;
        if (active == m_activeCursor)
            return;
        m_activeCursor = active;
        setCursor(active >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
        renderAndRepaint();
    });
}

void QBeatDisplay::paintEvent(QPaintEvent*)
{
    renderPending();
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas);
}

void QBeatDisplay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_canvas = CanvasImage::forWidget(*this, event->size());
    renderAndRepaint();
}
