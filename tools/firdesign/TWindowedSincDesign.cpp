#include "TWindowedSincDesign.h"

#include "TKaiserWindow.h"

#include <cmath>

namespace {

const double Pi = 3.14159265358979323846;

double sinc(double x)
{
    return x == 0.0 ? 1.0 : std::sin(Pi * x) / (Pi * x);
}

} // namespace

std::vector<double> TWindowedSincDesign::lowpass(const TWindowedSincParams& params)
{
    const int taps = params.taps;
    const std::vector<double> window = TKaiserWindow::values(taps, params.beta);
    const double centre = (taps - 1) / 2.0;
    const double fc = params.cutoffHz / params.samplingRate;
    std::vector<double> h(static_cast<size_t>(taps));
    double sum = 0.0;
    for (int n = 0; n < taps; ++n) {
        h[size_t(n)] = 2.0 * fc * sinc(2.0 * fc * (n - centre)) * window[size_t(n)];
        sum += h[size_t(n)];
    }
    // Normalised to unit gain at 0 Hz, whatever the window took away.
    for (double& v : h)
        v /= sum;
    return h;
}

std::vector<double> TWindowedSincDesign::coefficients(const TWindowedSincParams& params)
{
    if (params.taps < 1 || params.samplingRate < 1)
        return {};
    std::vector<double> h = lowpass(params);
    const int taps = params.taps;
    switch (params.shape) {
    case TFirShape::Lowpass:
        for (double& v : h)
            v *= params.gain;
        break;
    case TFirShape::Highpass:
        // With an even length the impulse cannot sit on the centre of the
        // symmetric lowpass; it sits where the filter is applied (taps / 2), so
        // that table is not symmetric.
        for (double& v : h)
            v = -v;
        h[size_t(taps / 2)] += 1.0;
        break;
    case TFirShape::Bandstop: {
        const double centre = (taps - 1) / 2.0;
        const double w0 = 2.0 * Pi * params.centreHz / params.samplingRate;
        // The band-pass is scaled to exactly 1 at the centre frequency, so the
        // band-stop has a true zero there.
        double atCentre = 0.0;
        for (int n = 0; n < taps; ++n) {
            h[size_t(n)] *= 2.0 * std::cos(w0 * (n - centre));
            atCentre += h[size_t(n)] * std::cos(w0 * (n - centre));
        }
        for (double& v : h)
            v = -v / atCentre;
        h[size_t(taps / 2)] += 1.0;
        break;
    }
    }
    return h;
}
