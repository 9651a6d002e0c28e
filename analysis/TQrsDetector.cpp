#include "TQrsDetector.h"

#include "TBeatPoint.h"
#include "TBeatSink.h"
#include "TMedian.h"
#include "TQrsDetectorListener.h"
#include "TQrsWavelets.h"
#include "TSignalBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cmath>

namespace {


// Channels whose complex lies further than this from the earliest one (the gap
// between their slopes) belong to another beat, or to none.
constexpr double FusionSpread = 0.05;
constexpr double BlankingSeconds = 0.1;
// A channel whose signal is disturbed this close to a beat's R has no say in it.
constexpr double DisturbedQrsSeconds = 0.1;
// A lead that moves no more than this over a beat has no signal.
constexpr double SignallessCodes = 2.0;
// A fused beat waits at most this long (plus the walk's margin) for channels
// that may still find it by a search back.
constexpr double SettleSeconds = 3.0;
// The per-channel search sees a few seconds of transform at a time, so long
// stretches are searched in steps of at most this.
constexpr double SearchStep = 1.0;
// Two fused beats closer than this cannot both be heartbeats (at the rates
// seen, the second is a T wave or a second look at a wide complex): the weaker
// gives way. Also never more than half the mean RR.
constexpr double ConflictSeconds = 0.28;
constexpr double ShortestRR = 0.15;
// The longest interval of a rhythm's mean RR: 25 per minute, a horse at rest.
constexpr double LongestRR = 2.5;
// Longer intervals than this belong to the rhythm only when the one before was
// alike: a slow heart beats that slowly every time, a pause comes once.
constexpr double LongRR = 2.0;
constexpr double AlikeScores = 0.9;
// A usable channel that shows less than this part of its typical complex where
// the others see one votes against the beat.
constexpr double AbsentStrength = 0.18;
constexpr double QuietSurroundings = 1.5;
constexpr double ReliabilityWeight = 0.1;
// A complex that one lead alone sees (the others quiet there, or disturbed)
// and that stands less than this many times above that lead's noise is no
// premature beat: in the rhythm it is a beat the noise half hides, early it is
// noise. The channels take complexes from four times their noise on, to detect
// through noise; alone and early, a complex stands as far out as a channel
// asked of every complex before that.
constexpr double AloneClearance = 6.0;
constexpr double AloneEarlyShare = 0.75;

// Vote weight of a channel with the full lead table: limb leads little, the
// lateral precordial leads, where a complex is clearest, most.
int voteWeight(int channel)
{
    if (channel < 6)
        return 1;
    if (channel < 9)
        return 5;
    if (channel < 12)
        return 10;
    return 0;
}

// Samples between two channels' complexes, 0 where they overlap. A complex
// spans the steepest slopes its channel paired; where those are missing, it is
// its R point. Leads see the same depolarisation at the same time, but the
// largest deflection, and with it the R point, may be the R wave in one lead
// and the S wave in another: in wide or aberrated complexes these lie further
// apart than two views of one beat may, while their slopes still overlap.
int complexGap(const TQrsCandidate& a, const TQrsCandidate& b)
{
    const auto extent = [](const TBeatRecord& record, int* start, int* end) {
        const int r = record.rPosition();
        *start = r;
        *end = r;
        if (record.hasField(BeatPointFirstMark))
            *start = std::min(r, record.fields[BeatPointFirstMark]);
        if (record.hasField(BeatPointSecondMark))
            *end = std::max(r, record.fields[BeatPointSecondMark]);
    };
    int aStart = 0, aEnd = 0, bStart = 0, bEnd = 0;
    extent(a.record, &aStart, &aEnd);
    extent(b.record, &bStart, &bEnd);
    return std::max(0, std::max(bStart - aEnd, aStart - bEnd));
}

} // namespace

