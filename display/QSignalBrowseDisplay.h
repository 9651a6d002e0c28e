#pragma once

#include "AverageBeatInset.h"
#include "BrowseCaliper.h"
#include "DisplaySettings.h"
#include "HighlightMask.h"
#include "PaperGrid.h"
#include "TraceRenderer.h"

#include <QImage>
#include <QWidget>
#include <array>

class AverageBeatSource;
class MonitorHighlightProvider;
class QScrollBar;
class TBeatStore;
class TSignalBuffer;
struct SignalGeometry;

// A recorded ECG as a window of millimetre paper that the user scrolls through
// time: lead rows as on the live display (with the average-beat inset), a time
// ruler, beat ticks with the RR intervals between them, beat selection, panning
// with the middle button, keyboard navigation and calipers.
//
// Setters only mark the canvas dirty; the next paint event renders it.
class QSignalBrowseDisplay : public QWidget
{
    Q_OBJECT

public:
    enum Mode
    {
        NoMode = 0,
        SelectionMode = 1, // the left button selects beats
        CaliperMode = 2    // the left button measures
    };

    explicit QSignalBrowseDisplay(QWidget* parent = nullptr);
    ~QSignalBrowseDisplay() override;

    // The complete recording to browse (not owned).
    void setSignal(const TSignalBuffer* signal);
    const TSignalBuffer* signal() const { return m_signal; }
    void setAverageBeatSource(const AverageBeatSource* source);
    // The detected beats of the recording (not owned).
    void setBeatList(const TBeatStore* beats);
    void setHighlightProvider(MonitorHighlightProvider* provider);
    void setShowAverageBeat(bool show);
    bool showAverageBeat() const { return m_showAverageBeat; }
    // Time at the left edge of the trace area, in seconds (not below 0).
    void setStartTime(double seconds);
    double startTime() const { return m_startTime; }
    void setSpeed(double mmPerSecond);
    double speed() const { return m_settings.speed(); }
    void setAmplitude(double mmPerMillivolt);
    double amplitude() const { return m_settings.amplitude(); }
    void setLeadOrder(int row, int lead);
    void setLeadInverted(int lead, bool inverted);
    void setLeadVisible(int lead, bool visible);
    // aVL, I, -aVR, II, aVF, III in rows 0..5, or back to table order.
    void setHexaxialOrder(bool on);
    // Index of the selected beat in the beat list, -1 for none.
    void setSelectedBeat(int id);
    int selectedBeat() const { return m_selectedBeatId; }
    void setMode(int mode);
    int mode() const { return m_mode; }
    void setColor(int role, const QColor& color);
    QColor color(int role) const { return m_settings.color(role); }
    const DisplaySettings& settings() const { return m_settings; }
    void refresh();

    // Renders the display into any image; its size and physical width set the
    // geometry. The canvas is rendered this way.
    void render(QImage& target);
    // The canvas, rendered first when it is out of date (a read that fails while
    // rendering leaves it as far as it was drawn).
    const QImage& canvas();
    QScrollBar* scrollBar() const { return m_scrollBar; }

    // Seconds of signal the trace area shows, and the mapping between canvas
    // columns and times.
    double windowSeconds() const;
    double timeAtX(int x) const;
    int xAtTime(double seconds) const;

    const BrowseCaliper& caliper() const { return m_caliper; }
    // The figures the caliper shows while dragged ("" otherwise).
    QString caliperTimeText() const;
    QString caliperAmplitudeText() const;

signals:
    void startTimeChanged();
    void selectedBeatChanged(int selectedBeatId);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void on_scrollBar_valueChanged(int value);

private:
    struct CaliperPoint
    {
        bool valid = false;
        bool inInset = false;
        int sample = 0;
    };

    void markDirty();
    QVector<int> visibleLeads() const;
    double beatSeconds() const;
    SignalGeometry geometryFor(const QImage& image) const;
    SignalGeometry canvasGeometry() const;
    double durationSeconds() const;
    void recomputeScrollBar();
    void layoutScrollBar();
    void scrollTo(double seconds);
    bool inInset(const SignalGeometry& geometry, int x) const;

    void selectBeatAt(int x);
    void moveSelection(int beat);
    bool handleBeatKey(int key);
    void handleScrollKey(int key);
    void updateCaliper(const QPoint& position, bool leftHeld);
    CaliperPoint caliperPointAt(const SignalGeometry& geometry, int x) const;
    double caliperValue(int sample) const;
    double caliperRate() const;
    double caliperMillivoltsPerUnit() const;

    void drawSelectedBeat(QPainter& painter, const SignalGeometry& geometry);
    void drawTraces(QImage& target, const SignalGeometry& geometry, const QVector<int>& leads);
    void drawTimeRuler(QPainter& painter, const SignalGeometry& geometry);
    void drawBeatTicks(QPainter& painter, const SignalGeometry& geometry);
    void drawCaliper(QPainter& painter, const SignalGeometry& geometry, const QVector<int>& leads);

    const TSignalBuffer* m_signal = nullptr;
    const AverageBeatSource* m_averageBeatSource = nullptr;
    const TBeatStore* m_beatList = nullptr;
    MonitorHighlightProvider* m_highlightProvider = nullptr;
    bool m_showAverageBeat = false;
    QImage m_canvas;
    PaperGrid m_gridCache;
    DisplaySettings m_settings;
    bool m_dirty = true;
    double m_startTime = 0.0;
    QScrollBar* m_scrollBar = nullptr;
    bool m_updatingScrollBar = false;
    bool m_panning = false;
    double m_panAnchor = 0.0;
    bool m_selecting = false;
    int m_selectedBeatId = -1;
    int m_mode = NoMode;
    BrowseCaliper m_caliper;
    std::array<int, DisplaySettings::MaxLeads> m_baselineOffset{};

    TraceRenderer m_traceRenderer;
    HighlightMask m_mask;
    AverageBeatInset m_inset;
};
