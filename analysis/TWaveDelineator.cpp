#include "TWaveDelineator.h"

#include "TSmoothingKernels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int ReducedRate = 250;

// Central difference of y at p.
inline double slope(const std::vector<double>& y, int p)
{
    return y[size_t(p + 1)] - y[size_t(p - 1)];
}

struct SteepestSlopes
{
    int rise = -1; // largest positive slope
    int fall = -1; // most negative slope
};

SteepestSlopes steepest(const std::vector<double>& y, int from, int to)
{
    SteepestSlopes s;
    double best = 0.0, worst = 0.0;
    for (int p = std::max(1, from); p <= to && p + 1 < int(y.size()); ++p) {
        const double d = slope(y, p);
        if (d > best) {
            best = d;
            s.rise = p;
        }
        if (d < worst) {
            worst = d;
            s.fall = p;
        }
    }
    return s;
}

// Walks from p in direction step while sign * slope stays above 80 % of its
// value at p; returns the first index where it does not, or -1 at the limits.
int walkWhileSteep(const std::vector<double>& y, int p, int step, double sign, int low, int high)
{
    const double limit = 0.8 * sign * slope(y, p);
    int q = p + step;
    while (q >= std::max(1, low) && q <= std::min(high, int(y.size()) - 2) && sign * slope(y, q) > limit)
        q += step;
    if (q < std::max(1, low) || q > std::min(high, int(y.size()) - 2))
        return -1;
    return q;
}

// Index of the largest (sign 1) or smallest (sign -1) value of x within p +- 5.
int extremeNear(const std::vector<double>& x, int p, double sign)
{
    int best = p;
    for (int q = std::max(0, p - 5); q <= std::min(int(x.size()) - 1, p + 5); ++q)
        if (sign * x[size_t(q)] > sign * x[size_t(best)])
            best = q;
    return best;
}

} // namespace

std::vector<double> TWaveDelineator::reduce(const double* x, int length, int factor)
{
    factor = std::max(1, factor);
    std::vector<double> y(static_cast<size_t>(std::max(0, length / factor)));
    for (size_t i = 0; i < y.size(); ++i) {
        double sum = 0.0;
        for (int k = 0; k < factor; ++k)
            sum += x[i * size_t(factor) + size_t(k)];
        y[i] = sum / factor;
    }
    return y;
}

TWavePoints TWaveDelineator::measure(const double* x, int length, int rate, int rIndex, int rrSamples) const
{
    if (!x || length <= 0 || rate <= 0)
        return TWavePoints();
    const auto range = std::minmax_element(x, x + length);
    if (*range.second - *range.first < 10.0)
        return TWavePoints(); // a flat beat has no waves

    const int factor = rate / ReducedRate;
    if (factor < 2)
        return measureReduced(std::vector<double>(x, x + length), rIndex, rrSamples);
    TWavePoints points = measureReduced(reduce(x, length, factor), rIndex / factor, rrSamples / factor);
    for (int* p : {&points.pOnset, &points.pPeak, &points.pEnd, &points.qrsOnset, &points.qrsEnd, &points.tOnset,
                   &points.tPeak, &points.tEnd})
        if (*p >= 0)
            *p *= factor;
    return points;
}

TWavePoints TWaveDelineator::measureReduced(const std::vector<double>& x, int r, int rr) const
{
    TWavePoints points;
    const int length = int(x.size());
    if (length < 12 || r < 0 || r >= length)
        return points;
    const auto range = std::minmax_element(x.begin(), x.end());
    if (*range.second - *range.first < 10.0)
        return points;

    points.qrsOnset = qrsOnset(x, r);
    if (points.qrsOnset < 0)
        return points;
    const std::vector<double> smoothed = TSmoothingKernels::smooth(x.data(), length, TSmoothingKernels::waveKernel());
    if (points.qrsOnset < length - 75)
        points.qrsEnd = qrsEnd(smoothed, points.qrsOnset, r, rr);
    pWave(x, points.qrsOnset, rr, &points);
    if (points.qrsEnd >= 0)
        tWave(x, smoothed, points.qrsEnd, rr, &points);
    return points;
}

