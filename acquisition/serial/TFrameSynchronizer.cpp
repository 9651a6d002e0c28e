#include "TFrameSynchronizer.h"

#include <cstring>

TFrameSynchronizer::TFrameSynchronizer(int frameSize, std::vector<Marker> markers)
    : m_frameSize(frameSize > 0 ? frameSize : 1),
      m_markers(std::move(markers)),
      m_expected(size_t(m_frameSize), -1),
      m_bytes(size_t(m_frameSize), 0)
{
    for (size_t k = 0; k < m_markers.size(); ++k)
        if (m_markers[k].first >= 0 && m_markers[k].first < m_frameSize)
            m_expected[size_t(m_markers[k].first)] = qint8(k);
}

bool TFrameSynchronizer::isValidPrefix(int from, int length) const
{
    for (int offset = 0; offset < length; ++offset) {
        const qint8 marker = m_expected[size_t(offset)];
        if (marker >= 0 && m_bytes[size_t(from + offset)] != m_markers[size_t(marker)].second)
            return false;
    }
    return true;
}

void TFrameSynchronizer::resynchronize()
{
    if (m_length > 1) // a byte that merely is not a frame start drops no frame
        ++m_dropped;
    for (int from = 1; from < m_length; ++from) {
        if (isValidPrefix(from, m_length - from)) {
            m_length -= from;
            std::memmove(m_bytes.data(), m_bytes.data() + from, size_t(m_length));
            return;
        }
    }
    m_length = 0;
}

bool TFrameSynchronizer::push(quint8 byte)
{
    if (m_length == m_frameSize)
        m_length = 0; // the frame handed out by the last push
    m_bytes[size_t(m_length)] = byte;
    const qint8 marker = m_expected[size_t(m_length)];
    ++m_length;
    if (marker >= 0 && byte != m_markers[size_t(marker)].second)
        resynchronize();
    return m_length == m_frameSize;
}
