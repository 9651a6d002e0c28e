#pragma once

// Beats of the detector against the synthesizer's truth, for the detection tests.

#include "TBeat.h"
#include "TBeatSink.h"
#include "TEcgSynthesizer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

// Every beat the detector stores, copied apart from its signal (which the copy
// outlives), with what `clock` read as it came out (how far the analysis had got).
class BeatRecorder : public TBeatSink
{
public:
    explicit BeatRecorder(std::function<double()> clock = {}) : m_clock(std::move(clock)) {}

    std::vector<TBeat> beats;
    std::vector<double> clockAt;
    // Runs for each beat as it comes: an averager taking it, as the recording engine's does.
    std::function<void(const TBeat&)> onBeat;

    void storeBeat(const TBeat& beat, const TBeatRecord*, int) override
    {
        beats.push_back(beat);
        beats.back().setBuffer(nullptr);
        if (m_clock)
            clockAt.push_back(m_clock());
        if (onBeat)
            onBeat(beat);
    }

private:
    std::function<double()> m_clock;
};

// A steady rate with the synthesizer's usual noise and breathing swing.
inline TSynthParams steadyRhythm(double bpm, double seconds, quint64 seed)
{
    TSynthParams p;
    p.seed = seed;
    p.durationSeconds = seconds;
    p.heartRateStart = p.heartRateEnd = bpm;
    return p;
}

// The leads that took part in a beat.
inline int detectingLeads(const TBeat& beat)
{
    int n = 0;
    for (int c = 0; c < TBeat::MaxLeads; ++c)
        n += beat.leadValue(c, TBeat::DetectionFlag) == 1.0 ? 1 : 0;
    return n;
}

// Pairs detections with true beats within `window` seconds, closest pairs
// first; element d is the true beat of detection d, or -1.
inline std::vector<int> matchBeats(const QVector<TSynthBeat>& truth, const std::vector<TBeat>& found, double window)
{
    struct Pair
    {
        double distance;
        int truth;
        int found;
    };
    std::vector<Pair> pairs;
    for (int d = 0; d < int(found.size()); ++d)
        for (int t = 0; t < truth.size(); ++t)
            if (std::abs(truth[t].rTime - found[size_t(d)].time()) <= window)
                pairs.push_back({std::abs(truth[t].rTime - found[size_t(d)].time()), t, d});
    std::stable_sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.distance < b.distance; });
    std::vector<int> truthOf(found.size(), -1);
    std::vector<bool> used(size_t(truth.size()), false);
    for (const Pair& p : pairs) {
        if (used[size_t(p.truth)] || truthOf[size_t(p.found)] >= 0)
            continue;
        used[size_t(p.truth)] = true;
        truthOf[size_t(p.found)] = p.truth;
    }
    return truthOf;
}
