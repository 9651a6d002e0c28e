#pragma once

#include "TNoiseSynthesizer.h"
#include "TSynthParams.h"

#include <QString>
#include <QVector>
#include <array>
#include <optional>
#include <vector>

// One synthesized beat with its wave points, in seconds from the start. A
// ventricular beat and a beat in atrial fibrillation have no P wave (pOnset < 0).
struct TSynthBeat
{
    double rTime = 0.0;
    double pOnset = -1.0;
    double qrsOnset = 0.0;
    double qrsEnd = 0.0;
    double tEnd = 0.0;
    bool ventricular = false;
    bool fibrillation = false;
};

// A P wave that the AV node did not conduct (second-degree AV block): no QRS
// follows it. Seconds from the start.
struct TSynthBlockedP
{
    double onset = 0.0;
    double end = 0.0;
};

// A sinus pause: the R of the last beat before it and of the first after it.
struct TSynthPause
{
    double from = 0.0;
    double to = 0.0;
};

// Deterministic 14-lead ECG from a seed: one moving cardiac dipole, projected on
// the electrodes, so that the limb leads obey Einthoven's and Goldberger's relations
// and the chest leads change from V1 to V6; plus muscle noise, baseline wander and
// mains pickup per electrode, and optionally the noise of the noise stress test. Rendered in pieces, so a long recording is never held
// whole in memory.
class TEcgSynthesizer
{
public:
    static constexpr int LeadCount = 14;

    explicit TEcgSynthesizer(const TSynthParams& params);

    const TSynthParams& params() const { return m_params; }
    const QVector<TSynthBeat>& beats() const { return m_beats; }
    const QVector<TSynthBlockedP>& blockedPWaves() const { return m_blockedP; }
    const QVector<TSynthPause>& pauses() const { return m_pauses; }
    qint64 frameCount() const { return m_frameCount; }
    double codeStepMv() const { return m_codeStep; }

    // LeadCount codes per frame, interleaved, for frames [firstFrame, firstFrame + count).
    void render(qint64 firstFrame, int count, qint16* out) const;
    // The same in millivolts, before rounding to codes.
    void renderMillivolts(qint64 firstFrame, int count, double* out) const;

    // ST deviation of every lead in mV, measured from the PR segment.
    std::array<double, LeadCount> stDeviationMv() const;

    // Writes the recording (no header, frames of 14 little-endian codes) and the
    // ground truth. Return false with a message when a file cannot be written.
    bool writeRecording(const QString& path, QString* error) const;
    bool writeTruth(const QString& path, QString* error) const;

    static QString helpText();

private:
    enum class Shape
    {
        RaisedCosine, // sin^2 over the wave
        TWave,        // slow rise to 60 %, faster fall
        Plateau       // rise over [start, riseEnd], flat, fall over [fallStart, end]
    };
    struct Wave
    {
        double start;
        double end;
        double amplitude;
        std::array<double, 3> direction;
        Shape shape;
        double riseEnd;
        double fallStart;
    };
    struct Oscillator
    {
        double amplitude;
        double frequency;
        double phase;
    };
    struct RenderedBeat
    {
        double begin;
        double end;
        int firstWave;
        int waveCount;
    };

    // One impulse of the sinus node: the QRS onset it is scheduled for and what
    // becomes of it.
    struct Impulse
    {
        enum Fate { Conducted, Blocked, Ventricular };
        double onset;
        Fate fate;
        double extraPr;  // PR lengthening of a Wenckebach cycle
        bool pauseAfter; // the sinus node stops after it
    };

    void scheduleBeats();
    // The sinus impulses from the first QRS onset to the end; next: the onset
    // that would follow the last.
    std::vector<Impulse> scheduleImpulses(double respiration, double* next) const;
    double prInterval(double rr) const;
    static double pDuration(double rr);
    double qtInterval(double rr) const;
    double shortestRR(double rr) const;
    // Both take the QRS onset the sinus schedule gives and the nominal RR of the rate.
    void addSinusBeat(double scheduled, double rr, double extraPr = 0.0);
    void addBlockedP(double scheduled, double rr);
    void addVentricularBeat(double qrsOnset);
    void buildNoise();
    double heartRateAt(double t) const;
    double snapFrequency(double f) const;
    void addWave(double start, double end, double amplitude, double frontalDegrees, double elevationDegrees,
                 Shape shape = Shape::RaisedCosine);
    void renderLap(qint64 firstFrame, int count, double* out) const;
    static double shapeValue(const Wave& w, double t);

    TSynthParams m_params;
    double m_codeStep;
    qint64 m_frameCount;
    QVector<TSynthBeat> m_beats;
    QVector<TSynthBlockedP> m_blockedP;
    QVector<TSynthPause> m_pauses;
    std::vector<Wave> m_waves;
    std::vector<RenderedBeat> m_rendered; // sorted by begin, with the loop copies
    double m_longestBeat = 0.0;
    std::vector<std::vector<Oscillator>> m_noise; // per electrode
    std::optional<TNoiseSynthesizer> m_stressNoise; // one channel per electrode
    std::array<bool, LeadCount> m_leadZeroed{};
};
