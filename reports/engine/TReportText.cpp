#include "TReportText.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace {

constexpr double PointsPerInch = 72.0;
constexpr double MillimetresPerInch = 25.4;
// The resolution text is measured at for the layout: a printer's.
constexpr double MeasuringDpi = 1200.0;

} // namespace

namespace TReportText {

double devicePixelsPerUnit(const QPainter& painter)
{
    const QTransform t = painter.worldTransform();
    return std::sqrt(std::abs(t.determinant()));
}

QFont deviceFont(const TReportFont& spec, double devicePixelsPerUnit, double unitsPerMillimetre, int logicalDpiY)
{
    QFont font(spec.family);
    // Pixels the font is tall on this device, said in the device's own points.
    const double unitsPerPoint = unitsPerMillimetre * MillimetresPerInch / PointsPerInch;
    const double pixels = spec.pointSize * unitsPerPoint * devicePixelsPerUnit;
    font.setPointSizeF(std::max(0.1, pixels * PointsPerInch / std::max(1, logicalDpiY)));
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    // Glyph advances scale with the size, not with hinted pixel widths.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int flags(Qt::Alignment alignment, bool wordWrap)
{
    return int(alignment) | (wordWrap ? int(Qt::TextWordWrap) : 0);
}

void draw(QPainter& painter, const QRectF& rect, const QString& text, const TReportFont& spec,
          Qt::Alignment alignment, bool wordWrap, const QColor& color, double unitsPerMillimetre)
{
    if (text.isEmpty())
        return;
    const QTransform transform = painter.worldTransform();
    const double scale = devicePixelsPerUnit(painter);
    const QRectF target = transform.mapRect(rect);
    painter.save();
    painter.resetTransform();
    painter.setFont(deviceFont(spec, scale, unitsPerMillimetre, painter.device()->logicalDpiY()));
    painter.setPen(color);
    painter.drawText(target, flags(alignment, wordWrap), text);
    painter.restore();
}

double height(const QString& text, const TReportFont& spec, double width, bool wordWrap, double unitsPerMillimetre)
{
    if (text.isEmpty() || unitsPerMillimetre <= 0.0)
        return 0.0;
    QImage reference(1, 1, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMetre = int(std::lround(MeasuringDpi / MillimetresPerInch * 1000.0));
    reference.setDotsPerMeterX(dotsPerMetre);
    reference.setDotsPerMeterY(dotsPerMetre);
    const double scale = MeasuringDpi / MillimetresPerInch / unitsPerMillimetre;
    const QFontMetricsF metrics(deviceFont(spec, scale, unitsPerMillimetre, reference.logicalDpiY()), &reference);
    const QRectF box = metrics.boundingRect(QRectF(0, 0, width * scale, 1e9), flags(Qt::AlignLeft | Qt::AlignTop, wordWrap),
                                            text);
    return box.height() / scale;
}

} // namespace TReportText
