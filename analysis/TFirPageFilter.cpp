#include "TFirPageFilter.h"

#include "TSampleConversion.h"

#include <algorithm>

TFirPageFilter::TFirPageFilter(std::vector<double> taps, int delay) : m_kernel(std::move(taps)), m_delay(delay)
{
}

void TFirPageFilter::filterPage(const TPageWindow& window, qint16* output) const
{
    const int n = window.length;
    if (n <= 0)
        return;
    const int t = m_kernel.taps();
    // out[i] needs x[i + delay - (t - 1)] .. x[i + delay]; the window covers one
    // page on either side, which every table fits in.
    if (t == 0) {
        std::fill(output, output + n, qint16(0));
        return;
    }
    const int first = m_delay - (t - 1);
    const int end = m_delay + n; // one past the last input read
    m_sums.resize(size_t(n));
    if (first >= -n && end <= 2 * n) {
        m_kernel.apply(window.values + first, n, m_sums.data());
    } else {
        // A table longer than a page (only with pages shorter than any in use):
        // what lies beyond the neighbours reads as zero.
        m_inputs.assign(size_t(end - first), 0.0);
        for (int i = std::max(first, -n); i < std::min(end, 2 * n); ++i)
            m_inputs[size_t(i - first)] = window.values[i];
        m_kernel.apply(m_inputs.data(), n, m_sums.data());
    }
    for (int i = 0; i < n; ++i)
        output[i] = saturatingCode(m_sums[size_t(i)]);
}
