#include "TBeatAverager.h"

#include "TSignalBuffer.h"

#include <algorithm>

namespace {

const std::vector<double> noBeat;

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

void TBeatAverager::setSource(const TSignalBuffer* source)
{
    m_source = source;
    const int rate = source ? source->samplingRate() : 0;
    m_length = int(TemplateSeconds * rate);
    m_rIndex = int(RSeconds * rate);
    fullReset();
}

void TBeatAverager::fullReset()
{
    m_beats.clear();
    m_averages.assign(size_t(channelCount()), std::vector<double>(size_t(m_length), 0.0));
    m_references = m_averages;
    m_segment.assign(size_t(m_length), 0.0);
    m_hasReference = false;
    m_referenceChannel = 0;
    m_meanRR = 0.0;
    m_beatCount = 0;
    m_stale = false;
}

void TBeatAverager::reset()
{
    // The beats go too: an average recomputed from them would bring back what was
    // cleared.
    m_beats.clear();
    for (auto& a : m_averages)
        std::fill(a.begin(), a.end(), 0.0);
    m_meanRR = 0.0;
    m_beatCount = 0;
    m_stale = false;
}

void TBeatAverager::addBeat(const TBeat& beat)
{
    m_beats.push_back(beat);
    const double newest = beat.time();
    while (!m_beats.empty() && m_beats.front().time() < newest - m_window)
        m_beats.pop_front();
    m_stale = true;
}

const std::vector<double>& TBeatAverager::average(int channel)
{
    recomputeIfStale();
    return channel >= 0 && channel < int(m_averages.size()) ? m_averages[size_t(channel)] : noBeat;
}

int TBeatAverager::beatCount()
{
    recomputeIfStale();
    return m_beatCount;
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

const std::vector<double>& TBeatAverager::referenceBeat(int channel) const
{
    return channel >= 0 && channel < int(m_references.size()) ? m_references[size_t(channel)] : noBeat;
}

void TBeatAverager::takeReference()
{
    recomputeIfStale();
    m_references = m_averages;
    m_hasReference = true;
}

void TBeatAverager::recomputeIfStale()
{
    if (m_stale) {
        recompute();
        m_stale = false;
    }
}

void TBeatAverager::addSegment(int channel, double alignmentTime, double weight)
{
    // n samples from 0.3 s before the alignment time, the segment's own mean
    // removed; samples outside the source read as 0.
    const int start = m_source->index(alignmentTime) - m_rIndex;
    m_source->samples(channel, start, m_length, m_segment.data());
    double mean = 0.0;
    for (double v : m_segment)
        mean += v;
    mean /= std::max(1, m_length);
    std::vector<double>& average = m_averages[size_t(channel)];
    for (int i = 0; i < m_length; ++i)
        average[size_t(i)] += (m_segment[size_t(i)] - mean) * weight;
}

bool TBeatAverager::recompute()
{
    for (auto& a : m_averages)
        std::fill(a.begin(), a.end(), 0.0);
    m_beatCount = 0;
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

    std::vector<const TBeat*> qualifying;
    double rrSum = 0.0;
    for (size_t i = 0; i < m_beats.size(); ++i) {
        const TBeat& b = m_beats[i];
        const double rr = b.value(TBeat::RR);
        const double mean = b.value(TBeat::MeanRR);
        if (!detected(b, m_referenceChannel) || !b.hasValue(TBeat::RR) || !(rr > 0.2 && rr < 2.0) || !(mean > 0.0))
            continue;
        const double ratio = rr / mean;
        if (!(ratio > 0.85 && ratio < 1.2))
            continue;
        // A regular beat followed by an early one carries that beat's QRS in its
        // own ST segment or T wave, and would print it into the average.
        if (i + 1 < m_beats.size() && m_beats[i + 1].time() - b.time() < 0.85 * mean)
            continue;
        qualifying.push_back(&b);
        rrSum += rr;
    }
    if (qualifying.empty())
        return false;

    m_beatCount = int(qualifying.size());
    m_meanRR = rrSum / m_beatCount;
    // A lead whose signal was disturbed over a beat (saturated, overloaded,
    // crowded with noise) leaves that beat out of its own average.
    for (int c = 0; c < channels; ++c) {
        int count = 0;
        for (const TBeat* b : qualifying)
            count += disturbed(*b, c) ? 0 : 1;
        if (count == 0)
            continue;
        for (const TBeat* b : qualifying)
            if (!disturbed(*b, c))
                addSegment(c, b->leadValue(m_referenceChannel, TBeat::Fiducial), 1.0 / count);
    }
    return true;
}

void TBeatAverager::useBeat(const TBeat& beat)
{
    for (auto& a : m_averages)
        std::fill(a.begin(), a.end(), 0.0);
    const int channels = channelCount();
    int aligned = -1;
    for (int c = 0; c < channels && aligned < 0; ++c)
        if (beat.hasLeadValue(c, TBeat::Fiducial))
            aligned = c;
    m_stale = false;
    m_beatCount = 1;
    m_meanRR = beat.hasValue(TBeat::RR) ? beat.value(TBeat::RR) : 0.0;
    if (aligned < 0) {
        m_beatCount = 0;
        return;
    }
    m_referenceChannel = aligned;
    const double alignment = beat.leadValue(aligned, TBeat::Fiducial);
    for (int c = 0; c < channels; ++c)
        addSegment(c, alignment, 1.0);
}
