#pragma once

#include "TBeat.h"

#include <deque>
#include <vector>

class TSignalBuffer;

// Keeps the beats of the last averaging window, chooses the reference channel
// (the one that detected most of them), aligns the regular beats on it and
// averages each channel over them. The average is recomputed lazily, on the
// first question after a change. Also keeps a reference beat per channel, taken
// on demand, to compare later averages with.
class TBeatAverager
{
public:
    // Template: 0.8 s with R at 0.3 s.
    static constexpr double TemplateSeconds = 0.8;
    static constexpr double RSeconds = 0.3;

    TBeatAverager(const TSignalBuffer* source, double windowSeconds);

    void addBeat(const TBeat& beat);
    // The channel's average beat (templateLength() values, codes); empty for a
    // channel the source does not have.
    const std::vector<double>& average(int channel);
    // Beats in the last average; 0 when no beat qualified.
    int beatCount();
    int referenceChannel();
    // Mean RR of the averaged beats in seconds; 0.0 when none.
    double meanRR();
    // Clears the averages and the beats kept for them (the reference beat stays).
    void reset();
    // A new source: everything is cleared, the reference beat too.
    void setSource(const TSignalBuffer* source);
    // Every channel's average becomes the mean-removed segment of this one beat.
    void useBeat(const TBeat& beat);

    // Copies every channel's current average into its reference beat.
    void takeReference();
    bool hasReference() const { return m_hasReference; }
    const std::vector<double>& referenceBeat(int channel) const;

    const TSignalBuffer* source() const { return m_source; }
    double windowSeconds() const { return m_window; }
    int templateLength() const { return m_length; }
    int rIndex() const { return m_rIndex; }
    int recentBeatCount() const { return int(m_beats.size()); }

private:
    void fullReset();
    void recomputeIfStale();
    bool recompute();
    void readSegment(int channel, double alignmentTime, double* out) const;
    // The channel's average over the segments of these beats (indices of the
    // recent beats), weighted by how clean each is, but for those far unlike
    // the others.
    void averageSegments(int channel, const std::vector<size_t>& beats);
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
    int m_referenceChannel = 0;
    double m_meanRR = 0.0;
    int m_beatCount = 0;
    std::deque<TBeat> m_beats;
    struct CachedSegments
    {
        double alignment = 0.0;
        std::vector<double> values; // channel after channel
        std::vector<bool> read;
    };
    std::deque<CachedSegments> m_cache; // beside m_beats
    bool m_stale = false;
    bool m_hasReference = false;
};
