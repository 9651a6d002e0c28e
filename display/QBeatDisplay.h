#pragma once

#include "BeatCursor.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QStringList>
#include <QVector>
#include <QWidget>

class AverageBeatSource;

// One lead's average beat enlarged to the whole widget, with eight movable
// wave-boundary cursors (P, QRS and T onsets, ends and peaks) and the intervals
// between them written out in milliseconds. The review windows place the cursors
// from the automatic measurement and read them back after the user moved them.
class QBeatDisplay : public QWidget
{
    Q_OBJECT

public:
    enum Cursor
    {
        POn = 0,
        POff = 1,
        PPeak = 2,
        QrsOn = 3,
        QrsOff = 4,
        TOn = 5,
        TOff = 6,
        TPeak = 7,
        CursorCount = 8
    };

    explicit QBeatDisplay(QWidget* parent = nullptr);
    ~QBeatDisplay() override;

    // The beats to show (not owned); the lead picks the beat and names it.
    void setBeat(const AverageBeatSource* beat);
    void setLead(int lead);
    int lead() const { return m_lead; }

    // Store only; the caller then calls refresh.
    void setCursorPosition(int index, double seconds);
    void setCursorEnabled(int index, bool enabled);
    double cursorPosition(int index) const;
    bool cursorEnabled(int index) const;
    const BeatCursor& beatCursor(int index) const;
    int activeCursor() const { return m_activeCursor; }
    // The cursor position (seconds into the beat) of a column of the display.
    double secondsAt(int x) const;

    // The colour roles of the signal displays, as the colour schemes fill them:
    // background, grid, trace (the beat), lead labels (the lead's name),
    // beat ticks (the cursors) and measurement marks (intervals, amplitudes,
    // RR). Store only; the caller then calls refresh. The cursor under the
    // mouse stays red.
    void setColor(int role, const QColor& color);
    QColor color(int role) const { return m_colors.value(role); }

    void refresh();
    // Renders into any image (its own pixel size sets the scale).
    void render(QImage& target);
    // Drawn first if a change is still to be drawn.
    const QImage& canvas() const;

    // The interval labels the cursors give ("PR\n100", "QRS\n50" ...), in the
    // order they are drawn.
    QStringList intervalLabels() const;
    // The wave amplitudes written beside the beat ("0.22 mV" ...).
    QStringList amplitudeLabels() const;

signals:
    void cursorChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Interval
    {
        QString format;
        int from;
        int to;
        int band; // ninth of the height the label sits in
    };
    struct Amplitude
    {
        double millivolts;
        double atSeconds; // where the wave peaks
        double value;     // the beat's value there
    };

    double beatSeconds() const;
    int cursorX(int index, int width) const;
    static const QVector<Interval>& intervals();
    QVector<Amplitude> amplitudes() const;
    void renderAndRepaint();
    void renderPending() const;
    void drawGrid(QPainter& painter, int width, int height) const;

    const AverageBeatSource* m_beat = nullptr;
    int m_lead = 0;
    QImage m_canvas;
    // A change made while hidden, drawn when the display is next shown or read.
    mutable bool m_renderPending = true;
    QVector<BeatCursor> m_cursors;
    int m_activeCursor = -1;
    QMap<int, QColor> m_colors;
};
