#pragma once

#include <algorithm>
#include <vector>

// The element at index size / 2 of the sorted values (the upper of the two
// middle ones for an even count); 0.0 for none.
inline double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto mid = values.begin() + long(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    return *mid;
}

// The median beat of segments: at each index from, from + step, ... before to,
// the median (as medianOf) of that sample over at most `most` of the segments,
// spread evenly over them. Written at the same indices of median, which grows
// to hold them; other indices are left as they were.
inline void medianBeat(const std::vector<const double*>& segments, size_t most, int from, int to, int step,
                       std::vector<double>& median)
{
    const size_t n = segments.size();
    const size_t used = std::min(n, most);
    if (used == 0 || step <= 0 || to <= from)
        return;
    if (median.size() < size_t(to))
        median.resize(size_t(to), 0.0);
    std::vector<double> column(used);
    const auto middle = column.begin() + long(used / 2);
    for (int i = from; i < to; i += step) {
        for (size_t j = 0; j < used; ++j)
            column[j] = segments[j * n / used][i];
        std::nth_element(column.begin(), middle, column.end());
        median[size_t(i)] = *middle;
    }
}
