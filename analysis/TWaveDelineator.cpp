#include "TWaveDelineator.h"

#include "TSmoothingKernels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int ReducedRate = 250;
// The cycle assumed when the beat's RR interval is not known: 0.8 s.
constexpr int DefaultCycle = 200;

// QRS: the complex lies within 120 ms before and 160 ms after R (at fast rates
// within 30 % of the cycle after it). Its flanks are the slopes of at least a
// fifth of the steepest slope at R; it begins and ends where the signal's range
// over 12 ms falls below 1.5 % of the complex's amplitude, at most 40 ms
// before the first flank and 72 ms after the last (a slurred end fades slowly).
constexpr int QrsBefore = 30;
constexpr int QrsAfter = 40;
constexpr double QrsFlankFraction = 0.2;
constexpr int QrsRangeSpan = 3;
constexpr double QrsEdgeRange = 0.015;
constexpr int QrsOnsetReach = 10;
constexpr int QrsEndReach = 18;
// The flanks are those joined to R: 32 ms without a flank steep enough ends the
// complex, so that a sharp P wave close before it is not taken into it.
constexpr int QrsQuietGap = 8;
// A slow S wave's rounded bottom is flat over 12 ms too. Where the signal there
// lies off the level the complex began at by 5 % of the complex's amplitude,
// and turns back towards it within 40 ms (by 5 % too, with a slope of 5 % of
// the steepest at R) to come at least halfway back within the complex's window,
// the complex goes on along that return.
constexpr double QrsTurnShare = 0.05;
constexpr double QrsTurnSlope = 0.05;
constexpr int QrsTurnReach = 10;
constexpr int QrsTurnRounds = 3;

// P wave: searched over the 40 % of the cycle before the QRS onset. Its edges
// lie within 6 % (onset) and 3.5 % (end) of the cycle of its steepest slopes,
// and at least 32 and 20 ms from them.
constexpr double PWindowCycle = 0.4;
constexpr double POnsetSpanCycle = 0.06;
constexpr int POnsetSpanMin = 8;
constexpr double PEndSpanCycle = 0.035;
constexpr int PEndSpanMin = 5;
constexpr double PMinimumShare = 0.02;
// A P wave has not returned where it still lies 40 % of its height off the
// level the QRS begins at.
constexpr double PUnreturnedShare = 0.4;

// T wave: its peak lies before 55 % of the cycle after the QRS onset; its end
// within 9 % of the cycle (at least 40 ms) of its steepest returning slope and
// the return is searched over a quarter of the cycle after the peak.
constexpr double TPeakCycle = 0.55;
constexpr double TReturnCycle = 0.25;
constexpr int TReturnMin = 20;
constexpr double TEndSpanCycle = 0.09;
constexpr int TEndSpanMin = 10;
// The return is the first descent after the peak that is at least half as
// steep as the steepest in the search: a descent ends where the slope stays
// below a fifth of its own steepest for 20 ms. A later drop (the end of an
// elevated TP segment, a U wave) is not the T wave's return.
constexpr int TDescentQuietGap = 5;
constexpr double TDescentQuietShare = 0.2;
constexpr double TDescentSteepShare = 0.5;

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
// (The T onset, which no interval uses, keeps this rule.)
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

// The edge of a wave's flank, from its steepest point p in direction step (-1
// towards the onset, +1 towards the end) within span samples: the point that
// maximises the area of the trapezium between the flank and a vertical at the
// far end of the span. Where the flank levels off into the baseline its height
// stops growing while its width keeps shrinking, so the maximum sits where the
// wave meets the baseline rather than at its inflection, and a slow tail does
// not drag it along. -1 when nothing in [low, high] departs from p.
int trapeziumEdge(const std::vector<double>& y, int p, int step, int span, int low, int high)
{
    low = std::max(low, 1);
    high = std::min(high, int(y.size()) - 2);
    if (p < low || p > high || span < 2)
        return -1;
    // The flank runs away from the baseline in the direction of its slope: the
    // edge lies on the side the signal comes from.
    const double sigma = -(slope(y, p) >= 0.0 ? 1.0 : -1.0) * step;
    int best = -1;
    double bestArea = 0.0;
    for (int d = 1; d <= span; ++d) {
        const int t = p + step * d;
        if (t < low || t > high)
            break;
        const double area = sigma * (y[size_t(p)] - y[size_t(t)]) * double(2 * span - d);
        if (area > bestArea) {
            bestArea = area;
            best = t;
        }
    }
    return best;
}

