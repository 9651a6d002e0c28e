#pragma once

#include <QColor>
#include <QPoint>
#include <QVector>
#include <vector>

class HighlightMask;
class QImage;
class TSignalChannel;

// Draws one lead's trace into an image. The envelope form draws every pixel column
// as a vertical span from the minimum to the maximum of the samples it covers, for
// spans with more samples than columns; the polyline form joins the samples.
// Scratch buffers are kept between calls, so that drawing a screen of leads
// allocates nothing. No painter may be active on the image meanwhile.
class TraceRenderer
{
public:
    struct Envelope
    {
        const TSignalChannel* channel = nullptr;
        int start = 0;      // first sample of the span
        int samples = 0;    // samples in the span
        int columns = 0;    // columns the span is spread over
        bool wrap = false;  // past the store's end, read one span earlier (sweep)
        int offset = 0;     // subtracted from every sample
        double scale = 0.0; // pixels per unit, negative for an upside-down lead
        double baseline = 0.0;
        int x0 = 0;             // x of column 0
        int drawColumns = 0;    // columns [0, drawColumns) are drawn ...
        int gapBegin = 0;       // ... except [gapBegin, gapEnd)
        int gapEnd = 0;
        const HighlightMask* mask = nullptr; // per column
    };

    struct Polyline
    {
        const TSignalChannel* channel = nullptr;
        int first = 0;          // first sample drawn
        int count = 0;          // samples drawn
        int position = 0;       // place of the first sample along the span
        double pixelsPerSample = 0.0;
        int x0 = 0;
        int baselineY = 0;
        double scale = 0.0;
        int offset = 0;
        const HighlightMask* mask = nullptr; // per sample of the span
    };

    // Columns one pixel wide in trace; highlighted columns two pixels wide in
    // highlight, which is blended once where neighbouring columns overlap.
    void drawEnvelope(QImage& target, const Envelope& span, const QColor& trace, const QColor& highlight);
    void drawPolyline(QImage& target, const Polyline& span, const QColor& trace, const QColor& highlight);

    // A pixel coordinate from a computed value, kept in a range a painter handles.
    static int toPixel(double value);

private:
    struct Column
    {
        int top;
        int bottom;
    };

    std::vector<int> m_minimum;
    std::vector<int> m_maximum;
    std::vector<double> m_values;
    std::vector<Column> m_columns;
    std::vector<char> m_highlighted;
    QVector<QPoint> m_points;
};
