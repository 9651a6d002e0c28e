#include "TMagnitudeResponse.h"

#include <algorithm>
#include <cmath>

double TMagnitudeResponse::at(const std::vector<double>& taps, int samplingRate, double hz)
{
    const double w = 2.0 * 3.14159265358979323846 * hz / samplingRate;
    double re = 0.0;
    double im = 0.0;
    for (size_t n = 0; n < taps.size(); ++n) {
        re += taps[n] * std::cos(w * double(n));
        im -= taps[n] * std::sin(w * double(n));
    }
    return std::hypot(re, im);
}

double TMagnitudeResponse::largestDeviation(const std::vector<double>& taps, int samplingRate, double fromHz,
                                            double toHz, double value, double stepHz)
{
    double worst = 0.0;
    for (double f = fromHz; f <= toHz + 1e-9; f += stepHz)
        worst = std::max(worst, std::fabs(at(taps, samplingRate, f) - value));
    return worst;
}

double TMagnitudeResponse::largest(const std::vector<double>& taps, int samplingRate, double fromHz, double toHz,
                                   double stepHz)
{
    double best = 0.0;
    for (double f = fromHz; f <= toHz + 1e-9; f += stepHz)
        best = std::max(best, at(taps, samplingRate, f));
    return best;
}
