#include "ColumnSpanWriter.h"

#include <QPainter>
#include <algorithm>

class ColumnSpanWriter::Fallback
{
public:
    Fallback(QImage& image, const QColor& color) : painter(&image), color(color) {}
    QPainter painter;
    QColor color;
};

ColumnSpanWriter::ColumnSpanWriter(QImage& image, const QColor& color)
    : m_image(image), m_premultiplied(qPremultiply(color.rgba())), m_alpha(color.alpha()),
      m_direct(image.format() == QImage::Format_ARGB32_Premultiplied)
{
    if (image.isNull())
        return;
    if (m_direct)
        m_bits = image.bits();
    else
        m_fallback = new Fallback(image, color);
}

ColumnSpanWriter::~ColumnSpanWriter()
{
    delete m_fallback;
}

void ColumnSpanWriter::span(int x, int top, int bottom)
{
    if (top > bottom)
        std::swap(top, bottom);
    if (x < 0 || x >= m_image.width() || (!m_bits && !m_fallback))
        return;
    top = std::max(top, 0);
    bottom = std::min(bottom, m_image.height() - 1);
    if (top > bottom || m_alpha == 0)
        return;
    if (m_fallback) {
        m_fallback->painter.fillRect(QRect(x, top, 1, bottom - top + 1), m_fallback->color);
        return;
    }
    const qsizetype stride = m_image.bytesPerLine();
    uchar* row = m_bits + qsizetype(top) * stride + qsizetype(x) * 4;
    if (m_alpha == 255) {
        for (int y = top; y <= bottom; ++y, row += stride)
            *reinterpret_cast<QRgb*>(row) = m_premultiplied;
        return;
    }
    // Source over destination, both premultiplied.
    const uint inverse = 255 - uint(m_alpha);
    for (int y = top; y <= bottom; ++y, row += stride) {
        QRgb& d = *reinterpret_cast<QRgb*>(row);
        auto mix = [&](int shift) {
            const uint s = (m_premultiplied >> shift) & 0xff;
            const uint t = (d >> shift) & 0xff;
            return ((s + (t * inverse + 127) / 255) & 0xff) << shift;
        };
        d = mix(24) | mix(16) | mix(8) | mix(0);
    }
}
