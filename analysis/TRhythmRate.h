#pragma once

#include "TRRAverager.h"

#include <cstddef>
#include <deque>

// The heart rate's mean RR: the mean of the last eight intervals of the
// rhythm, the ventricular rate. Every interval between normal beats counts,
// however it swings with breathing and however often an AV block drops a
// beat, except where a lone early beat broke into the rhythm (squeezed between
// two of its beats, or followed by a compensatory pause): neither of its two
// intervals counts (the early one is taken back once the next beat shows the
// pattern). A lone pause far longer than the rhythm does not count.
class TRhythmRate
{
public:
    static constexpr int KnownAfter = 5;
    // Intervals beyond this (10 per minute) are no rhythm: a horse's AV block
    // drops a beat of 25 per minute and leaves intervals of 4.8 s, which count.
    static constexpr double LongestRR = 6.0;

    // The interval ending at a beat; normal: the beat is of the rhythm (a
    // premature beat's interval is not).
    void add(double rr, bool normal);
    // 0.0 until KnownAfter intervals count.
    double meanRR() const;
    const TRRAverager& averager() const { return m_averager; }

private:
    // Mean of the recent intervals, counted or not, but for the last leavingOut.
    double recentMean(size_t leavingOut = 0) const;
    // Whether an interval as long as rr came before among the recent ones.
    bool recurs(double rr) const;
    void remember(double rr);
    // Whether an early interval came among the few before the last one.
    bool earlyBefore(double mean) const;

    TRRAverager m_averager;
    std::deque<double> m_recent; // the last intervals, counted or not
    double m_previous = 0.0;     // the interval before this one
    double m_beforePrevious = 0.0;
    bool m_previousCounted = false;
    bool m_previousPremature = false; // the last interval ended at a premature beat
    int m_uncounted = 0;           // intervals in a row that did not count
};
