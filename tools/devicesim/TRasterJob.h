#pragma once

#include <QImage>
#include <QtGlobal>
#include <vector>

// The dots of one print job in the order the raster bands brought them, which
// is the order the paper comes out: rows of bytesPerRow bytes, most significant
// bit first, a set bit a printed dot. A plain value, copied across threads
// without sharing anything.
class TRasterJob
{
public:
    bool isEmpty() const { return m_bytes.empty() && !m_inBand && m_bands == 0; }
    int bytesPerRow() const { return m_bytesPerRow; }
    int widthDots() const { return m_bytesPerRow * 8; }
    // Complete bands and their rows.
    int bands() const { return m_bands; }
    int rows() const { return m_bytesPerRow > 0 ? int(m_completeBytes / m_bytesPerRow) : 0; }
    qint64 bytes() const { return qint64(m_bytes.size()); }
    bool hasUnfinishedBand() const { return m_inBand; }
    // When its first band began, in ms since the printer started.
    qint64 startedMs() const { return m_startedMs; }

    // A band of the job's width (the first band sets it).
    void beginBand(int bytesPerRow, qint64 atMs);
    void addData(const char* data, int count);
    void completeBand();

    // The complete bands as a 1-bit image (QImage::Format_Mono), black where a
    // dot printed; a new image each time.
    QImage image() const;

private:
    int m_bytesPerRow = 0;
    int m_bands = 0;
    bool m_inBand = false;
    qint64 m_startedMs = 0;
    qint64 m_completeBytes = 0;
    std::vector<char> m_bytes;
};
