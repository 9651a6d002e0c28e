#pragma once

#include <vector>

// ST level and slope of one lead's average beat.
class TStMeasurement
{
public:
    struct Result
    {
        bool measured = false;
        // Baseline, level and slope points in samples of the average beat (all 0
        // when the lead could not be measured).
        int baselinePoint = 0;
        int levelPoint = 0;
        int slopePoint = 0;
        double level = 0.0; // mV
        double slope = 0.0; // mV/s
    };

    // average: the lead's average beat (codes) at rate per second with R at
    // rIndex; rrSeconds: the beat's RR interval; valueStep: millivolts per code.
    // The beat is reduced to 250 per second by block means before its waves are
    // delineated; baseline between P end and QRS onset (10 ms before the onset
    // without a P wave), level 10 ms and slope 80 ms after the QRS end.
    static Result measure(const std::vector<double>& average, int rate, int rIndex, double rrSeconds,
                          double valueStep);
};