// Moves p in direction step while |slope| keeps growing with the same sign: from
// the first point of a flank to its steepest.
int steepestOfFlank(const std::vector<double>& y, int p, int step, int limit)
{
    while ((step > 0 ? p + 1 <= limit : p - 1 >= limit) &&
           std::abs(slope(y, p + step)) > std::abs(slope(y, p)) &&
           (slope(y, p + step) >= 0.0) == (slope(y, p) >= 0.0))
        p += step;
    return p;
}

// The outermost point, from r in direction step up to limit, whose slope is
// at least steep, without a stretch of QrsQuietGap shallower points between it
// and r; -1 when there is none.
int outerFlank(const std::vector<double>& y, int r, int step, int limit, double steep)
{
    int outer = -1;
    int quiet = 0;
    for (int p = r; step < 0 ? p >= limit : p <= limit; p += step) {
        if (std::abs(slope(y, p)) >= steep) {
            outer = p;
            quiet = 0;
        } else if (++quiet >= QrsQuietGap) {
            break;
        }
    }
    return outer;
}

// The first point from r in direction step up to limit whose slope is at
// least steep; -1 when there is none.
int nearestFlank(const std::vector<double>& y, int r, int step, int limit, double steep)
{
    for (int p = r; step < 0 ? p >= limit : p <= limit; p += step)
        if (std::abs(slope(y, p)) >= steep)
            return p;
    return -1;
}

// The steepest point of the return towards level that follows p, when p is
// the bottom of a slow wave at the end of a complex (QrsTurnShare and the
// following constants): -1 when p is where the complex ends.
int returnAfter(const std::vector<double>& y, int p, double level, int to, double amplitude, double steepest)
{
    const double offset = y[size_t(p)] - level;
    const double rise = QrsTurnShare * amplitude;
    if (std::abs(offset) < rise)
        return -1;
    const double towards = offset > 0.0 ? -1.0 : 1.0;
    int steepestPoint = -1;
    double steepestSlope = 0.0, back = 0.0, away = 0.0;
    for (int q = p + 1; q <= std::min(to, p + QrsTurnReach); ++q) {
        back = std::max(back, towards * (y[size_t(q)] - y[size_t(p)]));
        away = std::max(away, -towards * (y[size_t(q)] - y[size_t(p)]));
        if (towards * slope(y, q) > steepestSlope) {
            steepestSlope = towards * slope(y, q);
            steepestPoint = q;
        }
    }
    if (back < rise || away > 0.25 * back || steepestSlope < QrsTurnSlope * steepest)
        return -1;
    double closest = std::abs(offset);
    for (int q = p + 1; q <= to; ++q)
        closest = std::min(closest, std::abs(y[size_t(q)] - level));
    return closest <= 0.5 * std::abs(offset) ? steepestPoint : -1;
}

