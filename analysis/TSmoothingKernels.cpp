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
    const int half = int(kernel.size()) / 2;
    for (int i = 0; i < length; ++i) {
        double sum = 0.0;
        for (int k = 0; k < int(kernel.size()); ++k) {
            const int j = std::clamp(i + k - half, 0, length - 1);
            sum += kernel[size_t(k)] * x[j];
        }
        y[size_t(i)] = sum;
    }
    return y;
}

} // namespace TSmoothingKernels
