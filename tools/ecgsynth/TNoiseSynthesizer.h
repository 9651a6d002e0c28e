#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// The noise a noise stress test adds to a recording, as a function of time:
// deterministic from a seed, independent from channel to channel, and rendered
// stretch by stretch. Every sample depends on its time alone, so any stretch
// gives exactly the samples a whole rendering would, and a long recording is
// never held whole. Kinds:
//  - electrode motion ("em"): the hardest, since it shares the band of the QRS.
//    Band-limited noise (0.7 to 14 Hz) and short transients, deflections of one
//    or two swings between 1.5 and 12 Hz, some as steep as a QRS, all in bursts
//    that come and go over tens of seconds.
//  - muscle ("ma"): broadband random noise from 20 to 150 Hz whose strength
//    drifts with the muscles' tension (render at 300 per second or more to
//    keep the whole band).
//  - baseline wander ("bw"): below 0.5 Hz; a breathing swing of varying depth
//    and pace, plus a random drift.
//  - all three ("mix"), each with a third of the power.
// The RMS is that of the process; a finite stretch of bursty noise scatters
// around it.
class TNoiseSynthesizer
{
public:
    enum class Kind
    {
        ElectrodeMotion,
        Muscle,
        BaselineWander,
        Mixture
    };

    TNoiseSynthesizer(Kind kind, double rmsMv, quint64 seed = 1);

    Kind kind() const { return m_kind; }
    double rmsMv() const { return m_rmsMv; }
    quint64 seed() const { return m_seed; }

    // count samples of one channel, in mV, at `rate` samples per second from
    // sample `first` on (sample i at time i / rate).
    void render(int channel, qint64 first, int count, double rate, double* out) const;

    // "em", "ma", "bw", "mix"; false for any other name.
    static bool kindFromName(const QString& name, Kind* kind);
    static QString name(Kind kind);

    // A stationary Gaussian process of unit variance in continuous time: white
    // Gaussian weights on a grid, each spreading a band-limited kernel (a
    // Hann-windowed sinc band-pass), so that its spectrum is the kernel's and any
    // time can be evaluated on its own.
    class KernelProcess
    {
    public:
        // Band [low, high] Hz (low 0: a low-pass), kernel half-width in seconds,
        // grid step in seconds (below half the period of the band's top).
        KernelProcess(double low, double high, double halfWidth, double step);
        // out[i] += gain * x(times[i]); times ascending.
        void add(quint64 key, const double* times, int count, double gain, double* out) const;

    private:
        double m_step;
        double m_halfWidth;
        double m_resolution; // table step, seconds
        std::vector<double> m_table;
    };

private:
    void addElectrodeMotion(quint64 key, const double* times, int count, double gain, double* out) const;
    void addMuscle(quint64 key, const double* times, int count, double gain, double* out) const;
    void addBaselineWander(quint64 key, const double* times, int count, double gain, double* out) const;

    Kind m_kind;
    double m_rmsMv;
    quint64 m_seed;
    double m_breathingHz;
    KernelProcess m_motionBand;
    KernelProcess m_burst;
    KernelProcess m_muscleBand;
    KernelProcess m_tension;
    KernelProcess m_drift;
    KernelProcess m_breathingDepth;
    KernelProcess m_breathingPace;
};
