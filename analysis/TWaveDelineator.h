#pragma once

#include "TWavePoints.h"

#include <vector>

// Finds the onset, peak and end of P, the onset and end of QRS and the onset,
// peak and end of T on one (average) beat. Works at 250 samples per second;
// faster beats are reduced by block means first and the points scaled back.
class TWaveDelineator
{
public:
    // x: the beat (codes), length samples at rate per second with R at rIndex;
    // rrSamples: the beat's RR interval in samples at that rate.
    TWavePoints measure(const double* x, int length, int rate, int rIndex, int rrSamples) const;

    // The same beat at 250 per second, without the reduction.
    TWavePoints measureReduced(const std::vector<double>& x, int rIndex, int rrSamples) const;

    // Block means of factor samples (a beat reduced to 250 per second).
    static std::vector<double> reduce(const double* x, int length, int factor);

private:
    static int qrsOnset(const std::vector<double>& x, int r);
    static int qrsEnd(const std::vector<double>& smoothed, int onset, int r, int rr);
    static void pWave(const std::vector<double>& x, int onset, int rr, TWavePoints* points);
    static void tWave(const std::vector<double>& x, const std::vector<double>& smoothed, int end, int rr,
                      TWavePoints* points);
};
