#pragma once

#include <QImage>
#include <QString>

// The pictures a report carries (the logo, the signature), read from their files
// no larger than paper can show: a photograph of many megapixels is scaled down
// as it is read, and one too large to read at all is no picture.
namespace TReportImage {

// Pixels on the longer side: a 60 mm logo at 1000 dots per inch.
constexpr int MaxSide = 2400;
// Beyond this a file is not decoded at all.
constexpr qint64 MaxPixels = 200000000;

// Null for a file that is not a picture, or too large.
QImage load(const QString& path);

} // namespace TReportImage
