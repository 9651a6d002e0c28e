#include "TRasterJob.h"

#include <cstring>

void TRasterJob::beginBand(int bytesPerRow, qint64 atMs)
{
    if (isEmpty()) {
        m_bytesPerRow = bytesPerRow;
        m_startedMs = atMs;
    }
    m_inBand = true;
}

void TRasterJob::addData(const char* data, int count)
{
    m_bytes.insert(m_bytes.end(), data, data + count);
}

void TRasterJob::completeBand()
{
    m_inBand = false;
    ++m_bands;
    m_completeBytes = qint64(m_bytes.size());
}

QImage TRasterJob::image() const
{
    const int height = rows();
    if (height == 0)
        return QImage();
    QImage image(widthDots(), height, QImage::Format_Mono);
    if (image.isNull())
        return image; // too large to hold
    // Index 0 is paper, 1 a printed dot: the bits go in unchanged.
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), m_bytes.data() + qint64(y) * m_bytesPerRow, size_t(m_bytesPerRow));
    return image;
}
