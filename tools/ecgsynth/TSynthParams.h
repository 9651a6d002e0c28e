#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the ECG synthesizer makes. Rates are in beats per minute, levels of noise
// in microvolts, everything else in seconds and millivolts.
struct TSynthParams
{
    quint64 seed = 1;
    double durationSeconds = 150.0;
    int samplingRate = 500;
    // Full-scale range G: a code is 2 G / 65536 mV (the demo recorder's scale).
    double gainMv = 300.0;

    // Heart rate: heartRateStart until rampStartSeconds, then a linear ramp to
    // heartRateEnd at rampEndSeconds (negative: the end of the recording).
    double heartRateStart = 100.0;
    double heartRateEnd = 100.0;
    double rampStartSeconds = 0.0;
    double rampEndSeconds = -1.0;
    // Respiratory sinus arrhythmia: RR varies by this fraction with breathing
    // (dogs at rest: up to 0.4), never below what the QT of the rate allows.
    double sinusArrhythmia = 0.06;
    double respirationHz = 0.25;
    // Another species' PR and QT, the same at every rate (a horse's 500 and 600 ms
    // at 25 per minute); 0: the canine ones, which follow the rate.
    double prSeconds = 0.0;
    double qtSeconds = 0.0;

    // Sinus pauses: every pauseEvery-th sinus beat is followed by a pause, an
    // R-to-R interval drawn for each pause from [pauseSeconds, pauseSecondsMax]
    // (just pauseSeconds when the maximum is not above it). 0: none.
    int pauseEvery = 0;
    double pauseSeconds = 3.0;
    double pauseSecondsMax = 0.0;

    // Second-degree AV block: of every avBlockEvery P waves the last is not
    // conducted (0: none). Mobitz II keeps the PR interval; with wenckebach
    // (Mobitz I) it lengthens from beat to beat up to the blocked P.
    int avBlockEvery = 0;
    bool wenckebach = false;

    // Every pvcEvery-th beat is a premature ventricular beat (0: none).
    int pvcEvery = 0;
    // Atrial fibrillation (0: none): no P waves, fibrillation waves of about this
    // peak amplitude in mV on each electrode (4 to 9 per second, never locked to
    // the QRS), and an irregularly irregular ventricular rhythm whose intervals
    // scatter by up to fibrillationScatter of the rate's RR to either side.
    double fibrillationMv = 0.0;
    double fibrillationScatter = 0.3;
    // ST deviation of lead V5 in mV (negative: depression); the other leads carry
    // its projection (see the ground truth).
    double stDeviationMv = 0.0;

    double muscleNoiseUv = 6.0;    // RMS on a lead, 20..150 Hz
    double baselineWanderMv = 0.06; // peak per electrode, respiration and slower
    double mainsUv = 12.0;          // amplitude per electrode
    double mainsHz = 50.0;
    double amplitudeScale = 1.0;

    // Noise of the noise stress test, independent per electrode (the kinds of
    // TNoiseSynthesizer: "em", "ma", "bw", "mix"; empty or another name: none),
    // RMS microvolts on a limb lead.
    QString stressNoise;
    double stressNoiseUv = 0.0;

    // Electrodes without skin contact ("LA", "LL", "RA", "V1".."V6"): the leads that
    // depend on them are delivered as 0, as the recorder does.
    QStringList electrodesOff;

    // Makes the recording periodic over its duration, so that a replay looping over
    // the file shows no jump at the seam.
    bool loop = false;
};
