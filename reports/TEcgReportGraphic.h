#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QVector>

#include <vector>

class AverageBeatSource;
class QPainter;
class QPainterPath;
class TSignalBuffer;

// ECG traces on paper: rows of leads at a paper speed and gain on millimetre
// paper, each row with its lead label and, in the first column of a layout, a
// 1 mV calibration pulse; optionally the lead's average beat in front of its
// trace. Everything is drawn as vector paths measured in millimetres of paper,
// so a millimetre is a millimetre on a PDF, a printer and an image alike.
//
// Every graphic reserves the same leading strip for the label and the pulse, so
// columns of equal width hold equal stretches of time and a column n of a layout
// continues where column n - 1 ends.
class TEcgReportGraphic
{
public:
    struct Row
    {
        int lead = -1; // channel of the signal; -1 leaves the row empty
        bool inverted = false;
        QString label;
    };

    struct Style
    {
        bool grid = true; // a two-colour target draws no paper grid
        bool antialiased = true; // a two-colour target has no grey to smooth with
        QColor minorGrid = QColor(246, 196, 196);
        QColor majorGrid = QColor(232, 132, 132);
        QColor trace = Qt::black;
        QColor text = Qt::black;
        QColor averageBeat = QColor(0, 0, 140);
        double traceWidthMm = 0.2;
        double minorWidthMm = 0.05;
        double majorWidthMm = 0.15;
        double labelPointSize = 7.0;
    };

    // Where a row's baseline sits, as a share of the row height from its top: most
    // of an ECG's deflection is upwards.
    static constexpr double BaselineShare = 0.6;
    // Length of the calibration pulse.
    static constexpr double PulseSeconds = 0.2;
    // Gap between the average beat and the trace.
    static constexpr double InsetGapMm = 5.0;

    // speed in mm/s, amplitude in mm/mV.
    TEcgReportGraphic(const TSignalBuffer& signal, double speed, double amplitude);

    void setStyle(const Style& style) { m_style = style; }
    const Style& style() const { return m_style; }
    // Average beats to draw in front of each trace (not owned); null for none.
    void setAverageBeats(const AverageBeatSource* beats) { m_beats = beats; }
    // Subtracts each row's median from its trace: for a signal whose baseline has
    // not been filtered out, so that the trace sits on its row.
    void setCentreTraces(bool centre) { m_centre = centre; }

    double speed() const { return m_speed; }
    double amplitude() const { return m_amplitude; }
    // Millimetres at the left of every graphic for the label and the pulse: whole
    // major squares, so that the trace starts on a heavy line.
    double leadingMm() const;
    // Millimetres of the average beat and its gap; 0 without average beats.
    double insetMm() const;
    // Seconds of signal in a graphic widthMm wide.
    double traceSeconds(double widthMm) const;
    // The baseline of row k of count rows in a graphic heightMm tall, in whole
    // millimetres from its top (so it lies on a grid line). Rows too short to
    // hold headroomMm above the first baseline (its calibration pulse) are moved
    // closer together, the first baseline down to headroomMm, the last where it was.
    static double baselineMm(int row, int count, double heightMm, double headroomMm = 0.0);

    // Draws the rows into rect (painter units, unitsPerMm to the millimetre),
    // the traces from startSeconds; calibration draws the pulse of every row.
    void draw(QPainter& painter, const QRectF& rect, double unitsPerMm, const QVector<Row>& rows, double startSeconds,
              bool calibration) const;

private:
    void drawGrid(QPainter& painter, const QRectF& rect, double unitsPerMm) const;
    void addTrace(QPainterPath& path, const Row& row, const QRectF& rect, double unitsPerMm, double x0Mm,
                  double baseline, double startSeconds, double seconds) const;
    void addAverageBeat(QPainterPath& path, const Row& row, const QRectF& rect, double unitsPerMm, double x0Mm,
                        double baseline) const;

    const TSignalBuffer& m_signal;
    double m_speed;
    double m_amplitude;
    Style m_style;
    const AverageBeatSource* m_beats = nullptr;
    bool m_centre = false;
    mutable std::vector<double> m_values;
};