// The steepest point of the wave's return after its peak (sign: the wave's
// polarity) within [peak + 1, to]: on the first descent that is at least
// TDescentSteepShare as steep as the steepest there; -1 when nothing returns.
int returningSlope(const std::vector<double>& y, int peak, int to, double sign)
{
    double steepest = 0.0;
    for (int p = peak + 1; p <= to; ++p)
        steepest = std::max(steepest, -sign * slope(y, p));
    if (!(steepest > 0.0))
        return -1;
    int runPoint = -1;
    double runSlope = 0.0;
    int quiet = 0;
    for (int p = peak + 1; p <= to; ++p) {
        const double d = -sign * slope(y, p);
        if (d > runSlope) {
            runSlope = d;
            runPoint = p;
        }
        if (d <= 0.0 || d < TDescentQuietShare * runSlope) {
            if (++quiet >= TDescentQuietGap) {
                if (runSlope >= TDescentSteepShare * steepest)
                    return runPoint;
                runPoint = -1;
                runSlope = 0.0;
                quiet = 0;
            }
        } else {
            quiet = 0;
        }
    }
    return runSlope >= TDescentSteepShare * steepest ? runPoint : -1;
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

std::vector<double> TWaveDelineator::toReducedRate(const double* x, int length, int rate)
{
    if (!x || length <= 0 || rate <= 0)
        return std::vector<double>();
    if (rate % ReducedRate == 0)
        return reduce(x, length, rate / ReducedRate);
    const double ratio = double(rate) / ReducedRate; // samples of x per output sample
    std::vector<double> y(size_t(std::max(0.0, std::floor(length / ratio))));
    if (rate < ReducedRate) {
        for (size_t i = 0; i < y.size(); ++i) {
            const double t = double(i) * ratio;
            const int k = std::min(int(t), length - 1);
            const double f = t - k;
            y[i] = k + 1 < length ? (1.0 - f) * x[k] + f * x[k + 1] : x[k];
        }
        return y;
    }
    // The integral of the held signal from 0 to t (in samples of x).
    std::vector<double> sums(size_t(length) + 1, 0.0);
    for (int k = 0; k < length; ++k)
        sums[size_t(k) + 1] = sums[size_t(k)] + x[k];
    auto integral = [&](double t) {
        const int k = std::min(int(t), length - 1);
        return sums[size_t(k)] + (t - k) * x[k];
    };
    for (size_t i = 0; i < y.size(); ++i)
        y[i] = (integral(double(i + 1) * ratio) - integral(double(i) * ratio)) / ratio;
    return y;
}

double TWaveDelineator::rangeOver(const std::vector<double>& y, int from, int to)
{
    from = std::max(0, from);
    to = std::min(int(y.size()) - 1, to);
    if (to < from)
        return 0.0;
    const auto mm = std::minmax_element(y.begin() + from, y.begin() + to + 1);
    return *mm.second - *mm.first;
}

int TWaveDelineator::reducedIndex(int index, int rate)
{
    if (rate <= 0 || index < 0)
        return index;
    if (rate % ReducedRate == 0)
        return index / (rate / ReducedRate);
    return int(std::lround(double(index) * ReducedRate / rate));
}

int TWaveDelineator::indexAtRate(int reducedIndex, int rate)
{
    if (rate <= 0 || reducedIndex < 0)
        return reducedIndex;
    if (rate % ReducedRate == 0)
        return reducedIndex * (rate / ReducedRate);
    return int(std::lround(double(reducedIndex) * rate / ReducedRate));
}

TWavePoints TWaveDelineator::measure(const double* x, int length, int rate, int rIndex, int rrSamples) const
{
    if (!x || length <= 0 || rate <= 0)
        return TWavePoints();
    const auto range = std::minmax_element(x, x + length);
    if (*range.second - *range.first < 10.0)
        return TWavePoints(); // a flat beat has no waves

    if (rate == ReducedRate)
        return measureReduced(std::vector<double>(x, x + length), rIndex, rrSamples);
    TWavePoints points =
        measureReduced(toReducedRate(x, length, rate), reducedIndex(rIndex, rate), reducedIndex(rrSamples, rate));
    for (int* p : {&points.pOnset, &points.pPeak, &points.pEnd, &points.qrsOnset, &points.qrsEnd, &points.tOnset,
                   &points.tPeak, &points.tEnd, &points.tPeakOther, &points.tEndOther})
        *p = indexAtRate(*p, rate);
    return points;
}

TWavePoints TWaveDelineator::measureReduced(const std::vector<double>& x, int r, int rr) const
{
    TWavePoints points;
    const int length = int(x.size());
    if (length < 12 || r < 2 || r >= length - 3)
        return points;
    const auto range = std::minmax_element(x.begin(), x.end());
    if (*range.second - *range.first < 10.0)
        return points;
    if (rr <= 0)
        rr = DefaultCycle;

    const std::vector<double> smoothed = TSmoothingKernels::smooth(x.data(), length, TSmoothingKernels::waveKernel());
    qrsEdges(smoothed, r, rr, &points);
    if (points.qrsOnset < 0)
        return points;
    pWave(x, points.qrsOnset, rr, &points);
    if (points.qrsEnd >= 0)
        tWave(x, points.qrsOnset, points.qrsEnd, rr, &points);
    return points;
}

void TWaveDelineator::qrsEdges(const std::vector<double>& y, int r, int rr, TWavePoints* points)
{
    const int length = int(y.size());
    const int from = std::max(2, r - QrsBefore);
    // At fast rates the T wave follows the QRS closely and its slopes would pass
    // for the complex's.
    const int to = std::min(length - 3, r + std::min(QrsAfter, std::max(12, rr * 3 / 10)));
    if (to <= from)
        return;
    double steepest = 0.0;
    for (int p = std::max(2, r - 6); p <= std::min(length - 3, r + 6); ++p)
        steepest = std::max(steepest, std::abs(slope(y, p)));
    if (!(steepest > 0.0))
        return;

    // The outer flanks: the earliest and the latest slope steep enough to belong
    // to the complex, each taken to its steepest point.
    int first = outerFlank(y, r, -1, from, QrsFlankFraction * steepest);
    int last = outerFlank(y, r, +1, to, QrsFlankFraction * steepest);
    // The fiducial may lie beyond every steep flank (on the slow S wave after a
    // narrow R): the complex's other edge is then the steep flank nearest to it.
    if (last < 0 && first >= 0)
        last = nearestFlank(y, r, -1, first, QrsFlankFraction * steepest);
    if (first < 0 || last < 0)
        return;
    first = steepestOfFlank(y, first, +1, r);
    last = steepestOfFlank(y, last, -1, r);

    // From there outwards to where the signal is flat next to the complex. A
    // range, not a slope: the small notches and slurs at the edges of a wide or
    // fragmented complex belong to it, though their slopes pass through zero.
    const double amplitude = rangeOver(y, from, to);
    // At fast rates the P and T waves lie close: the edges no further out than
    // an eighth of the cycle.
    const int onsetReach = std::min(QrsOnsetReach, std::max(4, rr / 8));
    const int endReach = std::min(QrsEndReach, std::max(4, rr / 8));
    int onset = first;
    while (onset > 2 && onset > first - onsetReach &&
           rangeOver(y, onset - QrsRangeSpan, onset) > QrsEdgeRange * amplitude)
        --onset;
    int end = last;
    for (int round = 0; round < QrsTurnRounds; ++round) {
        const int flank = end;
        while (end < length - 3 && end < flank + endReach &&
               rangeOver(y, end, end + QrsRangeSpan) > QrsEdgeRange * amplitude)
            ++end;
        const int returning = returnAfter(y, end, y[size_t(onset)], to, amplitude, steepest);
        if (returning < 0)
            break;
        end = returning;
    }
    points->qrsOnset = onset;
    points->qrsEnd = end;
}

void TWaveDelineator::pWave(const std::vector<double>& x, int onset, int rr, TWavePoints* points) const
{
    const int length = int(x.size());
    const int from = std::max(onset - int(PWindowCycle * rr), 4);
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
    // The slopes are found on the smooth beat, the edges on the lightly smoothed
    // one, which the wide kernel would spread into the baseline.
    const std::vector<double> edges = TSmoothingKernels::smooth(lifted.data(), length, TSmoothingKernels::waveKernel());
    const int onsetSpan = std::max(POnsetSpanMin, int(POnsetSpanCycle * rr));
    const int begin = trapeziumEdge(edges, first, -1, onsetSpan, std::max(4, from - onsetSpan), first);
    if (begin >= 0)
        points->pOnset = begin;
    // Peak: back from the ending slope to the top, then the extreme raw sample near it.
    int p = second;
    while (p > 0 && sign * y[size_t(p - 1)] > sign * y[size_t(p)])
        --p;
    points->pPeak = extremeNear(lifted, p, sign);
    const int endSpan = std::max(PEndSpanMin, int(PEndSpanCycle * rr));
    int end = trapeziumEdge(edges, second, +1, endSpan, second, onset - 3);
    // Where the wave's steepest return leaves it still well off the level the
    // QRS begins at, a later, lower component follows (the left atrium's, in a
    // notched or broad P wave): the wave ends after that one's return, when it
    // brings the wave at least halfway nearer to the level.
    if (end >= 0 && sign * y[size_t(p)] > 0.0 && sign * edges[size_t(end)] > PUnreturnedShare * sign * y[size_t(p)]) {
        int steepestReturn = -1;
        double steepestSlope = 0.0;
        for (int q = end + 1; q <= onset - 4; ++q) {
            if (-sign * slope(y, q) > steepestSlope) {
                steepestSlope = -sign * slope(y, q);
                steepestReturn = q;
            }
        }
        const int later = steepestReturn >= 0
                              ? trapeziumEdge(edges, steepestReturn, +1, endSpan, steepestReturn, onset - 3)
                              : -1;
        if (later > end && sign * edges[size_t(later)] < 0.5 * sign * edges[size_t(end)])
            end = later;
    }
    if (end >= 0)
        points->pEnd = end;
    // A wave this small beside the QRS is what is left of the baseline (the
    // fibrillation waves of an average in atrial fibrillation), not a P wave.
    if (points->pOnset >= 0) {
        const double height = std::abs(y[size_t(p)] - edges[size_t(points->pOnset)]);
        const double qrs = rangeOver(x, onset, std::min(length - 1, onset + 30));
        if (height < PMinimumShare * qrs || height < m_minimumPWave)
            points->pOnset = points->pEnd = points->pPeak = -1;
    }
}

void TWaveDelineator::tWave(const std::vector<double>& x, int qrsOnset, int qrsEnd, int rr, TWavePoints* points)
{
    const int length = int(x.size());
    if (qrsOnset < 2)
        return;
    // The T wave is searched from 80 ms after the QRS end; at fast rates, where the
    // ST segment shortens, from an eighth of the RR interval after it.
    const int from = qrsEnd + std::min(20, std::max(4, rr / 8));
    const int peakTo = std::min(qrsOnset + int(TPeakCycle * rr), length - 10);
    if (peakTo <= from)
        return;
    const std::vector<double> y = TSmoothingKernels::smooth(x.data(), length, TSmoothingKernels::pWaveKernel());

    // The peak stands out most from the line joining the ST segment and the end
    // of the window, so that an ST segment off the baseline is not taken for it.
    // Where the T wave begins at the QRS end, the window's start already lies on
    // its first phase and that line tilts a wave of two phases towards its
    // second; the line from the QRS end reads the first. When the two differ,
    // the beat leaves open which phase is the wave: both readings are kept.
    auto peakFrom = [&](int anchor) {
        const double y0 = y[size_t(anchor)], y1 = y[size_t(peakTo)];
        auto detrended = [&](int p) {
            return y[size_t(p)] - (y0 + (y1 - y0) * double(p - anchor) / double(peakTo - anchor));
        };
        int peak = from;
        for (int p = from; p <= peakTo; ++p)
            if (std::abs(detrended(p)) > std::abs(detrended(peak)))
                peak = p;
        return std::make_pair(peak, detrended(peak) >= 0.0 ? 1.0 : -1.0);
    };
    // Of two readings, the wave is the phase that stands farther from the
    // level the QRS began at.
    auto [peak, sign] = peakFrom(from);
    auto [otherPeak, otherSign] = peakFrom(qrsEnd);
    const double level = y[size_t(qrsOnset)];
    if (otherSign != sign && std::abs(y[size_t(otherPeak)] - level) > std::abs(y[size_t(peak)] - level)) {
        std::swap(peak, otherPeak);
        std::swap(sign, otherSign);
    }

    // The rising flank before the peak.
    int rising = -1;
    double best = 0.0;
    for (int p = std::max(from, 1); p < peak; ++p) {
        if (sign * slope(y, p) > best) {
            best = sign * slope(y, p);
            rising = p;
        }
    }
    points->tPeak = extremeNear(x, peak, sign);
    if (rising >= 0) {
        const int tOnset = walkWhileSteep(y, rising, -1, sign, qrsEnd + 10, length);
        if (tOnset >= 0)
            points->tOnset = tOnset;
    }
    // The end lies before the next beat's P wave.
    const int nextP = points->pOnset >= 0 ? points->pOnset + rr - 2 : qrsOnset + rr * 4 / 5;
    points->tEnd = tEndAfter(y, peak, sign, rr, nextP);

    if (otherSign != sign && points->tEnd >= 0) {
        const int otherEnd = tEndAfter(y, otherPeak, otherSign, rr, nextP);
        if (otherEnd >= 0 && otherEnd != points->tEnd) {
            points->tPeakOther = extremeNear(x, otherPeak, otherSign);
            points->tEndOther = otherEnd;
        }
    }
}

int TWaveDelineator::tEndAfter(const std::vector<double>& y, int peak, double sign, int rr, int nextP)
{
    const int length = int(y.size());
    const int returnTo = std::min(length - 3, peak + std::max(TReturnMin, int(TReturnCycle * rr)));
    const int returning = returningSlope(y, peak, returnTo, sign);
    if (returning < 0)
        return -1;
    const int span = std::max(TEndSpanMin, int(TEndSpanCycle * rr));
    return trapeziumEdge(y, returning, +1, span, returning, std::min(length - 1, nextP));
}
