#include "CanvasImage.h"

#include <QPainter>
#include <QWidget>
#include <cmath>
#include <cstring>

namespace CanvasImage {

QImage forWidget(const QWidget& widget, const QSize& size)
{
    QImage image(size.expandedTo(QSize(0, 0)), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    // Dots per metre from dots per inch.
    image.setDotsPerMeterX(int(std::lround(widget.physicalDpiX() / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(widget.physicalDpiY() / 0.0254)));
    return image;
}

void copyInto(QImage& target, const QImage& source)
{
    if (target.isNull() || source.isNull())
        return;
    if (target.size() == source.size() && target.format() == source.format() &&
        target.bytesPerLine() == source.bytesPerLine()) {
        std::memcpy(target.bits(), source.constBits(), size_t(source.sizeInBytes()));
        return;
    }
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, source);
}

} // namespace CanvasImage
