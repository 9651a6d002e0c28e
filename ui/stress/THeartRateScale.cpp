#include "THeartRateScale.h"

#include <algorithm>
#include <cmath>

namespace THeartRateScale {

Range forRates(const std::vector<double>& times, const std::vector<double>& rates, double from, double to)
{
    Range range;
    const size_t n = std::min(times.size(), rates.size());
    for (size_t i = 0; i < n; ++i) {
        const double rate = rates[i];
        if (times[i] < from || times[i] > to || !std::isfinite(rate))
            continue;
        // A margin of a few beats keeps the trace off the frame.
        if (rate + 5.0 > range.high)
            range.high = std::ceil((rate + 5.0) / Step) * Step;
        if (rate - 5.0 < range.low)
            range.low = std::max(0.0, std::floor((rate - 5.0) / Step) * Step);
    }
    return range;
}

} // namespace THeartRateScale
