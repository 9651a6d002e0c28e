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
