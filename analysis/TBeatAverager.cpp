#include "TBeatAverager.h"

#include "TDominantMorphology.h"
#include "TMedian.h"
#include "TSignalBuffer.h"

#include <algorithm>
#include <cmath>

namespace {

const std::vector<double> noBeat;

// With this many segments or more, those far from the median beat are left out:
// further than this many times the median distance, and this many codes. Below
// the lowest quarter of the distances (and this many codes) all weigh alike.
constexpr size_t MinimumForOutliers = 3;
constexpr double OutlierRatio = 3.0;
constexpr double OutlierFloorCodes = 2.0;
// The median beat is taken of at most this many segments, at every this many
// samples (8 ms at 250 per second).
constexpr size_t MedianSegments = 15;
constexpr size_t MedianStep = 2;
// A rhythm is irregular when fewer than half of at least this many beats are
// regular; an interval under this share of the median is early there.
constexpr size_t IrregularMinimum = 4;
constexpr double IrregularEarlyShare = 0.5;
// The shape of a beat's complex: from 60 ms before R to 80 ms after it, at
// 250 samples per second, compared at offsets up to 8 ms.
constexpr double ShapeBeforeR = 0.06;
constexpr double ShapeAfterR = 0.08;
constexpr int ShapeRate = 250;
constexpr double ShapeLag = 0.008;
// The shape is judged on at most this many leads, spread over the recording's
// leads: three leads of different directions tell a beat of another shape as
// well as twelve, and the others need not be filtered before a first paint.
constexpr size_t ShapeLeads = 3;

bool disturbed(const TBeat& beat, int channel)
{
    return beat.hasLeadValue(channel, TBeat::Flag8) && beat.leadValue(channel, TBeat::Flag8) != 0.0;
}

} // namespace

TBeatAverager::TBeatAverager(const TSignalBuffer* source, double windowSeconds) : m_window(windowSeconds)
{
    setSource(source);
}

int TBeatAverager::channelCount() const
{
    return m_source ? std::min(m_source->channelCount(), int(TBeat::MaxLeads)) : 0;
}

TBeatAverager::Template TBeatAverager::templateFor(double meanRR, int rate)
{
    // Whole steps, rounded up: a part just over a step boundary by rounding
    // error stays on it.
    auto stepped = [](double seconds) { return std::ceil(seconds / TemplateStep - 1e-6) * TemplateStep; };
    const double rr = meanRR > 0.0 ? meanRR : 0.0;
    const double before = std::max(MinimumBeforeR, stepped(ShareBeforeR * rr));
    const double after = std::max(MinimumAfterR, stepped(ShareAfterR * rr));
    Template t;
    if (rate <= 0)
        return t;
    t.rIndex = int(std::lround(before * rate));
    t.length = t.rIndex + int(std::lround(after * rate));
    return t;
}

int TBeatAverager::templateLength()
{
    recomputeIfStale();
    return m_length;
}

int TBeatAverager::rIndex()
{
    recomputeIfStale();
    return m_rIndex;
}

void TBeatAverager::setSource(const TSignalBuffer* source)
{
    m_source = source;
    fullReset();
}

void TBeatAverager::setTemplate(const Template& t)
{
    if (t.length == m_length && t.rIndex == m_rIndex && m_averages.size() == size_t(channelCount()))
        return;
    m_length = t.length;
    m_rIndex = t.rIndex;
    m_averages.assign(size_t(channelCount()), std::vector<double>(size_t(m_length), 0.0));
    m_pending.assign(size_t(channelCount()), false);
    m_segment.assign(size_t(m_length), 0.0);
    // Segments read for another template are read again.
    for (CachedSegments& cached : m_cache)
        cached.values.clear();
}

void TBeatAverager::fullReset()
{
    m_beats.clear();
    m_cache.clear();
    m_length = m_rIndex = -1;
    setTemplate(templateFor(0.0, m_source ? m_source->samplingRate() : 0));
    m_references = m_averages;
    m_referenceRIndex = m_rIndex;
    m_hasReference = false;
    m_referenceChannel = 0;
    m_meanRR = 0.0;
    m_beatCount = 0;
    m_averagedTimes.clear();
    m_stale = false;
}

