#pragma once

#include <vector>

// Magnitude of the frequency response of FIR coefficients.
class TMagnitudeResponse
{
public:
    static double at(const std::vector<double>& taps, int samplingRate, double hz);
    // Largest |response - value| over [fromHz, toHz], sampled every stepHz.
    static double largestDeviation(const std::vector<double>& taps, int samplingRate, double fromHz, double toHz,
                                   double value, double stepHz);
    // Largest response over [fromHz, toHz], sampled every stepHz.
    static double largest(const std::vector<double>& taps, int samplingRate, double fromHz, double toHz,
                          double stepHz);
};
