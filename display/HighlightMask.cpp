#include "HighlightMask.h"

#include "MonitorHighlightProvider.h"

#include <QtGlobal>
#include <algorithm>

void HighlightMask::reset(int columns)
{
    m_marked.assign(size_t(std::max(0, columns)), 0);
    m_any = false;
}

void HighlightMask::addIntervals(MonitorHighlightProvider& provider, int lead, int from, int to, int spanStart,
                                 int spanSamples)
{
    int position = from;
    while (position < to) {
        int start = 0;
        int end = 0;
        if (!provider.nextInterval(lead, position, to, start, end))
            break;
        start = std::max(start, position);
        end = std::min(end, to);
        // A provider that does not move forward would loop for ever.
        if (end <= start)
            break;
        mark(start, end, spanStart, spanSamples);
        position = end;
    }
}

void HighlightMask::mark(int first, int end, int spanStart, int spanSamples)
{
    const int n = columns();
    first = std::max(first, spanStart);
    end = std::min(end, spanStart + spanSamples);
    if (spanSamples <= 0 || n == 0 || end <= first)
        return;
    const qint64 from = qint64(first - spanStart) * n / spanSamples;
    const qint64 to = qint64(end - 1 - spanStart) * n / spanSamples + 1;
    const int a = int(std::clamp<qint64>(from, 0, n));
    const int b = int(std::clamp<qint64>(to, 0, n));
    for (int c = a; c < b; ++c)
        m_marked[size_t(c)] = 1;
    m_any = m_any || a < b;
}