void TBeatAverager::reset()
{
    // The beats go too: an average recomputed from them would bring back what was
    // cleared.
    m_beats.clear();
    m_cache.clear();
    setTemplate(templateFor(0.0, m_source ? m_source->samplingRate() : 0));
    for (auto& a : m_averages)
        std::fill(a.begin(), a.end(), 0.0);
    m_pending.assign(m_averages.size(), false);
    m_meanRR = 0.0;
    m_beatCount = 0;
    m_averagedTimes.clear();
    m_stale = false;
}

std::vector<double> TBeatAverager::recentIntervals() const
{
    std::vector<double> intervals;
    intervals.reserve(m_beats.size());
    for (const TBeat& b : m_beats)
        if (b.value(TBeat::RR) > 0.0)
            intervals.push_back(b.value(TBeat::RR));
    return intervals;
}

void TBeatAverager::addBeat(const TBeat& beat)
{
    m_beats.push_back(beat);
    m_cache.emplace_back();
    const double newest = beat.time();
    while (!m_beats.empty() && m_beats.front().time() < newest - m_window) {
        m_beats.pop_front();
        m_cache.pop_front();
    }
    m_stale = true;
}

const std::vector<double>& TBeatAverager::average(int channel)
{
    recomputeIfStale();
    if (channel < 0 || channel >= int(m_averages.size()))
        return noBeat;
    averageIfPending(channel);
    return m_averages[size_t(channel)];
}

void TBeatAverager::averageIfPending(int channel)
{
    if (!m_pending[size_t(channel)])
        return;
    m_pending[size_t(channel)] = false;
    // A lead whose signal was disturbed over a beat (saturated, overloaded,
    // crowded with noise, lost) leaves that beat out of its own average, and so
    // does a segment far unlike the lead's others (the decay of an electrode
    // pop, a baseline jump, a burst of muscle noise).
    averageSegments(channel, cleanBeats(channel));
}

std::vector<double> TBeatAverager::standardError(int channel)
{
    recomputeIfStale();
    std::vector<double> error;
    if (channel < 0 || channel >= int(m_averages.size()))
        return error;
    const std::vector<size_t> clean = cleanBeats(channel);
    if (clean.size() < 3)
        return error;
    const size_t length = size_t(m_length);
    std::vector<double> sums(length, 0.0), squares(length, 0.0);
    for (size_t i : clean) {
        const double* s = segment(i, channel);
        for (size_t k = 0; k < length; ++k) {
            sums[k] += s[k];
            squares[k] += s[k] * s[k];
        }
    }
    const double n = double(clean.size());
    error.resize(length);
    for (size_t k = 0; k < length; ++k) {
        const double mean = sums[k] / n;
        error[k] = std::sqrt(std::max(0.0, squares[k] / n - mean * mean) / (n - 1.0));
    }
    return error;
}

std::vector<size_t> TBeatAverager::cleanBeats(int channel) const
{
    std::vector<size_t> clean;
    clean.reserve(m_chosen.size());
    for (size_t i : m_chosen)
        if (!disturbed(m_beats[i], channel))
            clean.push_back(i);
    return clean;
}

int TBeatAverager::beatCount()
{
    recomputeIfStale();
    return m_beatCount;
}

const std::vector<double>& TBeatAverager::averagedBeatTimes()
{
    recomputeIfStale();
    return m_averagedTimes;
}

int TBeatAverager::referenceChannel()
{
    recomputeIfStale();
    return m_referenceChannel;
}

double TBeatAverager::meanRR()
{
    recomputeIfStale();
    return m_meanRR;
}

std::vector<double> TBeatAverager::averagedIntervals()
{
    recomputeIfStale();
    std::vector<double> intervals;
    intervals.reserve(m_chosen.size());
    for (size_t i : m_chosen)
        intervals.push_back(m_beats[i].value(TBeat::RR));
    return intervals;
}

