#pragma once

#include "AverageBeatInset.h"
#include "DisplaySettings.h"
#include "HighlightMask.h"
#include "PaperGrid.h"
#include "TraceRenderer.h"

#include <QImage>
#include <QWidget>
#include <array>

class AverageBeatSource;
class MonitorHighlightProvider;
class MonitorMarkProvider;
class QTimer;
class TSignalBuffer;
struct SignalGeometry;

// The live ECG: a stack of lead rows on millimetre paper, swept from left to right
// like a paper monitor. The newest sample sits at the sweep cursor; to its right,
// behind a five-column erase gap, the previous page is still visible until the new
// trace overwrites it. An optional inset at the left of every row shows the average
// beat (with the reference beat and the ST marks).
//
// The display never owns the signal; it renders only when told to (refresh) or when
// a setting changes, always into an off-screen canvas that the paint event copies.
class QSignalMonitorDisplay : public QWidget
{
    Q_OBJECT

public:
    explicit QSignalMonitorDisplay(QWidget* parent = nullptr);
    ~QSignalMonitorDisplay() override;

    // The signal to show (not owned); restarts baseline tracking.
    void setSignal(const TSignalBuffer* signal);
    const TSignalBuffer* signal() const { return m_signal; }
    void setAverageBeatSource(const AverageBeatSource* source);
    void setMarkProvider(MonitorMarkProvider* provider);
    void setHighlightProvider(MonitorHighlightProvider* provider);
    void setShowAverageBeat(bool show);
    bool showAverageBeat() const { return m_showAverageBeat; }
    void setSpeed(double mmPerSecond);
    double speed() const { return m_settings.speed(); }
    void setAmplitude(double mmPerMillivolt);
    double amplitude() const { return m_settings.amplitude(); }
    // Subtract each lead's mean from its trace (for a signal without baseline
    // filter); restarts baseline tracking.
    void setAutoBaseline(bool on);
    bool autoBaseline() const { return m_autoBaseline; }
    void setLeadVisible(int lead, bool visible);
    void setLeadInverted(int lead, bool inverted);
    // Row row shows lead lead.
    void setLeadOrder(int row, int lead);
    // aVL, I, -aVR, II, aVF, III in rows 0..5, or back to table order (offered
    // by the windows for signals of 6 leads or more).
    void setHexaxialOrder(bool on);
    // Stores the colour of a role; the caller then calls refresh.
    void setColor(int role, const QColor& color);
    QColor color(int role) const { return m_settings.color(role); }
    void setGridStyle(int style);
    const DisplaySettings& settings() const { return m_settings; }

    // Renders the canvas again and repaints at once.
    void refresh();
    // Renders the display into any image; its size and physical width (dots per
    // metre) set the geometry. The canvas is rendered this way.
    void render(QImage& target);
    const QImage& canvas() const { return m_canvas; }

    // Label of the lead of visible row row ("" for none).
    QString rowLabel(int row) const;
    int currentPage() const { return m_currentPage; }
    int spinnerStep() const { return m_spinnerStep; }
    int baselineOffset(int lead) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void renderAndRepaint();
    void resetBaselineTracking();
    QImage newCanvas() const;
    void onSpinnerTick();
    double beatSeconds() const;
    void drawTrace(QImage& target, const SignalGeometry& geometry, const QVector<int>& leads);

    const TSignalBuffer* m_signal = nullptr;
    const AverageBeatSource* m_averageBeatSource = nullptr;
    MonitorMarkProvider* m_markProvider = nullptr;
    MonitorHighlightProvider* m_highlightProvider = nullptr;
    bool m_showAverageBeat = false;
    QImage m_canvas;
    PaperGrid m_gridCache;
    DisplaySettings m_settings;
    int m_spinnerStep = 0;
    int m_gridStyle = 0;
    bool m_autoBaseline = true;
    int m_currentPage = -1;
    std::array<int, DisplaySettings::MaxLeads> m_baselineOffset{};

    QTimer* m_spinnerTimer = nullptr;
    TraceRenderer m_traceRenderer;
    HighlightMask m_mask;
    AverageBeatInset m_inset;
};
