#pragma once

#include <QColor>
#include <QImage>

// The millimetre paper under the traces, rendered once and kept: rebuilt only when
// the canvas it is for changes size or resolution, or the paper colours change.
class PaperGrid
{
public:
    enum Style
    {
        Dotted = 0,     // a dot at every millimetre crossing, lines every 5 mm
        Antialiased = 1 // lines every millimetre, heavier every 5 mm
    };

    // The grid for a canvas of the size and resolution of canvas.
    const QImage& image(const QImage& canvas, int style, const QColor& background, const QColor& grid);
    // Forces the next image() to rebuild.
    void invalidate() { m_image = QImage(); }
    bool isValid() const { return !m_image.isNull(); }

    // Paints the grid into an image of its own size and resolution.
    static void paint(QImage& target, int style, const QColor& background, const QColor& grid);

private:
    static QImage shared(const QImage& canvas, int style, const QColor& background, const QColor& grid);

    QImage m_image;
    int m_style = -1;
    QColor m_background;
    QColor m_grid;
};