const std::vector<double>& TBeatAverager::referenceBeat(int channel) const
{
    return channel >= 0 && channel < int(m_references.size()) ? m_references[size_t(channel)] : noBeat;
}

void TBeatAverager::takeReference()
{
    recomputeIfStale();
    for (int c = 0; c < int(m_averages.size()); ++c)
        averageIfPending(c);
    m_references = m_averages;
    m_referenceRIndex = m_rIndex;
    m_hasReference = true;
}

void TBeatAverager::recomputeIfStale()
{
    if (m_stale) {
        recompute();
        m_stale = false;
    }
}

void TBeatAverager::readSegment(int channel, double alignmentTime, double* out) const
{
    // The template's samples around the alignment time (R at the R index), the
    // segment's own mean removed; samples outside the source read as 0.
    const int start = m_source->index(alignmentTime) - m_rIndex;
    m_source->samples(channel, start, m_length, out);
    double mean = 0.0;
    for (int i = 0; i < m_length; ++i)
        mean += out[i];
    mean /= std::max(1, m_length);
    for (int i = 0; i < m_length; ++i)
        out[i] -= mean;
}

const double* TBeatAverager::segment(size_t beat, int channel)
{
    // A beat's segments stay as they are while it is averaged on the same
    // alignment: they are read once.
    CachedSegments& cached = m_cache[beat];
    const double alignment = m_beats[beat].leadValue(m_referenceChannel, TBeat::Fiducial);
    const size_t length = size_t(m_length);
    if (cached.alignment != alignment || cached.values.empty()) {
        cached.alignment = alignment;
        cached.values.assign(size_t(channelCount()), std::vector<double>());
        cached.read.assign(size_t(channelCount()), false);
    }
    // Room only for the channels asked for: most are never read.
    std::vector<double>& values = cached.values[size_t(channel)];
    if (values.size() != length)
        values.assign(length, 0.0);
    if (!cached.read[size_t(channel)]) {
        readSegment(channel, alignment, values.data());
        // A segment that reaches past the signal's end is read again next time.
        cached.read[size_t(channel)] = m_source->index(alignment) - m_rIndex + m_length <= m_source->length();
    }
    return values.data();
}

void TBeatAverager::averageSegments(int channel, const std::vector<size_t>& beats)
{
    const size_t n = beats.size();
    const size_t length = size_t(m_length);
    std::vector<double>& average = m_averages[size_t(channel)];
    if (n == 0)
        return;
    std::vector<const double*> segments(n);
    for (size_t k = 0; k < n; ++k)
        segments[k] = segment(beats[k], channel);
    // Each segment counts inversely to its noise, the square of its distance
    // from the median beat, so that beats in a burst of muscle noise add
    // little; segments far from it count not at all. Alike segments count
    // alike. Every few samples of a spread of the segments tell the median beat
    // and the distances well enough, at a fraction of the work.
    std::vector<double> weights(n, 1.0);
    if (n >= MinimumForOutliers) {
        const size_t points = (length + MedianStep - 1) / MedianStep;
        m_median.assign(length, 0.0);
        medianBeat(segments, MedianSegments, 0, int(length), int(MedianStep), m_median);
        std::vector<double> distances(n);
        for (size_t k = 0; k < n; ++k) {
            double sum = 0.0;
            for (size_t p = 0; p < points; ++p) {
                const double d = segments[k][p * MedianStep] - m_median[p * MedianStep];
                sum += d * d;
            }
            distances[k] = std::sqrt(sum / double(points));
        }
        std::vector<double> sorted = distances;
        std::sort(sorted.begin(), sorted.end());
        const double limit = std::max(OutlierRatio * sorted[n / 2], OutlierFloorCodes);
        const double floor = std::max(sorted[n / 4], OutlierFloorCodes);
        for (size_t k = 0; k < n; ++k) {
            const double d = std::max(distances[k], floor);
            weights[k] = distances[k] <= limit ? 1.0 / (d * d) : 0.0;
        }
    }
    double total = 0.0;
    for (double w : weights)
        total += w;
    double* out = average.data();
    for (size_t k = 0; k < n; ++k) {
        if (weights[k] <= 0.0)
            continue;
        const double share = weights[k] / total;
        const double* values = segments[k];
        for (size_t i = 0; i < length; ++i)
            out[i] += values[i] * share;
    }
}

