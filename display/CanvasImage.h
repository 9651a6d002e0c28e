#pragma once

#include <QImage>

class QWidget;

// The off-screen images the displays render into.
namespace CanvasImage {

// An image of size carrying the physical resolution of the widget's screen, so
// that its reported width in millimetres is the widget's.
QImage forWidget(const QWidget& widget, const QSize& size);
// Copies the image source (same size) into target, the fast way when the formats
// allow it.
void copyInto(QImage& target, const QImage& source);

} // namespace CanvasImage
