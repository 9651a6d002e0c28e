#pragma once

#include "TBeat.h"
#include "TChannelQuality.h"
#include "TQrsCandidate.h"
#include "TQrsChannelDetector.h"
#include "TRRAverager.h"
#include "TRhythmRate.h"

#include <deque>
#include <memory>
#include <vector>

class TBeatSink;
class TQrsDetectorListener;
class TQrsWavelets;
class TSignalBuffer;

// Finds the heartbeats of a filtered multichannel ECG as it grows: every channel
// is searched on its own, the channels' complexes are fused into one beat per
// heartbeat, tested against channel quality, the vote of the channels and the
// rhythm, and emitted with their per-channel wave points. Premature beats are
// held back until the next beat tells whether a pause follows them.
class TQrsDetector
{
public:
    enum BeatClass
    {
        Normal = 1,
        Premature = 2
    };

    // Beats outside [startTime, endTime] are not reported; an end not after the
    // start means no end.
    TQrsDetector(TSignalBuffer* source, double startTime, double endTime);
    ~TQrsDetector();

    TQrsDetector(const TQrsDetector&) = delete;
    TQrsDetector& operator=(const TQrsDetector&) = delete;

    void setSink(TBeatSink* sink) { m_sink = sink; }
    // The source before filtering (same rate, aligned), in which the channels
    // look for saturation.
    void setUnfilteredSource(const TSignalBuffer* unfiltered);
    // A channel the device reports without signal (electrode off, lead
    // saturated): beats are not held back waiting for it.
    void setChannelLost(int channel, bool lost);
    bool isChannelLost(int channel) const
    {
        return channel >= 0 && channel < int(m_lost.size()) && m_lost[size_t(channel)];
    }
    void addListener(TQrsDetectorListener* listener);
    void removeListener(TQrsDetectorListener* listener);

    // Detects in every sample at least delay() old not yet searched, fuses,
    // accepts and emits.
    void process();
    // The recording has ended: searches to the end of the source, fuses what is
    // queued and releases a held beat. With an end time, no beat after it is
    // accepted (the source may run on past the recording, as padding).
    void finish(double endTime = 0.0);

    double startTime() const { return m_startTime; }
    double endTime() const { return m_endTime; }
    // Seconds of source handed to the channel searches.
    double processedTime() const;
    double delay() const { return 1.0; }
    int acceptedCount() const { return m_acceptedCount; }
    int emittedCount() const { return m_emittedCount; }
    // Mean RR of the last emitted beat (0.0 while not yet known).
    // The rhythm's mean RR at the last beat (0.0 until it has five intervals).
    double meanRR() const { return m_lastRhythmMeanRR; }
    const TRRAverager& rrAverager() const { return m_rhythm.averager(); }
    TSignalBuffer* source() const { return m_source; }
    int channelCount() const { return int(m_channels.size()); }
    const TQrsChannelDetector& channel(int c) const { return *m_channels[size_t(c)]; }

private:
    struct Fused
    {
        std::vector<TBeatRecord> records;
        std::vector<double> strengths; // per channel, 0 when not taking part
        std::vector<double> clearances; // per channel, 0 when not taking part
        int r = 0;
    };

    // Channels of a fused beat: those whose front candidate lies within the
    // fusion spread of the earliest one, skipping the first skip[c] candidates.
    Fused gather(const std::vector<size_t>& skip, std::vector<int>* takingPart) const;
    double score(const Fused& beat) const;
    bool outvoted(const Fused& beat, const std::vector<int>& takingPart, bool flush, bool* wait,
                  std::vector<int>* beatenChannels);
    bool votedAgainst(const Fused& beat) const;
    // Sets the usable flag of the channels whose signal may vote, resets the others.
    void markUsable(Fused& beat) const;
    // Whether the channels that show nothing at the beat outvote those that see it.
    bool refusedByChannels(Fused beat) const;
    bool settled(const Fused& beat) const;
    // Whether a channel cannot be expected to find the beat at r.
    bool channelLost(int channel, int r) const;
    // With last, the source ends at to.
    void search(int to, bool last = false);
    void fuse(bool flush);
    bool anyChannelHas(int count) const;
    void dropBlanked();
    // Whether the beat was taken (emitted or held back).
    bool accept(Fused& beat);
    bool channelUsable(int channel, int r) const;
    // Whether the channel's signal stays within a code or two over [from, to).
    bool signalless(int channel, int from, int to) const;
    // Whether one lead alone detected the beat, with a complex that stands
    // little above its noise.
    bool weakAndAlone(const Fused& beat) const;
    double voteRatio(const Fused& beat, int* usable) const;
    void beatWindow(const Fused& beat, double* start, double* end) const;
    TBeat makeBeat(const Fused& beat, double rr, int beatClass) const;
    void updateAverager(double rr, bool normal);
    void emitBeat(TBeat beat, const std::vector<TBeatRecord>& records);

    TSignalBuffer* m_source;
    double m_startTime;
    double m_endTime;
    int m_rate;
    int m_delaySamples;
    int m_handed = 0;
    std::unique_ptr<TQrsWavelets> m_wavelets;
    std::vector<std::unique_ptr<TQrsChannelDetector>> m_channels;
    std::vector<std::deque<TQrsCandidate>> m_queues;
    TChannelQuality m_quality;
    // How often each channel detected the accepted beats, as a running mean.
    std::vector<double> m_reliability;
    std::vector<bool> m_lost; // as the device reports
    struct LostCache
    {
        int r = -1;
        bool lost = false;
    };
    mutable std::vector<LostCache> m_lostCache;

    int m_retries = 0;
    int m_acceptedCount = 0;
    int m_emittedCount = 0;
    bool m_hasLastBeat = false;
    double m_lastBeatTime = 0.0;
    double m_lastRR = 0.0;       // RR of the last accepted beat
    double m_lastMeanRR = 0.0;   // mean of the normal intervals at the last accepted beat, for the rules
    double m_lastRhythmMeanRR = 0.0; // the heart rate's, carried by the beat
    double m_beforeHeldTime = 0.0;
    bool m_hasHeld = false;
    TBeat m_heldBeat;
    std::vector<TBeatRecord> m_heldRecords;
    bool m_blanking = false;
    TRRAverager m_averager;
    TRhythmRate m_rhythm; // the heart rate's
    int m_countAtAveragerUpdate = 0;

    TBeatSink* m_sink = nullptr;
    std::vector<TQrsDetectorListener*> m_listeners;
};
