#pragma once

#include "TBeat.h"

#include <deque>
#include <vector>

class TSignalBuffer;

// Keeps the beats of the last averaging window, chooses the reference channel
// (the one that detected most of them), aligns the regular beats on it and
// averages each channel over them. The average is recomputed lazily, on the
// first question after a change, and each channel's only when it is asked for:
// a window that shows one lead reads the signal of the others only as far as
// the choice of the beats needs it. Also keeps a reference beat per channel, taken
// on demand, to compare later averages with.
//
// The template holds the whole cardiac cycle of the rate it averages: at least
// 0.3 s before R and 0.5 s after it, and at slower rates 35 % of the mean RR
// before R and 65 % after, so that a long PR or QT (a horse's 500 ms and 600 ms
// at 25 per minute) lies inside it. It is chosen anew at each averaging.
class TBeatAverager
{
public:
    static constexpr double MinimumBeforeR = 0.3;
    static constexpr double MinimumAfterR = 0.5;
    static constexpr double ShareBeforeR = 0.35;
    static constexpr double ShareAfterR = 0.65;
    // Beyond their minimums, the parts before and after R are whole steps of
    // this many seconds, so that the template (and the displays sized by it)
    // keeps its length while the mean RR varies a little.
    static constexpr double TemplateStep = 0.04;
    // Beats averaged have an RR strictly between these (300 down to 25 per minute).
    static constexpr double MinimumRR = 0.2;
    static constexpr double MaximumRR = 2.5;

    struct Template
    {
        int length = 0; // samples
        int rIndex = 0; // sample of R inside it
    };
    // The template for beats of this mean RR (seconds; 0 or less: the shortest)
    // at rate samples per second.
    static Template templateFor(double meanRR, int rate);

    TBeatAverager(const TSignalBuffer* source, double windowSeconds);

    void addBeat(const TBeat& beat);
    // The channel's average beat (templateLength() values, codes); empty for a
    // channel the source does not have.
    const std::vector<double>& average(int channel);
    // Per sample, the standard error of the channel's average: the spread of
    // its beats about their mean over the square root of their number (codes).
    // What is no larger than a few of it may be what the beats' noise left in
    // the average. Empty with fewer than three beats.
    std::vector<double> standardError(int channel);
    // Beats in the last average; 0 when no beat qualified.
    int beatCount();
    // The times (seconds) of the beats in the last average, in time order.
    const std::vector<double>& averagedBeatTimes();
    int referenceChannel();
    // Mean RR of the averaged beats in seconds; 0.0 when none.
    double meanRR();
    // The RR intervals (seconds) of the beats in the last average.
    std::vector<double> averagedIntervals();
    // The RR intervals (seconds) of the beats kept in the window, averaged or
    // not, in time order; beats without an RR are left out.
    std::vector<double> recentIntervals() const;
    // Clears the averages and the beats kept for them (the reference beat stays).
    void reset();
    // A new source: everything is cleared, the reference beat too.
    void setSource(const TSignalBuffer* source);
    // Every channel's average becomes the mean-removed segment of this one beat,
    // in the template of the beat's mean RR (or its own RR).
    void useBeat(const TBeat& beat);

    // Copies every channel's current average into its reference beat, which
    // keeps the template it was taken in.
    void takeReference();
    bool hasReference() const { return m_hasReference; }
    const std::vector<double>& referenceBeat(int channel) const;
    int referenceRIndex() const { return m_referenceRIndex; }

    const TSignalBuffer* source() const { return m_source; }
    double windowSeconds() const { return m_window; }
    // The template of the current average (recomputed first if stale); before
    // any average, the shortest.
    int templateLength();
    int rIndex();
    int recentBeatCount() const { return int(m_beats.size()); }

private:
    void fullReset();
    void setTemplate(const Template& t);
    void recomputeIfStale();
    bool recompute();
    // Averages a channel whose average the last recomputation left to be taken.
    void averageIfPending(int channel);
    // The chosen beats (indices of the recent beats) over which the channel's
    // signal was not disturbed: those its average is taken of.
    std::vector<size_t> cleanBeats(int channel) const;
    void readSegment(int channel, double alignmentTime, double* out) const;
    // The channel's average over the segments of these beats (indices of the
    // recent beats), weighted by how clean each is, but for those far unlike
    // the others.
    void averageSegments(int channel, const std::vector<size_t>& beats);
    // Leaves out of beats (indices of the recent beats) those whose complex is
    // not of the stretch's dominant shape.
    void keepDominantShape(std::vector<size_t>& beats);
    // The channel's segment of a recent beat, aligned on the reference channel.
    const double* segment(size_t beat, int channel);
    int channelCount() const;

    const TSignalBuffer* m_source = nullptr;
    double m_window;
    int m_length = 0;
    int m_rIndex = 0;
    std::vector<std::vector<double>> m_averages;
    std::vector<std::vector<double>> m_references;
    std::vector<double> m_segment;
    std::vector<double> m_median;
    int m_referenceRIndex = 0;
    int m_referenceChannel = 0;
    double m_meanRR = 0.0;
    int m_beatCount = 0;
    std::vector<double> m_averagedTimes;
    std::deque<TBeat> m_beats;
    struct CachedSegments
    {
        double alignment = 0.0;
        std::vector<std::vector<double>> values; // per channel; empty until read
        std::vector<bool> read;
    };
    std::deque<CachedSegments> m_cache; // beside m_beats
    // The beats the last recomputation chose, and the channels whose average
    // over them is still to be taken.
    std::vector<size_t> m_chosen;
    std::vector<bool> m_pending;
    bool m_stale = false;
    bool m_hasReference = false;
};
