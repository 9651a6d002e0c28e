#pragma once

#include "TWavePoints.h"

#include <vector>

// Finds the onset, peak and end of P, the onset and end of QRS and the onset,
// peak and end of T on one (average) beat, where a cardiologist puts them: an
// onset where the wave leaves the baseline, an end where it has returned to it.
// Search windows and spans follow the beat's RR interval, so that a horse's
// long PR and QT and a cat's short ones are measured alike. Works at 250 samples
// per second; a beat at another rate is brought to it first (block means where
// the rate is a multiple of 250) and the points scaled back.
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
    // The beat at 250 per second from any rate: block means where the rate is
    // a multiple of 250; else, from a faster rate, the mean over each 4 ms of
    // the signal held between its samples, from a slower one the signal drawn
    // straight between them.
    static std::vector<double> toReducedRate(const double* x, int length, int rate);
    // The range (maximum minus minimum) of y over [from, to], clipped to y; 0
    // when nothing of it lies in y.
    static double rangeOver(const std::vector<double>& y, int from, int to);
    // An index of the beat at rate as an index at 250 per second, and back.
    static int reducedIndex(int index, int rate);
    static int indexAtRate(int reducedIndex, int rate);

    // The lowest P wave (codes from its onset to its peak) taken for one: a
    // wave of a step or two of a coarse signal is no P wave a cardiologist
    // would read. 0: no floor but the share of the QRS.
    void setMinimumPWave(double codes) { m_minimumPWave = codes; }

private:
    // QRS onset and end on the lightly smoothed beat.
    static void qrsEdges(const std::vector<double>& smoothed, int r, int rr, TWavePoints* points);
    void pWave(const std::vector<double>& x, int onset, int rr, TWavePoints* points) const;
    static void tWave(const std::vector<double>& x, int qrsOnset, int qrsEnd, int rr, TWavePoints* points);
    // The end of the T wave whose peak (of polarity sign) is peak on the smooth
    // beat y; -1 when it does not return.
    static int tEndAfter(const std::vector<double>& y, int peak, double sign, int rr, int nextP);

    double m_minimumPWave = 0.0;
};
