#include "TWaveConfidence.h"

#include "TWaveDelineator.h"

#include <algorithm>
#include <cmath>

namespace {

// Linear from 0 at low to 1 at high, clipped.
double ramp(double value, double low, double high)
{
    return std::clamp((value - low) / (high - low), 0.0, 1.0);
}

// Moving mean over about 16 ms: the slow waves' shape without the noise.
std::vector<double> slowWaves(const std::vector<double>& x, int rate)
{
    const int half = std::max(1, int(std::lround(0.008 * rate)));
    const int n = int(x.size());
    std::vector<double> sums(size_t(n) + 1, 0.0);
    for (int i = 0; i < n; ++i)
        sums[size_t(i) + 1] = sums[size_t(i)] + x[size_t(i)];
    std::vector<double> y(x.size());
    for (int i = 0; i < n; ++i) {
        const int from = std::max(0, i - half), to = std::min(n, i + half + 1);
        y[size_t(i)] = (sums[size_t(to)] - sums[size_t(from)]) / (to - from);
    }
    return y;
}

// The range of the slow waves over span samples of baseline that end a little
// before sample waveStart; -1 where there is no such baseline to judge by.
double baselineRipple(const std::vector<double>& y, int rate, int rr, const TWavePoints& p, int waveStart, int span)
{
    const int gap = int(std::lround(0.008 * rate));
    const int to = waveStart - gap, from = to - span;
    // The baseline before the beat ends the T wave of the beat before: at fast
    // rates there is too little of it to judge by.
    const int previousTEnd = p.tEnd >= 0 && rr > 0 ? p.tEnd - rr : -1;
    if (from < int(std::lround(0.004 * rate)) || from <= previousTEnd)
        return -1.0;
    return TWaveDelineator::rangeOver(y, from, to);
}

// The P wave's height: its peak above the higher of its two ends.
double pHeight(const std::vector<double>& y, const TWavePoints& p)
{
    return std::max(std::abs(y[size_t(p.pPeak)] - y[size_t(p.pOnset)]), std::abs(y[size_t(p.pPeak)] - y[size_t(p.pEnd)]));
}

// The P wave against the ripple of the baseline before it: a P wave stands out
// at least twice as high. Where there is too little baseline the other leads
// judge it.
double pScore(const std::vector<double>& y, int rate, int rr, const TWavePoints& p)
{
    if (p.pOnset < 0 || p.pEnd <= p.pOnset || p.pPeak < 0 || p.qrsOnset < 0)
        return 0.0;
    const double height = pHeight(y, p);
    const int span = std::max(int(std::lround(0.04 * rate)), p.pEnd - p.pOnset);
    const double ripple = baselineRipple(y, rate, rr, p, p.pOnset, span);
    return ripple > 0.0 ? ramp(height / ripple, 1.2, 2.2) : 1.0;
}

// The P wave's height against the standard error of the average over it: how
// many times higher it stands than what the beats' own noise (fibrillation
// waves, unlocked to the QRS) leaves in an average.
double aboveNoise(const std::vector<double>& y, const std::vector<double>& standardError, const TWavePoints& p)
{
    if (p.pOnset < 0 || p.pEnd <= p.pOnset || p.pPeak < 0)
        return 0.0;
    const double height = pHeight(y, p);
    double sum = 0.0;
    for (int i = p.pOnset; i <= p.pEnd; ++i)
        sum += standardError[size_t(i)];
    const double error = sum / (p.pEnd - p.pOnset + 1);
    return error > 0.0 ? height / error : 1e9;
}

// How many standard errors high a P wave must stand in an average of this
// many beats. What only the beats' noise leaves in an average stands up to
// about 5 of them high, however many beats there are; a P wave locked to the
// QRS stands the higher the more beats, as their square root. With few beats
// the two overlap and the bar stays at 3.5; with more it rises, up to 5.5.
double pWaveBar(int beats)
{
    return std::clamp(3.5 * std::sqrt(std::max(0, beats) / 16.0), 3.5, 5.5);
}

constexpr double IrregularSpread = 0.10;
constexpr double IrregularSuccession = 1.15;

// The steepest step between two samples of x from sample from to sample to.
double steepest(const std::vector<double>& x, int from, int to)
{
    double slope = 0.0;
    for (int i = std::max(1, from); i <= to && i < int(x.size()); ++i)
        slope = std::max(slope, std::abs(x[size_t(i)] - x[size_t(i) - 1]));
    return slope;
}

// A P wave is a slow wave: a deflection in its window half as steep as the
// steepest of the QRS complex is a pacing spike or an artefact.
bool spikeForP(const std::vector<double>& x, const TWavePoints& p)
{
    if (p.pOnset < 0 || p.pEnd <= p.pOnset || !p.hasQrs())
        return false;
    return steepest(x, p.pOnset, p.pEnd) > 0.5 * steepest(x, p.qrsOnset, p.qrsEnd);
}

// The T wave against the noise, beside the QRS and against the slow ripple of
// the baseline before the beat (fibrillation or flutter waves, wander).
double tScore(const std::vector<double>& x, const std::vector<double>& y, int rate, int rr, const TWavePoints& p)
{
    if (p.tEnd < 0 || p.qrsOnset < 0 || p.qrsEnd <= p.qrsOnset)
        return 0.0;
    const double qrs = TWaveDelineator::rangeOver(x, p.qrsOnset, p.qrsEnd);
    const int from = p.qrsEnd + int(std::lround(0.04 * rate));
    double height = 0.0;
    for (int i = std::max(0, from); i <= p.tEnd && i < int(y.size()); ++i)
        height = std::max(height, std::abs(y[size_t(i)] - y[size_t(p.tEnd)]));
    // The noise: what the slow waves leave of the signal over the ST-T.
    double squares = 0.0;
    int n = 0;
    const int to = std::min(int(x.size()) - 1, p.tEnd + int(std::lround(0.08 * rate)));
    for (int i = p.qrsEnd; i <= to; ++i, ++n)
        squares += (x[size_t(i)] - y[size_t(i)]) * (x[size_t(i)] - y[size_t(i)]);
    const double noise = n > 0 ? std::sqrt(squares / n) : 0.0;
    const double beside = qrs > 0.0 ? ramp(height / qrs, 0.005, 0.02) : 0.0;
    const double above = noise > 0.0 ? ramp(height / noise, 3.0, 6.0) : 1.0;
    // A T wave that stands out of the baseline's ripple less than twice is one
    // of its waves: where it ends is not to be told.
    const bool hasP = p.pOnset >= 0 && p.pOnset < p.qrsOnset;
    const double ripple = baselineRipple(y, rate, rr, p, hasP ? p.pOnset : p.qrsOnset,
                                         int(std::lround((hasP ? 0.04 : 0.08) * rate)));
    const double outOfRipple = ripple > 0.0 ? ramp(height / ripple, 1.5, 2.5) : 1.0;
    return std::min({beside, above, outOfRipple});
}

} // namespace

