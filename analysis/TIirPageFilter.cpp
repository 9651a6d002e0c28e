#include "TIirPageFilter.h"

#include "TSampleConversion.h"

#include <algorithm>

namespace {

// Forward pass over `span` inputs starting at x: y[j] = b0 x[j] + sum_k (bk x[j-k]
// + ak y[j-k]), with inputs and outputs before the start counting as zero. The
// order is a template argument so that the recursion is unrolled.
template <int N>
void forward(const double* b, const double* a, const double* x, int span, double* y)
{
    const int head = std::min(N, span);
    for (int j = 0; j < head; ++j) {
        double v = b[0] * x[j];
        for (int k = 1; k <= j; ++k)
            v += b[k] * x[j - k] + a[k - 1] * y[j - k];
        y[j] = v;
    }
    for (int j = head; j < span; ++j) {
        double v = b[0] * x[j];
        for (int k = 1; k <= N; ++k)
            v += b[k] * x[j - k] + a[k - 1] * y[j - k];
        y[j] = v;
    }
}

// Backward pass: z[j] = b0 y[j] + sum_k (bk y[j+k] + ak z[j+k]) from the end down
// to `stop`, with nothing beyond the end; z is written in place of y's copy.
template <int N>
void backward(const double* b, const double* a, const double* y, int span, int stop, double* z)
{
    const int tail = std::max(stop, span - N);
    for (int j = span - 1; j >= tail; --j) {
        double v = b[0] * y[j];
        for (int k = 1; j + k < span; ++k)
            v += b[k] * y[j + k] + a[k - 1] * z[j + k];
        z[j] = v;
    }
    for (int j = tail - 1; j >= stop; --j) {
        double v = b[0] * y[j];
        for (int k = 1; k <= N; ++k)
            v += b[k] * y[j + k] + a[k - 1] * z[j + k];
        z[j] = v;
    }
}

void forwardAnyOrder(int order, const double* b, const double* a, const double* x, int span, double* y)
{
    for (int j = 0; j < span; ++j) {
        double v = b[0] * x[j];
        for (int k = 1; k <= order && j - k >= 0; ++k)
            v += b[k] * x[j - k] + a[k - 1] * y[j - k];
        y[j] = v;
    }
}

void backwardAnyOrder(int order, const double* b, const double* a, const double* y, int span, int stop, double* z)
{
    for (int j = span - 1; j >= stop; --j) {
        double v = b[0] * y[j];
        for (int k = 1; k <= order && j + k < span; ++k)
            v += b[k] * y[j + k] + a[k - 1] * z[j + k];
        z[j] = v;
    }
}

} // namespace

TIirPageFilter::TIirPageFilter(TIirDesign design) : m_design(std::move(design))
{
    // Numerator and feedback of different lengths are padded to one order, so
    // neither is read past its end.
    const size_t order = std::max(m_design.a.size(), m_design.b.empty() ? 0 : m_design.b.size() - 1);
    m_design.a.resize(order, 0.0);
    m_design.b.resize(order + 1, 0.0);
    m_design.margin = std::max(0, m_design.margin);
}

void TIirPageFilter::filterPage(const TPageWindow& window, qint16* output) const
{
    const int n = window.length;
    if (n <= 0)
        return;
    // The window reaches one page to either side; a longer margin is cut to it.
    const int m = std::min(m_design.margin, n);
    const int span = n + 2 * m;
    const double* b = m_design.b.data();
    const double* a = m_design.a.data();
    const double* x = window.values - m; // x[0] is sample -m of the page

    m_forward.resize(size_t(span));
    m_backward.resize(size_t(span));
    double* y = m_forward.data();
    double* z = m_backward.data();
    switch (m_design.order()) {
    case 2:
        forward<2>(b, a, x, span, y);
        backward<2>(b, a, y, span, m, z);
        break;
    case 3:
        forward<3>(b, a, x, span, y);
        backward<3>(b, a, y, span, m, z);
        break;
    case 4:
        forward<4>(b, a, x, span, y);
        backward<4>(b, a, y, span, m, z);
        break;
    default:
        forwardAnyOrder(m_design.order(), b, a, x, span, y);
        backwardAnyOrder(m_design.order(), b, a, y, span, m, z);
        break;
    }
    for (int i = 0; i < n; ++i)
        output[i] = saturatingCode(z[m + i]);
}
