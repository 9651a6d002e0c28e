#include "TruthBeats.h"

#include "StoredAverageBeats.h"
#include "TBeatAverager.h"
#include "TSignalBuffer.h"

#include <cmath>
#include <numeric>

TruthBeats::TruthBeats(const QVector<TSynthBeat>& truth, double offset)
{
    for (TSynthBeat b : truth) {
        b.rTime -= offset;
        b.qrsOnset -= offset;
        b.qrsEnd -= offset;
        b.tEnd -= offset;
        if (b.pOnset >= 0.0)
            b.pOnset -= offset;
        m_beats.append(b);
    }
}

void TruthBeats::fillStore(TMemoryBeatStore& store, double from, double to) const
{
    double previous = -1.0;
    double runningMeanRR = 0.0;
    int number = 0;
    for (const TSynthBeat& b : m_beats) {
        if (b.rTime < from || b.rTime >= to) {
            previous = b.rTime;
            continue;
        }
        TBeat beat(number++);
        beat.setValue(TBeat::Time, b.rTime);
        if (previous >= 0.0) {
            const double rr = b.rTime - previous;
            beat.setValue(TBeat::RR, rr);
            runningMeanRR = runningMeanRR > 0.0 ? 0.9 * runningMeanRR + 0.1 * rr : rr;
            beat.setValue(TBeat::MeanRR, runningMeanRR);
        }
        beat.setBeatClass(b.ventricular ? 2 : 1);
        store.append(beat);
        previous = b.rTime;
    }
}

template <typename F>
double TruthBeats::meanOf(double from, double to, F value) const
{
    double sum = 0.0;
    int n = 0;
    for (const TSynthBeat& b : m_beats)
        if (!b.ventricular && b.rTime >= from && b.rTime < to) {
            sum += value(b);
            ++n;
        }
    return n > 0 ? sum / n : 0.0;
}

double TruthBeats::meanQrsOnset(double from, double to) const
{
    return meanOf(from, to, [](const TSynthBeat& b) { return b.qrsOnset - b.rTime; });
}

double TruthBeats::meanQrsEnd(double from, double to) const
{
    return meanOf(from, to, [](const TSynthBeat& b) { return b.qrsEnd - b.rTime; });
}

double TruthBeats::meanTEnd(double from, double to) const
{
    return meanOf(from, to, [](const TSynthBeat& b) { return b.tEnd - b.rTime; });
}

double TruthBeats::meanPOnset(double from, double to) const
{
    return meanOf(from, to, [](const TSynthBeat& b) { return b.pOnset - b.rTime; });
}

void TruthBeats::average(const TSignalBuffer& signal, double from, double to, StoredAverageBeats& beats,
                         bool asReference) const
{
    // An average fills the beats' template; a reference keeps the one the live
    // averager would have chosen for the rate of its beats.
    const int rate = signal.samplingRate();
    TBeatAverager::Template shape = TBeatAverager::templateFor(meanRR(from, to), rate);
    if (!asReference) {
        shape.length = beats.beatLength();
        shape.rIndex = beats.rIndex();
    }
    const int length = shape.length;
    std::vector<double> segment(static_cast<size_t>(length));
    for (int lead = 0; lead < signal.channelCount(); ++lead) {
        std::vector<double> sum(size_t(length), 0.0);
        int n = 0;
        for (const TSynthBeat& b : m_beats) {
            if (b.ventricular || b.rTime < from || b.rTime >= to)
                continue;
            const int start = int(std::lround(b.rTime * rate)) - shape.rIndex;
            if (start < 0 || start + length > signal.length())
                continue;
            signal.samples(lead, start, length, segment.data());
            const double mean = std::accumulate(segment.begin(), segment.end(), 0.0) / length;
            for (int i = 0; i < length; ++i)
                sum[size_t(i)] += segment[size_t(i)] - mean;
            ++n;
        }
        if (n == 0)
            continue;
        for (double& v : sum)
            v /= n;
        if (asReference)
            beats.setReferenceBeat(lead, sum, shape.rIndex);
        else
            beats.setAverageBeat(lead, sum);
        beats.setLeadName(lead, signal.channel(lead)->name());
    }
    if (!asReference)
        beats.setMeanRRInterval(meanRR(from, to));
}

double TruthBeats::meanRR(double from, double to) const
{
    double first = -1.0;
    double last = -1.0;
    int n = 0;
    for (const TSynthBeat& b : m_beats)
        if (b.rTime >= from && b.rTime < to) {
            if (n++ == 0)
                first = b.rTime;
            last = b.rTime;
        }
    return n > 1 ? (last - first) / (n - 1) : 0.0;
}

TruthMarkProvider::TruthMarkProvider(const StoredAverageBeats& beats, double qrsOnset, double qrsEnd)
    : m_beats(beats)
{
    const double rate = beats.samplingRate();
    const double r = rate > 0 ? double(beats.rIndex()) / rate : 0.0;
    m_baseline = int(std::lround((r + qrsOnset - 0.02) * rate));
    m_level = int(std::lround((r + qrsEnd + 0.01) * rate));
    m_slope = int(std::lround((r + qrsEnd + 0.03) * rate));
}

bool TruthMarkProvider::measure(int lead, int& first, int& second, int& third, double& levelMv)
{
    const std::vector<double> beat = m_beats.averageBeat(lead);
    const int m = int(beat.size());
    if (m == 0 || m_baseline <= 0 || m_slope >= m)
        return false;
    first = m_baseline;
    second = m_level;
    third = m_slope;
    levelMv = (beat[size_t(m_level)] - beat[size_t(m_baseline)]) * m_beats.millivoltsPerUnit();
    return true;
}
