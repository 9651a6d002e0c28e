#include "PaperGrid.h"

#include <QCoreApplication>
#include <QPainter>
#include <QThread>
#include <QPen>
#include <QVector>
#include <cmath>

const QImage& PaperGrid::image(const QImage& canvas, int style, const QColor& background, const QColor& grid)
{
    const bool stale = m_image.isNull() || m_image.size() != canvas.size() ||
                       m_image.dotsPerMeterX() != canvas.dotsPerMeterX() ||
                       m_image.dotsPerMeterY() != canvas.dotsPerMeterY() || m_style != style ||
                       m_background != background || m_grid != grid;
    if (stale) {
        m_style = style;
        m_background = background;
        m_grid = grid;
        m_image = shared(canvas, style, background, grid);
    }
    return m_image;
}

namespace {

QImage painted(const QImage& canvas, int style, const QColor& background, const QColor& grid)
{
    QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(canvas.dotsPerMeterX());
    image.setDotsPerMeterY(canvas.dotsPerMeterY());
    PaperGrid::paint(image, style, background, grid);
    return image;
}

} // namespace

QImage PaperGrid::shared(const QImage& canvas, int style, const QColor& background, const QColor& grid)
{
    // The last paper painted, for every display of the same size, resolution
    // and colours: a review window opened after another (or beside it) does
    // not paint it again. Held as a shared image, it is copied only if written.
    struct Paper
    {
        QImage image;
        int style = -1;
        QColor background;
        QColor grid;
    };
    static Paper last;
    // Kept for the GUI thread's displays alone; another thread paints its own.
    const bool guiThread = QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
    if (!guiThread) {
        return painted(canvas, style, background, grid);
    }
    const bool same = !last.image.isNull() && last.image.size() == canvas.size() &&
                      last.image.dotsPerMeterX() == canvas.dotsPerMeterX() &&
                      last.image.dotsPerMeterY() == canvas.dotsPerMeterY() && last.style == style &&
                      last.background == background && last.grid == grid;
    if (!same) {
        last = Paper{painted(canvas, style, background, grid), style, background, grid};
    }
    return last.image;
}

void PaperGrid::paint(QImage& target, int style, const QColor& background, const QColor& grid)
{
    target.fill(background);
    const int w = target.width();
    const int h = target.height();
    const double widthMM = target.widthMM();
    if (w <= 0 || h <= 0 || !(widthMM > 0.0))
        return;
    const double pixelsPerMm = w / widthMM;
    const int columns = int(std::floor(w / pixelsPerMm)) + 1;
    const int rows = int(std::floor(h / pixelsPerMm)) + 1;

    if (style == Antialiased) {
        QPainter p(&target);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QPen major(grid, 1.25);
        const QPen minor(grid.lighter(110), 0.75);
        for (int pass = 0; pass < 2; ++pass) {
            // Minor lines first, so the 5 mm lines lie on top.
            const bool majorPass = pass == 1;
            p.setPen(majorPass ? major : minor);
            for (int i = 0; i < columns; ++i) {
                if ((i % 5 == 0) != majorPass)
                    continue;
                const double x = i * pixelsPerMm;
                p.drawLine(QPointF(x, 0.0), QPointF(x, h));
            }
            for (int j = 0; j < rows; ++j) {
                if ((j % 5 == 0) != majorPass)
                    continue;
                const double y = j * pixelsPerMm;
                p.drawLine(QPointF(0.0, y), QPointF(w, y));
            }
        }
        return;
    }

    // Dots straight into the pixels where the format allows: a large canvas has
    // tens of thousands of them.
    const bool direct = target.format() == QImage::Format_ARGB32_Premultiplied && grid.alpha() == 255;
    const QRgb dot = grid.rgba();
    QVector<QPoint> points;
    for (int j = 0; j < rows; ++j) {
        if (j % 5 == 0)
            continue;
        const int y = int(std::trunc(j * pixelsPerMm));
        if (y >= h)
            break;
        QRgb* line = direct ? reinterpret_cast<QRgb*>(target.scanLine(y)) : nullptr;
        for (int i = 0; i < columns; ++i) {
            if (i % 5 == 0)
                continue;
            const int x = int(std::trunc(i * pixelsPerMm));
            if (x >= w)
                break;
            if (line)
                line[x] = dot;
            else
                points.append(QPoint(x, y));
        }
    }
    QPainter p(&target);
    p.setPen(QPen(grid, 1));
    if (!points.isEmpty())
        p.drawPoints(points.constData(), points.size());
    for (int i = 0; i < columns; i += 5) {
        const int x = int(std::trunc(i * pixelsPerMm));
        p.drawLine(x, 0, x, h - 1);
    }
    for (int j = 0; j < rows; j += 5) {
        const int y = int(std::trunc(j * pixelsPerMm));
        p.drawLine(0, y, w - 1, y);
    }
}
