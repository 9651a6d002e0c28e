#include "TQrsChannelDetector.h"

#include "TBeatPoint.h"
#include "TMedian.h"
#include "TQrsWavelets.h"
#include "TSignalBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <limits>

namespace {

// Scale-2^1 maxima of opposite sign closer than this form one complex. Wider
// than the narrow complexes of sinus beats need, so that broad ventricular
// complexes and bundle branch blocks pair as well.
constexpr double PairWindow = 0.12;
// A new R this close to the last one is a second detection of the same complex.
constexpr double RedundantWindow = 0.075;
// Complexes must reach these fractions of the channel's typical complex.
constexpr double AmplitudeGate = 0.25;
constexpr double StrengthGate = 0.25;
// A complex must stand this far above the channel's noise at scale 2^2 (the
// median magnitude over the threshold window).
constexpr double NoiseGate = 4.0;
// Soon after a complex, a smaller deflection is its T wave.
constexpr double TWaveAmplitude = 0.5;
// A channel whose complexes are not this far above its noise is swamped by it.
constexpr double SwampedRatio = 6.5;
constexpr int HistoryLength = 8;
// A complex larger than this many times the typical one enters the history as
// only this large: artifacts that got through must not raise the references
// beyond the heart's own complexes.
constexpr double HistoryCeiling = 3.0;
// A channel that has refused complexes as too small and taken none for this
// long (or this many mean RR intervals, if longer) of undisturbed signal learns
// its references anew from what it sees.
constexpr double RelearnSeconds = 5.0;
constexpr double RelearnIntervals = 2.5;
constexpr int RelearnRefusals = 3;
constexpr int NoiseStep = 4;
// Overloads as brief as a complex, with clean signal between, this many in a
// row: the channel's complexes themselves overload it, so what it learned of
// them was noise, and it learns again.
constexpr double BriefOverloadSeconds = 0.15;
constexpr double OverloadJoinSeconds = 0.02;
constexpr double CleanBetweenSeconds = 0.05;
constexpr int RecurringOverloads = 3;
constexpr double LongestOverloadInterval = 2.5;
constexpr double SameComplexRatio = 1.4;
// Overloads this many times the slope of a complex the channel takes: beside
// them, what it takes are small waves (or the steps of a coarse signal), and
// taking them does not stop the count of recurring overloads.
constexpr double FarOverloadRatio = 8.0;
// A complex must also stand out from the signal either side of it: its slope
// this many times the median |scale-2^2| value over this long before and after
// it (its own extent left out). A deflection amid a burst of noise does not,
// however quiet the seconds before the burst were.
constexpr double ContextGate = 3.0;
constexpr double ContextSeconds = 0.5;
constexpr double ContextGap = 0.05;
// Slopes this many times the channel's typical complex are no heartbeat in it:
// the signal around them (this far either side) is disturbed (saturation,
// electrode pops, bursts of noise) and yields no complex, no reference and no
// threshold.
constexpr double OverloadRatio = 4.0;
constexpr double DisturbancePad = 0.25;
// So is a signal with this many slopes of at least this share of the typical
// complex's within this long: a complex has two to four.
constexpr int BusyCount = 8;
constexpr double BusyShare = 0.5;
constexpr double BusySeconds = 0.3;
// ... unless it has been crowded for more than this share of the last seconds
// (a running mean with this time constant).
constexpr double CrowdedLastingShare = 0.1;
constexpr double CrowdedFollowSeconds = 4.0;
// So is a signal whose noise over the last second (median |scale-2^2| value)
// reaches this share of the typical complex's slope.
constexpr double OverwhelmedShare = 0.5;
constexpr double RecentSeconds = 1.0;
// A signal that sits on exactly one value at the extreme of what is in view for
// this long, reached or left with a step of at least this many codes, is
// saturated ...
constexpr double PinnedSeconds = 0.012;
constexpr double PinnedEdgeCodes = 16.0;
// ... unless what is in view spans fewer codes than this (a flat lead) ...
constexpr double PinnedMinimumSpan = 16.0;
// ... or the value lies closer than this share of the span to the median signal.
constexpr double PinnedDistance = 0.4;
// Seconds of transform kept in view: the threshold window plus room for the
// scan and the search back behind it.
constexpr double WindowSeconds = 6.0;
constexpr double ThresholdSeconds = 4.0;
// Half width of the window over which the fiducial point centres the slope energy:
// wider than half a canine QRS, narrower than the ST segment.
constexpr double FiducialHalfWidth = 0.05;

int sign(double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); }

} // namespace

