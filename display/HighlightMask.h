#pragma once

#include <cstddef>
#include <vector>

class MonitorHighlightProvider;

// Which drawn columns carry highlighted samples. A column is marked when any
// sample it covers lies in an interval the provider returns, so that even a
// clipped run shorter than one column shows.
class HighlightMask
{
public:
    // An unmarked mask of columns entries.
    void reset(int columns);
    // Marks the columns of the intervals the provider returns within [from, to) of
    // the lead, for a span of spanSamples samples from spanStart drawn over the
    // mask's columns.
    void addIntervals(MonitorHighlightProvider& provider, int lead, int from, int to, int spanStart, int spanSamples);
    // Marks the columns of samples [first, end) of that span.
    void mark(int first, int end, int spanStart, int spanSamples);

    int columns() const { return int(m_marked.size()); }
    bool isMarked(int column) const
    {
        return column >= 0 && column < columns() && m_marked[std::size_t(column)] != 0;
    }
    bool any() const { return m_any; }

private:
    std::vector<char> m_marked;
    bool m_any = false;
};