bool TBeatAverager::recompute()
{
    for (auto& a : m_averages)
        std::fill(a.begin(), a.end(), 0.0);
    m_pending.assign(m_averages.size(), false);
    m_chosen.clear();
    m_beatCount = 0;
    m_averagedTimes.clear();
    m_meanRR = 0.0;
    const int channels = channelCount();
    if (channels == 0 || m_length == 0)
        return false;

    auto detected = [](const TBeat& b, int channel) {
        return b.hasLeadValue(channel, TBeat::Fiducial) && b.hasLeadValue(channel, TBeat::DetectionFlag) &&
               b.leadValue(channel, TBeat::DetectionFlag) == 1.0;
    };
    // Reference channel: the one that detected most beats; the lowest wins ties.
    int bestCount = -1;
    for (int c = 0; c < channels; ++c) {
        int count = 0;
        for (const TBeat& b : m_beats)
            count += detected(b, c);
        if (count > bestCount) {
            bestCount = count;
            m_referenceChannel = c;
        }
    }

    std::vector<size_t> qualifying;
    std::vector<size_t> candidates; // detected, with an RR in range
    double rrSum = 0.0;
    for (size_t i = 0; i < m_beats.size(); ++i) {
        const TBeat& b = m_beats[i];
        const double rr = b.value(TBeat::RR);
        const double mean = b.value(TBeat::MeanRR);
        if (!detected(b, m_referenceChannel) || !b.hasValue(TBeat::RR) || !(rr > MinimumRR && rr < MaximumRR))
            continue;
        candidates.push_back(i);
        if (!(mean > 0.0))
            continue;
        const double ratio = rr / mean;
        if (!(ratio > 0.85 && ratio < 1.2))
            continue;
        // A regular beat followed by an early one carries that beat's QRS in its
        // own ST segment or T wave, and would print it into the average.
        if (i + 1 < m_beats.size() && m_beats[i + 1].time() - b.time() < 0.85 * mean)
            continue;
        qualifying.push_back(i);
        rrSum += rr;
    }
    if (2 * qualifying.size() < candidates.size() && candidates.size() >= IrregularMinimum) {
        // An irregular rhythm (atrial fibrillation, a dog's strong sinus
        // arrhythmia): no interval is the rhythm's, and the rule above leaves
        // few beats or none. Every beat counts but an early one and one followed
        // by an early one, whose T wave carries the next QRS.
        std::vector<double> intervals;
        for (size_t i : candidates)
            intervals.push_back(m_beats[i].value(TBeat::RR));
        std::nth_element(intervals.begin(), intervals.begin() + long(intervals.size() / 2), intervals.end());
        const double early = IrregularEarlyShare * intervals[intervals.size() / 2];
        qualifying.clear();
        rrSum = 0.0;
        for (size_t i : candidates) {
            const double rr = m_beats[i].value(TBeat::RR);
            if (rr < early || (i + 1 < m_beats.size() && m_beats[i + 1].time() - m_beats[i].time() < early))
                continue;
            qualifying.push_back(i);
            rrSum += rr;
        }
    }
    if (qualifying.empty())
        return false;

    m_meanRR = rrSum / double(qualifying.size());
    setTemplate(templateFor(m_meanRR, m_source->samplingRate()));
    keepDominantShape(qualifying);
    m_beatCount = int(qualifying.size());
    for (size_t i : qualifying)
        m_averagedTimes.push_back(m_beats[i].time());
    // Each channel is averaged over these beats when it is asked for.
    m_chosen = std::move(qualifying);
    m_pending.assign(m_averages.size(), true);
    return true;
}