TQrsChannelDetector::TQrsChannelDetector(const TSignalBuffer* source, const TQrsWavelets* wavelets, int channel)
    : m_source(source), m_wavelets(wavelets), m_channel(channel),
      m_state(source ? source->samplingRate() : 250, source ? source->resolution() : 16),
      m_disturbed(m_state.marks.size(), 0)
{
}

int TQrsChannelDetector::lineLag() const
{
    return 3 * std::max(1, int(std::lround(m_state.lineSpread * m_state.rate))) + 2;
}

int TQrsChannelDetector::walkMargin() const
{
    // A mark may lie up to three line spreads from the maximum its line starts
    // at, and its pairing looks an isolation interval ahead.
    return int(m_state.isolation * m_state.rate) + 2 * lineLag();
}

void TQrsChannelDetector::remember(std::vector<double>& history, double value)
{
    if (history.size() >= HistoryLength / 2)
        value = std::min(value, HistoryCeiling * medianOf(history));
    history.push_back(value);
    if (int(history.size()) > HistoryLength)
        history.erase(history.begin());
}

double TQrsChannelDetector::typicalAmplitude() const { return medianOf(m_amplitudes); }
double TQrsChannelDetector::typicalStrength() const { return medianOf(m_strengths); }
double TQrsChannelDetector::typicalSlope() const { return medianOf(m_slopes); }

bool TQrsChannelDetector::swamped() const
{
    return m_slopes.size() >= 4 && typicalSlope() < SwampedRatio * m_noise;
}

