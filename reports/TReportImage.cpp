#include "TReportImage.h"

#include <QImageReader>

namespace TReportImage {

QImage load(const QString& path)
{
    if (path.isEmpty())
        return QImage();
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        if (qint64(size.width()) * size.height() > MaxPixels)
            return QImage();
        if (size.width() > MaxSide || size.height() > MaxSide)
            reader.setScaledSize(size.scaled(MaxSide, MaxSide, Qt::KeepAspectRatio));
    }
    return reader.read();
}

} // namespace TReportImage