void TBeatAverager::keepDominantShape(std::vector<size_t>& beats)
{
    // Judged on the leads whose signal was disturbed over the fewest of the
    // beats (a disturbed segment is no shape of the heart's): over a long
    // stretch of exercise every lead may have had its moment. A beat disturbed
    // on one of them is not judged; its own flags keep it out where it should be.
    std::vector<int> disturbedBeats(size_t(channelCount()), 0);
    for (size_t i : beats)
        for (int c = 0; c < channelCount(); ++c)
            disturbedBeats[size_t(c)] += disturbed(m_beats[i], c);
    if (disturbedBeats.empty())
        return;
    const int fewest = *std::min_element(disturbedBeats.begin(), disturbedBeats.end());
    if (2 * size_t(fewest) > beats.size())
        return;
    std::vector<int> cleanest;
    for (int c = 0; c < channelCount(); ++c)
        if (disturbedBeats[size_t(c)] == fewest)
            cleanest.push_back(c);
    std::vector<int> leads;
    const size_t count = std::min(ShapeLeads, cleanest.size());
    for (size_t k = 0; k < count; ++k)
        leads.push_back(cleanest[std::max<size_t>(1, (2 * k + 1) * cleanest.size() / (2 * count)) - 1]);
    std::vector<size_t> judged;
    for (size_t i : beats)
        if (std::none_of(leads.begin(), leads.end(), [&](int c) { return disturbed(m_beats[i], c); }))
            judged.push_back(i);
    // The segments are read as the choice needs them.
    const auto complexSegment = [&](size_t beat, size_t lead) { return segment(judged[beat], leads[lead]); };
    const int rate = m_source->samplingRate();
    const int lag = int(std::lround(ShapeLag * rate));
    const int from = std::max(lag, m_rIndex - int(std::lround(ShapeBeforeR * rate)));
    const int to = std::min(m_length - lag, m_rIndex + int(std::lround(ShapeAfterR * rate)));
    const int step = std::max(1, rate / ShapeRate);
    const std::vector<size_t> kept =
        TDominantMorphology::select(judged.size(), leads.size(), complexSegment, from, to, step, lag);
    if (kept.size() == judged.size())
        return;
    std::vector<bool> other(m_beats.size(), false);
    for (size_t i : judged)
        other[i] = true;
    for (size_t k : kept)
        other[judged[k]] = false;
    beats.erase(std::remove_if(beats.begin(), beats.end(), [&](size_t i) { return other[i]; }), beats.end());
}

void TBeatAverager::useBeat(const TBeat& beat)
{
    const double meanRR = beat.hasValue(TBeat::MeanRR) && beat.value(TBeat::MeanRR) > 0.0 ? beat.value(TBeat::MeanRR)
                          : beat.hasValue(TBeat::RR)                                       ? beat.value(TBeat::RR)
                                                                                           : 0.0;
    setTemplate(templateFor(meanRR, m_source ? m_source->samplingRate() : 0));
    for (auto& a : m_averages)
        std::fill(a.begin(), a.end(), 0.0);
    m_pending.assign(m_averages.size(), false);
    m_chosen.clear();
    const int channels = channelCount();
    int aligned = -1;
    for (int c = 0; c < channels && aligned < 0; ++c)
        if (beat.hasLeadValue(c, TBeat::Fiducial))
            aligned = c;
    m_stale = false;
    m_beatCount = 1;
    m_averagedTimes.clear();
    m_meanRR = beat.hasValue(TBeat::RR) ? beat.value(TBeat::RR) : 0.0;
    if (aligned < 0) {
        m_beatCount = 0;
        return;
    }
    m_referenceChannel = aligned;
    m_averagedTimes.assign(1, beat.time());
    const double alignment = beat.leadValue(aligned, TBeat::Fiducial);
    for (int c = 0; c < channels; ++c)
        readSegment(c, alignment, m_averages[size_t(c)].data());
}