double TQrsChannelDetector::peakStrength(int from, int to) const
{
    const int n = to - from;
    if (n <= 0)
        return 0.0;
    std::vector<double> values(static_cast<size_t>(n));
    m_wavelets->copy(2, m_channel, from, n, values.data());
    double peak = 0.0;
    for (double v : values)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

void TQrsChannelDetector::loadWindow(int start, int end)
{
    m_windowStart = std::max(0, start);
    m_windowEnd = std::max(m_windowStart, end);
    // Every value is written by the copies (those not held read 0), so the
    // arrays are only sized, not cleared first.
    const int n = m_windowEnd - m_windowStart;
    for (int k = 0; k < TQrsWavelets::ScaleCount; ++k) {
        m_w[k].resize(size_t(n));
        m_wavelets->copy(k, m_channel, m_windowStart, n, m_w[k].data());
    }
    m_x.resize(size_t(n));
    m_source->samples(m_channel, m_windowStart, n, m_x.data());
    if (m_unfilteredSource) {
        m_unfiltered.resize(size_t(n));
        m_unfilteredSource->samples(m_channel, m_windowStart, n, m_unfiltered.data());
    }
}

void TQrsChannelDetector::computeThresholds(int to)
{
    // Only the signal there is counts: at the start of a recording the window is
    // shorter than its full length, and zeros before it would lower the thresholds.
    // Disturbed samples are left out: a burst would otherwise raise the
    // thresholds above every complex for seconds after it. With too little
    // undisturbed signal in view the thresholds stay as they were.
    const int start = std::max(m_windowStart, to - int(ThresholdSeconds * m_state.rate));
    // The noise level is the median of every NoiseStep-th magnitude: as good a
    // median over seconds of signal, at a fraction of the work of each stretch.
    // The slots of the stretch are walked in turn around their ring (every
    // sample here lies in the window).
    std::vector<double> magnitudes(size_t(std::max(0, to - start) / NoiseStep + 1));
    size_t taken = 0;
    double sums[4] = {0.0, 0.0, 0.0, 0.0};
    int n = 0;
    const size_t ring = m_disturbed.size();
    size_t slot = size_t(start) % ring;
    const double* w0 = m_w[0].data();
    const double* w1 = m_w[1].data();
    const double* w2 = m_w[2].data();
    const double* w3 = m_w[3].data();
    for (int i = start - m_windowStart; i < to - m_windowStart; ++i) {
        const bool disturbed = m_disturbed[slot] != 0;
        if (++slot == ring)
            slot = 0;
        if (disturbed)
            continue;
        sums[0] += w0[i] * w0[i];
        sums[1] += w1[i] * w1[i];
        sums[2] += w2[i] * w2[i];
        sums[3] += w3[i] * w3[i];
        if (n++ % NoiseStep == 0)
            magnitudes[taken++] = std::fabs(w1[i]);
    }
    magnitudes.resize(taken);
    if (n < m_state.rate)
        return;
    double rms[4];
    for (int k = 0; k < 4; ++k)
        rms[k] = std::sqrt(sums[k] / n);
    m_eps[0] = rms[0];
    m_eps[1] = 1.25 * rms[1];
    m_eps[2] = 1.25 * rms[2];
    m_eps[3] = 0.5 * rms[3];
    m_noise = medianOf(std::move(magnitudes));
}

void TQrsChannelDetector::findLines(int from, int to, double factor)
{
    const int first = std::max(from, m_windowStart + 1);
    const int last = std::min(to, m_windowEnd - 1);
    for (int i = first; i < last; ++i) {
        const double m4 = std::fabs(w(3, i));
        if (m4 <= factor * m_eps[3] || m4 < std::fabs(w(3, i - 1)) || m4 <= std::fabs(w(3, i + 1)))
            continue;
        const int s = sign(w(3, i));
        const int position = followLine(i, 3, s, factor);
        if (position >= 0)
            m_state.markAt(position) = s;
    }
}

int TQrsChannelDetector::followLine(int position, int scale, int s, double factor) const
{
    const int spread = std::max(1, int(std::lround(m_state.lineSpread * m_state.rate)));
    for (int k = scale - 1; k >= 0; --k) {
        position = strongestMaximum(k, s, position - spread, position + spread, factor * m_eps[k]);
        if (position < 0)
            return -1;
    }
    return position;
}

int TQrsChannelDetector::strongestMaximum(int scale, int s, int from, int to, double above) const
{
    int best = -1;
    double bestMagnitude = above;
    const int lo = std::max(m_windowStart + 1, from);
    const int hi = std::min(m_windowEnd - 2, to);
    for (int j = lo; j <= hi; ++j) {
        const double v = w(scale, j);
        if (sign(v) != s)
            continue;
        const double m = std::fabs(v);
        if (m > bestMagnitude && m >= std::fabs(w(scale, j - 1)) && m >= std::fabs(w(scale, j + 1))) {
            best = j;
            bestMagnitude = m;
        }
    }
    return best;
}

bool TQrsChannelDetector::findPartner(const Mark& a, Mark* partner) const
{
    // Every complex has slopes of both signs. Where two of them lie close, the
    // coarsest scale may show only the larger one as a maximum, the smaller
    // being merged into its lobe, so a lone line has its partner looked for
    // from the next finer scale down, within the pairing window.
    const int window = int(PairWindow * m_state.rate);
    const int s = -sign(a.value);
    const int best = strongestMaximum(2, s, a.position - window + 1, a.position + window - 1, m_eps[2]);
    if (best < 0)
        return false;
    const int position = followLine(best, 2, s, 1.0);
    if (position < 0 || position == a.position || std::abs(position - a.position) >= window)
        return false;
    *partner = Mark{position, w(0, position)};
    return true;
}

std::vector<TQrsChannelDetector::Mark> TQrsChannelDetector::collectMarks(int from, int to)
{
    std::vector<Mark> marks;
    const int merge = std::max(1, int(std::lround(m_state.mergeWindow * m_state.rate)));
    for (int i = std::max(from, m_windowStart); i < std::min(to, m_windowEnd); ++i) {
        if (m_state.markAt(i) == 0)
            continue;
        const Mark mark{i, w(0, i)};
        if (!marks.empty() && sign(marks.back().value) == sign(mark.value) &&
            mark.position - marks.back().position < merge) {
            // One deflection seen twice: keep the larger maximum.
            if (std::fabs(mark.value) > std::fabs(marks.back().value)) {
                erase(marks.back().position);
                marks.back() = mark;
            } else {
                erase(mark.position);
            }
            continue;
        }
        marks.push_back(mark);
    }
    return marks;
}

void TQrsChannelDetector::erase(int position) { m_state.markAt(position) = 0; }

int TQrsChannelDetector::fiducial(int r) const
{
    // The R position jumps between R and S from beat to beat where the two are of
    // a size (the zero crossing at the larger deflection wins), and beats aligned
    // on it average into a smeared complex whose onset comes early and whose end
    // comes late. The centre of the complex's slope energy (the squared scale-2^2
    // transform) moves with the complex only: found as the fixed point of the
    // centroid over a window centred on it, starting at R.
    const int half = std::max(2, int(std::lround(FiducialHalfWidth * m_state.rate)));
    double centre = r;
    for (int iteration = 0; iteration < 8; ++iteration) {
        const int c = int(std::lround(centre));
        double energy = 0.0;
        double moment = 0.0;
        for (int i = std::max(m_windowStart, c - half); i <= std::min(m_windowEnd - 1, c + half); ++i) {
            const double e = w(1, i) * w(1, i);
            energy += e;
            moment += e * i;
        }
        if (energy <= 0.0)
            break;
        const double next = moment / energy;
        const bool settled = std::fabs(next - centre) < 0.5;
        centre = next;
        if (settled)
            break;
    }
    return int(std::lround(centre));
}

TQrsChannelDetector::Pair TQrsChannelDetector::measurePair(const Mark& a, const Mark& b) const
{
    Pair pair;
    pair.amplitude = std::fabs(a.value) + std::fabs(b.value);
    const int spread = std::max(1, int(std::lround(m_state.lineSpread * m_state.rate)));
    for (int i = std::max(m_windowStart, a.position - spread); i <= std::min(m_windowEnd - 1, b.position + spread); ++i)
        pair.strength = std::max(pair.strength, std::fabs(w(2, i)));
    for (int i = a.position; i <= b.position; ++i)
        pair.slope = std::max(pair.slope, std::fabs(w(1, i)));
    // R: the zero crossing of the finest scale between the two maxima; where the
    // transform crosses zero more than once, the one at the largest deflection.
    pair.r = (a.position + b.position) / 2;
    double best = -1.0;
    for (int i = a.position + 1; i <= b.position; ++i) {
        if (sign(w(0, i - 1)) == sign(w(0, i)) && w(0, i) != 0.0)
            continue;
        const int at = std::fabs(w(0, i)) < std::fabs(w(0, i - 1)) ? i : i - 1;
        const double deflection = std::fabs(m_x[size_t(at - m_windowStart)]);
        if (deflection > best) {
            best = deflection;
            pair.r = at;
        }
    }
    return pair;
}

void TQrsChannelDetector::markDisturbances(int from, int to)
{
    // Slots of the new stretch start clear, but for a disturbance that reached
    // into them from the last stretch.
    for (int i = from; i < to; ++i)
        disturbedSlot(i) = quint8((i < m_disturbedUntil ? Artifact : 0) | (i < m_noisyUntil ? Noisy : 0));
    const int pad = int(std::lround(DisturbancePad * m_state.rate));
    const auto mark = [&](int i, quint8 kind) {
        // Back over what has not been walked yet, forward into the next stretch.
        for (int j = std::max(i - pad, m_windowStart); j < std::min(i + pad + 1, to); ++j)
            disturbedSlot(j) |= kind;
        int& until = kind == Artifact ? m_disturbedUntil : m_noisyUntil;
        until = std::max(until, i + pad + 1);
    };
    const auto disturb = [&](int i) { mark(i, Artifact); };
    const double slope = m_slopes.size() >= HistoryLength / 2 ? typicalSlope() : 0.0;
    const int first = std::max(from, m_windowStart + 1);
    if (slope > 0.0) {
        // Overloaded: slopes far beyond any complex of the channel. Overwhelmed:
        // the noise of the last second as large as a good part of them, as
        // in a burst at the rails.
        const bool overwhelmed = recentNoise(to) > OverwhelmedShare * slope;
        // Noise that overwhelms the complexes keeps the channel from detecting;
        // its average, over many beats, may still be clean enough to measure.
        for (int i = first; i < to; ++i) {
            if (std::fabs(w(1, i)) > OverloadRatio * slope) {
                disturb(i);
                noteOverload(i, std::fabs(w(1, i)));
            }
            else if (overwhelmed)
                mark(i, Noisy);
        }
        // Crowded: more large slopes in a short time than any complex has,
        // unless the signal has been crowded for a good part of the last
        // seconds: noise that lasts is the signal's lot, to be detected
        // through.
        const int window = int(BusySeconds * m_state.rate);
        const double follow = 1.0 / (CrowdedFollowSeconds * m_state.rate);
        std::deque<int> extrema;
        for (int i = std::max(m_windowStart + 1, from - window); i < to && i < m_windowEnd - 1; ++i) {
            const double m = std::fabs(w(1, i));
            if (m >= BusyShare * slope && m >= std::fabs(w(1, i - 1)) && m > std::fabs(w(1, i + 1)))
                extrema.push_back(i);
            while (!extrema.empty() && extrema.front() <= i - window)
                extrema.pop_front();
            if (i < first)
                continue;
            const bool crowded = int(extrema.size()) >= BusyCount;
            if (crowded && m_crowdedShare < CrowdedLastingShare)
                disturb(i);
            m_crowdedShare += ((crowded ? 1.0 : 0.0) - m_crowdedShare) * follow;
        }
    }
    if (!m_unfiltered.empty())
        markSaturation(first, to, disturb);
    int undisturbed = 0;
    for (int i = from; i < to; ++i)
        undisturbed += disturbedSlot(i) ? 0 : 1;
    m_quietSamples += undisturbed;
}

template <typename Disturb>
void TQrsChannelDetector::markSaturation(int first, int to, const Disturb& disturb) const
{
    // A flat baseline may be the lowest or highest signal in view, and a broad
    // wave may sit on one code at its top; the rails lie far from the baseline,
    // and the signal hits them with a step. Plateaus entered or left with a
    // step are rare, so what is in view is measured only when there is one.
    const int pinned = std::max(2, int(std::lround(PinnedSeconds * m_state.rate)));
    const auto x = [this](int i) { return m_unfiltered[size_t(i - m_windowStart)]; };
    bool measured = false;
    double lo = 0.0, hi = 0.0, baseline = 0.0;
    const auto railed = [&](int runStart, int runEnd) {
        if (runEnd - runStart < pinned)
            return false;
        const double v = x(runStart);
        const bool steepIn = runStart - 1 >= m_windowStart && std::fabs(v - x(runStart - 1)) >= PinnedEdgeCodes;
        const bool steepOut = runEnd < m_windowEnd && std::fabs(x(runEnd) - v) >= PinnedEdgeCodes;
        if (!steepIn && !steepOut)
            return false;
        if (!measured) {
            const auto range = std::minmax_element(m_unfiltered.begin(), m_unfiltered.end());
            lo = *range.first;
            hi = *range.second;
            baseline = medianOf(m_unfiltered);
            measured = true;
        }
        return hi - lo >= PinnedMinimumSpan && (v >= hi - 2.0 || v <= lo + 2.0) &&
               std::fabs(v - baseline) > PinnedDistance * (hi - lo);
    };
    int runStart = first;
    for (int i = first + 1; i <= to; ++i) {
        if (i < to && x(i) == x(runStart))
            continue;
        // The run [runStart, i) has ended (or reached the end of the stretch).
        if (railed(runStart, i))
            for (int j = runStart; j < i; ++j)
                disturb(j);
        runStart = i;
    }
}

double TQrsChannelDetector::recentNoise(int to) const
{
    // Every second sample tells the median well enough.
    const int from = std::max(m_windowStart, to - int(RecentSeconds * m_state.rate));
    const int end = std::min(to, m_windowEnd);
    std::vector<double> magnitudes(size_t(std::max(0, (end - from + 1) / 2)));
    const double* w1 = m_w[1].data();
    for (size_t k = 0; k < magnitudes.size(); ++k)
        magnitudes[k] = std::fabs(w1[size_t(from - m_windowStart) + 2 * k]);
    return medianOf(std::move(magnitudes));
}

bool TQrsChannelDetector::disturbedAt(int index) const
{
    if (index >= m_windowEnd)
        return index < std::max(m_disturbedUntil, m_noisyUntil);
    return index >= 0 && m_disturbed[size_t(index % int(m_disturbed.size()))] != 0;
}

bool TQrsChannelDetector::artifactWithin(int from, int to) const
{
    for (int i = std::max(0, from); i < to; ++i) {
        const bool artifact = i >= m_windowEnd ? i < m_disturbedUntil
                                               : (m_disturbed[size_t(i % int(m_disturbed.size()))] & Artifact) != 0;
        if (artifact)
            return true;
    }
    return false;
}

bool TQrsChannelDetector::disturbedWithin(int from, int to) const
{
    for (int i = std::max(0, from); i < to; ++i)
        if (disturbedAt(i))
            return true;
    return false;
}

void TQrsChannelDetector::noteOverload(int index, double magnitude)
{
    const double rate = m_state.rate;
    if (m_overloadEnd >= 0 && index - m_overloadEnd <= OverloadJoinSeconds * rate) {
        m_overloadEnd = index;
        m_overloadPeak = std::max(m_overloadPeak, magnitude);
        return;
    }
    // A new overload: the last one is over. It counts when it looked like the
    // complex before it: as brief, as steep, as long after it as that one was
    // after its own, with clean signal between. The overloads of a burst differ
    // and come with noise between them.
    if (m_overloadStart >= 0) {
        const bool brief = m_overloadEnd - m_overloadStart <= BriefOverloadSeconds * rate;
        const int pad = int(std::lround(DisturbancePad * rate));
        const int gap = m_overloadStart - m_previousOverloadEnd;
        const auto near = [](double a, double b) { return a > 0.0 && b > 0.0 && a < SameComplexRatio * b && b < SameComplexRatio * a; };
        const int cleanFrom = m_previousOverloadEnd + pad + 1;
        const int cleanTo = m_overloadStart - pad;
        const bool likeAComplex = m_previousOverloadEnd >= 0 && cleanTo - cleanFrom >= CleanBetweenSeconds * rate &&
                                  gap <= LongestOverloadInterval * rate && near(m_overloadPeak, m_previousOverloadPeak) &&
                                  (m_previousOverloadGap <= 0 || near(double(gap), double(m_previousOverloadGap))) &&
                                  !disturbedWithin(cleanFrom, cleanTo);
        m_briefOverloads = brief ? (likeAComplex ? m_briefOverloads + 1 : 1) : 0;
        m_previousOverloadGap = likeAComplex ? gap : 0;
        m_previousOverloadEnd = m_overloadEnd;
        m_previousOverloadPeak = brief ? m_overloadPeak : 0.0;
        if (m_briefOverloads >= RecurringOverloads) {
            m_briefOverloads = 0;
            m_relearn = true;
        }
    }
    m_overloadStart = m_overloadEnd = index;
    m_overloadPeak = magnitude;
}

void TQrsChannelDetector::forgetReferences()
{
    m_relearn = false;
    m_state.learned = false;
    m_amplitudes.clear();
    m_strengths.clear();
    m_slopes.clear();
    m_refusals = 0;
    m_quietSamples = 0;
}

double TQrsChannelDetector::surroundingLevel(int first, int last) const
{
    const int gap = int(std::lround(ContextGap * m_state.rate));
    const int span = int(std::lround(ContextSeconds * m_state.rate));
    const auto medianMagnitude = [this](int from, int to) {
        from = std::max(from, m_windowStart);
        to = std::min(to, m_windowEnd);
        std::vector<double> values(size_t(std::max(0, to - from)));
        for (size_t k = 0; k < values.size(); ++k)
            values[k] = std::fabs(w(1, from + int(k)));
        return medianOf(std::move(values));
    };
    return std::max(medianMagnitude(first - gap - span, first - gap), medianMagnitude(last + gap, last + gap + span));
}

void TQrsChannelDetector::seedReferences(const std::vector<Mark>& marks)
{
    // Before the first complex, learn from the strongest pairs in view.
    const int pairWindow = int(PairWindow * m_state.rate);
    double amplitude = 0.0;
    double strength = 0.0;
    for (size_t i = 0; i + 1 < marks.size(); ++i) {
        if (sign(marks[i].value) == sign(marks[i + 1].value) ||
            marks[i + 1].position - marks[i].position >= pairWindow)
            continue;
        const Pair pair = measurePair(marks[i], marks[i + 1]);
        amplitude = std::max(amplitude, pair.amplitude);
        strength = std::max(strength, pair.strength);
    }
    m_seedAmplitude = 0.5 * amplitude;
    m_seedStrength = 0.5 * strength;
}

void TQrsChannelDetector::detect(int from, int to, std::deque<TQrsCandidate>& out, bool last)
{
    if (!m_source || !m_wavelets || to <= from)
        return;
    const int rate = m_state.rate;
    loadWindow(to - int(WindowSeconds * rate), to);
    markDisturbances(from, to);
    computeThresholds(to);
    // A line starts at a scale-2^4 maximum, which needs the sample after it, and
    // steps up to a line spread at each finer scale, where it needs extrema on
    // both sides: lines are followed only where all of that is in view, so the
    // search of a stretch stops this far short of its end and the next one takes
    // over there. The marks of those lines still fall before the stretch, whose
    // slots are cleared of the marks of ten seconds ago.
    for (int i = std::max(from, m_windowStart); i < to; ++i)
        erase(i);
    findLines(from - lineLag(), last ? to : to - lineLag(), 1.0);

    if (m_state.scanPosition < from - 3 * rate) {
        m_state.scanPosition = from;
        m_state.searchedBack = false;
        m_state.scanMoved = true;
    }
    m_state.scanPosition = std::max(m_state.scanPosition, m_windowStart);
    walk(to, last, out);
}

void TQrsChannelDetector::walk(int to, bool last, std::deque<TQrsCandidate>& out)
{
    TQrsChannelState& s = m_state;
    const int rate = s.rate;
    const int pairWindow = int(PairWindow * rate);
    const int competition = int(s.partnerWindow * rate);
    const int isolation = int(s.isolation * rate);
    // Pairs ending this close to the end wait for the next step: their partner
    // or a competitor may still come, and the lines near the end are not all
    // followed yet.
    const int walkEnd = last ? to : to - walkMargin();

    std::vector<Mark> marks = collectMarks(s.scanPosition, to);
    if (m_relearn || (s.learned && m_refusals >= RelearnRefusals &&
                      m_quietSamples > std::max(RelearnSeconds, RelearnIntervals * s.meanRR) * rate))
        forgetReferences();
    if (!s.learned)
        seedReferences(marks);

    size_t i = 0;
    while (i < marks.size()) {
        const Mark a = marks[i];
        if (a.position >= walkEnd)
            break;
        const bool paired = i + 1 < marks.size() && sign(marks[i + 1].value) != sign(a.value) &&
                            marks[i + 1].position - a.position < pairWindow;
        if (!paired) {
            const bool partnerBefore = i > 0 && sign(marks[i - 1].value) != sign(a.value) &&
                                       a.position - marks[i - 1].position < isolation;
            const bool partnerAfter = i + 1 < marks.size() && sign(marks[i + 1].value) != sign(a.value) &&
                                      marks[i + 1].position - a.position < isolation;
            Mark partner{0, 0.0};
            if (!partnerBefore && !partnerAfter && findPartner(a, &partner)) {
                // Taken only where no other mark lies between the two, so that
                // the pair is walked next.
                const bool before = partner.position < a.position;
                const bool adjacent = before ? i == 0 || marks[i - 1].position < partner.position
                                             : i + 1 == marks.size() || marks[i + 1].position > partner.position;
                if (adjacent) {
                    m_state.markAt(partner.position) = sign(partner.value);
                    marks.insert(marks.begin() + long(before ? i : i + 1), partner);
                    continue;
                }
            }
            if (!partnerBefore && !partnerAfter)
                erase(a.position); // isolated maximum: noise
            ++i;
            continue;
        }
        const Mark b = marks[i + 1];
        if (b.position >= walkEnd)
            break;
        // A larger partner of b's on its other side makes the better complex.
        if (i + 2 < marks.size()) {
            const Mark c = marks[i + 2];
            if (sign(c.value) == sign(a.value) && c.position - b.position < competition &&
                s.partnerRatio * std::fabs(c.value) > std::fabs(a.value)) {
                ++i;
                continue;
            }
        }

        // Nothing in a disturbed stretch is a complex.
        if (disturbedWithin(a.position, b.position + 1)) {
            ++i;
            continue;
        }
        const Pair pair = measurePair(a, b);
        if (s.hasLastR && pair.r <= s.lastR) {
            i += 2;
            continue;
        }
        const double rr = s.hasLastR ? (pair.r - s.lastR) * s.inverseRate : 0.0;
        if (s.hasLastR && rr < RedundantWindow) {
            erase(a.position);
            erase(b.position);
            i += 2;
            continue;
        }
        const bool inSearchBack = s.searchedBack && pair.r < s.searchBackEnd;
        const double lowered = inSearchBack ? 0.7 : 1.0;
        const double refAmplitude = s.learned ? medianOf(m_amplitudes) : m_seedAmplitude;
        const double refStrength = s.learned ? medianOf(m_strengths) : m_seedStrength;
                if (pair.slope < NoiseGate * m_noise || pair.slope < ContextGate * surroundingLevel(a.position, b.position)) {
            ++i;
            continue;
        }
        if (pair.amplitude < lowered * AmplitudeGate * refAmplitude ||
            pair.strength < lowered * StrengthGate * refStrength) {
            ++m_refusals;
            ++i;
            continue;
        }
        if (s.hasLastR) {
            const double tWindow = std::max(s.refractory, std::min(0.36, 0.6 * s.meanRR));
            if ((rr < s.refractory && pair.amplitude < s.partnerRatio * m_lastAmplitude) ||
                (rr < tWindow && pair.amplitude < TWaveAmplitude * m_lastAmplitude)) {
                ++i;
                continue;
            }
            // A long pause: look again between the last complex and this one with
            // lowered thresholds, once.
            if (s.meanRR > 0.0 && rr > 1.4 * s.meanRR && !(s.searchedBack && s.searchBackEnd >= pair.r)) {
                const int redundant = int(RedundantWindow * rate);
                findLines(s.lastR + redundant, pair.r - redundant, 0.7);
                s.searchedBack = true;
                s.searchBackEnd = pair.r;
                marks = collectMarks(s.lastR + 1, to);
                i = 0;
                continue;
            }
        }
        accept(a, b, pair, out);
        s.scanPosition = b.position + 1;
        i += 2;
    }
    if (i < marks.size())
        s.scanPosition = std::max(s.scanPosition, marks[i].position);
    else
        s.scanPosition = std::max(s.scanPosition, walkEnd);
}

void TQrsChannelDetector::accept(const Mark& a, const Mark& b, const Pair& pair, std::deque<TQrsCandidate>& out)
{
    TQrsChannelState& s = m_state;
    const double rr = s.hasLastR ? (pair.r - s.lastR) * s.inverseRate : 0.0;

    TQrsCandidate candidate;
    candidate.record.fields[BeatPointR] = pair.r;
    candidate.record.fields[BeatPointOwnR] = pair.r;
    candidate.record.fields[BeatPointFiducial] = fiducial(pair.r);
    candidate.record.fields[BeatPointFirstMark] = a.position;
    candidate.record.fields[BeatPointSecondMark] = b.position;
    candidate.record.flags[1] = 1;
    candidate.amplitude = pair.amplitude;
    candidate.strength = pair.strength;
    candidate.clearance = m_noise > 0.0 ? pair.slope / m_noise : std::numeric_limits<double>::infinity();

    // Wave points of this single beat.
    const int before = int(0.35 * s.rate);
    const int after = int(0.6 * s.rate);
    const int start = std::max(0, pair.r - before);
    const int end = std::min(m_source->length(), pair.r + after);
    if (end - start > 16) {
        std::vector<double> x(size_t(end - start));
        m_source->samples(m_channel, start, end - start, x.data());
        const double meanRR = s.meanRR > 0.0 ? s.meanRR : (rr > 0.3 && rr < 2.0 ? rr : 0.8);
        const TWavePoints p = m_delineator.measure(x.data(), int(x.size()), s.rate, pair.r - start,
                                                   int(meanRR * s.rate));
        const std::pair<int, int> points[] = {{BeatPointPOnset, p.pOnset},   {BeatPointPPeak, p.pPeak},
                                              {BeatPointPEnd, p.pEnd},       {BeatPointQrsOnset, p.qrsOnset},
                                              {BeatPointQrsEnd, p.qrsEnd},   {BeatPointTOnset, p.tOnset},
                                              {BeatPointTPeak, p.tPeak},     {BeatPointTEnd, p.tEnd}};
        for (const auto& point : points)
            if (point.second >= 0)
                candidate.record.fields[point.first] = start + point.second;
    }
    out.push_back(candidate);

    if (s.hasLastR && rr > 0.15 && rr < 2.0)
        s.meanRR = s.meanRR > 0.0 ? 0.8 * s.meanRR + 0.2 * rr : rr;
    s.lastR = pair.r;
    s.hasLastR = true;
    s.learned = true;
    m_refusals = 0;
    // A complex of its own: what it learned holds; unless the complexes it
    // takes are slight beside overloads that keep coming in step (small waves
    // or steps of a coarse signal taken for its complexes).
    if (!(m_previousOverloadPeak > FarOverloadRatio * pair.slope))
        m_briefOverloads = 0;
    m_quietSamples = 0;
    m_lastAmplitude = pair.amplitude;
    remember(m_amplitudes, pair.amplitude);
    remember(m_strengths, pair.strength);
    remember(m_slopes, pair.slope);
}
