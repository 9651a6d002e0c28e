#include "THeartRateScale.h"

#include "PlotAxis.h"

namespace THeartRateScale {

Range forRates(const std::vector<double>& times, const std::vector<double>& rates, double from, double to)
{
    // A margin of a few beats keeps the trace off the frame.
    const PlotAxis::Range r = PlotAxis::covering(times, rates, from, to, {Low, High}, Step, 5.0);
    return {r.low, r.high};
}

} // namespace THeartRateScale