TQrsDetector::TQrsDetector(TSignalBuffer* source, double startTime, double endTime)
    : m_source(source), m_startTime(startTime), m_endTime(endTime > startTime ? endTime : 0.0),
      m_rate(source && source->samplingRate() > 0 ? source->samplingRate() : 250), m_delaySamples(m_rate),
      m_quality(m_rate)
{
    if (!m_source)
        return;
    m_wavelets = std::make_unique<TQrsWavelets>(m_source);
    const int channels = m_source->channelCount();
    m_queues.resize(size_t(channels));
    m_reliability.assign(size_t(channels), 1.0);
    m_lost.assign(size_t(channels), false);
    m_lostCache.assign(size_t(channels), LostCache());
    for (int c = 0; c < channels; ++c)
        m_channels.push_back(std::make_unique<TQrsChannelDetector>(m_source, m_wavelets.get(), c));
}

TQrsDetector::~TQrsDetector() = default;

void TQrsDetector::setUnfilteredSource(const TSignalBuffer* unfiltered)
{
    for (auto& channel : m_channels)
        channel->setUnfilteredSource(unfiltered);
}

void TQrsDetector::addListener(TQrsDetectorListener* listener)
{
    if (listener)
        m_listeners.push_back(listener);
}

void TQrsDetector::removeListener(TQrsDetectorListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

double TQrsDetector::processedTime() const { return double(m_handed) / m_rate; }

void TQrsDetector::process()
{
    if (!m_source || m_channels.empty())
        return;
    m_wavelets->process();
    search(std::min(m_source->length() - m_delaySamples, m_wavelets->available()));
    fuse(false);
}

void TQrsDetector::finish(double endTime)
{
    if (!m_source || m_channels.empty())
        return;
    if (endTime > m_startTime && (m_endTime <= 0.0 || endTime < m_endTime))
        m_endTime = endTime;
    m_wavelets->process();
    search(m_wavelets->available(), true);
    fuse(true);
    if (m_hasHeld) {
        m_hasHeld = false;
        emitBeat(m_heldBeat, m_heldRecords);
    }
}

void TQrsDetector::search(int to, bool last)
{
    const int step = std::max(1, int(SearchStep * m_rate));
    while (m_handed < to) {
        const int next = std::min(to, m_handed + step);
        for (size_t c = 0; c < m_channels.size(); ++c)
            m_channels[c]->detect(m_handed, next, m_queues[c], last && next == to);
        m_handed = next;
    }
}

bool TQrsDetector::anyChannelHas(int count) const
{
    for (const auto& queue : m_queues)
        if (int(queue.size()) >= count)
            return true;
    return false;
}

void TQrsDetector::dropBlanked()
{
    if (!m_blanking || !m_hasLastBeat)
        return;
    const int limit = m_source->index(m_lastBeatTime + BlankingSeconds);
    for (auto& queue : m_queues)
        while (!queue.empty() && queue.front().record.rPosition() <= limit)
            queue.pop_front();
}

TQrsDetector::Fused TQrsDetector::gather(const std::vector<size_t>& skip, std::vector<int>* takingPart) const
{
    const int channels = int(m_channels.size());
    const int spread = int(FusionSpread * m_rate);
    Fused beat;
    beat.records.assign(size_t(channels), TBeatRecord());
    beat.strengths.assign(size_t(channels), 0.0);
    beat.clearances.assign(size_t(channels), 0.0);
    takingPart->clear();
    int earliest = -1;
    int earliestChannel = -1;
    for (int c = 0; c < channels; ++c) {
        const auto& queue = m_queues[size_t(c)];
        if (skip[size_t(c)] < queue.size()) {
            const int r = queue[skip[size_t(c)]].record.rPosition();
            if (earliest < 0 || r < earliest) {
                earliest = r;
                earliestChannel = c;
            }
        }
    }
    if (earliest < 0)
        return beat;
    const TQrsCandidate& first = m_queues[size_t(earliestChannel)][skip[size_t(earliestChannel)]];
    std::vector<double> positions;
    for (int c = 0; c < channels; ++c) {
        const auto& queue = m_queues[size_t(c)];
        if (skip[size_t(c)] >= queue.size())
            continue;
        const TQrsCandidate& candidate = queue[skip[size_t(c)]];
        if (complexGap(first, candidate) > spread)
            continue;
        takingPart->push_back(c);
        positions.push_back(candidate.record.rPosition());
        beat.records[size_t(c)] = candidate.record;
        beat.strengths[size_t(c)] = candidate.strength;
        beat.clearances[size_t(c)] = candidate.clearance;
    }
    beat.r = int(medianOf(positions));
    for (auto& record : beat.records)
        record.fields[0] = beat.r;
    return beat;
}

double TQrsDetector::score(const Fused& beat) const
{
    double total = 0.0;
    for (size_t c = 0; c < beat.records.size(); ++c) {
        if (!beat.records[c].detected() || (beat.records.size() > 1 && !channelUsable(int(c), beat.r)))
            continue;
        const double typical = m_channels[c]->typicalStrength();
        const double relative = typical > 0.0 ? std::min(2.0, beat.strengths[c] / typical) : 1.0;
        total += m_reliability[c] * relative;
    }
    return total;
}

bool TQrsDetector::outvoted(const Fused& beat, const std::vector<int>& takingPart, bool flush, bool* wait,
                            std::vector<int>* beatenChannels)
{
    *wait = false;
    beatenChannels->clear();
    const double mean = m_lastMeanRR > 0.0 ? m_lastMeanRR : ConflictSeconds * 2.0;
    const int conflict = int(std::min(ConflictSeconds, 0.5 * mean) * m_rate);
    // Every channel must have searched past the conflict window.
    if (!flush && beat.r + conflict + m_channels.front()->walkMargin() >= m_handed) {
        *wait = true;
        return false;
    }
    std::vector<size_t> skip(m_channels.size(), 0);
    for (int c : takingPart)
        skip[size_t(c)] = 1;
    std::vector<int> rivalChannels;
    const Fused rival = gather(skip, &rivalChannels);
    if (rivalChannels.empty() || rival.r <= beat.r || rival.r - beat.r >= conflict)
        return false;
    // Beyond the shortest interval a heart beats at, two complexes as strong as
    // each other are two beats (a cat at 300 per minute); a T wave or a second
    // look at a wide complex is much the weaker.
    const double beatScore = score(beat);
    const double rivalScore = score(rival);
    if (rival.r - beat.r >= int(ShortestRR * m_rate) &&
        std::min(beatScore, rivalScore) >= AlikeScores * std::max(beatScore, rivalScore))
        return false;
    // A rival that the channels showing nothing there would vote down cannot
    // take the beat's place.
    if (beatScore < rivalScore && !refusedByChannels(rival))
        return true;
    // The rival gives way, but only once the beat has been taken: a beat the
    // rhythm checks then refuse must not take its rival down with it.
    *beatenChannels = rivalChannels;
    return false;
}

void TQrsDetector::fuse(bool flush)
{
    const std::vector<size_t> noSkip(m_channels.size(), 0);
    for (;;) {
        dropBlanked();
        if (!anyChannelHas(flush ? 1 : 2))
            return;
        int withCandidate = 0;
        int present = 0;
        for (size_t c = 0; c < m_queues.size(); ++c) {
            withCandidate += m_queues[c].empty() ? 0 : 1;
            present += m_lost[c] ? 0 : 1;
        }
        if (!flush && present > 4 && 2 * withCandidate <= present && m_retries < 2) {
            ++m_retries; // the other channels may still find this beat
            return;
        }
        m_retries = 0;

        std::vector<int> takingPart;
        Fused beat = gather(noSkip, &takingPart);
        if (!flush && !settled(beat))
            return;
        bool wait = false;
        std::vector<int> beaten;
        const bool giveWay = outvoted(beat, takingPart, flush, &wait, &beaten);
        if (wait)
            return;
        if (!giveWay && accept(beat)) {
            for (int c : beaten) {
                const bool behindBeat = std::find(takingPart.begin(), takingPart.end(), c) != takingPart.end();
                auto& queue = m_queues[size_t(c)];
                queue.erase(queue.begin() + (behindBeat ? 1 : 0));
            }
        }
        for (int c : takingPart)
            m_queues[size_t(c)].pop_front();
    }
}

bool TQrsDetector::settled(const Fused& beat) const
{
    // A channel that passed over a complex it found too weak may still find it
    // when a long interval makes it look back with lowered thresholds, which it
    // does when it finds the next complex. The beat waits for that, so that all
    // the channels that see it vote together: until every channel has a complex
    // queued after it, or has searched far enough past it that no search back
    // can reach it.
    // A channel that has lost its signal (flat, saturated, disturbed at the
    // beat, or its electrode off) finds nothing by looking back and is not
    // waited for.
    const int spread = int(FusionSpread * m_rate);
    const double mean = m_lastMeanRR > 0.0 ? m_lastMeanRR : 0.8;
    const int horizon = int((std::min(SettleSeconds, 2.5 * mean) + 0.3) * m_rate);
    if (m_handed - beat.r > horizon)
        return true;
    for (size_t c = 0; c < m_queues.size(); ++c) {
        bool later = false;
        for (const TQrsCandidate& candidate : m_queues[c])
            if (candidate.record.rPosition() > beat.r + spread) {
                later = true;
                break;
            }
        if (!later && !channelLost(int(c), beat.r))
            return false;
    }
    return true;
}

void TQrsDetector::setChannelLost(int channel, bool lost)
{
    if (channel >= 0 && channel < int(m_lost.size()))
        m_lost[size_t(channel)] = lost;
}

bool TQrsDetector::channelLost(int channel, int r) const
{
    if (m_lost[size_t(channel)])
        return true;
    const int qrs = int(DisturbedQrsSeconds * m_rate);
    if (m_channels[size_t(channel)]->disturbedWithin(r - qrs, r + qrs + 1))
        return true;
    // The quality test filters seconds of signal: asked again for the same
    // beat while it waits, it answers from the last time.
    LostCache& cached = m_lostCache[size_t(channel)];
    if (cached.r != r) {
        cached.r = r;
        cached.lost = m_channels.size() > 1 && !channelUsable(channel, r);
    }
    return cached.lost;
}

bool TQrsDetector::channelUsable(int channel, int r) const
{
    const int start = r - 2 * m_rate;
    const int count = 3 * m_rate;
    std::vector<double> window(static_cast<size_t>(count));
    m_source->samples(channel, start, count, window.data());
    return m_quality.isUsable(window, m_source->resolution());
}

double TQrsDetector::voteRatio(const Fused& beat, int* usable) const
{
    const int channels = int(beat.records.size());
    double detecting = 0.0;
    double present = 0.0;
    *usable = 0;
    for (int c = 0; c < channels; ++c) {
        // Unusable channels carry a reset record with the usable flag clear;
        // channels swamped by noise do not vote either.
        if (beat.records[size_t(c)].flags[0] == 0)
            continue;
        if (m_channels[size_t(c)]->swamped() && !beat.records[size_t(c)].detected())
            continue;
        ++*usable;
        const double weight = channels >= 12 ? voteWeight(c) : 1.0;
        present += weight;
        if (beat.records[size_t(c)].detected())
            detecting += weight;
    }
    return present > 0.0 ? detecting / present : 0.0;
}

bool TQrsDetector::votedAgainst(const Fused& beat) const
{
    // A usable, clean channel that shows nothing where the others see a complex
    // counts against it, as much as it has been right before. A channel that
    // sees it counts for it as much as it has been right, and no more than the
    // complex is of the size of its usual ones: a small deflection in a channel
    // is weaker evidence of a beat than a flat line in another is against it.
    const int near = int(0.05 * m_rate);
    const int around = int(0.4 * m_rate);
    double against = 0.0;
    double support = 0.0;
    for (size_t c = 0; c < beat.records.size(); ++c) {
        const TBeatRecord& record = beat.records[c];
        if (record.flags[0] == 0)
            continue;
        const TQrsChannelDetector& channel = *m_channels[c];
        if (record.detected()) {
            const double own = channel.typicalStrength();
            const double share = own > 0.0 ? std::min(1.0, beat.strengths[c] / own) : 1.0;
            support += m_reliability[c] * share;
            continue;
        }
        const double typical = channel.typicalStrength();
        if (typical <= 0.0 || channel.swamped())
            continue;
        const double local = channel.peakStrength(beat.r - near, beat.r + near + 1);
        const double surroundings = channel.peakStrength(beat.r - around, beat.r + around + 1);
        if (local < AbsentStrength * typical && surroundings <= QuietSurroundings * typical)
            against += m_reliability[c];
    }
    return against > support;
}

void TQrsDetector::beatWindow(const Fused& beat, double* start, double* end) const
{
    auto meanOf = [&beat](int field, double* mean) {
        double sum = 0.0;
        int n = 0;
        for (const auto& record : beat.records)
            if (record.detected() && record.hasField(field)) {
                sum += record.fields[field];
                ++n;
            }
        if (n == 0)
            return false;
        *mean = sum / n;
        return true;
    };
    const double r = beat.r;
    const double rate = m_rate;
    double p = 0.0;
    if (meanOf(BeatPointPOnset, &p))
        *start = p / rate - 0.05;
    else if (meanOf(BeatPointQrsOnset, &p))
        *start = p / rate - 0.1;
    else if (meanOf(BeatPointFirstMark, &p))
        *start = p / rate - 0.15;
    else
        *start = r / rate - 0.2;
    if (meanOf(BeatPointTEnd, &p))
        *end = p / rate + 0.1;
    else if (meanOf(BeatPointTPeak, &p))
        *end = p / rate + 0.15;
    else if (meanOf(BeatPointQrsEnd, &p))
        *end = p / rate + 0.2;
    else
        *end = r / rate + 0.25;
}

void TQrsDetector::markUsable(Fused& beat) const
{
    // flags[0] marks a channel whose signal may vote; an unusable channel's
    // record is reset. A channel disturbed at the complex cannot vote either;
    // flags[2] marks a channel disturbed by an artifact anywhere over the beat,
    // whose signal there is no part of an average.
    const int channels = int(beat.records.size());
    const int qrs = int(DisturbedQrsSeconds * m_rate);
    double start = 0.0;
    double end = 0.0;
    beatWindow(beat, &start, &end);
    const int first = std::min(beat.r - qrs, m_source->index(start));
    const int last = std::max(beat.r + qrs, m_source->index(end));
    for (int c = 0; c < channels; ++c) {
        TBeatRecord& record = beat.records[size_t(c)];
        const TQrsChannelDetector& channel = *m_channels[size_t(c)];
        const bool disturbedBeat = channel.disturbedWithin(first, last + 1);
        if (disturbedBeat && channel.disturbedWithin(beat.r - qrs, beat.r + qrs + 1)) {
            record.reset();
            beat.strengths[size_t(c)] = 0.0;
        } else if (channels > 1 && !channelUsable(c, beat.r)) {
            record.reset();
            beat.strengths[size_t(c)] = 0.0;
        } else {
            record.flags[0] = 1;
        }
        // Nor is the signal of a lead that has none (an electrode off).
        record.flags[2] = channel.artifactWithin(first, last + 1) || signalless(c, first, last + 1) ? 1 : 0;
    }
}

bool TQrsDetector::weakAndAlone(const Fused& beat) const
{
    int detecting = 0;
    double clearance = 0.0;
    for (size_t c = 0; c < beat.records.size(); ++c)
        if (beat.records[c].detected()) {
            ++detecting;
            clearance = beat.clearances[c];
        }
    return detecting == 1 && clearance < AloneClearance;
}

bool TQrsDetector::signalless(int channel, int from, int to) const
{
    const int n = to - from;
    if (n <= 0)
        return true;
    std::vector<double> window(static_cast<size_t>(n));
    m_source->samples(channel, from, n, window.data());
    const auto range = std::minmax_element(window.begin(), window.end());
    return *range.second - *range.first <= SignallessCodes;
}

bool TQrsDetector::refusedByChannels(Fused beat) const
{
    markUsable(beat);
    return votedAgainst(beat);
}

bool TQrsDetector::accept(Fused& beat)
{
    const double t = double(beat.r) / m_rate;
    if (t < m_startTime || (m_endTime > 0.0 && t > m_endTime))
        return false;
    if (m_blanking && m_hasLastBeat && t <= m_lastBeatTime + BlankingSeconds)
        return false;

    markUsable(beat);
    const int channels = int(beat.records.size());
    int usable = 0;
    const double ratio = voteRatio(beat, &usable);
    if (usable == 0 || ratio < (channels >= 12 ? 0.3 : 0.2))
        return false;

    if (votedAgainst(beat)) {
        return false;
    }
    for (int c = 0; c < channels; ++c)
        if (beat.records[size_t(c)].flags[0] != 0)
            m_reliability[size_t(c)] += ReliabilityWeight *
                                        ((beat.records[size_t(c)].detected() ? 1.0 : 0.0) - m_reliability[size_t(c)]);

    const double rr = m_hasLastBeat ? t - m_lastBeatTime : 0.0;
    int beatClass = Normal;
    if (m_hasLastBeat) {
        const double mean = m_lastMeanRR;
        if (ratio < 0.6 && rr > 0.0 && rr < 1.0 && mean > 0.0 && mean < LongestRR) {
            if (ratio < 0.4) {
                if (rr < 0.6 * mean)
                    return false;
                if (rr < 0.85 * mean)
                    beatClass = Premature;
            } else {
                if (rr < 0.5 * mean)
                    return false;
                if (rr < 0.75 * mean)
                    beatClass = Premature;
            }
        }
    }

    if (m_hasLastBeat && channels > 1 && m_lastMeanRR > 0.0 && rr < AloneEarlyShare * m_lastMeanRR &&
        weakAndAlone(beat))
        return false;

    double beatRR = rr;
    if (m_hasHeld) {
        m_hasHeld = false;
        const double q = m_lastRR > 0.0 ? rr / m_lastRR : 0.0;
        emitBeat(m_heldBeat, m_heldRecords);
        if (q > 1.7 && q < 4.0) {
            // A compensatory pause: the current beat's interval counts from the
            // beat before the premature one.
            beatRR = t - m_beforeHeldTime;
            m_blanking = true;
        }
    }

    ++m_acceptedCount;
    // An early beat seen by every channel passes the rhythm checks as normal,
    // yet neither its short interval nor the pause after it belongs to the
    // rhythm: both would pull the heart rate away from the sinus rate.
    updateAverager(beatRR, beatClass == Normal);
    m_rhythm.add(beatRR, beatClass == Normal);
    // The detection rules go on with the mean of every normal interval, which
    // follows an irregular rhythm; the heart rate is that of the rhythm alone.
    const double meanRR = m_averager.filledSlots() >= 5 ? m_averager.mean() : 0.0;
    const double rhythmMeanRR = m_rhythm.meanRR();

    double windowStart = 0.0;
    double windowEnd = 0.0;
    beatWindow(beat, &windowStart, &windowEnd);
    TBeat out = makeBeat(beat, beatRR, beatClass);
    out.setValue(TBeat::MeanRR, rhythmMeanRR);
    out.setWindowStart(windowStart);
    out.setWindowLength(std::max(0.0, windowEnd - windowStart));

    const double previousTime = m_lastBeatTime;
    m_hasLastBeat = true;
    m_lastBeatTime = t;
    m_lastRR = beatRR;
    m_lastMeanRR = meanRR;
    m_lastRhythmMeanRR = rhythmMeanRR;
    if (beatClass == Normal || m_acceptedCount == 1) {
        emitBeat(out, beat.records);
    } else {
        m_hasHeld = true;
        m_heldBeat = out;
        m_heldRecords = beat.records;
        m_beforeHeldTime = previousTime;
    }
    return true;
}

void TQrsDetector::updateAverager(double rr, bool normal)
{
    // A premature beat's short interval is not part of the rhythm's mean.
    if (!normal)
        return;
    const auto push = [&] {
        m_averager.push(rr);
        m_countAtAveragerUpdate = m_acceptedCount;
    };
    const bool slow = rr < LongRR || (rr < LongestRR && m_lastRR > 0.8 * rr && m_lastRR < 1.25 * rr);
    const bool stale = m_acceptedCount - m_countAtAveragerUpdate > 3;
    if (m_acceptedCount < 8 || stale) {
        if (stale && m_acceptedCount >= 8)
            m_averager.clear();
        if (rr > 0.0 && slow)
            push();
        return;
    }
    const double mean = m_averager.mean();
    if (rr > 0.7 * mean && rr < 1.4 * mean && slow)
        push();
}

TBeat TQrsDetector::makeBeat(const Fused& beat, double rr, int beatClass) const
{
    TBeat out(0, m_source);
    const double rate = m_rate;
    const double t = beat.r / rate;
    out.setValue(TBeat::Time, t);
    if (rr > 0.0)
        out.setValue(TBeat::RR, rr);
    out.setBeatClass(beatClass);
    std::vector<double> durations;
    const int leads = std::min(int(beat.records.size()), out.leadCount());
    for (int c = 0; c < leads; ++c) {
        const TBeatRecord& record = beat.records[size_t(c)];
        // A detecting lead is aligned on its own complex; the others on the fused R.
        out.setLeadValue(c, TBeat::Fiducial,
                         record.detected() && record.hasField(BeatPointFiducial) ? record.fields[BeatPointFiducial] / rate
                                                                                  : t);
        out.setLeadValue(c, TBeat::DetectionFlag, record.detected() ? 1.0 : 0.0);
        out.setLeadValue(c, TBeat::Flag7, record.flags[0]);
        out.setLeadValue(c, TBeat::Flag8, record.flags[2]);
        if (!record.detected())
            continue;
        if (rr > 0.0)
            out.setLeadValue(c, TBeat::LeadRR, rr);
        auto time = [&record, rate](int field) { return record.fields[field] / rate; };
        if (record.hasField(BeatPointPOnset))
            out.setLeadValue(c, TBeat::POnset, time(BeatPointPOnset));
        if (record.hasField(BeatPointQrsOnset))
            out.setLeadValue(c, TBeat::QrsOnset, time(BeatPointQrsOnset));
        if (record.hasField(BeatPointQrsEnd))
            out.setLeadValue(c, TBeat::WaveTime4, time(BeatPointQrsEnd));
        if (record.hasField(BeatPointTEnd))
            out.setLeadValue(c, TBeat::WaveTime5, time(BeatPointTEnd));
        // Interval estimates, widened so that a search between the points does
        // not miss a wave edge that moved a little on the averaged beat.
        if (record.hasField(BeatPointQrsOnset) && record.hasField(BeatPointQrsEnd)) {
            const double qrs = time(BeatPointQrsEnd) - time(BeatPointQrsOnset);
            durations.push_back(qrs);
            out.setLeadValue(c, TBeat::Interval9, qrs + 0.01);
        }
        if (record.hasField(BeatPointQrsOnset) && record.hasField(BeatPointTEnd))
            out.setLeadValue(c, TBeat::Interval10, time(BeatPointTEnd) - time(BeatPointQrsOnset) + 0.05);
        if (record.hasField(BeatPointPOnset) && record.hasField(BeatPointQrsOnset))
            out.setLeadValue(c, TBeat::Interval11, time(BeatPointQrsOnset) - time(BeatPointPOnset) + 0.1);
    }
    if (!durations.empty())
        out.setValue(TBeat::Extra, medianOf(durations));
    return out;
}

void TQrsDetector::emitBeat(TBeat beat, const std::vector<TBeatRecord>& records)
{
    beat.setNumber(m_emittedCount++);
    m_blanking = true;
    if (m_sink)
        m_sink->storeBeat(beat, records.data(), int(records.size()));
    for (TQrsDetectorListener* listener : m_listeners)
        listener->beatDetected();
}
