#include "TStMeasurement.h"

#include "TWaveDelineator.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int ReducedRate = 250;

} // namespace

TStMeasurement::Result TStMeasurement::measure(const std::vector<double>& average, int rate, int rIndex,
                                                double rrSeconds, double valueStep)
{
    Result result;
    if (average.empty() || rate <= 0)
        return result;
    const std::vector<double> x = rate == ReducedRate
                                      ? average
                                      : TWaveDelineator::toReducedRate(average.data(), int(average.size()), rate);
    double rr = rrSeconds * ReducedRate;
    if (!(rr > 0.0) || !(rr < 1e6))
        rr = 0.0;
    const TWavePoints points = TWaveDelineator().measureReduced(x, TWaveDelineator::reducedIndex(rIndex, rate), int(rr));
    if (!points.hasQrs())
        return result;
    const int baseline = points.pEnd >= 0 ? (points.pEnd + points.qrsOnset) / 2 : int(points.qrsOnset - 2.5);
    const int level = int(points.qrsEnd + 2.5);
    const int slope = int(points.qrsEnd + 20.0);
    // Points that fall outside the beat cannot be read: the lead is not measured.
    const int n = int(x.size());
    if (baseline < 0 || level < 0 || baseline >= n || level >= n || slope >= n)
        return result;
    result.measured = true;
    result.baselinePoint = TWaveDelineator::indexAtRate(baseline, rate);
    result.levelPoint = TWaveDelineator::indexAtRate(level, rate);
    result.slopePoint = TWaveDelineator::indexAtRate(slope, rate);
    result.level = (x[size_t(level)] - x[size_t(baseline)]) * valueStep;
    if (slope > level)
        result.slope = (x[size_t(slope)] - x[size_t(level)]) * valueStep * ReducedRate / (slope - level);
    return result;
}
