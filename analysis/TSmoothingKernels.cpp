#include "TSmoothingKernels.h"

#include <algorithm>
#include <cmath>

namespace TSmoothingKernels {

const std::vector<double>& waveKernel()
{
    static const std::vector<double> k = {0.25, 0.5, 0.25};
    return k;
}

const std::vector<double>& pWaveKernel()
{
    static const std::vector<double> k = [] {
        std::vector<double> w(9);
        double sum = 0.0;
        for (int i = 0; i < 9; ++i) {
            const double s = std::sin(M_PI * (i + 1) / 10.0);
            w[size_t(i)] = s * s;
            sum += w[size_t(i)];
        }
        for (double& v : w)
            v /= sum;
        return w;
    }();
    return k;
}

std::vector<double> smooth(const double* x, int length, const std::vector<double>& kernel)
{
    std::vector<double> y(static_cast<size_t>(std::max(0, length)));
    const int taps = int(kernel.size());
    const int half = taps / 2;
    const double* h = kernel.data();
    // Near the ends the signal is held at its first and last sample; between,
    // every tap lies inside it. The sums run in the same order either way.
    const auto edge = [&](int i) {
        double sum = 0.0;
        for (int k = 0; k < taps; ++k)
            sum += h[k] * x[std::clamp(i + k - half, 0, length - 1)];
        y[size_t(i)] = sum;
    };
    const int innerFrom = std::min(half, length);
    const int innerTo = std::max(innerFrom, length - (taps - 1 - half));
    for (int i = 0; i < innerFrom; ++i)
        edge(i);
    for (int i = innerFrom; i < innerTo; ++i) {
        const double* at = x + (i - half);
        double sum = 0.0;
        for (int k = 0; k < taps; ++k)
            sum += h[k] * at[k];
        y[size_t(i)] = sum;
    }
    for (int i = innerTo; i < length; ++i)
        edge(i);
    return y;
}

} // namespace TSmoothingKernels
