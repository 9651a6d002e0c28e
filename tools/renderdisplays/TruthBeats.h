#pragma once

#include "MonitorMarkProvider.h"
#include "TBeatStore.h"
#include "TEcgSynthesizer.h"

#include <QVector>

class StoredAverageBeats;
class TSignalBuffer;

// Beats, average beats and ST points taken from a synthesizer's ground truth, for
// the pictures: what beat detection and averaging will deliver.
class TruthBeats
{
public:
    // Beats of the truth between from and to (seconds of the synthesized signal);
    // offset is the synthesized time of the signal's first sample.
    TruthBeats(const QVector<TSynthBeat>& truth, double offset);

    // The beats in [from, to) as the detector would store them (times in seconds of
    // the signal, RR and mean RR).
    void fillStore(TMemoryBeatStore& store, double from, double to) const;
    // The mean-removed average of the sinus beats in [from, to), every lead of
    // signal: an average fills the template of beats; a reference keeps the
    // template the averager chooses for the rate of its own beats.
    void average(const TSignalBuffer& signal, double from, double to, StoredAverageBeats& beats,
                 bool asReference) const;
    // Mean wave points of the sinus beats in [from, to), relative to R.
    double meanQrsOnset(double from, double to) const;
    double meanQrsEnd(double from, double to) const;
    double meanTEnd(double from, double to) const;
    double meanPOnset(double from, double to) const;
    // Mean RR interval of the beats in [from, to).
    double meanRR(double from, double to) const;

private:
    template <typename F>
    double meanOf(double from, double to, F value) const;

    QVector<TSynthBeat> m_beats; // in signal time
};

// ST points of the average beats: the PR segment 20 ms before the QRS onset, the
// level 10 ms after the QRS end (where the synthesizer's truth measures it, early
// enough for the short QT at peak exercise) and the slope point 30 ms after it, with
// the level against the PR segment in millivolts.
class TruthMarkProvider : public MonitorMarkProvider
{
public:
    TruthMarkProvider(const StoredAverageBeats& beats, double qrsOnset, double qrsEnd);
    bool measure(int lead, int& first, int& second, int& third, double& levelMv) override;

private:
    const StoredAverageBeats& m_beats;
    int m_baseline;
    int m_level;
    int m_slope;
};
