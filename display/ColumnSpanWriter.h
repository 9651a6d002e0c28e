#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// Writes vertical one-pixel spans of one colour into an image. An envelope trace
// is one span per pixel column and lead, tens of thousands per refresh: drawn as
// lines through a painter they would take longer than a refresh may. Into a 32-bit
// premultiplied image (every canvas) the spans are written, blended when the
// colour is translucent; into any other image they go through a painter.
// No painter may be active on the image while a writer writes to it.
class ColumnSpanWriter
{
public:
    ColumnSpanWriter(QImage& image, const QColor& color);
    ~ColumnSpanWriter();

    ColumnSpanWriter(const ColumnSpanWriter&) = delete;
    ColumnSpanWriter& operator=(const ColumnSpanWriter&) = delete;

    // Pixels (x, top) .. (x, bottom), both included, in either order; clipped to the image.
    void span(int x, int top, int bottom);

private:
    class Fallback;

    QImage& m_image;
    uchar* m_bits = nullptr;
    QRgb m_premultiplied;
    int m_alpha;
    bool m_direct;
    Fallback* m_fallback = nullptr;
};
