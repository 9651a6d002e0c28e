#pragma once

#include "TReportTemplate.h"

#include <QFont>
#include <QRectF>
#include <QString>

class QPaintDevice;
class QPainter;

// Text on a report page. Fonts are sized from the page's own scale rather than
// from the device's idea of a point, and text is laid out in device pixels (not
// scaled up from a tiny font), so that a label measures the same on a PDF, a
// printer and an image and the layout pass can measure it beforehand.
namespace TReportText {

// Device pixels per template unit of the painter's current transform.
double devicePixelsPerUnit(const QPainter& painter);
// The font of fontStyle at that scale, for the painter's device.
QFont deviceFont(const TReportFont& fontStyle, double devicePixelsPerUnit, double unitsPerMillimetre, int logicalDpiY);
// Qt text flags of a field.
int flags(Qt::Alignment alignment, bool wordWrap);

// What of a text fits its box, and at what size. A text too large for its box is
// first set smaller, down to MinimumShare of its size, and only then cut where a
// reader sees that it was: a value never loses characters unseen.
struct Fit
{
    QString text;       // whole, or cut and ended with an ellipsis
    double share = 1.0; // of the font's size
    bool cut = false;
};
constexpr double MinimumShare = 0.7;
Fit fit(const QString& text, const QFont& font, const QPaintDevice* device, const QSizeF& box, bool wordWrap);

// Draws text into rect (template units in the painter's current transform),
// fitted to it.
void draw(QPainter& painter, const QRectF& rect, const QString& text, const TReportFont& font, Qt::Alignment alignment,
          bool wordWrap, const QColor& color, double unitsPerMillimetre);
// The height, in template units, that the text takes in a box width units wide.
double height(const QString& text, const TReportFont& font, double width, bool wordWrap, double unitsPerMillimetre);

} // namespace TReportText
