#include "TReportText.h"

#include "TReportTypeface.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QStringList>

#include <algorithm>
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

QFont deviceFont(const TReportFont& fontStyle, double devicePixelsPerUnit, double unitsPerMillimetre, int logicalDpiY)
{
    // Pixels the font is tall on this device, said in the device's own points.
    const double unitsPerPoint = unitsPerMillimetre * MillimetresPerInch / PointsPerInch;
    const double pixels = fontStyle.pointSize * unitsPerPoint * devicePixelsPerUnit;
    QFont font = TReportTypeface::font(std::max(0.1, pixels * PointsPerInch / std::max(1, logicalDpiY)),
                                       fontStyle.bold, fontStyle.italic);
    // Glyph advances scale with the size, not with hinted pixel widths.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int flags(Qt::Alignment alignment, bool wordWrap)
{
    return int(alignment) | (wordWrap ? int(Qt::TextWordWrap) : 0);
}

namespace {

QFont scaled(QFont font, double share)
{
    font.setPointSizeF(font.pointSizeF() * share);
    return font;
}

QSizeF extent(const QString& text, const QFont& font, const QPaintDevice* device, double width, bool wordWrap)
{
    const QFontMetricsF metrics(font, const_cast<QPaintDevice*>(device));
    return metrics.boundingRect(QRectF(0, 0, width, 1e9), flags(Qt::AlignLeft | Qt::AlignTop, wordWrap), text).size();
}

bool fits(const QString& text, const QFont& font, const QPaintDevice* device, const QSizeF& box, bool wordWrap)
{
    // A hair of slack for the rounding of glyph positions.
    const QSizeF size = extent(text, font, device, box.width(), wordWrap);
    return size.width() <= box.width() * 1.001 + 0.5 && size.height() <= box.height() * 1.001 + 0.5;
}

} // namespace

Fit fit(const QString& text, const QFont& font, const QPaintDevice* device, const QSizeF& box, bool wordWrap)
{
    Fit result{text, 1.0, false};
    if (text.isEmpty() || box.isEmpty() || fits(text, font, device, box, wordWrap))
        return result;
    if (!wordWrap) {
        // One line is as wide as its widest: the share that brings it in.
        const QSizeF whole = extent(text, font, device, box.width(), false);
        const double share = std::max(MinimumShare, std::min(1.0, box.width() / whole.width() * 0.99));
        result.share = share;
        if (fits(text, scaled(font, share), device, QSizeF(box.width(), 1e9), false))
            return result;
        // Still too wide at the smallest size: every line cut where it must be.
        const QFontMetricsF metrics(scaled(font, MinimumShare), const_cast<QPaintDevice*>(device));
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString& line : lines)
            line = metrics.elidedText(line, Qt::ElideRight, box.width());
        result.text = lines.join(QLatin1Char('\n'));
        result.share = MinimumShare;
        result.cut = result.text != text;
        return result;
    }
    for (double share = 0.9; share >= MinimumShare - 1e-9; share -= 0.1) {
        result.share = std::max(share, MinimumShare);
        if (fits(text, scaled(font, result.share), device, box, true))
            return result;
    }
    // The longest beginning that fits with the ellipsis after it.
    const QFont smallest = scaled(font, MinimumShare);
    const QChar ellipsis(0x2026);
    int low = 0;
    int high = text.size();
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (fits(text.left(middle).trimmed() + ellipsis, smallest, device, box, true))
            low = middle;
        else
            high = middle - 1;
    }
    result.text = text.left(low).trimmed() + ellipsis;
    result.cut = true;
    return result;
}

void draw(QPainter& painter, const QRectF& rect, const QString& text, const TReportFont& fontStyle, Qt::Alignment alignment,
          bool wordWrap, const QColor& color, double unitsPerMillimetre)
{
    if (text.isEmpty())
        return;
    const QTransform transform = painter.worldTransform();
    const double scale = devicePixelsPerUnit(painter);
    const QRectF target = transform.mapRect(rect);
    painter.save();
    painter.resetTransform();
    const QFont font = deviceFont(fontStyle, scale, unitsPerMillimetre, painter.device()->logicalDpiY());
    const Fit fitted = fit(text, font, painter.device(), target.size(), wordWrap);
    painter.setFont(scaled(font, fitted.share));
    painter.setPen(color);
    painter.drawText(target, flags(alignment, wordWrap), fitted.text);
    painter.restore();
}

double height(const QString& text, const TReportFont& fontStyle, double width, bool wordWrap, double unitsPerMillimetre)
{
    if (text.isEmpty() || unitsPerMillimetre <= 0.0)
        return 0.0;
    QImage reference(1, 1, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMetre = int(std::lround(MeasuringDpi / MillimetresPerInch * 1000.0));
    reference.setDotsPerMeterX(dotsPerMetre);
    reference.setDotsPerMeterY(dotsPerMetre);
    const double scale = MeasuringDpi / MillimetresPerInch / unitsPerMillimetre;
    const QFontMetricsF metrics(deviceFont(fontStyle, scale, unitsPerMillimetre, reference.logicalDpiY()), &reference);
    const QRectF box =
        metrics.boundingRect(QRectF(0, 0, width * scale, 1e9), flags(Qt::AlignLeft | Qt::AlignTop, wordWrap), text);
    return box.height() / scale;
}

} // namespace TReportText
