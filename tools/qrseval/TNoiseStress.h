#pragma once

#include "TBeatMatcher.h"
#include "TNoiseSynthesizer.h"
#include "TSignalDisturbance.h"

#include <QString>
#include <QVector>
#include <functional>
#include <vector>

class TWfdbAnnotations;
class TWfdbRecord;

// The noise stress test: the first five minutes of a record stay clean, then
// noise is added for two minutes and left out for two, alternately to the end.
// The noise is scaled per channel to a signal-to-noise ratio
// SNR = 10 log10(S / N): S from the record's own QRS complexes, the mean of the
// squared peak-to-peak amplitude of its normal beats over 8 (the largest and
// smallest 5 % of the amplitudes left out); N the mean power of the noise, its
// mean removed, over the stretches where it is added. Beats are scored from the
// fifth minute on: the clean minutes are the detector's learning period.
//
// Not for concurrent use: apply keeps the last noise it rendered per channel,
// since the evaluation asks for overlapping stretches of a few dozen samples.
class TNoiseStress : public TSignalDisturbance
{
public:
    static constexpr double CleanSeconds = 300.0;
    static constexpr double StretchSeconds = 120.0;
    // Half the window around a beat annotation in which its QRS is measured.
    static constexpr double QrsReachSeconds = 0.06;
    static constexpr double TrimmedShare = 0.05;
    // With fewer normal beats than this every annotated beat serves for S.
    static constexpr int FewestNormalBeats = 10;

    TNoiseStress(TNoiseSynthesizer::Kind kind, double samplingRate, qint64 sampleCount, quint64 seed = 1);

    // Whether the noise is on at this time of the record (seconds).
    static bool noiseOn(double seconds);

    // Peak-to-peak amplitude of the QRS at each beat (a sample index), within
    // QrsReachSeconds of it; sample(i) gives the channel's value in mV.
    static QVector<double> qrsAmplitudes(const std::function<double(qint64)>& sample, qint64 sampleCount,
                                         const QVector<qint64>& beats, double samplingRate);
    // S from the peak-to-peak amplitudes: the trimmed mean of their squares, over 8.
    static double qrsSignalPower(QVector<double> peakToPeak);

    // Takes S for every channel of the record from its normal beats. False with
    // a message when the record has no beat to measure.
    bool calibrate(const TWfdbRecord& record, const TWfdbAnnotations& annotations, QString* error);
    // Sets a channel's S (mV^2); its noise power is measured here.
    void setSignalPower(int channel, double power);
    void setSnr(double db);

    double snr() const { return m_snr; }
    int channelCount() const { return int(m_channels.size()); }
    double signalPower(int channel) const;
    // N of the noise as rendered, before scaling (mV^2).
    double noisePower(int channel) const;
    // The factor the rendered noise is multiplied by.
    double noiseScale(int channel) const;

    void apply(int channel, qint64 first, int count, double* mv) const override;

    // Scores detections against reference beats (sample indices, sorted) from
    // sample `from` on: the reference beats from there, the detections from
    // there and those just before it that belong to a reference beat after it.
    static TBeatMatch scoreFrom(const QVector<qint64>& reference, const QVector<qint64>& detected, qint64 window,
                                qint64 from);

private:
    struct Channel
    {
        double signalPower = 0.0;
        double noisePower = 0.0;
        double scale = 0.0;
        // The last rendered noise, from sample cacheStart on.
        mutable qint64 cacheStart = -1;
        mutable std::vector<double> cache;
    };

    Channel& channel(int index);
    void updateScale(Channel& c) const;

    TNoiseSynthesizer m_noise;
    double m_rate;
    qint64 m_sampleCount;
    double m_snr = 0.0;
    std::vector<Channel> m_channels;
};
