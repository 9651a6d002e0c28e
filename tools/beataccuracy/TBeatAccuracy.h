#pragma once

#include "TSynthParams.h"

#include <QString>
#include <QVector>

// Measures the live analysis against the synthesizer's ground truth: a
// synthesized recording goes through the analysis path of a live recording,
// its beats into the beat averager, and the average beat of the last window is
// delineated; the wave points found are compared with the true ones of the
// beats that were averaged.
class TBeatAccuracy
{
public:
    // Errors in milliseconds (found minus true); NaN where the point was not found.
    struct Run
    {
        double pOnsetMs = 0.0;
        double qrsOnsetMs = 0.0;
        double qrsEndMs = 0.0;
        double tEndMs = 0.0;
        double heartRate = 0.0;      // 60 / the detector's mean RR
        double truthHeartRate = 0.0; // of the sinus beats of the recording
        int truthBeats = 0;
        int detectedBeats = 0;
        int matchedBeats = 0;        // detections within 50 ms of a true R
        int averagedBeats = 0;
        // Premature ventricular beats that were classified as regular, or
        // whose RR reached the RR averager.
        int ventricularAsRegular = 0;
    };

    struct Statistic
    {
        double mean = 0.0;
        double sd = 0.0;
        int count = 0;   // runs where the point was found
        int missing = 0; // runs where it was not
    };

    struct Summary
    {
        Statistic pOnset, qrsOnset, qrsEnd, tEnd, heartRateError;
        int runs = 0;
        int ventricularAsRegular = 0;
        int missedBeats = 0;
        int extraBeats = 0;
    };

    static constexpr double AveragingWindowSeconds = 20.0;

    static Run run(const TSynthParams& params);
    // Runs the recording with `seeds` different seeds (params.seed, +1, ...).
    static Summary summarize(TSynthParams params, int seeds);
    static Statistic statistic(const QVector<double>& values);
};
