#include "TByteQueue.h"

#include <algorithm>
#include <cstring>

void TByteQueue::append(const char* data, int count)
{
    if (count <= 0 || !data)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bytes.insert(m_bytes.end(), data, data + count);
}

int TByteQueue::read(char* buffer, int count)
{
    if (count <= 0)
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t n = std::min(size_t(count), m_bytes.size() - m_head);
    if (n > 0)
        std::memcpy(buffer, m_bytes.data() + m_head, n);
    m_head += n;
    // Drop the consumed front once it outweighs what is left, so the storage stays
    // bounded under a steady stream while bytes are moved rarely.
    if (m_head == m_bytes.size()) {
        m_bytes.clear();
        m_head = 0;
    } else if (m_head > 65536 && m_head > m_bytes.size() / 2) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + long(m_head));
        m_head = 0;
    }
    return int(n);
}

int TByteQueue::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_bytes.size() - m_head);
}

void TByteQueue::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bytes.clear();
    m_head = 0;
}
