#pragma once

#include "TQrsCandidate.h"
#include "TQrsChannelState.h"
#include "TWaveDelineator.h"

#include <QtGlobal>
#include <deque>
#include <vector>

class TQrsWavelets;
class TSignalBuffer;

// The QRS search of one channel: modulus maxima lines of the wavelet transform
// across its four scales, pairs of opposite-sign maxima at the finest scale as
// complexes, with the rules that keep noise, T waves and double detections out,
// and a search back with lowered thresholds after a long pause.
class TQrsChannelDetector
{
public:
    TQrsChannelDetector(const TSignalBuffer* source, const TQrsWavelets* wavelets, int channel);

    // Searches the new stretch [from, to) (wavelet outputs must exist up to to)
    // and appends every complex found, with its wave points, to out. With last,
    // no stretch follows (the recording has ended): the search goes to its end.
    void detect(int from, int to, std::deque<TQrsCandidate>& out, bool last = false);

    // The signal before filtering, aligned with the source, in which saturation
    // is looked for (none: not looked for).
    void setUnfilteredSource(const TSignalBuffer* unfiltered) { m_unfilteredSource = unfiltered; }

    const TQrsChannelState& state() const { return m_state; }
    int channel() const { return m_channel; }
    // Median amplitude and strength of the channel's recent complexes (0 before any).
    double typicalAmplitude() const;
    double typicalStrength() const;
    // Median largest |scale-2^2| value of the recent complexes.
    double typicalSlope() const;
    // Whether the channel's complexes stand far enough above its noise to be
    // trusted in a vote.
    bool swamped() const;
    // Largest |scale-2^3| value in [from, to) (wavelet outputs still held).
    double peakStrength(int from, int to) const;
    // Samples before the end of a searched stretch that the search has not
    // finished with: complexes there are reported by the next stretch.
    int walkMargin() const;
    // Median |scale-2^2| value of the last threshold window: the channel's noise level.
    double noiseLevel() const { return m_noise; }
    // Whether the channel's signal was disturbed (overloaded by something far
    // larger than its complexes) at a sample of the last ten seconds searched,
    // or anywhere in [from, to).
    bool disturbedAt(int index) const;
    bool disturbedWithin(int from, int to) const;
    // Disturbed by an artifact (overload, saturation, crowding) within [from,
    // to): not by noise that lasts, which averaging takes out.
    bool artifactWithin(int from, int to) const;
    // Counts an overloaded sample into the brief overloads that, recurring,
    // make the channel learn its complexes again.
    void noteOverload(int index, double magnitude);

private:
    struct Mark
    {
        int position;
        double value; // scale-2^1 value
    };
    struct Pair
    {
        int r = 0;
        double amplitude = 0.0;
        double strength = 0.0;
        double slope = 0.0;
    };

    // How far behind the end of a stretch its lines are followed.
    int lineLag() const;
    void loadWindow(int start, int end);
    void computeThresholds(int to);
    void findLines(int from, int to, double factor);
    // The scale-2^1 end of the maxima line through position at the given scale
    // (0 to 3), followed down through the finer scales; -1 where it breaks off.
    int followLine(int position, int scale, int s, double factor) const;
    // The largest local maximum of sign s at scale within [from, to] (clamped to
    // the window) whose magnitude exceeds above; -1 when there is none.
    int strongestMaximum(int scale, int s, int from, int to, double above) const;
    // An opposite-sign partner for a maximum that has none.
    bool findPartner(const Mark& a, Mark* partner) const;
    std::vector<Mark> collectMarks(int from, int to);
    Pair measurePair(const Mark& a, const Mark& b) const;
    void seedReferences(const std::vector<Mark>& marks);
    // Marks the samples of the new stretch [from, to) that are disturbed, and
    // counts those that are not towards a relearning of the references.
    void markDisturbances(int from, int to);
    // Marks, through disturb(sample), the plateaus of saturation in [first, to).
    template <typename Disturb>
    void markSaturation(int first, int to, const Disturb& disturb) const;
    // Kinds of disturbance, bits of a slot.
    static constexpr quint8 Artifact = 1;
    static constexpr quint8 Noisy = 2;
    quint8& disturbedSlot(int index) { return m_disturbed[size_t(index % int(m_disturbed.size()))]; }
    // Median |scale-2^2| value over the last second before to, disturbed or not.
    double recentNoise(int to) const;
    // Drops the references learned from accepted complexes: they are learned
    // anew, as at the start.
    void forgetReferences();
    // The larger of the median |scale-2^2| values before first and after last.
    double surroundingLevel(int first, int last) const;
    void walk(int to, bool last, std::deque<TQrsCandidate>& out);
    void accept(const Mark& a, const Mark& b, const Pair& pair, std::deque<TQrsCandidate>& out);
    void erase(int position);
    int fiducial(int r) const;

    double w(int scale, int index) const { return m_w[scale][size_t(index - m_windowStart)]; }
    bool inWindow(int index) const { return index >= m_windowStart && index < m_windowEnd; }
    static void remember(std::vector<double>& history, double value);

    const TSignalBuffer* m_source;
    const TQrsWavelets* m_wavelets;
    int m_channel;
    TQrsChannelState m_state;
    TWaveDelineator m_delineator;

    int m_windowStart = 0;
    int m_windowEnd = 0;
    std::vector<double> m_w[4];
    std::vector<double> m_x;
    const TSignalBuffer* m_unfilteredSource = nullptr;
    std::vector<double> m_unfiltered; // of the window, when there is an unfiltered source
    double m_eps[4] = {0.0, 0.0, 0.0, 0.0};
    double m_noise = 0.0;
    double m_crowdedShare = 0.0; // how much of the last seconds was crowded

    std::vector<double> m_amplitudes; // of the last accepted complexes
    std::vector<double> m_strengths;
    std::vector<double> m_slopes;
    double m_seedAmplitude = 0.0;
    double m_seedStrength = 0.0;
    double m_lastAmplitude = 0.0;

    // Disturbed samples of the last ten seconds (one byte per sample), and the
    // end of the last disturbance, which may lie beyond the stretch searched.
    std::vector<quint8> m_disturbed;
    int m_disturbedUntil = 0; // artifacts
    int m_noisyUntil = 0;     // overwhelming noise
    // Since the last accepted complex: complexes refused as too small, and
    // undisturbed samples searched.
    int m_refusals = 0;
    // Overloads of the channel: the one going on, the last one before it, and
    // how many brief ones came in a row.
    int m_overloadStart = -1;
    int m_overloadEnd = -1;
    int m_previousOverloadEnd = -1;
    int m_briefOverloads = 0;
    double m_overloadPeak = 0.0;
    double m_previousOverloadPeak = 0.0;
    int m_previousOverloadGap = 0;
    bool m_relearn = false;
    qint64 m_quietSamples = 0;
};