TWaveConfidence::Scores TWaveConfidence::score(const std::vector<double>& beat, int rate, int rrSamples,
                                                const TWavePoints& points, const std::vector<double>& standardError,
                                                int averagedBeats, bool irregularRhythm)
{
    Scores s;
    if (beat.empty() || rate <= 0) {
        s.p = s.tEnd = 0.0;
        return s;
    }
    const std::vector<double> y = slowWaves(beat, rate);
    s.p = spikeForP(beat, points) ? 0.0 : pScore(y, rate, rrSamples, points);
    if (standardError.size() == beat.size()) {
        const double bar =
            irregularRhythm ? std::max(IrregularBar, pWaveBar(averagedBeats)) : pWaveBar(averagedBeats);
        s.p = std::min(s.p, ramp(aboveNoise(y, standardError, points), bar - 1.0, bar + 1.0));
    }
    s.tEnd = tScore(beat, y, rate, rrSamples, points);
    return s;
}

double TWaveConfidence::pAgreement(const TWavePoints& own, const std::vector<TWavePoints>& others, int rate)
{
    if (own.pOnset < 0 || own.pEnd < 0)
        return 0.0;
    const int near = int(std::lround(0.04 * rate));
    int shown = 0, agreeing = 0;
    for (const TWavePoints& o : others) {
        if (o.pOnset < 0 || o.pEnd < 0)
            continue;
        ++shown;
        agreeing += std::abs(o.pOnset - own.pOnset) <= near && std::abs(o.pEnd - own.pEnd) <= near;
    }
    if (shown < 3)
        return 1.0;
    return ramp(double(agreeing) / shown, 0.2, 0.5);
}

bool TWaveConfidence::irregularlyIrregular(const std::vector<double>& rr)
{
    const int n = int(rr.size());
    if (n < 6)
        return false;
    double mean = 0.0;
    for (double v : rr)
        mean += v;
    mean /= n;
    double var = 0.0, successive = 0.0;
    for (int i = 0; i < n; ++i) {
        var += (rr[size_t(i)] - mean) * (rr[size_t(i)] - mean);
        if (i > 0)
            successive += (rr[size_t(i)] - rr[size_t(i) - 1]) * (rr[size_t(i)] - rr[size_t(i) - 1]);
    }
    const double sd = std::sqrt(var / (n - 1));
    const double rmssd = std::sqrt(successive / (n - 1));
    return mean > 0.0 && sd > 0.0 && sd / mean > IrregularSpread && rmssd / sd > IrregularSuccession;
}
