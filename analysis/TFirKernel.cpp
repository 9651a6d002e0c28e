#include "TFirKernel.h"

#include <algorithm>

namespace {

// Outputs computed together: their accumulators stay in registers while the taps
// stream past, and the fixed count lets the compiler vectorise across them.
constexpr int Block = 4;

} // namespace

TFirKernel::TFirKernel(std::vector<double> taps) : m_taps(std::move(taps))
{
    m_reversed.assign(m_taps.rbegin(), m_taps.rend());
    m_symmetric = !m_taps.empty() && std::equal(m_taps.begin(), m_taps.end(), m_reversed.begin());
}

// One output from x[0 .. T - 1]. The block versions below add the terms in this
// very order, so that any grouping of outputs gives identical values.
double TFirKernel::output(const double* x) const
{
    const int t = taps();
    double sum = 0.0;
    if (m_symmetric) {
        const int half = t / 2;
        for (int i = 0; i < half; ++i)
            sum += m_reversed[size_t(i)] * (x[i] + x[t - 1 - i]);
        if (t % 2 != 0)
            sum += m_reversed[size_t(half)] * x[half];
    } else {
        for (int i = 0; i < t; ++i)
            sum += m_reversed[size_t(i)] * x[i];
    }
    return sum;
}

void TFirKernel::applySymmetricBlock(const double* x, double* y) const
{
    const int t = taps();
    const int half = t / 2;
    double acc[Block] = {};
    for (int i = 0; i < half; ++i) {
        const double c = m_reversed[size_t(i)];
        const double* a = x + i;
        const double* b = x + (t - 1 - i);
        for (int j = 0; j < Block; ++j)
            acc[j] += c * (a[j] + b[j]);
    }
    if (t % 2 != 0) {
        const double c = m_reversed[size_t(half)];
        const double* m = x + half;
        for (int j = 0; j < Block; ++j)
            acc[j] += c * m[j];
    }
    for (int j = 0; j < Block; ++j)
        y[j] = acc[j];
}

void TFirKernel::applyGeneralBlock(const double* x, double* y) const
{
    const int t = taps();
    double acc[Block] = {};
    for (int i = 0; i < t; ++i) {
        const double c = m_reversed[size_t(i)];
        const double* a = x + i;
        for (int j = 0; j < Block; ++j)
            acc[j] += c * a[j];
    }
    for (int j = 0; j < Block; ++j)
        y[j] = acc[j];
}

void TFirKernel::apply(const double* x, int count, double* y) const
{
    if (count <= 0)
        return;
    if (m_taps.empty()) {
        std::fill(y, y + count, 0.0);
        return;
    }
    int j = 0;
    for (; j + Block <= count; j += Block) {
        if (m_symmetric)
            applySymmetricBlock(x + j, y + j);
        else
            applyGeneralBlock(x + j, y + j);
    }
    for (; j < count; ++j)
        y[j] = output(x + j);
}

void TFirKernel::applyStrided(const double* x, int count, int step, double* y) const
{
    if (step <= 1) {
        apply(x, count, y);
        return;
    }
    if (m_taps.empty()) {
        std::fill(y, y + std::max(0, count), 0.0);
        return;
    }
    for (int j = 0; j < count; ++j)
        y[j] = output(x + size_t(j) * size_t(step));
}
