#include "ClippingHighlightProvider.h"

#include "TSignalBuffer.h"

#include <algorithm>

ClippingHighlightProvider::ClippingHighlightProvider(const TSignalBuffer* raw) : m_raw(raw)
{
}

int ClippingHighlightProvider::clippingLimit(int bits)
{
    // Codes are ints: a resolution beyond 31 bits cannot clip in int range.
    const int b = std::clamp(bits, 2, 31);
    return int((qint64(1) << (b - 1)) - 2);
}

bool ClippingHighlightProvider::nextInterval(int lead, int from, int to, int& start, int& end)
{
    if (!m_raw || lead < 0 || lead >= m_raw->channelCount() || from >= to)
        return false;
    const int limit = clippingLimit(m_raw->resolution());
    const auto run = m_raw->channel(lead)->findOutOfRange(from, to, -limit, limit);
    if (!run)
        return false;
    start = run->first;
    end = run->end;
    return true;
}