int TWaveDelineator::qrsOnset(const std::vector<double>& x, int r)
{
    const int length = int(x.size());
    // Local range over four samples, x[p-2 .. p+1].
    auto localRange = [&](int p) {
        const auto mm = std::minmax_element(x.begin() + (p - 2), x.begin() + (p + 2));
        return *mm.second - *mm.first;
    };
    // QRS amplitude: the range over the windows centred within 30 samples of R.
    const int from = std::max(0, r - 29 - 2);
    const int to = std::min(length - 1, r + 29 + 1);
    const auto mm = std::minmax_element(x.begin() + from, x.begin() + to + 1);
    const double amplitude = *mm.second - *mm.first;
    for (double fraction : {0.01, 0.02, 0.05}) {
        for (int step = 0; step < 18; ++step) {
            const int p = r - 2 - step;
            if (p < 5 || p > length - 5)
                break;
            if (localRange(p) < fraction * amplitude)
                return p;
        }
    }
    return -1;
}

int TWaveDelineator::qrsEnd(const std::vector<double>& y, int onset, int r, int rr)
{
    const int length = int(y.size());
    int best = -1;
    double bestScore = -1.0;
    // The end lies within 156 ms of the onset; at fast rates the T wave follows
    // the QRS closely and its end would score as the flattest point, so the
    // search stops at 30 % of the RR interval there.
    const int last = rr > 0 ? std::min(onset + 39, onset + std::max(12, rr * 3 / 10)) : onset + 39;
    for (int p = std::max(onset + 10, r + 4); p <= last; ++p) {
        if (p - 10 < 0 || p + 15 >= length)
            break;
        double left = 0.0;
        for (int k = p - 10; k <= p - 1; ++k)
            left += std::abs(y[size_t(k)] - y[size_t(p)]);
        double right = 10.0;
        for (int k = p + 1; k <= p + 15; ++k)
            right += std::abs(y[size_t(k)] - y[size_t(p)]);
        const double score = left / right;
        if (score > bestScore) {
            bestScore = score;
            best = p;
        }
    }
    return best;
}

void TWaveDelineator::pWave(const std::vector<double>& x, int onset, int rr, TWavePoints* points)
{
    const int length = int(x.size());
    const int from = std::max(onset - rr / 3, 4);
    const int to = onset - 10;
    if (to <= from)
        return;
    std::vector<double> lifted(x);
    for (double& v : lifted)
        v -= x[size_t(onset)];
    const std::vector<double> y = TSmoothingKernels::smooth(lifted.data(), length, TSmoothingKernels::pWaveKernel());
    const SteepestSlopes s = steepest(y, from, to);
    if (s.rise < 0 || s.fall < 0)
        return;
    const bool upright = s.rise < s.fall;
    const int first = upright ? s.rise : s.fall;  // the slope that starts the wave
    const int second = upright ? s.fall : s.rise; // the slope that ends it
    const double sign = upright ? 1.0 : -1.0;
    const int begin = walkWhileSteep(y, first, -1, sign, from, length);
    if (begin >= from)
        points->pOnset = begin;
    const int end = walkWhileSteep(y, second, +1, -sign, 0, onset - 6);
    if (end >= 0 && end < onset - 5)
        points->pEnd = end;
    // Peak: back from the ending slope to the top, then the extreme raw sample near it.
    int p = second;
    while (p > 0 && sign * y[size_t(p - 1)] > sign * y[size_t(p)])
        --p;
    points->pPeak = extremeNear(lifted, p, sign);
}

void TWaveDelineator::tWave(const std::vector<double>& x, const std::vector<double>& y, int end, int rr,
                            TWavePoints* points)
{
    const int length = int(x.size());
    // The T wave is searched from 80 ms after the QRS end; at fast rates, where the
    // ST segment shortens, from an eighth of the RR interval after it.
    const int from = end + (rr > 0 ? std::min(20, std::max(4, rr / 8)) : 20);
    const int to = std::min(end + rr / 2, length - 10);
    if (to <= from)
        return;
    const SteepestSlopes s = steepest(y, from, to);
    if (s.rise < 0 || s.fall < 0)
        return;
    const bool upright = s.rise < s.fall;
    const int first = upright ? s.rise : s.fall;
    const int second = upright ? s.fall : s.rise;
    const double sign = upright ? 1.0 : -1.0;
    const int tEnd = walkWhileSteep(y, second, +1, -sign, 0, length);
    const int tOnset = walkWhileSteep(y, first, -1, sign, end + 10, length);
    if (tEnd >= 0)
        points->tEnd = tEnd;
    if (tOnset >= 0)
        points->tOnset = tOnset;
    // Peak: the top of the smoothed beat between the slopes, then the extreme raw
    // sample near it.
    int top = first;
    for (int p = first; p <= second; ++p)
        if (sign * y[size_t(p)] > sign * y[size_t(top)])
            top = p;
    points->tPeak = extremeNear(x, top, sign);
}
