#include "TChannelQuality.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int KernelLength = 48;
constexpr double LowEdge = 5.0;
constexpr double HighEdge = 25.0;
constexpr double CentreFrequency = 15.0;

double sinc(double x) { return x == 0.0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x); }

} // namespace

TChannelQuality::TChannelQuality(int samplingRate)
    : m_rate(samplingRate > 0 ? samplingRate : 250), m_kernel(bandPass(m_rate))
{
}

std::vector<double> TChannelQuality::bandPass(int samplingRate)
{
    const double rate = samplingRate > 0 ? samplingRate : 250.0;
    const double f1 = LowEdge / rate;
    const double f2 = HighEdge / rate;
    const double centre = (KernelLength - 1) / 2.0;
    std::vector<double> h(KernelLength);
    for (int n = 0; n < KernelLength; ++n) {
        const double t = n - centre;
        const double ideal = 2.0 * f2 * sinc(2.0 * f2 * t) - 2.0 * f1 * sinc(2.0 * f1 * t);
        const double hamming = 0.54 - 0.46 * std::cos(2.0 * M_PI * n / (KernelLength - 1));
        h[size_t(n)] = ideal * hamming;
    }
    // 48 taps truncate the 5 Hz edge's sinc well inside its main lobe, which
    // leaves the kernel a fifth of its gain at 0 Hz: baseline drift would then
    // count as signal. Taking the window's share of the tap sum out puts an exact
    // zero at 0 Hz.
    double tapSum = 0.0;
    double windowSum = 0.0;
    for (int n = 0; n < KernelLength; ++n) {
        tapSum += h[size_t(n)];
        windowSum += 0.54 - 0.46 * std::cos(2.0 * M_PI * n / (KernelLength - 1));
    }
    for (int n = 0; n < KernelLength; ++n)
        h[size_t(n)] -= tapSum / windowSum * (0.54 - 0.46 * std::cos(2.0 * M_PI * n / (KernelLength - 1)));
    double re = 0.0;
    double im = 0.0;
    for (int n = 0; n < KernelLength; ++n) {
        re += h[size_t(n)] * std::cos(2.0 * M_PI * CentreFrequency / rate * n);
        im += h[size_t(n)] * std::sin(2.0 * M_PI * CentreFrequency / rate * n);
    }
    const double gain = std::hypot(re, im);
    if (gain > 0.0)
        for (double& v : h)
            v /= gain;
    return h;
}

bool TChannelQuality::isClipped(const std::vector<double>& window, int resolution) const
{
    if (window.empty())
        return false;
    const auto range = std::minmax_element(window.begin(), window.end());
    const double max = *range.second;
    const double min = *range.first;
    const double quarter = std::ldexp(1.0, std::max(1, resolution) - 2);
    const bool nearTop = max - 2.0 >= quarter;
    const bool nearBottom = min + 2.0 <= -quarter;
    if (!nearTop && !nearBottom)
        return false;

    // Runs of two or more samples pinned at an extreme.
    auto runs = [&window](auto pinned, int* count, int* total) {
        int length = 0;
        *count = 0;
        *total = 0;
        for (size_t i = 0; i <= window.size(); ++i) {
            if (i < window.size() && pinned(window[i])) {
                ++length;
                continue;
            }
            if (length >= 2) {
                ++*count;
                *total += length;
            }
            length = 0;
        }
    };
    int topRuns = 0, topTotal = 0, bottomRuns = 0, bottomTotal = 0;
    if (nearTop)
        runs([max](double v) { return v >= max - 2.0; }, &topRuns, &topTotal);
    if (nearBottom)
        runs([min](double v) { return v <= min + 2.0; }, &bottomRuns, &bottomTotal);
    const double limit = 0.35 * m_rate;
    return topRuns >= 4 || bottomRuns >= 4 || topTotal > limit || bottomTotal > limit;
}

bool TChannelQuality::isFlat(const std::vector<double>& window, int resolution) const
{
    const int n = int(window.size());
    const int taps = m_kernel.taps();
    if (n < taps)
        return true;
    const double span = resolution <= 12 ? std::ldexp(1.0, resolution) / 32.0 : std::ldexp(1.0, resolution) / 2048.0;
    std::vector<double> filtered(static_cast<size_t>(n - taps + 1));
    m_kernel.apply(window.data(), int(filtered.size()), filtered.data());
    const auto range = std::minmax_element(filtered.begin(), filtered.end());
    const double max = *range.second;
    const double min = *range.first;
    return max - min < span;
}
